// drive.cpp -- the vehicle of view modes 2 and 4: the trailing camera's lag,
// steering, then exactly one of handbrake, drive or coast, with the body
// pitch and roll that the drawing step sways the view with.
#include <cmath>

#include "motion/input.h"
#include "motion/motion.h"
#include "scene/scene.h"

constexpr double HANDBRAKE_TURN_LOSS = 0.2;  // speed lost per frame in a handbrake turn
constexpr double BRAKE_THROUGH_SPEED = 0.1;  // speed a brake through zero leaves
constexpr double ROLL_PER_DRIFT_DEGREE = 1.5;  // handbrake turns roll by turnDelta / 1.5

// Turns the heading; the driver's seat keeps it in range and looks along it.
void TurnVehicle(const Scene& scene, ViewerState& viewer, double degrees) {
    viewer.heading = viewer.heading + degrees;
    if (scene.viewMode != VIEW_DRIVE) return;  // view mode 4's lag sets viewAngle itself
    CorrectHeading(viewer);
    viewer.viewAngle = -(viewer.heading - 90) * scene.degToRad;
}

// After a downward pitch change: within maxBodyPitch, and the peak below it.
static void SettlePitchFalling(const Scene& scene, ViewerState& viewer) {
    if (viewer.bodyPitch < -scene.maxBodyPitch) viewer.bodyPitch = -scene.maxBodyPitch;
    viewer.bodyPitchPeak = viewer.bodyPitch - PITCH_STEP;
}

// After an upward pitch change: within maxBodyPitch, and the peak above it.
static void SettlePitchRising(const Scene& scene, ViewerState& viewer) {
    if (viewer.bodyPitch > scene.maxBodyPitch) viewer.bodyPitch = scene.maxBodyPitch;
    viewer.bodyPitchPeak = viewer.bodyPitch + PITCH_STEP;
}

// Tips the body nose-down by amount.
static void PitchBodyDown(const Scene& scene, ViewerState& viewer, double amount) {
    viewer.bodyPitch = viewer.bodyPitch - amount;
    SettlePitchFalling(scene, viewer);
}

// Tips the body nose-up by amount.
static void PitchBodyUp(const Scene& scene, ViewerState& viewer, double amount) {
    viewer.bodyPitch = viewer.bodyPitch + amount;
    SettlePitchRising(scene, viewer);
}

// Moves the speed toward 0 by loss without crossing it.
static void SlowToward0(ViewerState& viewer, double loss) {
    if (viewer.forwardSpeed > 0) {
        viewer.forwardSpeed = viewer.forwardSpeed - loss;
        if (viewer.forwardSpeed < 0) viewer.forwardSpeed = 0;
    } else if (viewer.forwardSpeed < 0) {
        viewer.forwardSpeed = viewer.forwardSpeed + loss;
        if (viewer.forwardSpeed > 0) viewer.forwardSpeed = 0;
    }
}

// The body roll eases back to 0 by bodyRollFactor.
static void ReturnBodyRoll(const Scene& scene, ViewerState& viewer) {
    if (viewer.bodyRoll > 0) {
        viewer.bodyRoll = viewer.bodyRoll - scene.bodyRollFactor;
        if (viewer.bodyRoll < 0) viewer.bodyRoll = 0;
    }
    if (viewer.bodyRoll < 0) {
        viewer.bodyRoll = viewer.bodyRoll + scene.bodyRollFactor;
        if (viewer.bodyRoll > 0) viewer.bodyRoll = 0;
    }
}

// The body leans into the steering after a completed step; a give-up lets
// the lean ease off instead.
static void RollAfterStep(const Scene& scene, ViewerState& viewer, bool completed) {
    if (!completed) ReturnBodyRoll(scene, viewer);
    else if (viewer.turnDelta != 0)
        viewer.bodyRoll = viewer.turnDelta * scene.bodyRollFactor;
}

