// walk_replay_test.cpp -- first-person walking, turning, sidestepping and
// the obstacle deflection, checked frame by frame on replay traces.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/walk_scene.h"

namespace {

const double DEG = M_PI / 180.0;

// The viewer boxed in on three sides and ahead, with a narrow search, so
// that walking on gives up.
WalkScene BoxedIn() {
    WalkScene s;
    s.set["maxWalkSpeed"] = 2;
    s.set["walkAcceleration"] = 2;
    s.set["maxDeflection"] = 5;  // degrees: no probe of at most 0.08 rad clears
    s.obstacles = {{0, -9}, {-3, -9}, {3, -9}};
    return s;
}

TEST(WalkDeflection, WorkedExampleSlidesPastTheCorner) {
    WalkScene s;
    s.set["maxWalkSpeed"] = 2;
    s.set["walkAcceleration"] = 2;  // forwardSpeed 2 in the first frame
    s.obstacles = {{3, -9}};
    ReplayResult r = ReplayWalkScene(s, 1, "0 down up\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 1u);
    const TraceStep& t = r.steps[0];
    EXPECT_TRUE(t.ran);
    EXPECT_NEAR(t["viewerX"], -0.616, 0.0005);
    EXPECT_NEAR(t["viewerZ"], -0.762, 0.0005);
    EXPECT_NEAR(t["forwardSpeed"], 2 / 2.04, 1e-9);
    EXPECT_NEAR(t["forwardSpeed"], 0.980, 0.0005);
    // The deflected step is what the viewer walked; the view does not turn.
    EXPECT_DOUBLE_EQ(t["walkedX"], t["viewerX"]);
    EXPECT_DOUBLE_EQ(t["walkedZ"], t["viewerZ"]);
    EXPECT_EQ(t["heading"], 0);
    EXPECT_EQ(t["blocked"], 0);
    EXPECT_EQ(t["walkProbePhase"], 1);
    EXPECT_EQ(t["walkDeflection"], 0);
}

TEST(WalkDeflection, NoProbeClearsThenAFreeStepIsTakenAsItIs) {
    // Steps 0-1: Up gives up twice. Step 2: Up released (speed 0). Step 3:
    // Down backs away; its first step is free.
    ReplayResult r = ReplayWalkScene(BoxedIn(), 4, "0 down up\n2 up up\n3 down down\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 4u);
    for (int k = 0; k < 2; k++) {
        const TraceStep& t = r.steps[k];
        EXPECT_EQ(t["viewerX"], 0) << "step " << k;
        EXPECT_EQ(t["viewerZ"], 0) << "step " << k;
        EXPECT_EQ(t["forwardSpeed"], 0) << "step " << k;
        EXPECT_EQ(t["sidestepSpeed"], 0) << "step " << k;
        EXPECT_EQ(t["blocked"], 1) << "step " << k;
        EXPECT_EQ(t["walkProbePhase"], 1) << "step " << k;
        EXPECT_EQ(t["walkDeflection"], 0) << "step " << k;
        EXPECT_EQ(t["walkedZ"], 0) << "step " << k;
    }
    // Straight back by one acceleration step: no turn along the last probe
    // angle of the failed search, and the speed is not rescaled.
    const TraceStep& back = r.steps[3];
    EXPECT_EQ(back["forwardSpeed"], -2);
    EXPECT_EQ(back["viewerX"], 0);
    EXPECT_DOUBLE_EQ(back["viewerZ"], 2);
    EXPECT_DOUBLE_EQ(back["walkedZ"], 2);
    EXPECT_EQ(back["blocked"], 0);
}

TEST(WalkDeflection, AStepEndingExactlyOneRadiusAwayIsFree) {
    WalkScene s;
    s.set["maxWalkSpeed"] = 2;
    s.set["walkAcceleration"] = 2;
    s.obstacles = {{0, -10}};  // the step ends at z = -2: 8 away on z
    ReplayResult r = ReplayWalkScene(s, 1, "0 down up\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.steps[0]["viewerX"], 0);
    EXPECT_DOUBLE_EQ(r.steps[0]["viewerZ"], -2);
    EXPECT_EQ(r.steps[0]["blocked"], 0);

    s.obstacles = {{8, -2}};  // exactly 8 away on x, level on z
    r = ReplayWalkScene(s, 1, "0 down up\n");
    EXPECT_DOUBLE_EQ(r.steps[0]["viewerZ"], -2);
    EXPECT_EQ(r.steps[0]["blocked"], 0);

    s.obstacles = {{0, -9.999}};  // just inside: blocked (and no probe clears it)
    r = ReplayWalkScene(s, 1, "0 down up\n");
    EXPECT_EQ(r.steps[0]["viewerZ"], 0);
    EXPECT_EQ(r.steps[0]["blocked"], 1);
}

TEST(WalkSpeeds, AccelerationMayPassTheLimitAndReversalIsImmediate) {
    WalkScene s;
    s.set["maxWalkSpeed"] = 2.5;
    s.set["walkAcceleration"] = 1;
    ReplayResult r = ReplayWalkScene(s, 7, "0 down up\n4 down down\n6 up up\n6 up down\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 7u);
    const double speeds[] = {1, 2, 3, 3, -1, -1};
    double z = 0;
    for (int k = 0; k < 6; k++) {
        z -= speeds[k];  // heading 0: a forward step goes to -z
        EXPECT_EQ(r.steps[k]["forwardSpeed"], speeds[k]) << "step " << k;
        EXPECT_DOUBLE_EQ(r.steps[k]["viewerZ"], z) << "step " << k;
        EXPECT_DOUBLE_EQ(r.steps[k]["walkedZ"], z) << "step " << k;
    }
    // Releasing both keys stops at once: no coasting.
    EXPECT_EQ(r.steps[6]["forwardSpeed"], 0);
    EXPECT_DOUBLE_EQ(r.steps[6]["viewerZ"], z);
}

TEST(WalkSpeeds, BackwardFromRestMirrorsForward) {
    WalkScene s;
    s.set["maxWalkSpeed"] = 2.5;
    ReplayResult r = ReplayWalkScene(s, 4, "0 down down\n3 down up\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.steps[0]["forwardSpeed"], -1);
    EXPECT_EQ(r.steps[1]["forwardSpeed"], -2);
    EXPECT_EQ(r.steps[2]["forwardSpeed"], -3);
    EXPECT_DOUBLE_EQ(r.steps[2]["viewerZ"], 6);
    // Up while going back reverses to +1 at once; Down, handled after it,
    // then takes one step off: the speed is 0 and the viewer stands.
    EXPECT_EQ(r.steps[3]["forwardSpeed"], 0);
    EXPECT_DOUBLE_EQ(r.steps[3]["viewerZ"], 6);
}

// Heading after one frame of the given keys from a start heading.
double HeadingAfter(double startHeading, const std::string& keys) {
    WalkScene s;
    s.set["startHeading"] = -startHeading;  // the file holds minus the heading
    std::string events;
    for (size_t i = 0; i < keys.size(); i++) {
        const char* name = keys[i] == 'L' ? "left" : keys[i] == 'R' ? "right" : "down";
        events += std::string("0 down ") + name + "\n";
    }
    ReplayResult r = ReplayWalkScene(s, 1, events);
    EXPECT_EQ(r.status, 0) << r.errors;
    return r.steps.empty() ? NAN : r.steps[0]["heading"];
}

TEST(WalkTurning, HeadingCorrectionAndKeyRules) {
    EXPECT_EQ(HeadingAfter(359, "L"), 4);
    EXPECT_EQ(HeadingAfter(-359, "R"), -4);
    EXPECT_EQ(HeadingAfter(355, "L"), 360);    // exactly 360 stays
    EXPECT_EQ(HeadingAfter(-355, "R"), -360);
    EXPECT_EQ(HeadingAfter(0, "LR"), -5);      // Right wins
    EXPECT_EQ(HeadingAfter(0, "RL"), -5);
    EXPECT_EQ(HeadingAfter(0, "LD"), -5);      // backing up mirrors the turn
    EXPECT_EQ(HeadingAfter(0, "RD"), 5);
}

TEST(WalkTurning, TurningAloneMovesTheCameraNotTheViewer) {
    WalkScene s;
    ReplayResult r = ReplayWalkScene(s, 3, "1 down left\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    const TraceStep& t = r.steps[1];
    EXPECT_EQ(t["heading"], 5);
    EXPECT_EQ(t["turnDelta"], 5);
    EXPECT_DOUBLE_EQ(t["viewAngle"], -(5 - 90) * DEG);
    EXPECT_EQ(t["viewerX"], 0);
    EXPECT_EQ(t["viewerZ"], 0);
    // The target swings round at the look distance (100).
    EXPECT_NEAR(t["lookTargetX"], 100 * sin(5 * DEG), 1e-9);
    EXPECT_NEAR(t["lookTargetZ"], -100 * cos(5 * DEG), 1e-9);
    bool changed = false;
    for (int k = 0; k < 16; k++) changed |= r.steps[0].modelview[k] != t.modelview[k];
    EXPECT_TRUE(changed) << "turning without walking places the camera";
    EXPECT_EQ(r.steps[2]["heading"], 10);
}

TEST(WalkTurning, TurnThenWalkAlongTheNewHeading) {
    WalkScene s;
    ReplayResult r = ReplayWalkScene(s, 1, "0 down right\n0 down up\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    const TraceStep& t = r.steps[0];
    EXPECT_EQ(t["heading"], -5);
    EXPECT_DOUBLE_EQ(t["moveAngle"], 5 * DEG);
    // The view direction is (sin heading, -cos heading).
    EXPECT_NEAR(t["viewerX"], sin(-5 * DEG), 1e-12);
    EXPECT_NEAR(t["viewerZ"], -cos(-5 * DEG), 1e-12);
}

TEST(WalkSideKeys, SideKeyModeByBuild) {
    WalkScene s;
    s.set["sideKeyMode"] = 1;
    const std::string events = "0 down left\n";
    // The standard build forces 2: Left turns.
    ReplayResult turned = ReplayWalkScene(s, 2, events);
    ASSERT_EQ(turned.status, 0) << turned.errors;
    EXPECT_EQ(turned.steps[1]["heading"], 10);
    EXPECT_EQ(turned.steps[1]["viewerX"], 0);
    EXPECT_EQ(turned.steps[1]["sidestepSpeed"], 0);

    // The second build keeps 1: Left sidesteps to the viewer's left and the
    // heading stays. Looking along -z with up = -y, the left is +x.
    ReplayResult stepped = ReplayWalkScene(s, 2, events, "--keep-side-key-mode");
    ASSERT_EQ(stepped.status, 0) << stepped.errors;
    EXPECT_EQ(stepped.steps[1]["heading"], 0);
    EXPECT_EQ(stepped.steps[0]["sidestepSpeed"], -1);
    EXPECT_EQ(stepped.steps[1]["sidestepSpeed"], -2);
    EXPECT_NEAR(stepped.steps[1]["viewerX"], 3, 1e-12);
    EXPECT_NEAR(stepped.steps[1]["viewerZ"], 0, 1e-12);
    EXPECT_NEAR(stepped.steps[1]["moveAngle"], 90 * DEG, 1e-12);

    // Any other value: neither.
    s.set["sideKeyMode"] = 3;
    ReplayResult neither = ReplayWalkScene(s, 2, events + "0 down right\n", "--keep-side-key-mode");
    ASSERT_EQ(neither.status, 0) << neither.errors;
    EXPECT_EQ(neither.steps[1]["heading"], 0);
    EXPECT_EQ(neither.steps[1]["viewerX"], 0);
    EXPECT_EQ(neither.steps[1]["sidestepSpeed"], 0);
}

TEST(WalkSideKeys, SidestepAndWalkInOneFrame) {
    WalkScene s;
    s.set["sideKeyMode"] = 1;
    ReplayResult r = ReplayWalkScene(s, 1, "0 down right\n0 down up\n", "--keep-side-key-mode");
    ASSERT_EQ(r.status, 0) << r.errors;
    const TraceStep& t = r.steps[0];
    EXPECT_NEAR(t["viewerX"], -1, 1e-12);  // right (-x here), then forward
    EXPECT_NEAR(t["viewerZ"], -1, 1e-12);
    EXPECT_NEAR(t["walkedX"], -1, 1e-12);
    EXPECT_NEAR(t["walkedZ"], -1, 1e-12);
    EXPECT_EQ(t["moveAngle"], 0);  // the walk's direction stands last
}

TEST(WalkSideKeys, SidestepSearchKeepsItsOwnVariables) {
    // A wall on the viewer's right: the sidestep gives up, and the walk
    // that would follow in the same frame does not run.
    WalkScene s = BoxedIn();
    s.set["sideKeyMode"] = 1;
    s.obstacles = {{-9, 0}, {-9, -3}, {-9, 3}};
    ReplayResult r = ReplayWalkScene(s, 1, "0 down right\n0 down up\n", "--keep-side-key-mode");
    ASSERT_EQ(r.status, 0) << r.errors;
    const TraceStep& t = r.steps[0];
    EXPECT_EQ(t["viewerX"], 0);
    EXPECT_EQ(t["viewerZ"], 0);
    EXPECT_EQ(t["blocked"], 1);
    EXPECT_EQ(t["sidestepSpeed"], 0);
    EXPECT_EQ(t["forwardSpeed"], 0);
    EXPECT_EQ(t["sidestepProbePhase"], 1);
    EXPECT_EQ(t["walkProbePhase"], 1);
}

TEST(WalkCamera, NoKeyHeldLeavesTheCameraAlone) {
    WalkScene s;
    ReplayResult r = ReplayWalkScene(s, 4, "0 down up\n1 up up\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    for (int k = 0; k < 16; k++) {
        EXPECT_EQ(r.steps[1].modelview[k], r.steps[3].modelview[k]);
        EXPECT_EQ(r.steps[1].modelview[k], r.steps[0].modelview[k]);
    }
}

TEST(WalkDeflection, HugeMaxDeflectionStillEndsTheFrame) {
    WalkScene s = BoxedIn();
    s.obstacles = {{0, 0}};  // the viewer starts inside: every probe is blocked
    s.set["maxDeflection"] = 1e300;
    ReplayResult r = ReplayWalkScene(s, 2, "0 down up\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 2u);
    EXPECT_EQ(r.steps[1]["blocked"], 1);
    EXPECT_EQ(r.steps[1]["viewerZ"], 0);
    EXPECT_EQ(r.steps[1]["forwardSpeed"], 0);
}

}  // namespace
