// drive_replay_test.cpp -- driving in view modes 2 and 4 (and others),
// checked frame by frame on replay traces: the deflection's worked example,
// speeds, steering, the handbrake turn and what differs between the modes.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/motion_scene.h"

namespace {

const double DEG = M_PI / 180.0;

// Runs the scene and checks that every step ran.
ReplayResult Drive(const MotionScene& scene, long steps, const std::string& events) {
    ReplayResult r = scene.Replay(steps, events);
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.steps.size(), (size_t)steps);
    for (const TraceStep& t : r.steps) EXPECT_TRUE(t.ran) << "step " << t.step;
    return r;
}

TEST(DriveDeflection, WorkedExampleTurnsAwayAndSlows) {
    MotionScene scene(2);
    scene.Set(FIELD_driveAcceleration, 2).Obstacle(3, -9);  // speed 2 in the first frame
    ReplayResult r = Drive(scene, 1, "0 down up\n");
    ASSERT_EQ(r.steps.size(), 1u);
    const TraceStep& t = r.steps[0];
    EXPECT_NEAR(t["heading"], -4, 1e-9);
    EXPECT_NEAR(t["forwardSpeed"], 2 / 1.4, 1e-9);
    EXPECT_NEAR(t["viewerX"], -0.920, 0.0005);
    EXPECT_NEAR(t["viewerZ"], -1.093, 0.0005);
    EXPECT_EQ(t["blocked"], 0);
    EXPECT_EQ(t["walkDeflection"], 0);
    EXPECT_EQ(t["walkProbePhase"], 1);
    EXPECT_DOUBLE_EQ(t["walkedX"], t["viewerX"]);
    // The driver's seat looks along the new heading.
    double viewAngle = -(t["heading"] - 90) * DEG;
    EXPECT_NEAR(t["viewAngle"], viewAngle, 1e-12);
    EXPECT_NEAR(t["lookTargetX"], t["viewerX"] + std::cos(viewAngle) * 10, 1e-9);
    EXPECT_NEAR(t["lookTargetZ"], t["viewerZ"] - std::sin(viewAngle) * 10, 1e-9);
}

TEST(DriveDeflection, AfterAGiveUpAFreeStepIsTakenAsItIs) {
    // Every probe within 60 degrees ends inside the square ahead.
    MotionScene scene(2);
    scene.Obstacle(0, -8);
    ReplayResult r = Drive(scene, 2, "0 down up\n1 up up\n1 down down\n");
    ASSERT_EQ(r.steps.size(), 2u);
    EXPECT_EQ(r.steps[0]["viewerZ"], 0);
    EXPECT_EQ(r.steps[0]["forwardSpeed"], 0);
    EXPECT_EQ(r.steps[0]["blocked"], 1);
    // Backing away is free: straight back, no turn, not along the old probe.
    const TraceStep& t = r.steps[1];
    EXPECT_DOUBLE_EQ(t["viewerZ"], 0.07);
    EXPECT_NEAR(t["viewerX"], 0, 1e-15);
    EXPECT_EQ(t["heading"], 0);
    EXPECT_DOUBLE_EQ(t["forwardSpeed"], -0.07);
    EXPECT_EQ(t["blocked"], 0);
}

TEST(DriveSpeeds, UpFromRestAcceleratesToTheLimit) {
    ReplayResult r = Drive(MotionScene(2), 80, "0 down up\n");
    double speed = 0;
    for (const TraceStep& t : r.steps) {
        if (speed < 5) speed += 0.07;
        EXPECT_NEAR(t["forwardSpeed"], speed, 1e-9) << "step " << t.step;
        EXPECT_EQ(t["fastDriving"], t["forwardSpeed"] >= 2.5 ? 1 : 0) << "step " << t.step;
        EXPECT_EQ(t["braking"], 0);
    }
    EXPECT_EQ(r.steps[34]["fastDriving"], 0);  // 2.45
    EXPECT_EQ(r.steps[35]["fastDriving"], 1);  // 2.52
    EXPECT_NEAR(r.steps.back()["forwardSpeed"], 5.04, 1e-9);
}

TEST(DriveSpeeds, BrakingThroughZeroLeavesACreep) {
    MotionScene scene(2);
    scene.Set(FIELD_driveAcceleration, 0.25);  // two frames give 0.5
    ReplayResult forward = Drive(scene, 3, "0 down up\n2 up up\n2 down down\n");
    ASSERT_EQ(forward.steps.size(), 3u);
    EXPECT_DOUBLE_EQ(forward.steps[1]["forwardSpeed"], 0.5);
    EXPECT_DOUBLE_EQ(forward.steps[2]["forwardSpeed"], -0.1);  // 0.5 - 0.25 - 0.7
    EXPECT_EQ(forward.steps[2]["braking"], 1);

    ReplayResult reverse = Drive(scene, 3, "0 down down\n2 up down\n2 down up\n");
    ASSERT_EQ(reverse.steps.size(), 3u);
    EXPECT_DOUBLE_EQ(reverse.steps[1]["forwardSpeed"], -0.5);
    EXPECT_DOUBLE_EQ(reverse.steps[2]["forwardSpeed"], 0.1);  // -0.5 + 0.25 + 0.7
    EXPECT_EQ(reverse.steps[2]["braking"], 1);
}

