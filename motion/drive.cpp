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
void TurnVehicle(double degrees) {
    viewer.heading = viewer.heading + degrees;
    if (viewMode != VIEW_DRIVE) return;  // view mode 4's lag sets viewAngle itself
    CorrectHeading();
    viewer.viewAngle = -(viewer.heading - 90) * degToRad;
}

// After a downward pitch change: within maxBodyPitch, and the peak below it.
static void SettlePitchFalling() {
    if (viewer.bodyPitch < -maxBodyPitch) viewer.bodyPitch = -maxBodyPitch;
    viewer.bodyPitchPeak = viewer.bodyPitch - PITCH_STEP;
}

// After an upward pitch change: within maxBodyPitch, and the peak above it.
static void SettlePitchRising() {
    if (viewer.bodyPitch > maxBodyPitch) viewer.bodyPitch = maxBodyPitch;
    viewer.bodyPitchPeak = viewer.bodyPitch + PITCH_STEP;
}

// Tips the body nose-down by amount.
static void PitchBodyDown(double amount) {
    viewer.bodyPitch = viewer.bodyPitch - amount;
    SettlePitchFalling();
}

// Tips the body nose-up by amount.
static void PitchBodyUp(double amount) {
    viewer.bodyPitch = viewer.bodyPitch + amount;
    SettlePitchRising();
}

// Moves the speed toward 0 by loss without crossing it.
static void SlowToward0(double loss) {
    if (viewer.forwardSpeed > 0) {
        viewer.forwardSpeed = viewer.forwardSpeed - loss;
        if (viewer.forwardSpeed < 0) viewer.forwardSpeed = 0;
    } else if (viewer.forwardSpeed < 0) {
        viewer.forwardSpeed = viewer.forwardSpeed + loss;
        if (viewer.forwardSpeed > 0) viewer.forwardSpeed = 0;
    }
}

// The body roll eases back to 0 by bodyRollFactor.
static void ReturnBodyRoll() {
    if (viewer.bodyRoll > 0) {
        viewer.bodyRoll = viewer.bodyRoll - bodyRollFactor;
        if (viewer.bodyRoll < 0) viewer.bodyRoll = 0;
    }
    if (viewer.bodyRoll < 0) {
        viewer.bodyRoll = viewer.bodyRoll + bodyRollFactor;
        if (viewer.bodyRoll > 0) viewer.bodyRoll = 0;
    }
}

// The body leans into the steering after a completed step; a give-up lets
// the lean ease off instead.
static void RollAfterStep(bool completed) {
    if (!completed) ReturnBodyRoll();
    else if (viewer.turnDelta != 0)
        viewer.bodyRoll = viewer.turnDelta * bodyRollFactor;
}

// Both sides of a handbrake turn brake the body the same way.
static void PitchForHandbrake() {
    if (viewer.forwardSpeed > 0) PitchBodyDown(4 * PITCH_STEP);
    if (viewer.forwardSpeed < 0) PitchBodyUp(4 * PITCH_STEP);
}

// Space with Left or Right: the rear slides out, the steering rate swings
// by driftSteerStep up to driftSteerLimit, the vehicle moves at the steering
// angle off its heading.
static void HandbrakeTurn(const HeldKeys& keys) {
    viewer.braking = 1;
    viewer.driftTurn = 1;
    viewer.driftSteerLimit = viewer.forwardSpeed * STEER_PER_SPEED * driftSteerFactor;
    if (keys.leftHeld) {
        PitchForHandbrake();
        if (viewer.forwardSpeed > 0)
            viewer.turnDelta = std::fmin(viewer.turnDelta + driftSteerStep, viewer.driftSteerLimit);
        if (viewer.forwardSpeed < 0)
            viewer.turnDelta = std::fmax(viewer.turnDelta - driftSteerStep, viewer.driftSteerLimit);
        if (viewer.forwardSpeed == 0) viewer.turnDelta = 0;
    }
    if (keys.rightHeld) {
        PitchForHandbrake();
        if (viewer.forwardSpeed > 0)
            viewer.turnDelta =
                std::fmax(viewer.turnDelta - driftSteerStep, -viewer.driftSteerLimit);
        if (viewer.forwardSpeed < 0)
            viewer.turnDelta =
                std::fmin(viewer.turnDelta + driftSteerStep, -viewer.driftSteerLimit);
        if (viewer.forwardSpeed == 0) viewer.turnDelta = 0;
    }
    TurnVehicle(viewer.turnDelta);
    SlowToward0(HANDBRAKE_TURN_LOSS);
    viewer.moveAngle = -viewer.heading * degToRad - viewer.turnDelta * degToRad;
    if (MoveVehicleWithDeflection())
        viewer.bodyRoll = (viewer.turnDelta / ROLL_PER_DRIFT_DEGREE) * bodyRollFactor;
    else ReturnBodyRoll();
}

