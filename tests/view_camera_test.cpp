// view_camera_test.cpp -- the cameras of view modes 2, 3 and 4 on replay
// traces: the boom of the follow camera and its obstacle search, the
// camera each frame leaves loaded, and the pitch spring with the engine
// shake.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/figure_scene.h"

namespace {

// The modelview of a trace step applied to a point.
struct Point {
    double x, y, z;
};
Point Apply(const TraceStep& t, double x, double y, double z) {
    const double* m = t.modelview;
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14]};
}

// The follow camera left for the next frame has its eye at the observer
// point and looks along -z at the look target.
void ExpectFollowCameraLoaded(const TraceStep& t) {
    Point eye = Apply(t, t["observerX"], t["observerY"], t["observerZ"]);
    EXPECT_NEAR(eye.x, 0, 1e-4);
    EXPECT_NEAR(eye.y, 0, 1e-4);
    EXPECT_NEAR(eye.z, 0, 1e-4);
    Point at = Apply(t, t["lookTargetX"], t["lookTargetY"], t["lookTargetZ"]);
    EXPECT_NEAR(at.x, 0, 1e-3);
    EXPECT_NEAR(at.y, 0, 1e-3);
    EXPECT_LT(at.z, 0);
}

TEST(FollowBoom, WithoutObstaclesTheBoomGrowsByTheFastStepUpToObserverDistance) {
    // observerDistance 60; followCameraFastStep = 10 * 2 / 20 = 1.
    ReplayResult r = ReplayFigureScene(BaseFigureScene(3), 70);
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 70u);
    for (const TraceStep& t : r.steps) {
        ASSERT_EQ(t["boomRestLength"], 60) << t.step;
        ASSERT_DOUBLE_EQ(t["boomLength"], std::min(t.step + 1.0, 60.0)) << t.step;
        // The eye trails behind the viewer (who looks along -z) by the boom.
        ASSERT_NEAR(t["observerZ"], t["boomLength"], 1e-9) << t.step;
        ASSERT_NEAR(t["observerX"], 0, 1e-9) << t.step;
        ASSERT_EQ(t["observerY"], -30) << t.step;  // tilt 0: the start height
    }
    ExpectFollowCameraLoaded(r.steps[10]);
    ExpectFollowCameraLoaded(r.steps[69]);
    EXPECT_NEAR(r.steps[69]["lookTargetZ"], 0, 1e-9);  // 60 ahead of the eye
}

TEST(FollowBoom, AnObstacleBehindTheViewerShortensTheBoom) {
    SceneDescription s = BaseFigureScene(3);
    s.obstacles = {{0, 1}};  // within collisionRadius 8 of the first boom step
    ReplayResult r = ReplayFigureScene(s, 3);
    ASSERT_EQ(r.status, 0) << r.errors;
    for (const TraceStep& t : r.steps) {
        EXPECT_EQ(t["boomRestLength"], 0);
        EXPECT_EQ(t["boomLength"], 0);
        EXPECT_EQ(t["observerZ"], 0);  // the eye at the viewer
    }
    // Farther back, the boom stops one step (0.1) short of the first length
    // at which the eye would stand in the square of the point at z = 30.
    s.obstacles = {{0, 30}};
    r = ReplayFigureScene(s, 30);
    ASSERT_EQ(r.status, 0) << r.errors;
    const TraceStep& t = r.steps.back();
    EXPECT_LE(t["boomRestLength"], 22 + 1e-9);
    EXPECT_GE(t["boomRestLength"], 21.9 - 1e-9);
    EXPECT_EQ(t["boomLength"], t["boomRestLength"]);
    ExpectFollowCameraLoaded(t);
}

TEST(FollowBoom, SidesteppingFollowsTheSearchWithoutEasing) {
    SceneDescription s = BaseFigureScene(3);
    SetSetting(s, FIELD_sideKeyMode, 1);
    ReplayResult r = ReplayFigureScene(s, 2, "0 down left\n", "--keep-side-key-mode");
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.steps.at(0)["boomLength"], 60);
    EXPECT_NE(r.steps.at(0)["walkedX"], 0);  // it did sidestep
    // Turning instead (the standard build turns with the side keys) eases.
    r = ReplayFigureScene(s, 2, "0 down left\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.steps.at(0)["boomLength"], 1);
}

