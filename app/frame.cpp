// frame.cpp -- the frame function's top level: pause check, pacing, the
// motion step of the view mode, then the drawing stages with the steps
// that run between them, in their fixed order.
#include <GL/gl.h>

#include "app/app.h"
#include "motion/behaviour.h"
#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"

void StepMotion(LoadedScene& level, const HeldKeys& keys) {
    MotionStep m{level.scene, level.obstacles, keys, level.motion.viewer, level.motion.camera};
    StepViewerMotion(m);
}

// For each actor its behaviour step, then its joint swing and its drawing.
static void StepAndDrawActors(LoadedScene& level, FrameDraw& draw, bool drawn) {
    const Scene& scene = level.scene;
    const ViewerState& viewer = level.motion.viewer;
    for (int i = 0; i <= scene.actorLastIndex; i++) {
        ActorMotion& actor = level.motion.actors[i];
        StepActor(scene, level.obstacles, viewer, i, actor);
        AnimateActor(scene, viewer, i, actor);
        if (drawn) DrawActor(draw, viewer, i, actor);
    }
}

void DrawFrameStages(LoadedScene& level, const HeldKeys& keys, FramePicture* picture, bool drawn) {
    const Scene& scene = level.scene;
    SceneMotion& motion = level.motion;
    FrameDraw draw{scene, level.textures};
    if (picture) CaptureSceneView(*picture, motion.viewer);
    if (drawn) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawFlatPolygons(scene);
        DrawTexturedPolygons(draw, motion.viewer);
    }
    StepAndDrawActors(level, draw, drawn);
    if (picture) CaptureActors(*picture, scene, motion.viewer, motion.actors);
    MotionStep m{scene, level.obstacles, keys, motion.viewer, motion.camera};
    StepViewCamera(m);
    AvatarPlacement placed = PlaceAvatar(scene, motion.viewer);
    AnimateAvatarJoints(scene, motion.viewer, motion.avatar);
    if (picture) CaptureAvatar(*picture, scene, motion.viewer, motion.avatar);
    if (drawn && scene.avatarPolyVertexCount != 0)
        DrawAvatarPolygons(draw, motion.viewer, motion.avatar);
    UnplaceAvatar(scene, motion.viewer, motion.camera, placed);
}

// With smooth display on, a step only moves: the screen's refreshes draw
// the pictures it leaves.
void DisplayFrame() {
    if (run.pauseState == PAUSE_PAUSED) return;
    if (!run.glContext || !loaded) return;  // after the shutdown there is nothing to draw with
    run.frameTick = Plat_GetTickCount();
    if ((int32_t)(run.frameTick - run.lastFrameTime) < MIN_FRAME_INTERVAL) return;
    run.lastFrameTime = run.frameTick;
    run.framesRun++;
    bool drawn = run.smooth.pacing == PACING_DESIGN;
    StepMotion(*loaded, run.heldKeys);
    DrawFrameStages(*loaded, run.heldKeys, &NextStepPicture(), drawn);
    KeepStepPicture(run.frameTick);
    if (drawn) FinishFrame();
}

void FinishFrame() {
    if (run.frameOverlayHook) run.frameOverlayHook();
    glFlush();
    Plat_SwapBuffers(run.windowDC);
}

void ForceFrame() {
    if (run.pauseState == PAUSE_PAUSED) run.pauseState = PAUSE_FORCED_FRAME;
    DisplayFrame();
    if (run.pauseState == PAUSE_FORCED_FRAME) run.pauseState = PAUSE_PAUSED;
}
