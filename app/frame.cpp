// frame.cpp -- the frame function's top level: pause check, pacing, the
// motion step of the view mode, then the drawing stages with the steps
// that run between them, in their fixed order.
#include <GL/gl.h>

#include "app/app.h"
#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"

void StepMotion() {
    if (viewMode == VIEW_WALK) {
        if (StepVerticalMotion(heldKeys)) StepWalkingViewer(heldKeys);
    } else if (viewMode == VIEW_FOLLOW_WALKER) {
        StepFollowViewer(heldKeys);
    } else {
        StepDrivingViewer(heldKeys);
    }
}

void DrawFrameStages(const HeldKeys& keys) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawFlatPolygons();
    DrawTexturedPolygons();
    for (int i = 0; i <= actorLastIndex; i++) {
        StepActor(i);
        DrawActor(i);
    }
    StepViewCamera(keys);
    PlaceAvatar();
    AnimateAvatarJoints();
    if (avatarPolyVertexCount != 0) DrawAvatarPolygons();
    UnplaceAvatar();
}

void DisplayFrame() {
    if (pauseState == PAUSE_PAUSED) return;
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

void (*frameOverlayHook)();

void FinishFrame() {
    if (frameOverlayHook) frameOverlayHook();
    glFlush();
    Plat_SwapBuffers(windowDC);
}

void ForceFrame() {
    if (pauseState == PAUSE_PAUSED) pauseState = PAUSE_FORCED_FRAME;
    DisplayFrame();
    if (pauseState == PAUSE_FORCED_FRAME) pauseState = PAUSE_PAUSED;
}
