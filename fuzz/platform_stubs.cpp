// platform_stubs.cpp -- the GL entry points that the loader and the frame
// code call, as no-ops, so that the fuzz targets run without a GL driver.
// The window system is the null backend (platform/null/). Only what the
// targets link needs.
#include <GL/gl.h>
#include <GL/glu.h>

// Texture names are handed out as the driver would: nonzero and distinct.
static GLuint nextTextureName = 1;  // W: glGenTextures

extern "C" {
void glBegin(GLenum) {}
void glEnd() {}
void glVertex3d(GLdouble, GLdouble, GLdouble) {}
void glColor3d(GLdouble, GLdouble, GLdouble) {}
void glTexCoord2d(GLdouble, GLdouble) {}
void glRotatef(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glTranslatef(GLfloat, GLfloat, GLfloat) {}
void glEnable(GLenum) {}
void glDisable(GLenum) {}
void glMatrixMode(GLenum) {}
void glLoadIdentity() {}
void glPushMatrix() {}
void glPopMatrix() {}
void glMaterialfv(GLenum, GLenum, const GLfloat*) {}
void glMaterialf(GLenum, GLenum, GLfloat) {}
void glLightfv(GLenum, GLenum, const GLfloat*) {}
void glLightf(GLenum, GLenum, GLfloat) {}
void glShadeModel(GLenum) {}
void glClear(GLbitfield) {}
void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void glViewport(GLint, GLint, GLsizei, GLsizei) {}
void glPolygonMode(GLenum, GLenum) {}
void glFlush() {}
void glBindTexture(GLenum, GLuint) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glPixelStorei(GLenum, GLint) {}
void glGenTextures(GLsizei n, GLuint* names) {
    for (GLsizei i = 0; i < n; i++) names[i] = nextTextureName++;
}
void glDeleteTextures(GLsizei, const GLuint*) {}
// Says nothing, as a GL without a current context does.
void glGetIntegerv(GLenum, GLint*) {}
void gluLookAt(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble,
               GLdouble) {}
void gluPerspective(GLdouble, GLdouble, GLdouble, GLdouble) {}
GLint gluBuild2DMipmaps(GLenum, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*) { return 0; }
}
