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
static void AimFollowCamera() {
    viewer.lookTargetX = observerX + cos(viewer.viewAngle) * observerDistance;
    viewer.lookTargetZ = observerZ - sin(viewer.viewAngle) * observerDistance;
}

// View mode 2: the spring, then the driver's camera the avatar is placed in.
static void StepDriverSeat() {
    if (viewer.forwardSpeed == 0) viewer.turnDelta = 0;
    SettleBodyPitch(DRIVER_RECENTRE_FACTOR);
    LoadViewerLookAt(viewer.crouchOffset);
}

// View mode 3: the standing pose, the boom and its target.
static void StepFollowWalker(const HeldKeys& keys) {
    if (keys.moveKeyHeld == 0 && keys.sideKeyHeld == 0 && viewer.followHeading == viewer.heading)
        viewer.avatarPose = POSE_STANDING;
    FindBoomLength(followCameraStep);
    if (keys.sideKeyHeld == 1 && sideKeyMode == SIDE_KEYS_SIDESTEP) {
        boomLength = boomRestLength;  // sidestepping: the boom follows at once
    } else {
        EaseBoom(followCameraFastStep, maxWalkSpeed);
    }
    AimFollowCamera();
}

// View mode 4: the boom and its target, then the spring.
static void StepFollowVehicle() {
    if (viewer.forwardSpeed == 0) viewer.turnDelta = 0;
    FindBoomLength(driveCameraStep);
    EaseBoom(driveCameraFastStep, maxDriveSpeed);
    AimFollowCamera();
    SettleBodyPitch(TRAILING_RECENTRE_FACTOR);
}

void StepViewCamera(const HeldKeys& keys) {
    switch (viewMode) {
        case VIEW_DRIVE: StepDriverSeat(); break;
        case VIEW_FOLLOW_WALKER: StepFollowWalker(keys); break;
        case VIEW_FOLLOW_VEHICLE: StepFollowVehicle(); break;
        default: break;
    }
}