// Both sides of a handbrake turn brake the body the same way.
static void PitchForHandbrake(const Scene& scene, ViewerState& viewer) {
    if (viewer.forwardSpeed > 0) PitchBodyDown(scene, viewer, 4 * PITCH_STEP);
    if (viewer.forwardSpeed < 0) PitchBodyUp(scene, viewer, 4 * PITCH_STEP);
}

// Space with Left or Right: the rear slides out, the steering rate swings
// by driftSteerStep up to driftSteerLimit, the vehicle moves at the steering
// angle off its heading.
static void HandbrakeTurn(MotionStep& m) {
    const Scene& scene = m.scene;
    const HeldKeys& keys = m.keys;
    ViewerState& viewer = m.viewer;
    viewer.braking = 1;
    viewer.driftTurn = 1;
    viewer.driftSteerLimit = viewer.forwardSpeed * STEER_PER_SPEED * scene.driftSteerFactor;
    if (keys.leftHeld) {
        PitchForHandbrake(scene, viewer);
        if (viewer.forwardSpeed > 0)
            viewer.turnDelta = std::fmin(viewer.turnDelta + scene.driftSteerStep, viewer.driftSteerLimit);
        if (viewer.forwardSpeed < 0)
            viewer.turnDelta = std::fmax(viewer.turnDelta - scene.driftSteerStep, viewer.driftSteerLimit);
        if (viewer.forwardSpeed == 0) viewer.turnDelta = 0;
    }
    if (keys.rightHeld) {
        PitchForHandbrake(scene, viewer);
        if (viewer.forwardSpeed > 0)
            viewer.turnDelta =
                std::fmax(viewer.turnDelta - scene.driftSteerStep, -viewer.driftSteerLimit);
        if (viewer.forwardSpeed < 0)
            viewer.turnDelta =
                std::fmin(viewer.turnDelta + scene.driftSteerStep, -viewer.driftSteerLimit);
        if (viewer.forwardSpeed == 0) viewer.turnDelta = 0;
    }
    TurnVehicle(scene, viewer, viewer.turnDelta);
    SlowToward0(viewer, HANDBRAKE_TURN_LOSS);
    viewer.moveAngle = -viewer.heading * scene.degToRad - viewer.turnDelta * scene.degToRad;
    if (MoveVehicleWithDeflection(m))
        viewer.bodyRoll = (viewer.turnDelta / ROLL_PER_DRIFT_DEGREE) * scene.bodyRollFactor;
    else ReturnBodyRoll(scene, viewer);
}

// Left or Right without Space. No steering while braking with the arrows or
// boosting: then the rate and the heading hold for this frame.
static void Steer(MotionStep& m) {
    const Scene& scene = m.scene;
    const HeldKeys& keys = m.keys;
    ViewerState& viewer = m.viewer;
    viewer.driftTurn = 0;
    viewer.steerLimit = viewer.forwardSpeed * STEER_PER_SPEED;
    if ((keys.downHeld && viewer.forwardSpeed > 0) || (keys.upHeld && viewer.forwardSpeed < 0) ||
        keys.ctrlHeld)
        return;
    if (keys.leftHeld) {
        if (viewer.forwardSpeed > 0) {
            if (viewer.turnDelta < 0) viewer.turnDelta = viewer.turnDelta + scene.steerReturnRate;
            viewer.turnDelta = std::fmin(viewer.turnDelta + scene.steerStep, viewer.steerLimit);
        }
        if (viewer.forwardSpeed < 0) {
            if (viewer.turnDelta > 0) viewer.turnDelta = viewer.turnDelta - scene.steerReturnRate;
            viewer.turnDelta = std::fmax(viewer.turnDelta - scene.steerStep, viewer.steerLimit);
        }
        if (viewer.forwardSpeed == 0) viewer.turnDelta = 0;
    }
    if (keys.rightHeld) {
        if (viewer.forwardSpeed > 0) {
            if (viewer.turnDelta > 0) viewer.turnDelta = viewer.turnDelta - scene.steerReturnRate;
            viewer.turnDelta = std::fmax(viewer.turnDelta - scene.steerStep, -viewer.steerLimit);
        }
        if (viewer.forwardSpeed < 0) {
            if (viewer.turnDelta < 0) viewer.turnDelta = viewer.turnDelta + scene.steerReturnRate;
            viewer.turnDelta = std::fmin(viewer.turnDelta + scene.steerStep, -viewer.steerLimit);
        }
        if (viewer.forwardSpeed == 0) viewer.turnDelta = 0;
    }
    if (viewer.turnDelta > scene.maxSteerRate) viewer.turnDelta = scene.maxSteerRate;
    if (viewer.turnDelta < -scene.maxSteerRate) viewer.turnDelta = -scene.maxSteerRate;
    TurnVehicle(scene, viewer, viewer.turnDelta);
}

