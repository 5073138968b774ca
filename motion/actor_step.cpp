// actor_step.cpp -- the behaviour step of an actor: speed, the turning schedule,
// the probe search around waypoints and obstacle points, and the turn away.
#include <algorithm>
#include <cmath>

#include "motion/behaviour.h"
#include "motion/motion.h"
#include "scene/scene.h"

// Working values of the actor being stepped. They are the actors' own, so
// the viewer's motion variables of the same meaning are never disturbed.
static double actorMoveAngle;         // scratch: radians, -actorHeading * degToRad
static double actorStepX, actorStepZ; // scratch: the last step, kept for its undo
static double actorSpeedBeforeProbe;  // scratch: the speed of the frame's first step

int actorProbeCount;

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
static void TakeActorStep(int i, double angle, double speed) {
    actorStepX = sin(angle) * speed;
    actorStepZ = cos(angle) * speed;
    actorX[i] -= actorStepX;
    actorZ[i] -= actorStepZ;
}

// Takes the last step back.
static void UndoActorStep(int i) {
    actorX[i] += actorStepX;
    actorZ[i] += actorStepZ;
}

// The step stands: it counts towards where the actor is drawn.
static void KeepActorStep(int i) {
    actorWalkedZ[i] -= actorStepZ;
    actorWalkedX[i] -= actorStepX;
}

// One correction each way, as for the viewer's heading.
static void CorrectActorHeading(int i) {
    if (actorHeading[i] > 360) actorHeading[i] -= 360;
    if (actorHeading[i] < -360) actorHeading[i] += 360;
}

// (x, z) strictly within r of (px, pz) on both axes.
static bool WithinSquare(double x, double z, double px, double pz, double r) {
    return x - px < r && px - x < r && z - pz < r && pz - z < r;
}

// Some waypoint of actor i (when it uses them) within r of its position.
static bool WaypointNear(int i, double r) {
    if (actorUsesWaypoints[i] != 1 || (size_t)i >= actorWaypointCount.size) return false;
    if ((size_t)i >= actorWaypointX.cols || (size_t)i >= actorWaypointZ.cols) return false;
    int n = actorWaypointCount[i];
    int rows = (int)std::min(actorWaypointX.rows, actorWaypointZ.rows);
    if (n > rows - 1) n = rows - 1;
    for (int w = 1; w <= n; w++)
        if (WithinSquare(actorX[i], actorZ[i], actorWaypointX(w, i), actorWaypointZ(w, i), r))
            return true;
    return false;
}

// Some obstacle point (when actor i avoids them) within r of its position.
static bool ObstaclePointNear(int i, double r) {
    return actorAvoidsObstacles[i] == 1 && ObstacleNear(actorX[i], actorZ[i], r);
}

// Waypoints first, then the obstacle points.
bool ActorHitsObstacle(int i, double r) { return WaypointNear(i, r) || ObstaclePointNear(i, r); }

// The viewer point strictly inside the active square around the actor point.
static bool ViewerWithinActiveRange(int i) {
    double ax = actorStartX[i] + actorWalkedX[i], az = actorStartZ[i] + actorWalkedZ[i];
    return WithinSquare(startEyeX + viewer.walkedX, startEyeZ + viewer.walkedZ, ax, az,
                        actorActiveRange[i]);
}

// Speeds up towards actorMaxSpeed (or backwards while braking); the limit
// is compared before the addition.
static void ApplyActorSpeedRule(int i) {
    double a = walkAcceleration;
    if (actorAccelerating[i] == 1) {
        if (actorSpeed[i] < actorMaxSpeed[i]) actorSpeed[i] += a;
        if (actorSpeed[i] < 0) actorSpeed[i] = a;
    }
    if (actorBraking[i] == 1) {
        if (actorSpeed[i] > -actorMaxSpeed[i]) actorSpeed[i] -= a;
        if (actorSpeed[i] > 0) actorSpeed[i] = -a;
    }
}

// Re-takes the frame's step after turning the heading by delta degrees.
static void TurnOnSchedule(int i, double delta) {
    UndoActorStep(i);
    actorHeading[i] += delta;
    CorrectActorHeading(i);
    actorMoveAngle = -actorHeading[i] * degToRad;
    TakeActorStep(i, actorMoveAngle, actorSpeed[i]);
}

