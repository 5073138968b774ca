// platform_stubs.cpp -- the few window-system and GL entry points that the
// loader and the frame code call, as no-ops, so that the fuzz targets run
// without SDL, a display or a GL driver. Only what the targets link needs.
#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/platform.h"

static uint32_t fuzzTick;  // W: Plat_GetTickCount; a clock that moves 40 ms per call

uint32_t Plat_GetTickCount() { return fuzzTick += 40; }
void Plat_MessageBox(const char*, const char*) {}
void Plat_SwapBuffers(PlatDC) {}

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
void gluLookAt(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble,
               GLdouble) {}
void gluPerspective(GLdouble, GLdouble, GLdouble, GLdouble) {}
GLint gluBuild2DMipmaps(GLenum, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*) { return 0; }
}
