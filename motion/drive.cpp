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
    heading = heading + degrees;
    if (viewMode != VIEW_DRIVE) return;  // view mode 4's lag sets viewAngle itself
    CorrectHeading();
    viewAngle = -(heading - 90) * degToRad;
}

// After a downward pitch change: within maxBodyPitch, and the peak below it.
static void SettlePitchFalling() {
    if (bodyPitch < -maxBodyPitch) bodyPitch = -maxBodyPitch;
    bodyPitchPeak = bodyPitch - PITCH_STEP;
}

// After an upward pitch change: within maxBodyPitch, and the peak above it.
static void SettlePitchRising() {
    if (bodyPitch > maxBodyPitch) bodyPitch = maxBodyPitch;
    bodyPitchPeak = bodyPitch + PITCH_STEP;
}

// Tips the body nose-down by amount.
static void PitchBodyDown(double amount) {
    bodyPitch = bodyPitch - amount;
    SettlePitchFalling();
}

// Tips the body nose-up by amount.
static void PitchBodyUp(double amount) {
    bodyPitch = bodyPitch + amount;
    SettlePitchRising();
}

// Moves the speed toward 0 by loss without crossing it.
static void SlowToward0(double loss) {
    if (forwardSpeed > 0) {
        forwardSpeed = forwardSpeed - loss;
        if (forwardSpeed < 0) forwardSpeed = 0;
    } else if (forwardSpeed < 0) {
        forwardSpeed = forwardSpeed + loss;
        if (forwardSpeed > 0) forwardSpeed = 0;
    }
}

// The body roll eases back to 0 by bodyRollFactor.
static void ReturnBodyRoll() {
    if (bodyRoll > 0) {
        bodyRoll = bodyRoll - bodyRollFactor;
        if (bodyRoll < 0) bodyRoll = 0;
    }
    if (bodyRoll < 0) {
        bodyRoll = bodyRoll + bodyRollFactor;
        if (bodyRoll > 0) bodyRoll = 0;
    }
}

// The body leans into the steering after a completed step; a give-up lets
// the lean ease off instead.
static void RollAfterStep(bool completed) {
    if (!completed) ReturnBodyRoll();
    else if (turnDelta != 0) bodyRoll = turnDelta * bodyRollFactor;
}

// Both sides of a handbrake turn brake the body the same way.
static void PitchForHandbrake() {
    if (forwardSpeed > 0) PitchBodyDown(4 * PITCH_STEP);
    if (forwardSpeed < 0) PitchBodyUp(4 * PITCH_STEP);
}

// Space with Left or Right: the rear slides out, the steering rate swings
// by driftSteerStep up to driftSteerLimit, the vehicle moves at the steering
// angle off its heading.
static void HandbrakeTurn(const HeldKeys& keys) {
    braking = 1;
    driftTurn = 1;
    driftSteerLimit = forwardSpeed * STEER_PER_SPEED * driftSteerFactor;
    if (keys.leftHeld) {
        PitchForHandbrake();
        if (forwardSpeed > 0) turnDelta = std::fmin(turnDelta + driftSteerStep, driftSteerLimit);
        if (forwardSpeed < 0) turnDelta = std::fmax(turnDelta - driftSteerStep, driftSteerLimit);
        if (forwardSpeed == 0) turnDelta = 0;
    }
    if (keys.rightHeld) {
        PitchForHandbrake();
        if (forwardSpeed > 0) turnDelta = std::fmax(turnDelta - driftSteerStep, -driftSteerLimit);
        if (forwardSpeed < 0) turnDelta = std::fmin(turnDelta + driftSteerStep, -driftSteerLimit);
        if (forwardSpeed == 0) turnDelta = 0;
    }
    TurnVehicle(turnDelta);
    SlowToward0(HANDBRAKE_TURN_LOSS);
    moveAngle = -heading * degToRad - turnDelta * degToRad;
    if (MoveVehicleWithDeflection()) bodyRoll = (turnDelta / ROLL_PER_DRIFT_DEGREE) * bodyRollFactor;
    else ReturnBodyRoll();
}

// Left or Right without Space. No steering while braking with the arrows or
// boosting: then the rate and the heading hold for this frame.
static void Steer(const HeldKeys& keys) {
    driftTurn = 0;
    steerLimit = forwardSpeed * STEER_PER_SPEED;
    if ((keys.downHeld && forwardSpeed > 0) || (keys.upHeld && forwardSpeed < 0) || keys.ctrlHeld) return;
    if (keys.leftHeld) {
        if (forwardSpeed > 0) {
            if (turnDelta < 0) turnDelta = turnDelta + steerReturnRate;
            turnDelta = std::fmin(turnDelta + steerStep, steerLimit);
        }
        if (forwardSpeed < 0) {
            if (turnDelta > 0) turnDelta = turnDelta - steerReturnRate;
            turnDelta = std::fmax(turnDelta - steerStep, steerLimit);
        }
        if (forwardSpeed == 0) turnDelta = 0;
    }
    if (keys.rightHeld) {
        if (forwardSpeed > 0) {
            if (turnDelta > 0) turnDelta = turnDelta - steerReturnRate;
            turnDelta = std::fmax(turnDelta - steerStep, -steerLimit);
        }
        if (forwardSpeed < 0) {
            if (turnDelta < 0) turnDelta = turnDelta + steerReturnRate;
            turnDelta = std::fmin(turnDelta + steerStep, -steerLimit);
        }
        if (forwardSpeed == 0) turnDelta = 0;
    }
    if (turnDelta > maxSteerRate) turnDelta = maxSteerRate;
    if (turnDelta < -maxSteerRate) turnDelta = -maxSteerRate;
    TurnVehicle(turnDelta);
}