// No side key: the steering rate returns toward 0 (by the speed after a
// handbrake turn) while the heading keeps turning by what is left of it.
static void SelfCentre(const Scene& scene, ViewerState& viewer) {
    double r = viewer.driftTurn == 1 ? std::fabs(viewer.forwardSpeed) : scene.steerReturnRate;
    if (viewer.turnDelta > 0) {
        viewer.turnDelta = viewer.turnDelta - r;
        if (viewer.turnDelta < 0) viewer.bodyRoll = viewer.turnDelta = 0;
    }
    if (viewer.turnDelta < 0) {
        viewer.turnDelta = viewer.turnDelta + r;
        if (viewer.turnDelta > 0) viewer.bodyRoll = viewer.turnDelta = 0;
    }
    TurnVehicle(scene, viewer, viewer.turnDelta);
}

// Space alone: brake toward 0 and move straight on.
static void Handbrake(MotionStep& m) {
    const Scene& scene = m.scene;
    ViewerState& viewer = m.viewer;
    viewer.braking = 1;
    if (viewer.forwardSpeed > 0) {
        PitchBodyDown(scene, viewer, 4 * PITCH_STEP);
        viewer.forwardSpeed = std::fmax(viewer.forwardSpeed - scene.handbrakeDeceleration, 0.0);
    } else if (viewer.forwardSpeed < 0) {
        PitchBodyUp(scene, viewer, 4 * PITCH_STEP);
        viewer.forwardSpeed = std::fmin(viewer.forwardSpeed + scene.handbrakeDeceleration, 0.0);
    }
    viewer.moveAngle = -viewer.heading * scene.degToRad;
    if (!MoveVehicleWithDeflection(m)) ReturnBodyRoll(scene, viewer);
}

// Up: accelerate forward, or brake a reverse motion through to a creep.
static void DriveForward(const Scene& scene, ViewerState& viewer) {
    viewer.bodyPitch = viewer.bodyPitch + PITCH_STEP;
    if (viewer.currentAcceleration == scene.boostAcceleration)
        viewer.bodyPitch = viewer.bodyPitch + PITCH_STEP / 2;
    if (viewer.forwardSpeed < scene.maxDriveSpeed)
        viewer.forwardSpeed = viewer.forwardSpeed + viewer.currentAcceleration;
    if (viewer.forwardSpeed < 0) {
        viewer.braking = 1;
        viewer.forwardSpeed = viewer.forwardSpeed + scene.brakeDeceleration;
        if (viewer.forwardSpeed > BRAKE_THROUGH_SPEED) viewer.forwardSpeed = BRAKE_THROUGH_SPEED;
        viewer.bodyPitch = viewer.bodyPitch + 2 * PITCH_STEP;
    }
    SettlePitchRising(scene, viewer);
    viewer.fastDriving = viewer.forwardSpeed < scene.maxDriveSpeed / 2 ? 0 : 1;
}

