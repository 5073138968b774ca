// vertical.cpp -- the vertical step of view mode 1: crouching on Ctrl and
// the jump on Space, which rises and falls in fixed steps.
#include <cmath>

#include "motion/input.h"
#include "motion/motion.h"
#include "scene/scene.h"

// The air step: the take-off momentum carries the viewer along the last
// step's direction; there is no deflection search in the air. False when
// the step ran into an obstacle (and was undone).
static bool StepInAir(MotionStep& m) {
    const Scene& scene = m.scene;
    ViewerState& viewer = m.viewer;
    TakeStep(viewer, viewer.moveAngle, viewer.forwardSpeed);
    if (FindObstacleHit(m.obstacles, viewer, scene.collisionRadius)) {
        UndoStep(viewer);
        viewer.forwardSpeed = 0;
        viewer.sidestepSpeed = 0;
        viewer.blocked = 1;
        return false;
    }
    viewer.blocked = 0;
    viewer.walkedZ -= viewer.stepZ;
    viewer.walkedX -= viewer.stepX;
    PlaceViewerCamera(scene, viewer, -viewer.jumpOffset, -viewer.jumpOffset, true);
    PlaceViewerLights(scene, viewer);
    return true;
}

// Crouch changes move the eye and the pivot together and keep the target.
static void PlaceCrouchCamera(const Scene& scene, ViewerState& viewer) {
    PlaceViewerCamera(scene, viewer, viewer.crouchOffset, viewer.crouchOffset, false);
}

// One falling frame; Space seen released makes a new jump possible.
static void Fall(MotionStep& m) {
    ViewerState& viewer = m.viewer;
    viewer.jumpOffset -= m.scene.jumpStep;
    if (viewer.jumpOffset <= 0) {
        viewer.jumpOffset = 0;
        viewer.jumpFalling = 0;
    }
    if (m.keys.spaceHeld == 0) viewer.jumpSpent = 0;
    StepInAir(m);
}

// Reaching the top, or an obstacle, turns the jump into a fall; it stays
// spent until Space is seen released.
static void StartFalling(ViewerState& viewer) {
    viewer.jumpRising = 0;
    viewer.jumpFalling = 1;
    viewer.jumpSpent = 1;
}

// One rising frame, up to the top.
static void Rise(MotionStep& m) {
    ViewerState& viewer = m.viewer;
    viewer.jumpRising = 1;
    viewer.jumpOffset += m.scene.jumpStep;
    if (!(viewer.jumpOffset < m.scene.jumpHeight)) {
        viewer.jumpOffset = m.scene.jumpHeight;
        StartFalling(viewer);
    }
    if (!StepInAir(m)) StartFalling(viewer);
}

// Crouch first, so Ctrl in mid-air holds the jump; true when the
// horizontal step runs in this frame too.
bool StepVerticalMotion(MotionStep& m) {
    const Scene& scene = m.scene;
    const HeldKeys& keys = m.keys;
    ViewerState& viewer = m.viewer;
    if (keys.ctrlHeld == 1) {
        if (viewer.crouchOffset < scene.crouchDepth) {
            viewer.crouchOffset += scene.crouchDepth / 2;
            PlaceCrouchCamera(scene, viewer);
        }
        return true;
    }
    if (viewer.crouchOffset > 0) {
        viewer.crouchOffset -= scene.crouchDepth / 2;
        if (viewer.crouchOffset < 0) viewer.crouchOffset = 0;
        PlaceCrouchCamera(scene, viewer);
        return true;
    }
    if (viewer.jumpFalling == 1) {
        Fall(m);
        return false;
    }
    if ((keys.spaceHeld == 1 || viewer.jumpRising == 1) && viewer.jumpOffset < scene.jumpHeight &&
        viewer.jumpSpent == 0) {
        Rise(m);
        return false;
    }
    return true;
}
