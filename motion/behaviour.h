// behaviour.h -- the behaviour steps that run while a frame draws: each
// actor's walk, the trailing camera's boom and the vehicle body's pitch
// spring, and the moving state of one loaded scene as one value. They
// change state only; drawing it is render/'s work.
#pragma once

#include "motion/input.h"
#include "motion/motion.h"
#include "scene/scene.h"

// One actor's moving state: where it is, how it walks, and the swing of its
// limbs. Every field starts at the scene's start (StartActors).
struct ActorMotion {
    double actorX = 0, actorZ = 0;              // position used by the collision and waypoint checks
    double actorWalkedX = 0, actorWalkedZ = 0;  // displacement drawn from the start position
    double actorHeading = 0;
    double actorSpeed = 0;
    int actorState = 0;         // phase of the probe search: 1 up, 2 down
    int actorActive = 0;        // 1: the actor moves
    int actorAccelerating = 0;
    int actorBraking = 0;
    int actorTimer = 0;         // frame counter of the turning schedule
    int actorPose = 0;          // pose 0..6
    int actorBlocked = 0;       // 1 while a search has not found the way
    double actorProbeAngle = 0;
    // The swing angles of each joint and pose, and their steps: the scene's,
    // each turned round whenever its angle bounces.
    JointTable actorJointAngleX = {}, actorJointAngleY = {}, actorJointAngleZ = {};
    JointTable actorJointStepX = {}, actorJointStepY = {}, actorJointStepZ = {};
};

// The avatar's swing angles and steps, as an actor's.
struct AvatarJoints {
    JointTable avatarJointAngleX = {}, avatarJointAngleY = {}, avatarJointAngleZ = {};
    JointTable avatarJointStepX = {}, avatarJointStepY = {}, avatarJointStepZ = {};
};

// Everything that moves in one loaded scene, as one plain value: a copy is
// a complete state of the scene's motion, to be kept, compared, or blended
// with the next for drawing.
struct SceneMotion {
    ViewerState viewer;
    FollowCamera camera;
    ActorMotion actors[ACTOR_CAPACITY];
    AvatarJoints avatar;
};

// The whole motion at the scene's start: the viewer and the trailing
// camera, every actor at its start with its timer seed, and the joints at
// rest with the scene's steps.
void StartSceneMotion(const Scene& scene, SceneMotion& motion);

// ---- Pitch spring constants.
constexpr double PITCH_SWING_FACTOR = 5.0;   // the spring moves 1 degree per frame
constexpr double PITCH_SETTLE_FACTOR = 6.0;  // 1.2 degrees: settle threshold and pull-back

// The behaviour step of actor i; the number of probe steps its search took.
int StepActor(const Scene& scene, const ObstacleIndex& obstacles, const ViewerState& viewer, int i,
              ActorMotion& actor);
// True when some waypoint of actor i (if it uses them) or else some obstacle
// point (if it avoids them) lies strictly within r of actorX, actorZ on both axes.
bool ActorHitsObstacle(const Scene& scene, const ObstacleIndex& obstacles, int i,
                       const ActorMotion& actor, double r);

// ---- The boom and the body of view modes 2, 3 and 4.
// Extends the boom step by step until the eye would stand in an obstacle
// square; sets boomRestLength and the eye.
void FindBoomLength(MotionStep& m, double step);
// Moves boomLength towards boomRestLength and places the eye there.
void EaseBoom(const ViewerState& viewer, FollowCamera& camera, double grow, double shrinkBase);
// The eye at boom length L behind the viewer along viewAngle.
void PlaceBoomEye(const ViewerState& viewer, FollowCamera& camera, double length);
// The body pitch spring and engine shake of view modes 2 and 4.
void SettleBodyPitch(const Scene& scene, ViewerState& viewer, double recentreFactor);
constexpr int BOOM_MAX_STEPS = 10000;  // a boom search never takes more steps than this
// After the actors, before the avatar is placed: the spring, the boom and
// its target, and in view mode 2 the driver's camera.
void StepViewCamera(MotionStep& m);
