// follow_replay_test.cpp -- view mode 3 on replay traces: the camera lag, the
// wider obstacle square, the pose codes and the order of sidestep, turn and
// walk within a frame.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "tests/motion_scene.h"

namespace {

const double DEG = M_PI / 180.0;
const char KEEP_SIDE_KEYS[] = "--keep-side-key-mode";

ReplayResult Follow(const MotionScene& scene, long steps, const std::string& events,
                    const std::string& extraArgs = "") {
    ReplayResult r = scene.Replay(steps, events, extraArgs);
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.steps.size(), (size_t)steps);
    return r;
}

// One frame of Left turns the heading by turnStep; the camera then follows.
std::vector<double> FollowHeadingsAfterTurn(double turnStep, long steps) {
    MotionScene scene(3);
    scene.Set(FIELD_turnStep, turnStep);
    ReplayResult r = Follow(scene, steps, "0 down left\n1 up left\n");
    std::vector<double> path;
    for (const TraceStep& t : r.steps) {
        EXPECT_EQ(t["heading"], turnStep) << "step " << t.step;
        if (t.step >= 1) {  // step 0 keeps the view angle of the load
            EXPECT_NEAR(t["viewAngle"], -(t["followHeading"] - 90) * DEG, 1e-12) << t.step;
        }
        path.push_back(t["followHeading"]);
    }
    return path;
}

TEST(FollowLag, ClosesHalfTheGapInWholeDegreesThenSnaps) {
    EXPECT_EQ(FollowHeadingsAfterTurn(40, 7), (std::vector<double>{0, 20, 30, 35, 38, 40, 40}));
    EXPECT_EQ(FollowHeadingsAfterTurn(5, 4), (std::vector<double>{0, 3, 5, 5}));
    EXPECT_EQ(FollowHeadingsAfterTurn(7, 4), (std::vector<double>{0, 3, 6, 7}));  // not 3.5
}

TEST(FollowLag, HeadingIsCorrectedOnlyWhenTheCameraSnaps) {
    MotionScene scene(3);
    scene.Set(FIELD_startHeading, -358);
    ReplayResult r = Follow(scene, 3, "0 down left\n1 up left\n");
    ASSERT_EQ(r.steps.size(), 3u);
    EXPECT_EQ(r.steps[0]["heading"], 363);
    EXPECT_EQ(r.steps[1]["heading"], 363);
    EXPECT_EQ(r.steps[1]["followHeading"], 361);
    EXPECT_EQ(r.steps[2]["heading"], 3);
    EXPECT_EQ(r.steps[2]["followHeading"], 3);
}

TEST(FollowLag, HugeGapMovesByTheLargestWholeStep) {
    MotionScene scene(3);
    scene.Set(FIELD_turnStep, 1e12);
    ReplayResult r = Follow(scene, 3, "0 down left\n1 up left\n");
    ASSERT_EQ(r.steps.size(), 3u);
    EXPECT_EQ(r.steps[1]["followHeading"], (double)INT_MAX);
    EXPECT_EQ(r.steps[2]["followHeading"], 2.0 * INT_MAX);
}

TEST(FollowMotion, WalksAlongTheHeadingWhileTheCameraLags) {
    MotionScene scene(3);
    scene.Set(FIELD_turnStep, 40);
    ReplayResult r = Follow(scene, 1, "0 down left\n0 down up\n");
    ASSERT_EQ(r.steps.size(), 1u);
    const TraceStep& t = r.steps[0];
    EXPECT_NEAR(t["viewerX"], std::sin(40 * DEG), 1e-12);
    EXPECT_NEAR(t["viewerZ"], -std::cos(40 * DEG), 1e-12);
    EXPECT_EQ(t["followHeading"], 0);
    EXPECT_EQ(t["avatarPose"], 1);  // the walk comes after the turn
    EXPECT_DOUBLE_EQ(t["walkedX"], t["viewerX"]);
}

TEST(FollowMotion, PoseCodesFollowTheKeys) {
    struct Case {
        const char* events;
        bool keepSideKeys;
        int pose;
    };
    const Case cases[] = {
        {"0 down up\n", false, 1},
        {"0 down down\n", false, 2},
        {"0 down left\n", false, 3},
        {"0 down right\n", true, 4},
        {"0 down right\n0 down up\n", true, 1},
    };
    for (const Case& c : cases) {
        MotionScene scene(3);
        scene.Set(FIELD_sideKeyMode, 1);
        ReplayResult r = Follow(scene, 2, c.events, c.keepSideKeys ? KEEP_SIDE_KEYS : "");
        ASSERT_EQ(r.steps.size(), 2u);
        for (const TraceStep& t : r.steps) EXPECT_EQ(t["avatarPose"], c.pose) << c.events;
    }
}

TEST(FollowMotion, SidestepAndWalkShareAFrame) {
    MotionScene scene(3);
    scene.Set(FIELD_sideKeyMode, 1);
    ReplayResult r = Follow(scene, 1, "0 down right\n0 down up\n", KEEP_SIDE_KEYS);
    ASSERT_EQ(r.steps.size(), 1u);
    EXPECT_DOUBLE_EQ(std::fabs(r.steps[0]["viewerX"]), 1);
    EXPECT_DOUBLE_EQ(r.steps[0]["viewerZ"], -1);
    EXPECT_DOUBLE_EQ(r.steps[0]["walkedX"], r.steps[0]["viewerX"]);
}

TEST(FollowMotion, SidestepGiveUpEndsTheFrame) {
    // The point blocks the sidestep in the follow square, not the walk.
    MotionScene scene(3);
    scene.Set(FIELD_sideKeyMode, 1).Obstacle(-20.5, 0);
    ReplayResult r = Follow(scene, 1, "0 down right\n0 down up\n", KEEP_SIDE_KEYS);
    ASSERT_EQ(r.steps.size(), 1u);
    EXPECT_EQ(r.steps[0]["viewerX"], 0);
    EXPECT_EQ(r.steps[0]["viewerZ"], 0);
    EXPECT_EQ(r.steps[0]["forwardSpeed"], 0);
    EXPECT_EQ(r.steps[0]["blocked"], 1);
}

TEST(FollowMotion, ObstacleSquareIsTwoAndAHalfTimesWider) {
    // 12 and 15 away on the two axes: between collisionRadius and 2.5 times it.
    for (int mode : {1, 3}) {
        MotionScene scene(mode);
        scene.Obstacle(12, -15);
        ReplayResult r = Follow(scene, 1, "0 down up\n");
        ASSERT_EQ(r.steps.size(), 1u);
        EXPECT_EQ(r.steps[0]["viewerZ"], mode == 1 ? -1 : 0) << mode;
        EXPECT_EQ(r.steps[0]["blocked"], mode == 1 ? 0 : 1) << mode;

        MotionScene side(mode);
        side.Set(FIELD_sideKeyMode, 1).Obstacle(13, 12).Obstacle(-13, 12);
        r = Follow(side, 1, "0 down right\n", KEEP_SIDE_KEYS);
        ASSERT_EQ(r.steps.size(), 1u);
        EXPECT_EQ(std::fabs(r.steps[0]["viewerX"]), mode == 1 ? 1 : 0) << mode;
        EXPECT_EQ(r.steps[0]["blocked"], mode == 1 ? 0 : 1) << mode;
    }
}

}  // namespace
