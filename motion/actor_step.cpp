// actor_step.cpp -- the behaviour step of an actor: speed, the turning schedule,
// the probe search around waypoints and obstacle points, and the turn away.
#include <algorithm>
#include <cmath>

#include "motion/behaviour.h"
#include "motion/motion.h"
#include "scene/scene.h"

// One actor's step: what it reads, the actor it moves, and its working
// values. They are the actor's own, so the viewer's motion variables of the
// same meaning are never disturbed.
struct ActorStepWork {
    const Scene& scene;
    const ObstacleIndex& obstacles;
    const ViewerState& viewer;
    int i;                         // the actor's index in the scene's tables
    ActorMotion& a;
    double moveAngle = 0;          // radians, -actorHeading * degToRad
    double stepX = 0, stepZ = 0;   // the last step, kept for its undo
    double speedBeforeProbe = 0;   // the speed of the frame's first step
    int probes = 0;                // probe steps of the search
};

constexpr double ACTOR_PROBE_STEP = 0.4;       // radians between probe directions
constexpr double ACTOR_TURN_AWAY = 10.0;       // degrees turned away from a collision
constexpr double ACTOR_SLOWDOWN_FACTOR = 2.5;  // speed divisor per radian of probe angle
// A blocked turn-away keeps its enlarged probe angle for the next search,
// which counts it down in probe steps; 4.0 (what a give-up at -1.6 yields)
// keeps that search short.
constexpr double ACTOR_PROBE_ANGLE_CAP = 4.0;
constexpr int ARC_ONE_FIRST = 151, ARC_ONE_LAST = 219;  // heading falls 2 degrees a frame
constexpr int ARC_TWO_FIRST = 370, ARC_TWO_LAST = 439;  // heading rises 2 degrees a frame
constexpr double ARC_TURN = 2.0;

// One step of actor i along angle (radians) at speed; kept for its undo.
static void TakeActorStep(ActorStepWork& w, double angle, double speed) {
    w.stepX = sin(angle) * speed;
    w.stepZ = cos(angle) * speed;
    w.a.actorX -= w.stepX;
    w.a.actorZ -= w.stepZ;
}

// Takes the last step back.
static void UndoActorStep(ActorStepWork& w) {
    w.a.actorX += w.stepX;
    w.a.actorZ += w.stepZ;
}

// The step stands: it counts towards where the actor is drawn.
static void KeepActorStep(ActorStepWork& w) {
    w.a.actorWalkedZ -= w.stepZ;
    w.a.actorWalkedX -= w.stepX;
}

// One correction each way, as for the viewer's heading.
static void CorrectActorHeading(ActorMotion& a) {
    if (a.actorHeading > 360) a.actorHeading -= 360;
    if (a.actorHeading < -360) a.actorHeading += 360;
}

// (x, z) strictly within r of (px, pz) on both axes.
static bool WithinSquare(double x, double z, double px, double pz, double r) {
    return x - px < r && px - x < r && z - pz < r && pz - z < r;
}

// Some waypoint of actor i (when it uses them) within r of its position.
static bool WaypointNear(const Scene& scene, int i, const ActorMotion& a, double r) {
    if (scene.actorUsesWaypoints[i] != 1 || (size_t)i >= scene.actorWaypointCount.size) return false;
    if ((size_t)i >= scene.actorWaypointX.cols || (size_t)i >= scene.actorWaypointZ.cols) return false;
    int n = scene.actorWaypointCount[i];
    int rows = (int)std::min(scene.actorWaypointX.rows, scene.actorWaypointZ.rows);
    if (n > rows - 1) n = rows - 1;
    for (int w = 1; w <= n; w++)
        if (WithinSquare(a.actorX, a.actorZ, scene.actorWaypointX(w, i), scene.actorWaypointZ(w, i), r))
            return true;
    return false;
}

// Some obstacle point (when actor i avoids them) within r of its position.
static bool ObstaclePointNear(const Scene& scene, const ObstacleIndex& obstacles, int i,
                              const ActorMotion& a, double r) {
    return scene.actorAvoidsObstacles[i] == 1 && ObstacleNear(obstacles, a.actorX, a.actorZ, r);
}

// Waypoints first, then the obstacle points.
bool ActorHitsObstacle(const Scene& scene, const ObstacleIndex& obstacles, int i,
                       const ActorMotion& a, double r) {
    return WaypointNear(scene, i, a, r) || ObstaclePointNear(scene, obstacles, i, a, r);
}

// The viewer point strictly inside the active square around the actor point.
static bool ViewerWithinActiveRange(const ActorStepWork& w) {
    const Scene& scene = w.scene;
    const ViewerState& viewer = w.viewer;
    const ActorMotion& a = w.a;
    int i = w.i;
    double ax = scene.actorStartX[i] + a.actorWalkedX, az = scene.actorStartZ[i] + a.actorWalkedZ;
    return WithinSquare(scene.startEyeX + viewer.walkedX, scene.startEyeZ + viewer.walkedZ, ax, az,
                        scene.actorActiveRange[i]);
}

