// drive_step_test.cpp -- the vehicle step called directly: body pitch and
// roll, the give-up, bounded searches, the look target per view mode, and
// the camera lag's steps toward a lower heading and for huge gaps.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "app/app.h"
#include "motion/motion.h"
#include "scene/scene.h"

namespace {

// The test's scene, the index of its obstacle points, and the vehicle's
// state and keys, as the program holds them.
std::unique_ptr<Scene> sceneHolder = std::make_unique<Scene>();
Scene& scene = *sceneHolder;
ObstacleIndex obstacles;
ViewerState viewer;
FollowCamera camera;
HeldKeys heldKeys;

MotionStep Step(const HeldKeys& keys) { return {scene, obstacles, keys, viewer, camera}; }

void StepDrivingViewer(const HeldKeys& keys) {
    MotionStep m = Step(keys);
    StepDrivingViewer(m);
}

bool MoveVehicleWithDeflection() {
    MotionStep m = Step(heldKeys);
    return MoveVehicleWithDeflection(m);
}

void LagFollowHeading(bool wholeDegrees) { LagFollowHeading(scene, viewer, wholeDegrees); }

class DriveStep : public ::testing::Test {
  protected:
    // The loader's defaults and derived values for a vehicle at the origin
    // facing -z, in view mode 2, with no obstacles and no key held.
    void SetUp() override {
        ResetScene(scene);
        obstacles = ObstacleIndex();
        scene.viewMode = 2;
        scene.degToRad = M_PI / 180;
        scene.collisionProbeSpeed = scene.collisionRadius;
        scene.followCollisionRadius = 2.5 * scene.collisionRadius;
        scene.driveMaxDeflection *= scene.degToRad;
        scene.collisionTurnDivisor = 100 / scene.collisionTurnDivisor;
        scene.lookDistance = 10;
        FreshViewer();
        Hold("");
    }
    // The viewer at its start, as the loader leaves it.
    static void FreshViewer() {
        viewer = ViewerState();
        viewer.currentAcceleration = scene.driveAcceleration;
        viewer.engineShake = scene.engineShake;
        viewer.viewAngle = -(viewer.heading - 90) * scene.degToRad;
    }
    void TearDown() override { ResetScene(scene); }

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
        scene.obstacleCount = (int)points.size();
        scene.obstacleX.Allocate(points.size() + 1);
        scene.obstacleZ.Allocate(points.size() + 1);
        for (size_t i = 0; i < points.size(); i++) {
            scene.obstacleX[i + 1] = points[i].first;
            scene.obstacleZ[i + 1] = points[i].second;
        }
        obstacles = BuildObstacleIndex(scene);
    }
};

TEST_F(DriveStep, PitchFollowsTheArrowKeys) {
    Hold("u");
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(viewer.bodyPitch, 0.2);
    EXPECT_DOUBLE_EQ(viewer.bodyPitchPeak, 0.4);
    EXPECT_EQ(viewer.fastDriving, 0);

    // Boosting adds half a step; braking a reverse motion two more.
    FreshViewer();
    viewer.currentAcceleration = scene.boostAcceleration;
    viewer.forwardSpeed = -0.8;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(viewer.forwardSpeed, 0.1);  // -0.8 + 0.3 + 0.7
    EXPECT_DOUBLE_EQ(viewer.bodyPitch, 0.2 + 0.1 + 0.4);
    EXPECT_EQ(viewer.braking, 1);

    FreshViewer();
    Hold("d");
    viewer.forwardSpeed = 2;
    viewer.bodyPitch = -3.7;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(viewer.forwardSpeed, 2 - 0.07 - 0.7);  // still above the +0.1 bound
    EXPECT_DOUBLE_EQ(viewer.bodyPitch, -scene.maxBodyPitch);
    EXPECT_DOUBLE_EQ(viewer.bodyPitchPeak, -scene.maxBodyPitch - 0.2);
    EXPECT_EQ(viewer.braking, 1);

    // A forward brake that leaves less than +0.1 reverses at once.
    viewer.forwardSpeed = 0.85;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(viewer.forwardSpeed, -0.1);
}

TEST_F(DriveStep, HandbrakeStopsWithTheNoseDown) {
    Hold("s");
    viewer.forwardSpeed = 1.0;
    const double speeds[] = {0.6, 0.2, 0.0, 0.0};
    const double pitches[] = {-0.8, -1.6, -2.4, -2.4};  // no pitch change at rest
    for (int frame = 0; frame < 4; frame++) {
        StepDrivingViewer(heldKeys);
        EXPECT_NEAR(viewer.forwardSpeed, speeds[frame], 1e-12) << frame;
        EXPECT_NEAR(viewer.bodyPitch, pitches[frame], 1e-12) << frame;
        EXPECT_EQ(viewer.braking, 1);
    }
    EXPECT_NEAR(viewer.viewerZ, -(0.6 + 0.2), 1e-12);

    FreshViewer();
    viewer.forwardSpeed = -1.0;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(viewer.forwardSpeed, -0.6);
    EXPECT_DOUBLE_EQ(viewer.bodyPitch, 0.8);
    EXPECT_DOUBLE_EQ(viewer.bodyPitchPeak, 1.0);
}

TEST_F(DriveStep, CoastingLevelsTheNoseOnlyWhenSlowAndNotBraking) {
    viewer.forwardSpeed = 1;
    viewer.bodyPitch = 0.5;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(viewer.forwardSpeed, 0.99);
    EXPECT_DOUBLE_EQ(viewer.bodyPitch, 0.3);
    EXPECT_DOUBLE_EQ(viewer.bodyPitchPeak, 0.1);

    viewer.braking = 1;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(viewer.bodyPitch, 0.3);

    viewer.braking = 0;
    viewer.forwardSpeed = 3;  // above half of maxDriveSpeed
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(viewer.bodyPitch, 0.3);

    viewer.forwardSpeed = -1;
    viewer.bodyPitch = -0.1;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(viewer.forwardSpeed, -0.99);
    EXPECT_DOUBLE_EQ(viewer.bodyPitch, 0.0);
    EXPECT_DOUBLE_EQ(viewer.bodyPitchPeak, 0.2);
}