// Down: accelerate backward, or brake a forward motion. The brake-through
// bound is +0.1 on this side too, so any speed left below it becomes -0.1.
static void DriveBackward(const Scene& scene, ViewerState& viewer) {
    viewer.bodyPitch = viewer.bodyPitch - PITCH_STEP;
    if (viewer.currentAcceleration == scene.boostAcceleration)
        viewer.bodyPitch = viewer.bodyPitch - PITCH_STEP / 2;
    if (viewer.forwardSpeed > -scene.maxDriveSpeed)
        viewer.forwardSpeed = viewer.forwardSpeed - viewer.currentAcceleration;
    if (viewer.forwardSpeed > 0) {
        viewer.braking = 1;
        viewer.forwardSpeed = viewer.forwardSpeed - scene.brakeDeceleration;
        if (viewer.forwardSpeed < BRAKE_THROUGH_SPEED) viewer.forwardSpeed = -BRAKE_THROUGH_SPEED;
        viewer.bodyPitch = viewer.bodyPitch - 2 * PITCH_STEP;
    }
    SettlePitchFalling(scene, viewer);
    viewer.fastDriving = viewer.forwardSpeed > -scene.maxDriveSpeed / 2 ? 0 : 1;
}

// Up or Down without Space.
static void Drive(MotionStep& m) {
    const Scene& scene = m.scene;
    const HeldKeys& keys = m.keys;
    ViewerState& viewer = m.viewer;
    viewer.braking = 0;
    if (keys.upHeld) DriveForward(scene, viewer);
    if (keys.downHeld) DriveBackward(scene, viewer);
    viewer.moveAngle = -viewer.heading * scene.degToRad;
    RollAfterStep(scene, viewer, MoveVehicleWithDeflection(m));
}

// No Space and no Up or Down: rolling friction. Unless the last brake still
// holds the nose down, a slow vehicle's pitch settles back toward level.
static void Coast(MotionStep& m) {
    const Scene& scene = m.scene;
    ViewerState& viewer = m.viewer;
    if (viewer.forwardSpeed == 0) {
        ReturnBodyRoll(scene, viewer);
        return;
    }
    if (viewer.forwardSpeed > 0) {
        viewer.forwardSpeed = viewer.forwardSpeed - scene.rollingFriction;
        if (viewer.braking == 0 && viewer.forwardSpeed < scene.maxDriveSpeed / 2) {
            viewer.bodyPitch = std::fmax(viewer.bodyPitch - PITCH_STEP, 0.0);
            viewer.bodyPitchPeak = viewer.bodyPitch - PITCH_STEP;
        }
        if (viewer.forwardSpeed < 0) viewer.forwardSpeed = 0;
    } else {
        viewer.forwardSpeed = viewer.forwardSpeed + scene.rollingFriction;
        if (viewer.braking == 0 && viewer.forwardSpeed > -scene.maxDriveSpeed / 2) {
            viewer.bodyPitch = std::fmin(viewer.bodyPitch + PITCH_STEP, 0.0);
            viewer.bodyPitchPeak = viewer.bodyPitch + PITCH_STEP;
        }
        if (viewer.forwardSpeed > 0) viewer.forwardSpeed = 0;
    }
    viewer.moveAngle = -viewer.heading * scene.degToRad;
    RollAfterStep(scene, viewer, MoveVehicleWithDeflection(m));
}

// One frame of the vehicle: lag (view mode 4), a handbrake turn alone, or
// steering then exactly one of handbrake, drive or coast.
void StepDrivingViewer(MotionStep& m) {
    const Scene& scene = m.scene;
    const HeldKeys& keys = m.keys;
    ViewerState& viewer = m.viewer;
    if (scene.viewMode == VIEW_FOLLOW_VEHICLE) LagFollowHeading(scene, viewer, false);
    if (keys.sideKeyHeld == 1 && keys.spaceHeld == 1) {
        HandbrakeTurn(m);
        return;
    }
    if (keys.sideKeyHeld == 1) Steer(m);
    else if (viewer.turnDelta != 0)
        SelfCentre(scene, viewer);
    if (keys.spaceHeld == 1) Handbrake(m);
    else if (keys.moveKeyHeld == 1) Drive(m);
    else Coast(m);
}