// Timer 151..219 turns one way, 370..439 the other; 439 restarts the timer.
static void FollowTurningSchedule(int i) {
    if (actorTimer[i] >= ARC_ONE_FIRST && actorTimer[i] <= ARC_ONE_LAST) TurnOnSchedule(i, -ARC_TURN);
    if (actorTimer[i] >= ARC_TWO_FIRST && actorTimer[i] <= ARC_TWO_LAST) {
        TurnOnSchedule(i, ARC_TURN);
        if (actorTimer[i] == ARC_TWO_LAST) actorTimer[i] = 0;
    }
}

// Probes around the collision until a free position is found or the search
// gives up. True when the frame's step stands; false when the actor must
// turn away (its position is then back at the start of the frame).
static bool SearchFreeStep(int i) {
    double reach = 2 * actorCollisionRadius[i];
    while (ActorHitsObstacle(i, reach)) {
        UndoActorStep(i);
        actorBlocked[i] = 1;
        actorSpeed[i] = actorSpeedBeforeProbe < 0 ? -actorCollisionRadiusCopy[i]
                                                  : actorCollisionRadiusCopy[i];
        if (actorState[i] == 1) {
            actorProbeAngle[i] += ACTOR_PROBE_STEP;
            if (actorProbeAngle[i] >= M_PI / 2) {
                actorState[i] = 2;
                actorProbeAngle[i] = 0;
            }
        }
        if (actorState[i] == 2) {
            actorProbeAngle[i] -= ACTOR_PROBE_STEP;
            if (actorProbeAngle[i] <= -M_PI / 2) return false;
        }
        TakeActorStep(i, actorMoveAngle + actorProbeAngle[i], actorSpeed[i]);
        actorProbeCount++;
    }
    if (actorBlocked[i] == 0) {
        KeepActorStep(i);
        return true;
    }
    UndoActorStep(i);
    return false;
}

// Turns 10 degrees towards the free side (or back, after a give-up), slows
// down by the probe angle and steps; a waypoint within 2R or an obstacle
// point within R takes the step back and leaves the actor blocked.
static void TurnAway(int i) {
    if (actorProbeAngle[i] < 0) {
        actorProbeAngle[i] = -actorProbeAngle[i];
        actorHeading[i] += ACTOR_TURN_AWAY;
    } else {
        actorHeading[i] -= ACTOR_TURN_AWAY;
    }
    CorrectActorHeading(i);
    actorMoveAngle = -actorHeading[i] * degToRad;
    actorProbeAngle[i] *= ACTOR_SLOWDOWN_FACTOR;
    if (actorProbeAngle[i] < 1.0) actorProbeAngle[i] = 1.0;
    actorSpeed[i] = actorSpeedBeforeProbe / actorProbeAngle[i];
    TakeActorStep(i, actorMoveAngle, actorSpeed[i]);
    if (WaypointNear(i, 2 * actorCollisionRadius[i]) ||
        ObstaclePointNear(i, actorCollisionRadius[i])) {
        UndoActorStep(i);
        if (actorProbeAngle[i] > ACTOR_PROBE_ANGLE_CAP) actorProbeAngle[i] = ACTOR_PROBE_ANGLE_CAP;
        return;
    }
    actorBlocked[i] = 0;
    actorProbeAngle[i] = 0;
    actorState[i] = 1;
    KeepActorStep(i);
}

// One frame of actor i: range, speed, schedule, search, turn away, timer.
void StepActor(int i) {
    actorProbeCount = 0;
    if (actorRangeLimited[i] != 0 && !ViewerWithinActiveRange(i)) return;
    if (actorActive[i] != 1) {
        actorTimer[i]++;
        return;
    }
    actorPose[i] = ACTOR_POSE_WALKING;
    actorMoveAngle = -actorHeading[i] * degToRad;
    ApplyActorSpeedRule(i);
    TakeActorStep(i, actorMoveAngle, actorSpeed[i]);
    actorSpeedBeforeProbe = actorSpeed[i];
    FollowTurningSchedule(i);
    if (!SearchFreeStep(i)) TurnAway(i);
    actorTimer[i]++;
}
