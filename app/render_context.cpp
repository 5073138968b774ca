// render_context.cpp -- the GL context, the fixed render state with its
// material and lights, and the projection kept in step with the window.
#include <GL/gl.h>

#include <cmath>

#include "app/app.h"
#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"

void CreateRenderContext() {
    run.windowDC = Plat_GetDC(run.mainWindow);
    run.glContext = Plat_CreateGLContext(run.windowDC);
    Plat_MakeCurrent(run.windowDC, run.glContext);
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

void SetRenderState(const Scene& scene) {
    glClearColor((float)scene.clearRed, (float)scene.clearGreen, (float)scene.clearBlue, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);
    if (scene.smoothShading == 1) glShadeModel(GL_SMOOTH);
    if (scene.smoothShading == 0) glShadeModel(GL_FLAT);
    SetMaterial();
    if (scene.light0Enabled == 1 || scene.light1Enabled == 1) glEnable(GL_LIGHTING);
    if (scene.light0Enabled == 1) SetLight(GL_LIGHT0, scene.light0Level, 0.1f, 0.0002f, 0.000005f);
    if (scene.light1Enabled == 1) SetLight(GL_LIGHT1, scene.light1Level, 0.5f, 0.0f, 0.0f);
}

void FinishRenderState() {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void ResizeScene(int width, int height) {
    run.clientCentreX = width / 2;
    run.clientCentreY = height / 2;
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    if (loaded)
        LoadWindowCameras(loaded->scene, loaded->motion.viewer, loaded->motion.camera, width,
                          height);
    BreakSmoothDisplay();  // a new projection and camera: nothing to blend from
    ForceFrame();
}
