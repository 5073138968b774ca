// gl11_matrices.cpp -- glMatrixMode and the matrix calls, gluPerspective and
// gluLookAt, on single-precision stacks kept by our GL 1.1 layer.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

#include "platform/web/gl11_math.h"
#include "platform/web/gl11_state.h"

namespace gl11 {

MatrixStack& CurrentStack() {
    switch (layer.a.matrixMode) {
        case GL_PROJECTION: return layer.projection;
        case GL_TEXTURE: return layer.texture;
        default: return layer.modelview;
    }
}

void ModelviewChanged() { layer.normalStale = true; }

// Runs change on the selected matrix; a change inside glBegin is an error
// that changes nothing.
template <typename Change>
static void EditMatrix(Change change) {
    if (layer.inBegin) return SetError(GL_INVALID_OPERATION);
    MatrixStack& stack = CurrentStack();
    change(stack.Top());
    if (&stack == &layer.modelview) ModelviewChanged();
}

}  // namespace gl11

using namespace gl11;

void glMatrixMode(GLenum mode) {
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE)
        return SetError(GL_INVALID_ENUM);
    layer.a.matrixMode = mode;
}

void glLoadIdentity() { EditMatrix([](float* m) { IdentityMatrix(m); }); }

void glLoadMatrixf(const GLfloat* source) {
    EditMatrix([source](float* m) { std::memcpy(m, source, 16 * sizeof(float)); });
}

void glMultMatrixf(const GLfloat* b) { EditMatrix([b](float* m) { MultiplyMatrix(m, b); }); }

void glMultMatrixd(const GLdouble* d) {
    float b[16];
    for (int i = 0; i < 16; i++) b[i] = (float)d[i];
    glMultMatrixf(b);
}

void glPushMatrix() {
    MatrixStack& stack = CurrentStack();
    if (stack.depth >= stack.limit) return SetError(GL_STACK_OVERFLOW);
    std::memcpy(stack.m[stack.depth], stack.m[stack.depth - 1], 16 * sizeof(float));
    stack.depth++;
}

void glPopMatrix() {
    MatrixStack& stack = CurrentStack();
    if (stack.depth <= 1) return SetError(GL_STACK_UNDERFLOW);
    stack.depth--;
    if (&stack == &layer.modelview) ModelviewChanged();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    EditMatrix([=](float* m) { TranslateMatrix(m, x, y, z); });
}
void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    glTranslatef((float)x, (float)y, (float)z);
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    EditMatrix([=](float* m) { RotateMatrix(m, angle, x, y, z); });
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    EditMatrix([=](float* m) { ScaleMatrix(m, x, y, z); });
}
void glScaled(GLdouble x, GLdouble y, GLdouble z) { glScalef((float)x, (float)y, (float)z); }

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
             GLdouble zFar) {
    if (left == right || bottom == top || zNear == zFar) return SetError(GL_INVALID_VALUE);
    EditMatrix([=](float* m) { OrthoMatrix(m, left, right, bottom, top, zNear, zFar); });
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    EditMatrix([=](float* m) { PerspectiveMatrix(m, fovy, aspect, zNear, zFar); });
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY,
               GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    EditMatrix([=](float* m) {
        LookAtMatrix(m, eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ);
    });
}
