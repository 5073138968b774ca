// drive_step_test.cpp -- the vehicle step called directly: body pitch and
// roll, the give-up, bounded searches, the look target per view mode, and
// the camera lag's steps toward a lower heading and for huge gaps.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "app/app.h"
#include "motion/motion.h"
#include "scene/scene.h"

namespace {

class DriveStep : public ::testing::Test {
  protected:
    // The loader's defaults and derived values for a vehicle at the origin
    // facing -z, in view mode 2, with no obstacles and no key held.
    void SetUp() override {
        ResetSceneModel();
        viewMode = 2;
        degToRad = M_PI / 180;
        collisionProbeSpeed = collisionRadius;
        followCollisionRadius = 2.5 * collisionRadius;
        driveMaxDeflection *= degToRad;
        collisionTurnDivisor = 100 / collisionTurnDivisor;
        lookDistance = 10;
        FreshViewer();
        Hold("");
    }
    // The viewer at its start, as the loader leaves it.
    static void FreshViewer() {
        ResetViewerState();
        currentAcceleration = driveAcceleration;
        viewAngle = -(heading - 90) * degToRad;
    }
    void TearDown() override { ResetSceneModel(); }

    // Holds exactly the keys named in keys (u d l r s c), as the key
    // handlers would leave the flags.
    static void Hold(const std::string& keys) {
        auto has = [&](char c) { return keys.find(c) != std::string::npos ? 1 : 0; };
        heldKeys.upHeld = has('u'), heldKeys.downHeld = has('d');
        heldKeys.leftHeld = has('l'), heldKeys.rightHeld = has('r');
        heldKeys.spaceHeld = has('s'), heldKeys.ctrlHeld = has('c');
        heldKeys.moveKeyHeld = heldKeys.upHeld | heldKeys.downHeld;
        heldKeys.sideKeyHeld = heldKeys.leftHeld | heldKeys.rightHeld;
    }
    static void SetObstacles(const std::vector<std::pair<double, double>>& points) {
        obstacleCount = (int)points.size();
        obstacleX.Allocate(points.size() + 1);
        obstacleZ.Allocate(points.size() + 1);
        for (size_t i = 0; i < points.size(); i++) {
            obstacleX[i + 1] = points[i].first;
            obstacleZ[i + 1] = points[i].second;
        }
        BuildObstacleIndex();
    }
};

TEST_F(DriveStep, PitchFollowsTheArrowKeys) {
    Hold("u");
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(bodyPitch, 0.2);
    EXPECT_DOUBLE_EQ(bodyPitchPeak, 0.4);
    EXPECT_EQ(fastDriving, 0);

    // Boosting adds half a step; braking a reverse motion two more.
    FreshViewer();
    currentAcceleration = boostAcceleration;
    forwardSpeed = -0.8;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(forwardSpeed, 0.1);  // -0.8 + 0.3 + 0.7
    EXPECT_DOUBLE_EQ(bodyPitch, 0.2 + 0.1 + 0.4);
    EXPECT_EQ(braking, 1);

    FreshViewer();
    Hold("d");
    forwardSpeed = 2;
    bodyPitch = -3.7;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(forwardSpeed, 2 - 0.07 - 0.7);  // still above the +0.1 bound
    EXPECT_DOUBLE_EQ(bodyPitch, -maxBodyPitch);
    EXPECT_DOUBLE_EQ(bodyPitchPeak, -maxBodyPitch - 0.2);
    EXPECT_EQ(braking, 1);

    // A forward brake that leaves less than +0.1 reverses at once.
    forwardSpeed = 0.85;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(forwardSpeed, -0.1);
}

TEST_F(DriveStep, HandbrakeStopsWithTheNoseDown) {
    Hold("s");
    forwardSpeed = 1.0;
    const double speeds[] = {0.6, 0.2, 0.0, 0.0};
    const double pitches[] = {-0.8, -1.6, -2.4, -2.4};  // no pitch change at rest
    for (int frame = 0; frame < 4; frame++) {
        StepDrivingViewer(heldKeys);
        EXPECT_NEAR(forwardSpeed, speeds[frame], 1e-12) << frame;
        EXPECT_NEAR(bodyPitch, pitches[frame], 1e-12) << frame;
        EXPECT_EQ(braking, 1);
    }
    EXPECT_NEAR(viewerZ, -(0.6 + 0.2), 1e-12);

    FreshViewer();
    forwardSpeed = -1.0;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(forwardSpeed, -0.6);
    EXPECT_DOUBLE_EQ(bodyPitch, 0.8);
    EXPECT_DOUBLE_EQ(bodyPitchPeak, 1.0);
}

TEST_F(DriveStep, CoastingLevelsTheNoseOnlyWhenSlowAndNotBraking) {
    forwardSpeed = 1;
    bodyPitch = 0.5;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(forwardSpeed, 0.99);
    EXPECT_DOUBLE_EQ(bodyPitch, 0.3);
    EXPECT_DOUBLE_EQ(bodyPitchPeak, 0.1);

    braking = 1;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(bodyPitch, 0.3);

    braking = 0;
    forwardSpeed = 3;  // above half of maxDriveSpeed
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(bodyPitch, 0.3);

    forwardSpeed = -1;
    bodyPitch = -0.1;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(forwardSpeed, -0.99);
    EXPECT_DOUBLE_EQ(bodyPitch, 0.0);
    EXPECT_DOUBLE_EQ(bodyPitchPeak, 0.2);
}

TEST_F(DriveStep, RollLeansIntoTheTurnAndReturns) {
    Hold("ul");
    forwardSpeed = 2;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(turnDelta, 0.2);
    EXPECT_DOUBLE_EQ(bodyRoll, 0.2 * bodyRollFactor);

    Hold("ls");  // a handbrake turn leans by a third less
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(turnDelta, 0.7);
    EXPECT_DOUBLE_EQ(bodyRoll, 0.7 / 1.5 * bodyRollFactor);

    // At rest the roll eases back by bodyRollFactor per frame, either side.
    Hold("");
    forwardSpeed = 0;
    turnDelta = 0;
    for (double roll : {1.0, -1.0}) {
        bodyRoll = roll;
        StepDrivingViewer(heldKeys);
        EXPECT_NEAR(bodyRoll, roll * 0.2, 1e-12);
        StepDrivingViewer(heldKeys);
        EXPECT_EQ(bodyRoll, 0.0);
    }

    // Self-centring that crosses zero stops the steering and the roll.
    forwardSpeed = 1;
    turnDelta = 0.3;
    bodyRoll = 0.5;
    StepDrivingViewer(heldKeys);
    EXPECT_EQ(turnDelta, 0.0);
    EXPECT_EQ(bodyRoll, 0.0);
}

TEST_F(DriveStep, GiveUpLeavesTheVehicleWhereItWas) {
    SetObstacles({{0, 0}});  // the vehicle stands inside the square
    forwardSpeed = 1;
    bodyRoll = 1.0;
    heading = 10;
    StepDrivingViewer(heldKeys);
    EXPECT_EQ(viewerX, 0.0);
    EXPECT_EQ(viewerZ, 0.0);
    EXPECT_EQ(forwardSpeed, 0.0);
    EXPECT_EQ(blocked, 1);
    EXPECT_EQ(heading, 10.0);
    EXPECT_EQ(walkProbePhase, 1);
    EXPECT_EQ(walkDeflection, 0.0);
    EXPECT_NEAR(bodyRoll, 0.2, 1e-12);
    EXPECT_EQ(walkedX, 0.0);
}

TEST_F(DriveStep, SearchEndsWhateverTheDeflectionLimit) {
    SetObstacles({{0, 0}});
    const double limits[] = {std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(), 1e300, 0.0, -1.0};
    for (double limit : limits) {
        driveMaxDeflection = limit;
        forwardSpeed = 1;
        EXPECT_FALSE(MoveVehicleWithDeflection()) << limit;
        EXPECT_EQ(forwardSpeed, 0.0);
        EXPECT_EQ(walkProbePhase, 1);
    }
}

TEST_F(DriveStep, LookTargetMovesOnlyInTheDriversSeat) {
    forwardSpeed = 1;
    StepDrivingViewer(heldKeys);
    EXPECT_NEAR(lookTargetX, viewerX + std::cos(viewAngle) * 10, 1e-12);
    EXPECT_NEAR(lookTargetZ, viewerZ - std::sin(viewAngle) * 10, 1e-12);

    for (int mode : {4, 0, 5}) {
        viewMode = mode;
        lookTargetX = lookTargetZ = 123;
        StepDrivingViewer(heldKeys);
        EXPECT_EQ(lookTargetX, 123.0) << mode;
        EXPECT_EQ(lookTargetZ, 123.0) << mode;
    }
}

TEST_F(DriveStep, CameraLagStepsWholeOrRealDegrees) {
    struct Case {
        bool whole;
        double gap;
        std::vector<double> path;
    };
    const Case cases[] = {
        {true, -7, {-3, -6, -7}},
        {false, -7, {-3.5, -6.5, -7}},
        {false, -40, {-20, -30, -35, -38, -40}},
    };
    for (const Case& c : cases) {
        heading = c.gap;
        followHeading = 0;
        for (double expected : c.path) {
            LagFollowHeading(c.whole);
            EXPECT_DOUBLE_EQ(followHeading, expected) << c.gap;
            EXPECT_DOUBLE_EQ(viewAngle, -(expected - 90) * degToRad);
        }
    }

    // The snap corrects the heading into range.
    heading = 363;
    followHeading = 361;
    LagFollowHeading(true);
    EXPECT_EQ(heading, 3.0);
    EXPECT_EQ(followHeading, 3.0);
}

TEST_F(DriveStep, CameraLagSaturatesHugeGaps) {
    EXPECT_EQ(SaturatingTruncate(1e10), INT_MAX);
    EXPECT_EQ(SaturatingTruncate(-1e10), INT_MIN);
    EXPECT_EQ(SaturatingTruncate(-3.7), -3);
    EXPECT_EQ(SaturatingTruncate(std::nan("")), 0);

    for (double gap : {-1e12, 4294967296.0 * 2}) {
        heading = gap;
        followHeading = 0;
        LagFollowHeading(true);
        EXPECT_EQ(followHeading, gap > 0 ? INT_MAX : -(double)INT_MAX) << gap;
    }
}

}  // namespace