// Left or Right without Space. No steering while braking with the arrows or
// boosting: then the rate and the heading hold for this frame.
static void Steer(const HeldKeys& keys) {
    viewer.driftTurn = 0;
    viewer.steerLimit = viewer.forwardSpeed * STEER_PER_SPEED;
    if ((keys.downHeld && viewer.forwardSpeed > 0) || (keys.upHeld && viewer.forwardSpeed < 0) ||
        keys.ctrlHeld)
        return;
    if (keys.leftHeld) {
        if (viewer.forwardSpeed > 0) {
            if (viewer.turnDelta < 0) viewer.turnDelta = viewer.turnDelta + steerReturnRate;
            viewer.turnDelta = std::fmin(viewer.turnDelta + steerStep, viewer.steerLimit);
        }
        if (viewer.forwardSpeed < 0) {
            if (viewer.turnDelta > 0) viewer.turnDelta = viewer.turnDelta - steerReturnRate;
            viewer.turnDelta = std::fmax(viewer.turnDelta - steerStep, viewer.steerLimit);
        }
        if (viewer.forwardSpeed == 0) viewer.turnDelta = 0;
    }
    if (keys.rightHeld) {
        if (viewer.forwardSpeed > 0) {
            if (viewer.turnDelta > 0) viewer.turnDelta = viewer.turnDelta - steerReturnRate;
            viewer.turnDelta = std::fmax(viewer.turnDelta - steerStep, -viewer.steerLimit);
        }
        if (viewer.forwardSpeed < 0) {
            if (viewer.turnDelta < 0) viewer.turnDelta = viewer.turnDelta + steerReturnRate;
            viewer.turnDelta = std::fmin(viewer.turnDelta + steerStep, -viewer.steerLimit);
        }
        if (viewer.forwardSpeed == 0) viewer.turnDelta = 0;
    }
    if (viewer.turnDelta > maxSteerRate) viewer.turnDelta = maxSteerRate;
    if (viewer.turnDelta < -maxSteerRate) viewer.turnDelta = -maxSteerRate;
    TurnVehicle(viewer.turnDelta);
}

// No side key: the steering rate returns toward 0 (by the speed after a
// handbrake turn) while the heading keeps turning by what is left of it.
static void SelfCentre() {
    double r = viewer.driftTurn == 1 ? std::fabs(viewer.forwardSpeed) : steerReturnRate;
    if (viewer.turnDelta > 0) {
        viewer.turnDelta = viewer.turnDelta - r;
        if (viewer.turnDelta < 0) viewer.bodyRoll = viewer.turnDelta = 0;
    }
    if (viewer.turnDelta < 0) {
        viewer.turnDelta = viewer.turnDelta + r;
        if (viewer.turnDelta > 0) viewer.bodyRoll = viewer.turnDelta = 0;
    }
    TurnVehicle(viewer.turnDelta);
}

// Space alone: brake toward 0 and move straight on.
static void Handbrake() {
    viewer.braking = 1;
    if (viewer.forwardSpeed > 0) {
        PitchBodyDown(4 * PITCH_STEP);
        viewer.forwardSpeed = std::fmax(viewer.forwardSpeed - handbrakeDeceleration, 0.0);
    } else if (viewer.forwardSpeed < 0) {
        PitchBodyUp(4 * PITCH_STEP);
        viewer.forwardSpeed = std::fmin(viewer.forwardSpeed + handbrakeDeceleration, 0.0);
    }
    viewer.moveAngle = -viewer.heading * degToRad;
    if (!MoveVehicleWithDeflection()) ReturnBodyRoll();
}

