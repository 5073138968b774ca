// view_step.cpp -- the camera work of view modes 2, 3 and 4 that runs after
// the actors and before the avatar is placed: the body pitch spring, the
// boom of the trailing camera and its target, and the driver's camera.
#include <cmath>

#include "motion/behaviour.h"
#include "motion/camera.h"
#include "motion/input.h"
#include "motion/motion.h"
#include "scene/scene.h"

constexpr double DRIVER_RECENTRE_FACTOR = 2.0;   // view mode 2: pitch back at speed, per step
constexpr double TRAILING_RECENTRE_FACTOR = 2.4; // view mode 4

// The trailing camera looks over the viewer along viewAngle.
static void AimFollowCamera(const Scene& scene, ViewerState& viewer, const FollowCamera& camera) {
    viewer.lookTargetX = camera.observerX + cos(viewer.viewAngle) * scene.observerDistance;
    viewer.lookTargetZ = camera.observerZ - sin(viewer.viewAngle) * scene.observerDistance;
}

// View mode 2: the spring, then the driver's camera the avatar is placed in.
static void StepDriverSeat(const Scene& scene, ViewerState& viewer) {
    if (viewer.forwardSpeed == 0) viewer.turnDelta = 0;
    SettleBodyPitch(scene, viewer, DRIVER_RECENTRE_FACTOR);
    LoadViewerLookAt(viewer, viewer.crouchOffset);
}

// View mode 3: the standing pose, the boom and its target.
static void StepFollowWalker(MotionStep& m) {
    const Scene& scene = m.scene;
    const HeldKeys& keys = m.keys;
    ViewerState& viewer = m.viewer;
    if (keys.moveKeyHeld == 0 && keys.sideKeyHeld == 0 && viewer.followHeading == viewer.heading)
        viewer.avatarPose = POSE_STANDING;
    FindBoomLength(m, scene.followCameraStep);
    if (keys.sideKeyHeld == 1 && scene.sideKeyMode == SIDE_KEYS_SIDESTEP) {
        m.camera.boomLength = m.camera.boomRestLength;  // sidestepping: the boom follows at once
    } else {
        EaseBoom(viewer, m.camera, scene.followCameraFastStep, scene.maxWalkSpeed);
    }
    AimFollowCamera(scene, viewer, m.camera);
}

// View mode 4: the boom and its target, then the spring.
static void StepFollowVehicle(MotionStep& m) {
    const Scene& scene = m.scene;
    ViewerState& viewer = m.viewer;
    if (viewer.forwardSpeed == 0) viewer.turnDelta = 0;
    FindBoomLength(m, scene.driveCameraStep);
    EaseBoom(viewer, m.camera, scene.driveCameraFastStep, scene.maxDriveSpeed);
    AimFollowCamera(scene, viewer, m.camera);
    SettleBodyPitch(scene, viewer, TRAILING_RECENTRE_FACTOR);
}

void StepViewCamera(MotionStep& m) {
    switch (m.scene.viewMode) {
        case VIEW_DRIVE: StepDriverSeat(m.scene, m.viewer); break;
        case VIEW_FOLLOW_WALKER: StepFollowWalker(m); break;
        case VIEW_FOLLOW_VEHICLE: StepFollowVehicle(m); break;
        default: break;
    }
}

void StepViewerMotion(MotionStep& m) {
    if (m.scene.viewMode == VIEW_WALK) {
        if (StepVerticalMotion(m)) StepWalkingViewer(m);
    } else if (m.scene.viewMode == VIEW_FOLLOW_WALKER) {
        StepFollowViewer(m);
    } else {
        StepDrivingViewer(m);
    }
}