// No side key: the steering rate returns toward 0 (by the speed after a
// handbrake turn) while the heading keeps turning by what is left of it.
static void SelfCentre() {
    double r = driftTurn == 1 ? std::fabs(forwardSpeed) : steerReturnRate;
    if (turnDelta > 0) {
        turnDelta = turnDelta - r;
        if (turnDelta < 0) bodyRoll = turnDelta = 0;
    }
    if (turnDelta < 0) {
        turnDelta = turnDelta + r;
        if (turnDelta > 0) bodyRoll = turnDelta = 0;
    }
    TurnVehicle(turnDelta);
}

// Space alone: brake toward 0 and move straight on.
static void Handbrake() {
    braking = 1;
    if (forwardSpeed > 0) {
        PitchBodyDown(4 * PITCH_STEP);
        forwardSpeed = std::fmax(forwardSpeed - handbrakeDeceleration, 0.0);
    } else if (forwardSpeed < 0) {
        PitchBodyUp(4 * PITCH_STEP);
        forwardSpeed = std::fmin(forwardSpeed + handbrakeDeceleration, 0.0);
    }
    moveAngle = -heading * degToRad;
    if (!MoveVehicleWithDeflection()) ReturnBodyRoll();
}

// Up: accelerate forward, or brake a reverse motion through to a creep.
static void DriveForward() {
    bodyPitch = bodyPitch + PITCH_STEP;
    if (currentAcceleration == boostAcceleration) bodyPitch = bodyPitch + PITCH_STEP / 2;
    if (forwardSpeed < maxDriveSpeed) forwardSpeed = forwardSpeed + currentAcceleration;
    if (forwardSpeed < 0) {
        braking = 1;
        forwardSpeed = forwardSpeed + brakeDeceleration;
        if (forwardSpeed > BRAKE_THROUGH_SPEED) forwardSpeed = BRAKE_THROUGH_SPEED;
        bodyPitch = bodyPitch + 2 * PITCH_STEP;
    }
    SettlePitchRising();
    fastDriving = forwardSpeed < maxDriveSpeed / 2 ? 0 : 1;
}

// Down: accelerate backward, or brake a forward motion. The brake-through
// bound is +0.1 on this side too, so any speed left below it becomes -0.1.
static void DriveBackward() {
    bodyPitch = bodyPitch - PITCH_STEP;
    if (currentAcceleration == boostAcceleration) bodyPitch = bodyPitch - PITCH_STEP / 2;
    if (forwardSpeed > -maxDriveSpeed) forwardSpeed = forwardSpeed - currentAcceleration;
    if (forwardSpeed > 0) {
        braking = 1;
        forwardSpeed = forwardSpeed - brakeDeceleration;
        if (forwardSpeed < BRAKE_THROUGH_SPEED) forwardSpeed = -BRAKE_THROUGH_SPEED;
        bodyPitch = bodyPitch - 2 * PITCH_STEP;
    }
    SettlePitchFalling();
    fastDriving = forwardSpeed > -maxDriveSpeed / 2 ? 0 : 1;
}

// Up or Down without Space.
static void Drive(const HeldKeys& keys) {
    braking = 0;
    if (keys.upHeld) DriveForward();
    if (keys.downHeld) DriveBackward();
    moveAngle = -heading * degToRad;
    RollAfterStep(MoveVehicleWithDeflection());
}

// No Space and no Up or Down: rolling friction. Unless the last brake still
// holds the nose down, a slow vehicle's pitch settles back toward level.
static void Coast() {
    if (forwardSpeed == 0) {
        ReturnBodyRoll();
        return;
    }
    if (forwardSpeed > 0) {
        forwardSpeed = forwardSpeed - rollingFriction;
        if (braking == 0 && forwardSpeed < maxDriveSpeed / 2) {
            bodyPitch = std::fmax(bodyPitch - PITCH_STEP, 0.0);
            bodyPitchPeak = bodyPitch - PITCH_STEP;
        }
        if (forwardSpeed < 0) forwardSpeed = 0;
    } else {
        forwardSpeed = forwardSpeed + rollingFriction;
        if (braking == 0 && forwardSpeed > -maxDriveSpeed / 2) {
            bodyPitch = std::fmin(bodyPitch + PITCH_STEP, 0.0);
            bodyPitchPeak = bodyPitch + PITCH_STEP;
        }
        if (forwardSpeed > 0) forwardSpeed = 0;
    }
    moveAngle = -heading * degToRad;
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
    else if (turnDelta != 0) SelfCentre();
    if (keys.spaceHeld == 1) Handbrake();
    else if (keys.moveKeyHeld == 1) Drive(keys);
    else Coast();
}
