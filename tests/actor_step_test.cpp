// actor_step_test.cpp -- the actor behaviour step called directly, frame by
// frame, where a trace cannot show enough: the number of probes a search
// takes, and that each actor's step works on its own values.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "motion/behaviour.h"
#include "motion/motion.h"
#include "scene/scene.h"

namespace {

// A scene whose actors stand boxed in by waypoints, the index of its (no)
// obstacle points, and the actors' moving state.
struct ActorScene {
    std::unique_ptr<Scene> scene = std::make_unique<Scene>();
    ObstacleIndex obstacles;
    ViewerState viewer;
    ActorMotion actors[2];

    int Step(int i) { return StepActor(*scene, obstacles, viewer, i, actors[i]); }
};

// Actors 0 and 1, actor i at (x, z) facing -z, R = 10, max speed 1, with
// the waypoints given; walkAcceleration 1.
void SetUpActors(ActorScene& a, double x, double z,
                 std::initializer_list<std::pair<double, double>> waypoints) {
    Scene& s = *a.scene;
    s.degToRad = M_PI / 180.0;
    s.walkAcceleration = 1;
    s.actorLastIndex = 1;
    s.actorWaypointCount.Allocate(2);
    s.actorPartVertexCount.Allocate(2);
    int n = (int)waypoints.size();
    s.actorWaypointX.Allocate(n + 1, 2);
    s.actorWaypointZ.Allocate(n + 1, 2);
    for (int i = 0; i < 2; i++) {
        int w = 1;
        for (const auto& [wx, wz] : waypoints) {
            s.actorWaypointX(w, i) = wx + 1000 * i;
            s.actorWaypointZ(w, i) = wz;
            w++;
        }
        s.actorWaypointCount[i] = n;
        s.actorUsesWaypoints[i] = n > 0;
        s.actorStartX[i] = x + 1000 * i;
        s.actorStartZ[i] = z;
        s.actorMaxSpeed[i] = 1;
        s.actorCollisionRadius[i] = s.actorCollisionRadiusCopy[i] = 10;
        ActorMotion& actor = a.actors[i];
        actor.actorX = s.actorStartX[i];
        actor.actorZ = z;
        actor.actorState = actor.actorActive = actor.actorAccelerating = 1;
    }
    s.obstacleX.Allocate(1);
    s.obstacleZ.Allocate(1);
    a.obstacles = BuildObstacleIndex(s);
}

TEST(ActorSearchBound, BoxedInActorWithFailingTurnAwaysProbesAtMostAbout20TimesAFrame) {
    // The actor stands 2.1 inside the square of a waypoint (between two more) and faces
    // into them. Probes turned far round find the way out behind, but each
    // slow turn-away step stays inside: every frame ends blocked and stores
    // an enlarged probe angle, which the next search counts down from.
    ActorScene a;
    SetUpActors(a, 0, 17.9, {{0, 0}, {-19.9, 0}, {19.9, 0}});
    const ActorMotion& actor = a.actors[0];
    int blockedFrames = 0;
    for (int frame = 0; frame < 300; frame++) {
        ASSERT_LE(a.Step(0), 20) << "frame " << frame;
        ASSERT_LE(actor.actorProbeAngle, 4.0) << "frame " << frame;
        ASSERT_TRUE(std::isfinite(actor.actorX) && std::isfinite(actor.actorZ)) << "frame " << frame;
        blockedFrames += actor.actorBlocked;
    }
    EXPECT_EQ(blockedFrames, 300);  // it really is boxed in
    EXPECT_EQ(actor.actorX, 0);
    EXPECT_EQ(actor.actorZ, 17.9);
}

TEST(ActorSearchBound, GivingUpTriesTheSixDirectionsOnce) {
    // Every probe blocked: +0.4, +0.8, +1.2, -0.4, -0.8, -1.2.
    ActorScene a;
    SetUpActors(a, 0, 0, {{0, -15}});
    EXPECT_EQ(a.Step(0), 6);
    EXPECT_EQ(a.actors[0].actorHeading, 10);
}

// The working values of a step (its direction, its step for the undo, its
// speed before the search) belong to that step: an actor stepped between
// another's frames leaves it exactly where it walks alone.
TEST(ActorWorkingValues, EachActorsStepIsItsOwn) {
    ActorScene alone, together;
    SetUpActors(alone, 0, 0, {{0, -15}});
    SetUpActors(together, 0, 0, {{0, -15}});
    together.actors[1].actorHeading = 45;  // the other one walks another way
    for (int frame = 0; frame < 40; frame++) {
        alone.Step(0);
        together.Step(1);
        together.Step(0);
    }
    EXPECT_NE(alone.actors[0].actorHeading, 0);  // the actor did search and turn
    EXPECT_EQ(alone.actors[0].actorX, together.actors[0].actorX);
    EXPECT_EQ(alone.actors[0].actorZ, together.actors[0].actorZ);
    EXPECT_EQ(alone.actors[0].actorHeading, together.actors[0].actorHeading);
    EXPECT_EQ(alone.actors[0].actorProbeAngle, together.actors[0].actorProbeAngle);
}

}  // namespace