TEST_F(DriveStep, RollLeansIntoTheTurnAndReturns) {
    Hold("ul");
    viewer.forwardSpeed = 2;
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(viewer.turnDelta, 0.2);
    EXPECT_DOUBLE_EQ(viewer.bodyRoll, 0.2 * scene.bodyRollFactor);

    Hold("ls");  // a handbrake turn leans by a third less
    StepDrivingViewer(heldKeys);
    EXPECT_DOUBLE_EQ(viewer.turnDelta, 0.7);
    EXPECT_DOUBLE_EQ(viewer.bodyRoll, 0.7 / 1.5 * scene.bodyRollFactor);

    // At rest the roll eases back by bodyRollFactor per frame, either side.
    Hold("");
    viewer.forwardSpeed = 0;
    viewer.turnDelta = 0;
    for (double roll : {1.0, -1.0}) {
        viewer.bodyRoll = roll;
        StepDrivingViewer(heldKeys);
        EXPECT_NEAR(viewer.bodyRoll, roll * 0.2, 1e-12);
        StepDrivingViewer(heldKeys);
        EXPECT_EQ(viewer.bodyRoll, 0.0);
    }

    // Self-centring that crosses zero stops the steering and the roll.
    viewer.forwardSpeed = 1;
    viewer.turnDelta = 0.3;
    viewer.bodyRoll = 0.5;
    StepDrivingViewer(heldKeys);
    EXPECT_EQ(viewer.turnDelta, 0.0);
    EXPECT_EQ(viewer.bodyRoll, 0.0);
}

TEST_F(DriveStep, GiveUpLeavesTheVehicleWhereItWas) {
    SetObstacles({{0, 0}});  // the vehicle stands inside the square
    viewer.forwardSpeed = 1;
    viewer.bodyRoll = 1.0;
    viewer.heading = 10;
    StepDrivingViewer(heldKeys);
    EXPECT_EQ(viewer.viewerX, 0.0);
    EXPECT_EQ(viewer.viewerZ, 0.0);
    EXPECT_EQ(viewer.forwardSpeed, 0.0);
    EXPECT_EQ(viewer.blocked, 1);
    EXPECT_EQ(viewer.heading, 10.0);
    EXPECT_EQ(viewer.walkProbePhase, 1);
    EXPECT_EQ(viewer.walkDeflection, 0.0);
    EXPECT_NEAR(viewer.bodyRoll, 0.2, 1e-12);
    EXPECT_EQ(viewer.walkedX, 0.0);
}

TEST_F(DriveStep, SearchEndsWhateverTheDeflectionLimit) {
    SetObstacles({{0, 0}});
    const double limits[] = {std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(), 1e300, 0.0, -1.0};
    for (double limit : limits) {
        scene.driveMaxDeflection = limit;
        viewer.forwardSpeed = 1;
        EXPECT_FALSE(MoveVehicleWithDeflection()) << limit;
        EXPECT_EQ(viewer.forwardSpeed, 0.0);
        EXPECT_EQ(viewer.walkProbePhase, 1);
    }
}

TEST_F(DriveStep, LookTargetMovesOnlyInTheDriversSeat) {
    viewer.forwardSpeed = 1;
    StepDrivingViewer(heldKeys);
    EXPECT_NEAR(viewer.lookTargetX, viewer.viewerX + std::cos(viewer.viewAngle) * 10, 1e-12);
    EXPECT_NEAR(viewer.lookTargetZ, viewer.viewerZ - std::sin(viewer.viewAngle) * 10, 1e-12);

    for (int mode : {4, 0, 5}) {
        scene.viewMode = mode;
        viewer.lookTargetX = viewer.lookTargetZ = 123;
        StepDrivingViewer(heldKeys);
        EXPECT_EQ(viewer.lookTargetX, 123.0) << mode;
        EXPECT_EQ(viewer.lookTargetZ, 123.0) << mode;
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
        viewer.heading = c.gap;
        viewer.followHeading = 0;
        for (double expected : c.path) {
            LagFollowHeading(c.whole);
            EXPECT_DOUBLE_EQ(viewer.followHeading, expected) << c.gap;
            EXPECT_DOUBLE_EQ(viewer.viewAngle, -(expected - 90) * scene.degToRad);
        }
    }

    // The snap corrects the heading into range.
    viewer.heading = 363;
    viewer.followHeading = 361;
    LagFollowHeading(true);
    EXPECT_EQ(viewer.heading, 3.0);
    EXPECT_EQ(viewer.followHeading, 3.0);
}

TEST_F(DriveStep, CameraLagSaturatesHugeGaps) {
    EXPECT_EQ(SaturatingTruncate(1e10), INT_MAX);
    EXPECT_EQ(SaturatingTruncate(-1e10), INT_MIN);
    EXPECT_EQ(SaturatingTruncate(-3.7), -3);
    EXPECT_EQ(SaturatingTruncate(std::nan("")), 0);

    for (double gap : {-1e12, 4294967296.0 * 2}) {
        viewer.heading = gap;
        viewer.followHeading = 0;
        LagFollowHeading(true);
        EXPECT_EQ(viewer.followHeading, gap > 0 ? INT_MAX : -(double)INT_MAX) << gap;
    }
}

}  // namespace