TEST(FollowBoom, AZeroStepGivesTheFullLengthAtOnceAndATinyStepStillEnds) {
    SceneDescription s = BaseFigureScene(3);
    SetSetting(s, FIELD_maxWalkSpeed, 0);  // followCameraStep 0 and fast step 0
    ReplayResult r = ReplayFigureScene(s, 3);
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 3u);
    for (const TraceStep& t : r.steps) {
        EXPECT_EQ(t["boomRestLength"], 60);
        EXPECT_EQ(t["boomLength"], 0);  // it grows by 0
    }
    // A step of 1e-10 would need 6e11 steps: it is widened to 60 / 10000.
    SetSetting(s, FIELD_maxWalkSpeed, 2e-9);
    s.obstacles = {{0, 30}};
    r = ReplayFigureScene(s, 2);
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_LE(r.steps.at(1)["boomRestLength"], 22 + 1e-9);
    EXPECT_GE(r.steps.at(1)["boomRestLength"], 22 - 0.006 - 1e-9);
    // View mode 4 searches with driveCameraStep: maxDriveSpeed 0 makes it 0.
    s = BaseFigureScene(4);
    SetSetting(s, FIELD_maxDriveSpeed, 0);
    r = ReplayFigureScene(s, 2);
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.steps.at(1)["boomRestLength"], 60);
}

TEST(FollowBoom, TheTiltRaisesTheEyeWithTheBoom) {
    // A mouse move up by 20 pixels tilts by 1 degree in view mode 3.
    ReplayResult r = ReplayFigureScene(BaseFigureScene(3), 12, "0 move 100 55\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    const TraceStep& t = r.steps.back();
    ASSERT_NE(t["tilt"], 0);
    EXPECT_NEAR(t["observerY"], tan(t["tilt"] * M_PI / 180) * t["boomLength"] - 30, 1e-9);
    ExpectFollowCameraLoaded(t);
}

TEST(DriverSeat, ViewMode2LoadsTheFirstPersonCameraEveryFrame) {
    ReplayResult r = ReplayFigureScene(BaseFigureScene(2), 3);
    ASSERT_EQ(r.status, 0) << r.errors;
    for (const TraceStep& t : r.steps) {
        Point eye = Apply(t, t["viewerX"], t["viewerEyeY"], t["viewerZ"]);
        EXPECT_NEAR(eye.x, 0, 1e-4);
        EXPECT_NEAR(eye.y, 0, 1e-4);
        EXPECT_NEAR(eye.z, 0, 1e-4);
        // At rest the shake is taken back in full: the view looks straight
        // at the target.
        Point at = Apply(t, t["lookTargetX"], t["lookTargetY"], t["lookTargetZ"]);
        EXPECT_NEAR(at.x, 0, 1e-3);
        EXPECT_NEAR(at.y, 0, 1e-3);
    }
}

TEST(DriverSeat, HalfTheBodyPitchStaysInTheViewAfterTheFrame) {
    // Accelerating pitches the body; half of the pitch is left in the
    // matrix, so the target drifts off the view axis by pitch / 2.
    ReplayResult r = ReplayFigureScene(BaseFigureScene(2), 12, "0 down up\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    for (const TraceStep& t : r.steps) {
        double pitch = t["bodyPitch"];
        ASSERT_GT(pitch, 0) << t.step;
        Point at = Apply(t, t["lookTargetX"], t["lookTargetY"], t["lookTargetZ"]);
        double sway = atan2(fabs(at.y), -at.z) * 180 / M_PI;
        EXPECT_NEAR(sway, pitch / 2, 0.01) << t.step;
    }
}

TEST(PitchSpring, AtRestViewMode2FlipsTheShakeAndViewMode4ShakesThePitch) {
    ReplayResult r = ReplayFigureScene(BaseFigureScene(2), 6);
    ASSERT_EQ(r.status, 0) << r.errors;
    double shake = 0.17 / 2.4;
    for (const TraceStep& t : r.steps) {
        EXPECT_DOUBLE_EQ(t["engineShake"], t.step % 2 == 0 ? -shake : shake) << t.step;
        EXPECT_EQ(t["bodyPitch"], 0) << t.step;
    }
    r = ReplayFigureScene(BaseFigureScene(4), 6);
    ASSERT_EQ(r.status, 0) << r.errors;
    for (const TraceStep& t : r.steps) {
        EXPECT_DOUBLE_EQ(t["engineShake"], t.step % 2 == 0 ? -0.17 : 0.17) << t.step;
        EXPECT_DOUBLE_EQ(t["bodyPitch"], t.step % 2 == 0 ? -0.17 : 0) << t.step;
        ExpectFollowCameraLoaded(t);
    }
}

TEST(PitchSpring, BrakingToAStopSettlesThePitchToZero) {
    // Up for 15 frames, then Down for 2 (through zero), then coasting: the
    // spring swings the pitch back and settles it at 0 while stopped.
    ReplayResult r =
        ReplayFigureScene(BaseFigureScene(2), 40, "0 down up\n15 up up\n15 down down\n17 up down\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_NE(r.steps.at(16)["bodyPitch"], 0);
    for (size_t k = 30; k < r.steps.size(); k++) {
        EXPECT_EQ(r.steps[k]["forwardSpeed"], 0) << k;
        EXPECT_EQ(r.steps[k]["bodyPitch"], 0) << k;
        EXPECT_EQ(r.steps[k]["bodyPitchPeak"], 0) << k;
    }
}

}  // namespace
