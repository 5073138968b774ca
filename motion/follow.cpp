// follow.cpp -- view mode 3: the viewer walks as in view mode 1, seen from a
// trailing camera whose direction lags behind the heading. The figure's pose
// code follows the keys; the drawing step places the camera and the lights.
#include "motion/input.h"
#include "motion/motion.h"
#include "scene/scene.h"

// Sidestepping with the follow view's larger square; false when the
// deflection search gave up.
static bool FollowSidestep(MotionStep& m) {
    ViewerState& viewer = m.viewer;
    viewer.avatarPose = POSE_SIDESTEPPING;
    viewer.moveAngle = (90 - viewer.heading) * m.scene.degToRad;
    ApplySidestepSpeedRule(m.scene, m.keys, viewer);
    return MoveWithDeflection(m, SIDESTEP_PROBES, viewer.moveAngle, m.scene.followCollisionRadius,
                              false);
}

// The arrow turn; the heading range is left to the camera's snap.
static void FollowTurn(MotionStep& m) {
    m.viewer.avatarPose = POSE_TURNING;
    TurnByKeys(m.scene, m.keys, m.viewer);
}

// Walking along the true heading, so the figure goes where it faces while
// the camera catches up.
static void FollowWalk(MotionStep& m) {
    const Scene& scene = m.scene;
    ViewerState& viewer = m.viewer;
    viewer.moveAngle = -viewer.heading * scene.degToRad;
    if (m.keys.upHeld == 1) {
        viewer.avatarPose = POSE_WALKING_FORWARD;
        ApplyForwardSpeedRule(scene, viewer);
    }
    if (m.keys.downHeld == 1) {
        viewer.avatarPose = POSE_WALKING_BACK;
        ApplyBackwardSpeedRule(scene, viewer);
    }
    MoveWithDeflection(m, WALK_PROBES, viewer.moveAngle, scene.followCollisionRadius, false);
}

// One frame of view mode 3: the lag, then sidestep, turn and walk in order.
void StepFollowViewer(MotionStep& m) {
    const Scene& scene = m.scene;
    const HeldKeys& keys = m.keys;
    LagFollowHeading(scene, m.viewer, true);
    if (scene.sideKeyMode == SIDE_KEYS_SIDESTEP && keys.sideKeyHeld == 1) {
        if (!FollowSidestep(m)) return;
    }
    if (scene.sideKeyMode == SIDE_KEYS_TURN && keys.sideKeyHeld == 1) FollowTurn(m);
    if (keys.moveKeyHeld == 1) FollowWalk(m);
}
