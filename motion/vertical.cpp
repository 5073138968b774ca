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
    TakeStep(moveAngle, forwardSpeed);
    if (FindObstacleHit(collisionRadius)) {
        UndoStep();
        forwardSpeed = 0;
        sidestepSpeed = 0;
        blocked = 1;
        return false;
    }
    blocked = 0;
    walkedZ -= stepZ;
    walkedX -= stepX;
    PlaceViewerCamera(-jumpOffset, -jumpOffset, true);
    PlaceViewerLights();
    return true;
}

// Crouch changes move the eye and the pivot together and keep the target.
static void PlaceCrouchCamera() { PlaceViewerCamera(crouchOffset, crouchOffset, false); }

// One falling frame; Space seen released makes a new jump possible.
static void Fall(const HeldKeys& keys) {
    jumpOffset -= jumpStep;
    if (jumpOffset <= 0) {
        jumpOffset = 0;
        jumpFalling = 0;
    }
    if (keys.spaceHeld == 0) jumpSpent = 0;
    StepInAir();
}

// Reaching the top, or an obstacle, turns the jump into a fall; it stays
// spent until Space is seen released.
static void StartFalling() {
    jumpRising = 0;
    jumpFalling = 1;
    jumpSpent = 1;
}

// One rising frame, up to the top.
static void Rise() {
    jumpRising = 1;
    jumpOffset += jumpStep;
    if (!(jumpOffset < jumpHeight)) {
        jumpOffset = jumpHeight;
        StartFalling();
    }
    if (!StepInAir()) StartFalling();
}

// Crouch first, so Ctrl in mid-air holds the jump; true when the
// horizontal step runs in this frame too.
bool StepVerticalMotion(const HeldKeys& keys) {
    if (keys.ctrlHeld == 1) {
        if (crouchOffset < crouchDepth) {
            crouchOffset += crouchDepth / 2;
            PlaceCrouchCamera();
        }
        return true;
    }
    if (crouchOffset > 0) {
        crouchOffset -= crouchDepth / 2;
        if (crouchOffset < 0) crouchOffset = 0;
        PlaceCrouchCamera();
        return true;
    }
    if (jumpFalling == 1) {
        Fall(keys);
        return false;
    }
    if ((keys.spaceHeld == 1 || jumpRising == 1) && jumpOffset < jumpHeight && jumpSpent == 0) {
        Rise();
        return false;
    }
    return true;
}
