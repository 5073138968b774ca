// follow.cpp -- view mode 3: the viewer walks as in view mode 1, seen from a
// trailing camera whose direction lags behind the heading. The figure's pose
// code follows the keys; the drawing step places the camera and the lights.
#include "motion/input.h"
#include "motion/motion.h"
#include "scene/scene.h"

// Sidestepping with the follow view's larger square; false when the
// deflection search gave up.
static bool FollowSidestep(const HeldKeys& keys) {
    viewer.avatarPose = POSE_SIDESTEPPING;
    viewer.moveAngle = (90 - viewer.heading) * degToRad;
    ApplySidestepSpeedRule(keys);
    return MoveWithDeflection(SIDESTEP_PROBES, viewer.moveAngle, followCollisionRadius, false);
}

// The arrow turn; the heading range is left to the camera's snap.
static void FollowTurn(const HeldKeys& keys) {
    viewer.avatarPose = POSE_TURNING;
    TurnByKeys(keys);
}

// Walking along the true heading, so the figure goes where it faces while
// the camera catches up.
static void FollowWalk(const HeldKeys& keys) {
    viewer.moveAngle = -viewer.heading * degToRad;
    if (keys.upHeld == 1) {
        viewer.avatarPose = POSE_WALKING_FORWARD;
        ApplyForwardSpeedRule();
    }
    if (keys.downHeld == 1) {
        viewer.avatarPose = POSE_WALKING_BACK;
        ApplyBackwardSpeedRule();
    }
    MoveWithDeflection(WALK_PROBES, viewer.moveAngle, followCollisionRadius, false);
}

// One frame of view mode 3: the lag, then sidestep, turn and walk in order.
void StepFollowViewer(const HeldKeys& keys) {
    LagFollowHeading(true);
    if (sideKeyMode == SIDE_KEYS_SIDESTEP && keys.sideKeyHeld == 1) {
        if (!FollowSidestep(keys)) return;
    }
    if (sideKeyMode == SIDE_KEYS_TURN && keys.sideKeyHeld == 1) FollowTurn(keys);
    if (keys.moveKeyHeld == 1) FollowWalk(keys);
}
