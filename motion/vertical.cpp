// vertical.cpp -- the vertical step of view mode 1: crouching on Ctrl and
// the jump on Space, which rises and falls in fixed steps.
#include <cmath>

#include "motion/input.h"
#include "motion/motion.h"
#include "scene/scene.h"

// The air step: the take-off momentum carries the viewer along the last
// step's direction; there is no deflection search in the air. False when
// the step ran into an obstacle (and was undone).
static bool StepInAir() {
    TakeStep(viewer.moveAngle, viewer.forwardSpeed);
    if (FindObstacleHit(collisionRadius)) {
        UndoStep();
        viewer.forwardSpeed = 0;
        viewer.sidestepSpeed = 0;
        viewer.blocked = 1;
        return false;
    }
    viewer.blocked = 0;
    viewer.walkedZ -= viewer.stepZ;
    viewer.walkedX -= viewer.stepX;
    PlaceViewerCamera(-viewer.jumpOffset, -viewer.jumpOffset, true);
    PlaceViewerLights();
    return true;
}

// Crouch changes move the eye and the pivot together and keep the target.
static void PlaceCrouchCamera() {
    PlaceViewerCamera(viewer.crouchOffset, viewer.crouchOffset, false);
}

// One falling frame; Space seen released makes a new jump possible.
static void Fall(const HeldKeys& keys) {
    viewer.jumpOffset -= jumpStep;
    if (viewer.jumpOffset <= 0) {
        viewer.jumpOffset = 0;
        viewer.jumpFalling = 0;
    }
    if (keys.spaceHeld == 0) viewer.jumpSpent = 0;
    StepInAir();
}

// Reaching the top, or an obstacle, turns the jump into a fall; it stays
// spent until Space is seen released.
static void StartFalling() {
    viewer.jumpRising = 0;
    viewer.jumpFalling = 1;
    viewer.jumpSpent = 1;
}

// One rising frame, up to the top.
static void Rise() {
    viewer.jumpRising = 1;
    viewer.jumpOffset += jumpStep;
    if (!(viewer.jumpOffset < jumpHeight)) {
        viewer.jumpOffset = jumpHeight;
        StartFalling();
    }
    if (!StepInAir()) StartFalling();
}

// Crouch first, so Ctrl in mid-air holds the jump; true when the
// horizontal step runs in this frame too.
bool StepVerticalMotion(const HeldKeys& keys) {
    if (keys.ctrlHeld == 1) {
        if (viewer.crouchOffset < crouchDepth) {
            viewer.crouchOffset += crouchDepth / 2;
            PlaceCrouchCamera();
        }
        return true;
    }
    if (viewer.crouchOffset > 0) {
        viewer.crouchOffset -= crouchDepth / 2;
        if (viewer.crouchOffset < 0) viewer.crouchOffset = 0;
        PlaceCrouchCamera();
        return true;
    }
    if (viewer.jumpFalling == 1) {
        Fall(keys);
        return false;
    }
    if ((keys.spaceHeld == 1 || viewer.jumpRising == 1) && viewer.jumpOffset < jumpHeight &&
        viewer.jumpSpent == 0) {
        Rise();
        return false;
    }
    return true;
}
