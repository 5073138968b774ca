// render_context.cpp -- the GL context, the fixed render state with its
// material and lights, and the projection kept in step with the window.
#include <GL/gl.h>

#include <cmath>

#include "app/app.h"
#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"

void CreateRenderContext() {
    windowDC = Plat_GetDC(mainWindow);
    glContext = Plat_CreateGLContext(windowDC);
    Plat_MakeCurrent(windowDC, glContext);
}

static void SetMaterial() {
    const GLfloat ambient[] = {0, 0, 0, 1};
    const GLfloat diffuse[] = {0.5f, 0.5f, 0.5f, 1};
    const GLfloat specular[] = {1, 1, 1, 1};
    const GLfloat emission[] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 50.0f);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
}

// One light: no specular part, a grey diffuse level and its attenuation.
static void SetLight(GLenum light, double level, float constant, float linear,
                     float quadratic) {
    const GLfloat specular[] = {0, 0, 0, 1};
    const GLfloat diffuse[] = {(float)level, (float)level, (float)level, 1};
    glEnable(light);
    glLightfv(light, GL_SPECULAR, specular);
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightf(light, GL_CONSTANT_ATTENUATION, constant);
    glLightf(light, GL_LINEAR_ATTENUATION, linear);
    glLightf(light, GL_QUADRATIC_ATTENUATION, quadratic);
}

void SetRenderState() {
    glClearColor((float)clearRed, (float)clearGreen, (float)clearBlue, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);
    if (smoothShading == 1) glShadeModel(GL_SMOOTH);
    if (smoothShading == 0) glShadeModel(GL_FLAT);
    SetMaterial();
    if (light0Enabled == 1 || light1Enabled == 1) glEnable(GL_LIGHTING);
    if (light0Enabled == 1) SetLight(GL_LIGHT0, light0Level, 0.1f, 0.0002f, 0.000005f);
    if (light1Enabled == 1) SetLight(GL_LIGHT1, light1Level, 0.5f, 0.0f, 0.0f);
}

void FinishRenderState() {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void ResizeScene(int width, int height) {
    clientCentreX = width / 2;
    clientCentreY = height / 2;
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    LoadWindowCameras(width, height);
    ForceFrame();
}