TEST(DriveSpeeds, CoastingStopsByRollingFriction) {
    MotionScene scene(2);
    scene.Set(FIELD_driveAcceleration, 0.02);
    ReplayResult r = Drive(scene, 4, "0 down up\n1 up up\n");
    ASSERT_EQ(r.steps.size(), 4u);
    const double speeds[] = {0.02, 0.01, 0, 0};
    for (int k = 0; k < 4; k++) EXPECT_NEAR(r.steps[k]["forwardSpeed"], speeds[k], 1e-15) << k;
    EXPECT_NEAR(r.steps[3]["viewerZ"], -0.03, 1e-12);
    EXPECT_EQ(r.steps[3]["viewerZ"], r.steps[2]["viewerZ"]);
}

// Speed 2 from step 1 on (Up held, limit 2), so the steering limit is 3.
MotionScene SteeringScene() {
    MotionScene scene(2);
    scene.Set(FIELD_maxDriveSpeed, 2).Set(FIELD_driveAcceleration, 1);
    return scene;
}

TEST(DriveSteering, LeftClimbsToTheSpeedLimitThenReturnsOnRelease) {
    ReplayResult r = Drive(SteeringScene(), 32, "0 down up\n2 down left\n22 up left\n");
    double rate = 0, heading = 0;
    for (int k = 2; k < 32; k++) {
        const TraceStep& t = r.steps[k];
        if (k < 22) rate = std::fmin(rate + 0.2, 3);
        else rate = rate - 0.4 < 0 ? 0 : rate - 0.4;  // self-centring
        heading += rate;
        EXPECT_NEAR(t["turnDelta"], rate, 1e-9) << "step " << k;
        EXPECT_NEAR(t["heading"], heading, 1e-9) << "step " << k;
    }
    EXPECT_NEAR(r.steps[21]["turnDelta"], 3, 1e-12);
    EXPECT_EQ(r.steps[29]["turnDelta"], 0);
    EXPECT_EQ(r.steps[29]["bodyRoll"], 0);

    // The rate limit holds whatever the speed allows.
    MotionScene fast(2);
    fast.Set(FIELD_maxDriveSpeed, 10).Set(FIELD_driveAcceleration, 10).Set(FIELD_steerStep, 2);
    ReplayResult f = Drive(fast, 6, "0 down up\n1 down left\n");
    const double rates[] = {2, 4, 6, 7, 7};
    for (int k = 1; k < 6; k++) EXPECT_DOUBLE_EQ(f.steps[k]["turnDelta"], rates[k - 1]) << k;
}

TEST(DriveSteering, IgnoredWithCtrlOrWhileBrakingWithTheArrows) {
    // Steps 2-4: Ctrl and Left; step 5: Left alone; step 6: Down brakes.
    ReplayResult r = Drive(SteeringScene(), 7,
                           "0 down up\n2 down ctrl\n2 down left\n5 up ctrl\n6 down down\n");
    ASSERT_EQ(r.steps.size(), 7u);
    for (int k = 2; k <= 4; k++) {
        EXPECT_EQ(r.steps[k]["turnDelta"], 0) << k;
        EXPECT_EQ(r.steps[k]["heading"], 0) << k;
    }
    EXPECT_DOUBLE_EQ(r.steps[5]["turnDelta"], 0.2);
    EXPECT_DOUBLE_EQ(r.steps[5]["heading"], 0.2);
    EXPECT_DOUBLE_EQ(r.steps[6]["turnDelta"], 0.2);
    EXPECT_DOUBLE_EQ(r.steps[6]["heading"], 0.2);  // the heading holds too
    EXPECT_EQ(r.steps[6]["braking"], 1);
}

TEST(DriveSteering, HandbrakeTurnSlidesAlongTheSteeringAngle) {
    MotionScene scene(2);
    scene.Set(FIELD_maxDriveSpeed, 3).Set(FIELD_driveAcceleration, 3);  // speed 3 at once
    ReplayResult r = Drive(scene, 14, "0 down up\n1 up up\n1 down space\n1 down left\n"
                                      "12 up left\n12 up space\n");
    double rate = 0, heading = 0, speed = 3, x = r.steps[0]["viewerX"], z = r.steps[0]["viewerZ"];
    for (int k = 1; k < 12; k++) {
        const TraceStep& t = r.steps[k];
        rate = std::fmin(rate + 0.5, speed * 1.5 * 1.5);
        heading += rate;
        speed -= 0.2;
        x += std::sin((heading + rate) * DEG) * speed;
        z -= std::cos((heading + rate) * DEG) * speed;
        EXPECT_NEAR(t["turnDelta"], rate, 1e-9) << "step " << k;
        EXPECT_NEAR(t["heading"], heading, 1e-9) << "step " << k;
        EXPECT_NEAR(t["forwardSpeed"], speed, 1e-9) << "step " << k;
        EXPECT_NEAR(t["viewerX"], x, 1e-9) << "step " << k;
        EXPECT_NEAR(t["viewerZ"], z, 1e-9) << "step " << k;
        EXPECT_NEAR(t["bodyRoll"], rate / 1.5 * 0.8, 1e-9) << "step " << k;
        EXPECT_EQ(t["braking"], 1);
        EXPECT_EQ(t["driftTurn"], 1);
    }
    // Released: the rate returns by the speed, not by steerReturnRate.
    EXPECT_NEAR(r.steps[12]["turnDelta"], rate - speed, 1e-9);

    // The limit at speed 3 is 3 * 1.5 * 1.5.
    scene.Set(FIELD_driftSteerStep, 10);
    ReplayResult limit = Drive(scene, 2, "0 down up\n1 up up\n1 down space\n1 down left\n");
    EXPECT_DOUBLE_EQ(limit.steps[1]["turnDelta"], 6.75);
}