// Up: accelerate forward, or brake a reverse motion through to a creep.
static void DriveForward() {
    viewer.bodyPitch = viewer.bodyPitch + PITCH_STEP;
    if (viewer.currentAcceleration == boostAcceleration)
        viewer.bodyPitch = viewer.bodyPitch + PITCH_STEP / 2;
    if (viewer.forwardSpeed < maxDriveSpeed)
        viewer.forwardSpeed = viewer.forwardSpeed + viewer.currentAcceleration;
    if (viewer.forwardSpeed < 0) {
        viewer.braking = 1;
        viewer.forwardSpeed = viewer.forwardSpeed + brakeDeceleration;
        if (viewer.forwardSpeed > BRAKE_THROUGH_SPEED) viewer.forwardSpeed = BRAKE_THROUGH_SPEED;
        viewer.bodyPitch = viewer.bodyPitch + 2 * PITCH_STEP;
    }
    SettlePitchRising();
    viewer.fastDriving = viewer.forwardSpeed < maxDriveSpeed / 2 ? 0 : 1;
}

// Down: accelerate backward, or brake a forward motion. The brake-through
// bound is +0.1 on this side too, so any speed left below it becomes -0.1.
static void DriveBackward() {
    viewer.bodyPitch = viewer.bodyPitch - PITCH_STEP;
    if (viewer.currentAcceleration == boostAcceleration)
        viewer.bodyPitch = viewer.bodyPitch - PITCH_STEP / 2;
    if (viewer.forwardSpeed > -maxDriveSpeed)
        viewer.forwardSpeed = viewer.forwardSpeed - viewer.currentAcceleration;
    if (viewer.forwardSpeed > 0) {
        viewer.braking = 1;
        viewer.forwardSpeed = viewer.forwardSpeed - brakeDeceleration;
        if (viewer.forwardSpeed < BRAKE_THROUGH_SPEED) viewer.forwardSpeed = -BRAKE_THROUGH_SPEED;
        viewer.bodyPitch = viewer.bodyPitch - 2 * PITCH_STEP;
    }
    SettlePitchFalling();
    viewer.fastDriving = viewer.forwardSpeed > -maxDriveSpeed / 2 ? 0 : 1;
}

// Up or Down without Space.
static void Drive(const HeldKeys& keys) {
    viewer.braking = 0;
    if (keys.upHeld) DriveForward();
    if (keys.downHeld) DriveBackward();
    viewer.moveAngle = -viewer.heading * degToRad;
    RollAfterStep(MoveVehicleWithDeflection());
}

// No Space and no Up or Down: rolling friction. Unless the last brake still
// holds the nose down, a slow vehicle's pitch settles back toward level.
static void Coast() {
    if (viewer.forwardSpeed == 0) {
        ReturnBodyRoll();
        return;
    }
    if (viewer.forwardSpeed > 0) {
        viewer.forwardSpeed = viewer.forwardSpeed - rollingFriction;
        if (viewer.braking == 0 && viewer.forwardSpeed < maxDriveSpeed / 2) {
            viewer.bodyPitch = std::fmax(viewer.bodyPitch - PITCH_STEP, 0.0);
            viewer.bodyPitchPeak = viewer.bodyPitch - PITCH_STEP;
        }
        if (viewer.forwardSpeed < 0) viewer.forwardSpeed = 0;
    } else {
        viewer.forwardSpeed = viewer.forwardSpeed + rollingFriction;
        if (viewer.braking == 0 && viewer.forwardSpeed > -maxDriveSpeed / 2) {
            viewer.bodyPitch = std::fmin(viewer.bodyPitch + PITCH_STEP, 0.0);
            viewer.bodyPitchPeak = viewer.bodyPitch + PITCH_STEP;
        }
        if (viewer.forwardSpeed > 0) viewer.forwardSpeed = 0;
    }
    viewer.moveAngle = -viewer.heading * degToRad;
    RollAfterStep(MoveVehicleWithDeflection());
}

// One frame of the vehicle: lag (view mode 4), a handbrake turn alone, or
// steering then exactly one of handbrake, drive or coast.
void StepDrivingViewer(const HeldKeys& keys) {
    if (viewMode == VIEW_FOLLOW_VEHICLE) LagFollowHeading(false);
    if (keys.sideKeyHeld == 1 && keys.spaceHeld == 1) {
        HandbrakeTurn(keys);
        return;
    }
    if (keys.sideKeyHeld == 1) Steer(keys);
    else if (viewer.turnDelta != 0)
        SelfCentre();
    if (keys.spaceHeld == 1) Handbrake();
    else if (keys.moveKeyHeld == 1) Drive(keys);
    else Coast();
}
