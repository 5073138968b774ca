// walk.cpp -- the horizontal step of view mode 1: turning, walking and
// sidestepping with their speed rules.
#include <cmath>

#include "motion/input.h"
#include "motion/motion.h"
#include "scene/scene.h"

// The limit is compared before the addition, so the speed may pass it by
// less than one step; a reversal starts at one step in the new direction.
void ApplyForwardSpeedRule(const Scene& scene, ViewerState& viewer) {
    if (viewer.forwardSpeed < scene.maxWalkSpeed) viewer.forwardSpeed += scene.walkAcceleration;
    if (viewer.forwardSpeed < 0) viewer.forwardSpeed = scene.walkAcceleration;
}

// The mirror of the forward rule.
void ApplyBackwardSpeedRule(const Scene& scene, ViewerState& viewer) {
    if (viewer.forwardSpeed > -scene.maxWalkSpeed) viewer.forwardSpeed -= scene.walkAcceleration;
    if (viewer.forwardSpeed > 0) viewer.forwardSpeed = -scene.walkAcceleration;
}

// Up first, then Down, so both held end at Down's rule.
void ApplyWalkSpeedRule(const Scene& scene, const HeldKeys& keys, ViewerState& viewer) {
    if (keys.upHeld == 1) ApplyForwardSpeedRule(scene, viewer);
    if (keys.downHeld == 1) ApplyBackwardSpeedRule(scene, viewer);
}

// Right moves to the viewer's right (positive speed), Left to its left;
// a reversal takes effect at once, as for walking.
void ApplySidestepSpeedRule(const Scene& scene, const HeldKeys& keys, ViewerState& viewer) {
    if (keys.rightHeld == 1) {
        if (viewer.sidestepSpeed < scene.maxWalkSpeed) viewer.sidestepSpeed += scene.walkAcceleration;
        if (viewer.sidestepSpeed < 0) viewer.sidestepSpeed = scene.walkAcceleration;
    }
    if (keys.leftHeld == 1) {
        if (viewer.sidestepSpeed > -scene.maxWalkSpeed) viewer.sidestepSpeed -= scene.walkAcceleration;
        if (viewer.sidestepSpeed > 0) viewer.sidestepSpeed = -scene.walkAcceleration;
    }
}

// Right wins over Left, and backing up mirrors the turn, as a car would.
void TurnByKeys(const Scene& scene, const HeldKeys& keys, ViewerState& viewer) {
    if (keys.leftHeld == 1) viewer.turnDelta = scene.turnStep;
    if (keys.rightHeld == 1) viewer.turnDelta = -scene.turnStep;
    if (keys.downHeld == 1) viewer.turnDelta = -viewer.turnDelta;
    viewer.heading += viewer.turnDelta;
}

// Keeps the heading within [-360, 360] after a turn of less than a full circle.
void CorrectHeading(ViewerState& viewer) {
    if (viewer.heading > 360) viewer.heading -= 360;
    if (viewer.heading < -360) viewer.heading += 360;
}

// One frame of walking along the heading.
static void Walk(MotionStep& m) {
    ViewerState& viewer = m.viewer;
    viewer.moveAngle = -viewer.heading * m.scene.degToRad;
    ApplyWalkSpeedRule(m.scene, m.keys, viewer);
    MoveWithDeflection(m, WALK_PROBES, viewer.moveAngle, m.scene.collisionRadius, true);
}

// One frame of sidestepping; false when its search gave up.
static bool Sidestep(MotionStep& m) {
    ViewerState& viewer = m.viewer;
    viewer.moveAngle = (90 - viewer.heading) * m.scene.degToRad;
    ApplySidestepSpeedRule(m.scene, m.keys, viewer);
    return MoveWithDeflection(m, SIDESTEP_PROBES, viewer.moveAngle, m.scene.collisionRadius, true);
}

// Sidestep (mode 1) or turn (mode 2), then walk; each completed move places
// the camera, and a frame without keys leaves the last matrix in force.
void StepWalkingViewer(MotionStep& m) {
    const Scene& scene = m.scene;
    const HeldKeys& keys = m.keys;
    ViewerState& viewer = m.viewer;
    if (scene.sideKeyMode == SIDE_KEYS_SIDESTEP && keys.sideKeyHeld == 1) {
        if (!Sidestep(m)) return;
    }
    if (scene.sideKeyMode == SIDE_KEYS_TURN && keys.sideKeyHeld == 1) {
        TurnByKeys(scene, keys, viewer);
        CorrectHeading(viewer);
        viewer.viewAngle = -(viewer.heading - 90) * scene.degToRad;
        if (keys.moveKeyHeld == 1) {
            Walk(m);
        } else {
            PlaceViewerCamera(scene, viewer, viewer.crouchOffset, 0, true);
            PlaceViewerLights(scene, viewer);
        }
        return;
    }
    if (keys.moveKeyHeld == 1) Walk(m);
}
