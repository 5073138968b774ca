// frame.cpp -- the frame function's top level: pause check, pacing, the
// motion step of the view mode, then the drawing stages.
#include <GL/gl.h>

#include "app/app.h"
#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"

void StepMotion() {
    if (viewMode == 1) {
        if (StepVerticalMotion(heldKeys)) StepWalkingViewer(heldKeys);
    } else if (viewMode == 3) {
        StepFollowViewer(heldKeys);
    } else {
        StepDrivingViewer(heldKeys);
    }
}

void DisplayFrame() {
    if (pauseState == 1) return;
    if (!glContext) return;  // after the shutdown there is nothing to draw with
    frameTick = Plat_GetTickCount();
    if ((int32_t)(frameTick - lastFrameTime) < MIN_FRAME_INTERVAL) return;
    lastFrameTime = frameTick;
    framesRun++;
    boundTexture = 0;
    StepMotion();
    DrawFrameStages(heldKeys);
    FinishFrame();
}

void FinishFrame() {
    glFlush();
    Plat_SwapBuffers(windowDC);
}

void ForceFrame() {
    if (pauseState == 1) pauseState = 3;
    DisplayFrame();
    if (pauseState == 3) pauseState = 1;
}
