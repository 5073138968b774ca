// actor_step_test.cpp -- the actor behaviour step called directly, frame by
// frame, where a trace cannot show enough: the number of probes a search
// takes, and that the viewer's motion working values stay untouched.
#include <gtest/gtest.h>

#include <cmath>

#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"

namespace {

// Actor 0 at (x, z) facing -z, R = 10, max speed 1, with the waypoints given;
// walkAcceleration 1.
void SetUpActor(double x, double z, std::initializer_list<std::pair<double, double>> waypoints) {
    ResetSceneModel();
    degToRad = M_PI / 180.0;
    walkAcceleration = 1;
    actorLastIndex = 0;
    actorWaypointCount.Allocate(1);
    actorPartVertexCount.Allocate(1);
    int n = (int)waypoints.size();
    actorWaypointX.Allocate(n + 1, 1);
    actorWaypointZ.Allocate(n + 1, 1);
    int w = 1;
    for (const auto& [wx, wz] : waypoints) {
        actorWaypointX(w, 0) = wx;
        actorWaypointZ(w, 0) = wz;
        w++;
    }
    actorWaypointCount[0] = n;
    actorUsesWaypoints[0] = n > 0;
    actorStartX[0] = actorX[0] = x;
    actorStartZ[0] = actorZ[0] = z;
    actorMaxSpeed[0] = 1;
    actorCollisionRadius[0] = actorCollisionRadiusCopy[0] = 10;
    actorState[0] = actorActive[0] = actorAccelerating[0] = 1;
    obstacleCount = 0;
    obstacleX.Allocate(1);
    obstacleZ.Allocate(1);
    BuildObstacleIndex();
}

TEST(ActorSearchBound, BoxedInActorWithFailingTurnAwaysProbesAtMostAbout20TimesAFrame) {
    // The actor stands 2.1 inside the square of a waypoint (between two more) and faces
    // into them. Probes turned far round find the way out behind, but each
    // slow turn-away step stays inside: every frame ends blocked and stores
    // an enlarged probe angle, which the next search counts down from.
    SetUpActor(0, 17.9, {{0, 0}, {-19.9, 0}, {19.9, 0}});
    int blockedFrames = 0;
    for (int frame = 0; frame < 300; frame++) {
        StepActor(0);
        ASSERT_LE(actorProbeCount, 20) << "frame " << frame;
        ASSERT_LE(actorProbeAngle[0], 4.0) << "frame " << frame;
        ASSERT_TRUE(std::isfinite(actorX[0]) && std::isfinite(actorZ[0])) << "frame " << frame;
        blockedFrames += actorBlocked[0];
    }
    EXPECT_EQ(blockedFrames, 300);  // it really is boxed in
    EXPECT_EQ(actorX[0], 0);
    EXPECT_EQ(actorZ[0], 17.9);
}

TEST(ActorSearchBound, GivingUpTriesTheSixDirectionsOnce) {
    // Every probe blocked: +0.4, +0.8, +1.2, -0.4, -0.8, -1.2.
    SetUpActor(0, 0, {{0, -15}});
    StepActor(0);
    EXPECT_EQ(actorProbeCount, 6);
    EXPECT_EQ(actorHeading[0], 10);
}

TEST(ActorWorkingValues, TheViewersMotionValuesAreNotTheActors) {
    SetUpActor(0, 0, {{0, -15}});
    viewer.moveAngle = 0.25;
    viewer.stepX = 1.5;
    viewer.stepZ = -2.5;
    viewer.walkSpeedBeforeProbe = 3.5;
    viewer.walkProbeAngle = -0.75;
    for (int frame = 0; frame < 20; frame++) StepActor(0);
    EXPECT_NE(actorHeading[0], 0);  // the actor did search and turn
    EXPECT_EQ(viewer.moveAngle, 0.25);
    EXPECT_EQ(viewer.stepX, 1.5);
    EXPECT_EQ(viewer.stepZ, -2.5);
    EXPECT_EQ(viewer.walkSpeedBeforeProbe, 3.5);
    EXPECT_EQ(viewer.walkProbeAngle, -0.75);
}

}  // namespace
