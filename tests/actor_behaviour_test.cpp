// actor_behaviour_test.cpp -- actors walking their turning schedule, the
// probe search around obstacle points and waypoints, the turn away and the
// active range, checked on replay traces.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/figure_scene.h"

namespace {

const double DEG = M_PI / 180.0;

// One actor in view mode 1 with the viewer far off to the side, so that the
// viewer's own obstacle checks never meet the actor's obstacle points.
SceneDescription OneActorScene(const SceneActor& actor, double walkAcceleration) {
    SceneDescription s = BaseFigureScene(1);
    SetSetting(s, FIELD_startEyeX, 5000);
    SetSetting(s, FIELD_startTargetX, 5000);
    SetSetting(s, FIELD_walkAcceleration, walkAcceleration);
    s.actors.push_back(actor);
    return s;
}

double A(const TraceStep& t, const char* name) { return t.actors.at(0).at(name); }

TEST(ActorSchedule, StraightThenArcsOfMinus138AndPlus140RepeatingEvery439Frames) {
    SceneActor a = PlainActor(0, 0, 1);  // timer seed 0
    ReplayResult r = ReplayFigureScene(OneActorScene(a, 1), 1330);
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 1330u);
    const auto& s = r.steps;
    // Straight along -z until the first arc, at its full speed.
    for (int k = 0; k <= 150; k++) {
        ASSERT_EQ(A(s[k], "actorHeading"), 0) << k;
        ASSERT_EQ(A(s[k], "actorX"), 0) << k;
        ASSERT_EQ(A(s[k], "actorTimer"), k + 1) << k;
        ASSERT_EQ(A(s[k], "actorPose"), 1) << k;
    }
    EXPECT_DOUBLE_EQ(A(s[150], "actorZ"), -151);
    EXPECT_DOUBLE_EQ(A(s[150], "actorWalkedZ"), -151);
    // First arc: timer values 151..219, two degrees a frame the one way.
    EXPECT_EQ(A(s[151], "actorHeading"), -2);
    EXPECT_EQ(A(s[219], "actorHeading"), -138);
    for (int k = 220; k <= 369; k++) ASSERT_EQ(A(s[k], "actorHeading"), -138) << k;
    // Second arc: 370..439, the other way; the timer restarts at 439.
    EXPECT_EQ(A(s[370], "actorHeading"), -136);
    EXPECT_EQ(A(s[439], "actorHeading"), 2);
    EXPECT_EQ(A(s[439], "actorTimer"), 1);
    // From then on the schedule repeats every 439 frames: same timer, same
    // turn each frame, the heading 2 degrees further round per cycle.
    for (int k = 440; k + 439 < 1330; k++) {
        ASSERT_EQ(A(s[k + 439], "actorTimer"), A(s[k], "actorTimer")) << k;
        double turn = A(s[k], "actorHeading") - A(s[k - 1], "actorHeading");
        double later = A(s[k + 439], "actorHeading") - A(s[k + 438], "actorHeading");
        ASSERT_NEAR(later, turn, 1e-9) << k;
    }
    // Walking on a straight leg between arcs: the direction stays that of
    // the heading (speed 1, moveAngle -heading).
    double dx = A(s[300], "actorX") - A(s[299], "actorX");
    double dz = A(s[300], "actorZ") - A(s[299], "actorZ");
    EXPECT_NEAR(dx, -sin(138 * DEG), 1e-9);
    EXPECT_NEAR(dz, -cos(138 * DEG), 1e-9);
    // The actors never touch the viewer's working values.
    for (const TraceStep& t : s) ASSERT_EQ(t["moveAngle"], 0) << t.step;
}

TEST(ActorSchedule, TimerSeededFromTheStartX) {
    // Actor 0 at x = -1234.7: 1234 halved by 10 / 2 until at most 430 is
    // 246; actor 1 (divisor 5, halving by 2): 1234 -> 617 -> 308.
    SceneDescription s = OneActorScene(PlainActor(-1234.7, 0, 0), 1);
    s.actors.push_back(PlainActor(1234, 0, 0));
    ReplayResult r = ReplayFigureScene(s, 1);
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 1u);
    EXPECT_EQ(r.steps[0].actors.at(0).at("actorTimer"), 247);  // one frame on
    EXPECT_EQ(r.steps[0].actors.at(1).at("actorTimer"), 309);
}

