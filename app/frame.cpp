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
static void StepAndDrawActors(LoadedScene& level, FrameDraw& draw) {
    const Scene& scene = level.scene;
    const ViewerState& viewer = level.motion.viewer;
    for (int i = 0; i <= scene.actorLastIndex; i++) {
        ActorMotion& actor = level.motion.actors[i];
        StepActor(scene, level.obstacles, viewer, i, actor);
        AnimateActor(scene, viewer, i, actor);
        DrawActor(draw, viewer, i, actor);
    }
}

void DrawFrameStages(LoadedScene& level, const HeldKeys& keys) {
    const Scene& scene = level.scene;
    SceneMotion& motion = level.motion;
    FrameDraw draw{scene, level.textures};
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawFlatPolygons(scene);
    DrawTexturedPolygons(draw, motion.viewer);
    StepAndDrawActors(level, draw);
    MotionStep m{scene, level.obstacles, keys, motion.viewer, motion.camera};
    StepViewCamera(m);
    AvatarPlacement placed = PlaceAvatar(scene, motion.viewer);
    AnimateAvatarJoints(scene, motion.viewer, motion.avatar);
    if (scene.avatarPolyVertexCount != 0) DrawAvatarPolygons(draw, motion.viewer, motion.avatar);
    UnplaceAvatar(scene, motion.viewer, motion.camera, placed);
}

void DisplayFrame() {
    if (run.pauseState == PAUSE_PAUSED) return;
    if (!run.glContext || !loaded) return;  // after the shutdown there is nothing to draw with
    run.frameTick = Plat_GetTickCount();
    if ((int32_t)(run.frameTick - run.lastFrameTime) < MIN_FRAME_INTERVAL) return;
    run.lastFrameTime = run.frameTick;
    run.framesRun++;
    StepMotion(*loaded, run.heldKeys);
    DrawFrameStages(*loaded, run.heldKeys);
    FinishFrame();
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