TEST(DriveViewModes, ObstacleSquareIsLargerInTheTrailingView) {
    // The point is 12 and 15 away: outside collisionRadius, inside 2.5 times it.
    for (int mode : {2, 4, 5}) {
        MotionScene scene(mode);
        scene.Obstacle(12, -15);
        ReplayResult r = Drive(scene, 1, "0 down up\n");
        ASSERT_EQ(r.steps.size(), 1u);
        EXPECT_DOUBLE_EQ(r.steps[0]["viewerZ"], mode == 4 ? 0 : -0.07) << mode;
        EXPECT_EQ(r.steps[0]["blocked"], mode == 4 ? 1 : 0) << mode;
    }
}

TEST(DriveViewModes, OnlyTheDriversSeatCorrectsTheHeading) {
    // From heading 358 the steering passes 360 in the third frame.
    for (int mode : {2, 4, 5}) {
        MotionScene scene(mode);
        scene.Set(FIELD_startHeading, -358).Set(FIELD_maxDriveSpeed, 2);
        scene.Set(FIELD_driveAcceleration, 2).Set(FIELD_steerStep, 2);
        ReplayResult r = Drive(scene, 4, "0 down up\n1 down left\n");
        ASSERT_EQ(r.steps.size(), 4u);
        EXPECT_DOUBLE_EQ(r.steps[1]["heading"], 360) << mode;
        EXPECT_DOUBLE_EQ(r.steps[2]["heading"], mode == 2 ? 3 : 363) << mode;
        EXPECT_DOUBLE_EQ(r.steps[3]["heading"], mode == 2 ? 6 : 366) << mode;
        const double follow[] = {358, 358, 360, 363};  // view mode 4 only
        for (int k = 0; k < 4; k++) {
            double expected = mode == 4 ? follow[k] : 358;
            EXPECT_DOUBLE_EQ(r.steps[k]["followHeading"], expected) << mode << " step " << k;
        }
        double fromHeading = -(r.steps[3]["heading"] - 90) * DEG;
        double fromFollow = -(r.steps[3]["followHeading"] - 90) * DEG;
        double atLoad = (-358 - 270) * DEG;
        double expected = mode == 2 ? fromHeading : mode == 4 ? fromFollow : atLoad;
        EXPECT_NEAR(r.steps[3]["viewAngle"], expected, 1e-12) << mode;
    }
}

TEST(DriveViewModes, TrailingCameraLagsInRealDegrees) {
    // A handbrake turn at speed 20 puts the heading 7 degrees ahead at once;
    // released, the rate returns to 0 in one frame.
    MotionScene scene(4);
    scene.Set(FIELD_maxDriveSpeed, 20).Set(FIELD_driveAcceleration, 20);
    scene.Set(FIELD_driftSteerStep, 7);
    ReplayResult r = Drive(scene, 5, "0 down up\n1 up up\n1 down space\n1 down left\n"
                                     "2 up space\n2 up left\n");
    ASSERT_EQ(r.steps.size(), 5u);
    const double follow[] = {0, 0, 3.5, 6.5, 7};
    for (int k = 0; k < 5; k++) {
        EXPECT_DOUBLE_EQ(r.steps[k]["followHeading"], follow[k]) << k;
        if (k >= 1) {
            EXPECT_DOUBLE_EQ(r.steps[k]["heading"], 7) << k;
        }
    }
    EXPECT_NEAR(r.steps[2]["viewAngle"], -(3.5 - 90) * DEG, 1e-12);
}

TEST(DriveViewModes, EngineShakeIsDividedOnlyForTheDriversSeat) {
    for (int mode : {2, 4, 5}) {
        ReplayResult r = Drive(MotionScene(mode), 1, "");
        ASSERT_EQ(r.steps.size(), 1u);
        // The drawing step may flip its sign at rest.
        EXPECT_DOUBLE_EQ(std::fabs(r.steps[0]["engineShake"]), mode == 2 ? 0.17 / 2.4 : 0.17)
            << mode;
    }
}

}  // namespace
