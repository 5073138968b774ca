// jump_crouch_replay_test.cpp -- the vertical step of view mode 1: the
// jump's sixteen frames with the take-off momentum, jumpSpent, a jump into
// an obstacle, and the crouch, on replay traces.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/camera_model.h"
#include "tests/walk_scene.h"

namespace {

const double DEG = M_PI / 180.0;
const double EYE_Y = -10;  // the start eye height of the walk scenes

CameraInputs InputsOf(const TraceStep& t) {
    return {t["viewerX"], t["viewerEyeY"], t["viewerZ"], t["lookTargetX"], t["lookTargetY"],
            t["lookTargetZ"], t["viewAngle"], t["tilt"], t["walkedX"], t["walkedZ"], 0, EYE_Y, 0};
}

WalkScene Runner() {
    WalkScene s;
    s.set["maxWalkSpeed"] = 2;
    s.set["walkAcceleration"] = 2;
    return s;
}

TEST(Jump, TappedSpaceRisesEightFramesFallsEightAndDriftsAlongTheTakeOff) {
    // Step 0: turn right 5 degrees and walk. Step 1: jump. Left is held in
    // the air from step 3 and must neither steer nor turn.
    std::string events = "0 down right\n0 down up\n1 up right\n1 down space\n2 up space\n";
    events += "3 down left\n";
    ReplayResult r = ReplayWalkScene(Runner(), 18, events);
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 18u);
    const TraceStep& ground = r.steps[0];
    EXPECT_EQ(ground["heading"], -5);
    const double angle = 5 * DEG;
    EXPECT_DOUBLE_EQ(ground["moveAngle"], angle);
    const double offsets[] = {2.5, 5, 7.5, 10, 12.5, 15, 17.5, 20, 17.5, 15, 12.5, 10, 7.5, 5, 2.5, 0};
    double x = ground["viewerX"], z = ground["viewerZ"];
    for (int k = 1; k <= 16; k++) {
        const TraceStep& t = r.steps[k];
        x -= sin(angle) * 2;
        z -= cos(angle) * 2;
        EXPECT_EQ(t["jumpOffset"], offsets[k - 1]) << "step " << k;
        EXPECT_EQ(t["jumpRising"], k < 8 ? 1 : 0) << "step " << k;
        EXPECT_EQ(t["jumpFalling"], k >= 8 && k < 16 ? 1 : 0) << "step " << k;
        EXPECT_NEAR(t["viewerX"], x, 1e-9) << "step " << k;
        EXPECT_NEAR(t["viewerZ"], z, 1e-9) << "step " << k;
        EXPECT_NEAR(t["walkedX"], x, 1e-9) << "step " << k;
        EXPECT_EQ(t["heading"], -5) << "step " << k;
        EXPECT_EQ(t["forwardSpeed"], 2) << "step " << k;
        // The camera rides up with the jump: eye and centre lifted.
        Mat4 model = ViewerLookAt(InputsOf(t), -offsets[k - 1]) * TiltAboutPivot(InputsOf(t), 0);
        EXPECT_LT(MatrixDistance(t.modelview, model), 1e-5) << "step " << k;
    }
    EXPECT_EQ(r.steps[8]["jumpSpent"], 1);  // top reached
    EXPECT_EQ(r.steps[9]["jumpSpent"], 0);  // a falling frame saw Space up
    // Back on the ground, Left turns again and Up walks on.
    EXPECT_EQ(r.steps[17]["heading"], 0);
    EXPECT_EQ(r.steps[17]["jumpOffset"], 0);
}

