// walk.cpp -- the horizontal step of view mode 1: turning, walking and
// sidestepping with their speed rules.
#include <cmath>

#include "motion/input.h"
#include "motion/motion.h"
#include "scene/scene.h"

// The limit is compared before the addition, so the speed may pass it by
// less than one step; a reversal starts at one step in the new direction.
void ApplyForwardSpeedRule() {
    if (viewer.forwardSpeed < maxWalkSpeed) viewer.forwardSpeed += walkAcceleration;
    if (viewer.forwardSpeed < 0) viewer.forwardSpeed = walkAcceleration;
}

// The mirror of the forward rule.
void ApplyBackwardSpeedRule() {
    if (viewer.forwardSpeed > -maxWalkSpeed) viewer.forwardSpeed -= walkAcceleration;
    if (viewer.forwardSpeed > 0) viewer.forwardSpeed = -walkAcceleration;
}

// Up first, then Down, so both held end at Down's rule.
void ApplyWalkSpeedRule(const HeldKeys& keys) {
    if (keys.upHeld == 1) ApplyForwardSpeedRule();
    if (keys.downHeld == 1) ApplyBackwardSpeedRule();
}

// Right moves to the viewer's right (positive speed), Left to its left;
// a reversal takes effect at once, as for walking.
void ApplySidestepSpeedRule(const HeldKeys& keys) {
    if (keys.rightHeld == 1) {
        if (viewer.sidestepSpeed < maxWalkSpeed) viewer.sidestepSpeed += walkAcceleration;
        if (viewer.sidestepSpeed < 0) viewer.sidestepSpeed = walkAcceleration;
    }
    if (keys.leftHeld == 1) {
        if (viewer.sidestepSpeed > -maxWalkSpeed) viewer.sidestepSpeed -= walkAcceleration;
        if (viewer.sidestepSpeed > 0) viewer.sidestepSpeed = -walkAcceleration;
    }
}

// Right wins over Left, and backing up mirrors the turn, as a car would.
void TurnByKeys(const HeldKeys& keys) {
    if (keys.leftHeld == 1) viewer.turnDelta = turnStep;
    if (keys.rightHeld == 1) viewer.turnDelta = -turnStep;
    if (keys.downHeld == 1) viewer.turnDelta = -viewer.turnDelta;
    viewer.heading += viewer.turnDelta;
}

// Keeps the heading within [-360, 360] after a turn of less than a full circle.
void CorrectHeading() {
    if (viewer.heading > 360) viewer.heading -= 360;
    if (viewer.heading < -360) viewer.heading += 360;
}

// One frame of walking along the heading.
static void Walk(const HeldKeys& keys) {
    viewer.moveAngle = -viewer.heading * degToRad;
    ApplyWalkSpeedRule(keys);
    MoveWithDeflection(WALK_PROBES, viewer.moveAngle, collisionRadius, true);
}

// One frame of sidestepping; false when its search gave up.
static bool Sidestep(const HeldKeys& keys) {
    viewer.moveAngle = (90 - viewer.heading) * degToRad;
    ApplySidestepSpeedRule(keys);
    return MoveWithDeflection(SIDESTEP_PROBES, viewer.moveAngle, collisionRadius, true);
}

// Sidestep (mode 1) or turn (mode 2), then walk; each completed move places
// the camera, and a frame without keys leaves the last matrix in force.
void StepWalkingViewer(const HeldKeys& keys) {
    if (sideKeyMode == SIDE_KEYS_SIDESTEP && keys.sideKeyHeld == 1) {
        if (!Sidestep(keys)) return;
    }
    if (sideKeyMode == SIDE_KEYS_TURN && keys.sideKeyHeld == 1) {
        TurnByKeys(keys);
        CorrectHeading();
        viewer.viewAngle = -(viewer.heading - 90) * degToRad;
        if (keys.moveKeyHeld == 1) {
            Walk(keys);
        } else {
            PlaceViewerCamera(viewer.crouchOffset, 0, true);
            PlaceViewerLights();
        }
        return;
    }
    if (keys.moveKeyHeld == 1) Walk(keys);
}