// Speeds up towards actorMaxSpeed (or backwards while braking); the limit
// is compared before the addition.
static void ApplyActorSpeedRule(const Scene& scene, int i, ActorMotion& a) {
    double acceleration = scene.walkAcceleration;
    if (a.actorAccelerating == 1) {
        if (a.actorSpeed < scene.actorMaxSpeed[i]) a.actorSpeed += acceleration;
        if (a.actorSpeed < 0) a.actorSpeed = acceleration;
    }
    if (a.actorBraking == 1) {
        if (a.actorSpeed > -scene.actorMaxSpeed[i]) a.actorSpeed -= acceleration;
        if (a.actorSpeed > 0) a.actorSpeed = -acceleration;
    }
}

// Re-takes the frame's step after turning the heading by delta degrees.
static void TurnOnSchedule(ActorStepWork& w, double delta) {
    ActorMotion& a = w.a;
    UndoActorStep(w);
    a.actorHeading += delta;
    CorrectActorHeading(a);
    w.moveAngle = -a.actorHeading * w.scene.degToRad;
    TakeActorStep(w, w.moveAngle, a.actorSpeed);
}

// Timer 151..219 turns one way, 370..439 the other; 439 restarts the timer.
static void FollowTurningSchedule(ActorStepWork& w) {
    ActorMotion& a = w.a;
    if (a.actorTimer >= ARC_ONE_FIRST && a.actorTimer <= ARC_ONE_LAST) TurnOnSchedule(w, -ARC_TURN);
    if (a.actorTimer >= ARC_TWO_FIRST && a.actorTimer <= ARC_TWO_LAST) {
        TurnOnSchedule(w, ARC_TURN);
        if (a.actorTimer == ARC_TWO_LAST) a.actorTimer = 0;
    }
}

// Probes around the collision until a free position is found or the search
// gives up. True when the frame's step stands; false when the actor must
// turn away (its position is then back at the start of the frame).
static bool SearchFreeStep(ActorStepWork& w) {
    const Scene& scene = w.scene;
    ActorMotion& a = w.a;
    int i = w.i;
    double reach = 2 * scene.actorCollisionRadius[i];
    while (ActorHitsObstacle(scene, w.obstacles, i, a, reach)) {
        UndoActorStep(w);
        a.actorBlocked = 1;
        a.actorSpeed = w.speedBeforeProbe < 0 ? -scene.actorCollisionRadiusCopy[i]
                                              : scene.actorCollisionRadiusCopy[i];
        if (a.actorState == 1) {
            a.actorProbeAngle += ACTOR_PROBE_STEP;
            if (a.actorProbeAngle >= M_PI / 2) {
                a.actorState = 2;
                a.actorProbeAngle = 0;
            }
        }
        if (a.actorState == 2) {
            a.actorProbeAngle -= ACTOR_PROBE_STEP;
            if (a.actorProbeAngle <= -M_PI / 2) return false;
        }
        TakeActorStep(w, w.moveAngle + a.actorProbeAngle, a.actorSpeed);
        w.probes++;
    }
    if (a.actorBlocked == 0) {
        KeepActorStep(w);
        return true;
    }
    UndoActorStep(w);
    return false;
}

// Turns 10 degrees towards the free side (or back, after a give-up), slows
// down by the probe angle and steps; a waypoint within 2R or an obstacle
// point within R takes the step back and leaves the actor blocked.
static void TurnAway(ActorStepWork& w) {
    const Scene& scene = w.scene;
    ActorMotion& a = w.a;
    int i = w.i;
    if (a.actorProbeAngle < 0) {
        a.actorProbeAngle = -a.actorProbeAngle;
        a.actorHeading += ACTOR_TURN_AWAY;
    } else {
        a.actorHeading -= ACTOR_TURN_AWAY;
    }
    CorrectActorHeading(a);
    w.moveAngle = -a.actorHeading * scene.degToRad;
    a.actorProbeAngle *= ACTOR_SLOWDOWN_FACTOR;
    if (a.actorProbeAngle < 1.0) a.actorProbeAngle = 1.0;
    a.actorSpeed = w.speedBeforeProbe / a.actorProbeAngle;
    TakeActorStep(w, w.moveAngle, a.actorSpeed);
    if (WaypointNear(scene, i, a, 2 * scene.actorCollisionRadius[i]) ||
        ObstaclePointNear(scene, w.obstacles, i, a, scene.actorCollisionRadius[i])) {
        UndoActorStep(w);
        if (a.actorProbeAngle > ACTOR_PROBE_ANGLE_CAP) a.actorProbeAngle = ACTOR_PROBE_ANGLE_CAP;
        return;
    }
    a.actorBlocked = 0;
    a.actorProbeAngle = 0;
    a.actorState = 1;
    KeepActorStep(w);
}

// One frame of actor i: range, speed, schedule, search, turn away, timer.
int StepActor(const Scene& scene, const ObstacleIndex& obstacles, const ViewerState& viewer, int i,
              ActorMotion& a) {
    ActorStepWork w{scene, obstacles, viewer, i, a};
    if (scene.actorRangeLimited[i] != 0 && !ViewerWithinActiveRange(w)) return 0;
    if (a.actorActive != 1) {
        a.actorTimer++;
        return 0;
    }
    a.actorPose = ACTOR_POSE_WALKING;
    w.moveAngle = -a.actorHeading * scene.degToRad;
    ApplyActorSpeedRule(scene, i, a);
    TakeActorStep(w, w.moveAngle, a.actorSpeed);
    w.speedBeforeProbe = a.actorSpeed;
    FollowTurningSchedule(w);
    if (!SearchFreeStep(w)) TurnAway(w);
    a.actorTimer++;
    return w.probes;
}