TEST(Jump, HoldingSpaceThroughTheLandingStartsNoSecondJump) {
    ReplayResult r = ReplayWalkScene(Runner(), 24, "0 down space\n20 up space\n21 down space\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 24u);
    EXPECT_EQ(r.steps[7]["jumpOffset"], 20);
    EXPECT_EQ(r.steps[15]["jumpOffset"], 0);
    EXPECT_EQ(r.steps[15]["jumpSpent"], 1);
    for (int k = 16; k < 21; k++) {
        EXPECT_EQ(r.steps[k]["jumpOffset"], 0) << "step " << k;
        EXPECT_EQ(r.steps[k]["jumpRising"], 0) << "step " << k;
    }
    EXPECT_EQ(r.steps[20]["jumpSpent"], 0);  // the release clears it
    EXPECT_EQ(r.steps[21]["jumpOffset"], 2.5);  // pressing again jumps
    EXPECT_EQ(r.steps[22]["jumpOffset"], 5);
}

TEST(Jump, AJumpIntoAnObstacleStopsAndFalls) {
    WalkScene s = Runner();
    s.obstacles = {{0, -11}};  // z = -2 is free (9 away), z = -4 is not
    std::string events = "0 down up\n1 down space\n2 up space\n2 up up\n";
    ReplayResult r = ReplayWalkScene(s, 4, events);
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 4u);
    EXPECT_DOUBLE_EQ(r.steps[0]["viewerZ"], -2);
    const TraceStep& hit = r.steps[1];
    EXPECT_DOUBLE_EQ(hit["viewerZ"], -2);
    EXPECT_EQ(hit["viewerX"], 0);
    EXPECT_EQ(hit["forwardSpeed"], 0);
    EXPECT_EQ(hit["sidestepSpeed"], 0);
    EXPECT_EQ(hit["blocked"], 1);
    EXPECT_EQ(hit["jumpOffset"], 2.5);
    EXPECT_EQ(hit["jumpRising"], 0);
    EXPECT_EQ(hit["jumpFalling"], 1);
    EXPECT_EQ(hit["jumpSpent"], 1);
    EXPECT_DOUBLE_EQ(hit["walkedZ"], -2);
    // No camera placement on the frame of the hit.
    for (int k = 0; k < 16; k++) EXPECT_EQ(hit.modelview[k], r.steps[0].modelview[k]);
    // The fall lands where the viewer stopped.
    EXPECT_EQ(r.steps[2]["jumpOffset"], 0);
    EXPECT_EQ(r.steps[2]["jumpFalling"], 0);
    EXPECT_DOUBLE_EQ(r.steps[2]["viewerZ"], -2);
    EXPECT_EQ(r.steps[2]["blocked"], 0);
}

TEST(Crouch, FullDepthInTwoFramesThenNoPlacementAndUpInHalves) {
    std::string events = "0 down ctrl\n2 size 200 150\n3 up ctrl\n";
    ReplayResult r = ReplayWalkScene(WalkScene(), 6, events);
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 6u);
    const double depths[] = {3, 6, 6, 3, 0, 0};
    for (int k = 0; k < 6; k++) EXPECT_EQ(r.steps[k]["crouchOffset"], depths[k]) << "step " << k;
    // Going down: eye, centre and pivot lowered together.
    for (int k : {0, 1, 3}) {
        const TraceStep& t = r.steps[k];
        Mat4 model = ViewerLookAt(InputsOf(t), depths[k]) * TiltAboutPivot(InputsOf(t), depths[k]);
        EXPECT_LT(MatrixDistance(t.modelview, model), 1e-5) << "step " << k;
    }
    // Step 2: the resize loads the plain view, and the crouched frame at
    // full depth leaves it there.
    const TraceStep& resized = r.steps[2];
    EXPECT_TRUE(resized.ran);
    EXPECT_LT(MatrixDistance(resized.modelview, ViewerLookAt(InputsOf(resized), 0)), 1e-6);
    EXPECT_GT(MatrixDistance(resized.modelview, ViewerLookAt(InputsOf(resized), 6)), 1e-3);
}

TEST(Crouch, HoldsAJumpInMidAir) {
    std::string events = "0 down space\n1 up space\n3 down ctrl\n6 up ctrl\n";
    ReplayResult r = ReplayWalkScene(WalkScene(), 10, events);
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 10u);
    const double jump[] = {2.5, 5, 7.5, 7.5, 7.5, 7.5, 7.5, 7.5, 10, 12.5};
    const double crouch[] = {0, 0, 0, 3, 6, 6, 3, 0, 0, 0};
    for (int k = 0; k < 10; k++) {
        EXPECT_EQ(r.steps[k]["jumpOffset"], jump[k]) << "step " << k;
        EXPECT_EQ(r.steps[k]["crouchOffset"], crouch[k]) << "step " << k;
    }
    EXPECT_EQ(r.steps[5]["jumpRising"], 1);
}

}  // namespace