TEST(ActorProbes, ObstacleWithinTwiceTheRadiusTurnsTowardsTheFirstProbeAtFullSpeed) {
    // Step 0 takes the actor to (0, -15), 19 short of the obstacle: inside
    // 2R = 20, outside R = 10. The probes at +0.4 and -0.4 (10 long) are
    // both free; +0.4 comes first, so the heading falls by 10 and the speed
    // divisor is max(1, 2.5 * 0.4) = 1.
    SceneActor a = PlainActor(0, 0, 15);
    a.avoidsObstacles = 1;
    SceneDescription s = OneActorScene(a, 15);
    s.obstacles = {{0, -34}};
    ReplayResult r = ReplayFigureScene(s, 1);
    ASSERT_EQ(r.status, 0) << r.errors;
    const TraceStep& t = r.steps.at(0);
    EXPECT_EQ(A(t, "actorHeading"), -10);
    EXPECT_EQ(A(t, "actorSpeed"), 15);
    EXPECT_NEAR(A(t, "actorX"), -sin(10 * DEG) * 15, 1e-9);
    EXPECT_NEAR(A(t, "actorZ"), -cos(10 * DEG) * 15, 1e-9);
    EXPECT_DOUBLE_EQ(A(t, "actorWalkedX"), A(t, "actorX"));
    EXPECT_EQ(A(t, "actorBlocked"), 0);
    EXPECT_EQ(A(t, "actorProbeAngle"), 0);
    EXPECT_EQ(A(t, "actorState"), 1);
}

TEST(ActorProbes, AllSixProbesBlockedTurnsTheOtherWayAtAQuarterSpeed) {
    // Every probe of 10 from the start stays within 20 of the obstacle 15
    // ahead; the search gives up at -1.6, so the heading rises by 10 and the
    // speed is 1 / (2.5 * 1.6). That small step stays outside R.
    SceneActor a = PlainActor(0, 0, 1);
    a.avoidsObstacles = 1;
    SceneDescription s = OneActorScene(a, 1);
    s.obstacles = {{0, -15}};
    ReplayResult r = ReplayFigureScene(s, 1);
    ASSERT_EQ(r.status, 0) << r.errors;
    const TraceStep& t = r.steps.at(0);
    EXPECT_EQ(A(t, "actorHeading"), 10);
    EXPECT_NEAR(A(t, "actorSpeed"), 0.25, 1e-12);
    EXPECT_NEAR(A(t, "actorX"), sin(10 * DEG) * 0.25, 1e-9);
    EXPECT_NEAR(A(t, "actorZ"), -cos(10 * DEG) * 0.25, 1e-9);
    EXPECT_EQ(A(t, "actorBlocked"), 0);
    EXPECT_EQ(A(t, "actorState"), 1);
}

TEST(ActorProbes, ObstaclePointsAreIgnoredUnlessTheActorAvoidsThem) {
    SceneDescription s = OneActorScene(PlainActor(0, 0, 1), 1);
    s.obstacles = {{0, -15}};
    ReplayResult r = ReplayFigureScene(s, 3);
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(A(r.steps.at(2), "actorHeading"), 0);
    EXPECT_DOUBLE_EQ(A(r.steps.at(2), "actorZ"), -3);
}

TEST(ActorProbes, BlockedTurnAwayIsCarriedIntoTheNextFrame) {
    // A waypoint 15 ahead blocks every probe, and the quarter-speed turn
    // away too (waypoints count within 2R there): the actor stays put,
    // blocked, with the enlarged probe angle 4 and the search phase 2.
    SceneActor a = PlainActor(0, 0, 1);
    a.usesWaypoints = 1;
    a.waypoints = {{0, -15}};
    ReplayResult r = ReplayFigureScene(OneActorScene(a, 1), 2);
    ASSERT_EQ(r.status, 0) << r.errors;
    const TraceStep& t = r.steps.at(0);
    EXPECT_EQ(A(t, "actorX"), 0);
    EXPECT_EQ(A(t, "actorZ"), 0);
    EXPECT_EQ(A(t, "actorHeading"), 10);
    EXPECT_EQ(A(t, "actorBlocked"), 1);
    EXPECT_NEAR(A(t, "actorProbeAngle"), 4.0, 1e-12);
    EXPECT_EQ(A(t, "actorState"), 2);
    EXPECT_NEAR(A(t, "actorSpeed"), 0.25, 1e-12);
    // Next frame the search goes on from 4.0 in phase 2.
    const TraceStep& u = r.steps.at(1);
    EXPECT_EQ(A(u, "actorTimer"), 2);
    EXPECT_LE(A(u, "actorProbeAngle"), 4.0);
}

TEST(ActorRange, ViewerOutsideTheActiveRangeFreezesTheActorAndItsTimer) {
    SceneActor a = PlainActor(0, 0, 1);
    a.rangeLimited = 1;
    a.activeRange = 5000;  // the viewer stands exactly 5000 away: outside
    ReplayResult r = ReplayFigureScene(OneActorScene(a, 1), 5);
    ASSERT_EQ(r.status, 0) << r.errors;
    for (const TraceStep& t : r.steps) {
        EXPECT_EQ(A(t, "actorTimer"), 0);
        EXPECT_EQ(A(t, "actorZ"), 0);
        EXPECT_EQ(A(t, "actorSpeed"), 0);
        EXPECT_EQ(A(t, "actorPose"), 0);
    }
    a.activeRange = 5000.5;  // now inside
    ReplayResult in = ReplayFigureScene(OneActorScene(a, 1), 5);
    ASSERT_EQ(in.status, 0) << in.errors;
    EXPECT_EQ(A(in.steps.at(4), "actorTimer"), 5);
    EXPECT_EQ(A(in.steps.at(4), "actorZ"), -5);
}

}  // namespace
