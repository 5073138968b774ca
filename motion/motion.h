// motion.h -- the per-frame motion step of each view mode, the obstacle check
// and the viewer camera. Public header of the motion subsystem.
//
// A step works as pmove does: it takes what it reads (the scene, the
// obstacle index, the keys held) and the state it moves, and reaches for
// nothing else. The viewer's state is one value (ViewerState), set at the
// start of a loaded scene and carried from frame to frame; comments say
// which steps write (W) or only read (R) a field; "scratch" means a step
// sets it before it reads it.
#pragma once

#include <vector>

#include "motion/camera.h"
#include "motion/input.h"
#include "scene/scene.h"

// The poses of the avatar: each is a row of the avatar's joint tables.
enum AvatarPose : int {
    POSE_STANDING = 0,
    POSE_WALKING_FORWARD = 1,
    POSE_WALKING_BACK = 2,
    POSE_TURNING = 3,
    POSE_SIDESTEPPING = 4,
};
// The pose every active actor walks in (a row of the actor's joint tables).
constexpr int ACTOR_POSE_WALKING = 1;

// The viewer and its motion: what a scene start sets as a whole (by
// assignment from these initialisers) and every frame carries on.
struct ViewerState {
    // ---- Position and direction.
    double viewerX = 0, viewerZ = 0;  // W: every step that moves the viewer
    double viewerEyeY = 0;            // R: never changed by motion
    double heading = 0;               // W: turning (keys, mouse), lag snaps, vehicle deflection
    double viewAngle = 0;             // W: radians, -(heading - 90) * degToRad (or followHeading's)
    double moveAngle = 0;             // W: radians, direction of the viewer's last step
    double lookTargetX = 0, lookTargetY = 0,
           lookTargetZ = 0;           // W: camera placements; Y not by motion
    double tilt = 0;                  // W: mouse only; R: camera placements
    double turnDelta = 0;             // W: arrow turning, mouse, steering
    double forwardSpeed = 0;          // W: walking/driving speed rules, key-up, give-ups
    double sidestepSpeed = 0;         // W: sidestep speed rule, key-up, give-ups
    double stepX = 0, stepZ = 0;      // scratch: the viewer's last step, kept for its undo
    double walkedX = 0, walkedZ = 0;  // W: sum of completed steps (each subtracts its step)
    int blocked = 0;                  // W: 1 after a collision; survives between frames

    // ---- Deflection search, one variable set each for walking and sidestepping.
    int walkProbePhase = 1, sidestepProbePhase = 1;                 // W: 1 or 2
    double walkDeflection = 0, sidestepDeflection = 0;              // W: radians
    double walkSpeedBeforeProbe = 0, sidestepSpeedBeforeProbe = 0;  // scratch
    double walkProbeAngle = 0, sidestepProbeAngle = 0;  // W: direction of the last probe

    // ---- Crouch and jump (view mode 1).
    double crouchOffset = 0;              // W: vertical step; 0..crouchDepth, lowers the eye
    double jumpOffset = 0;                // W: vertical step; 0..jumpHeight, lifts the eye
    int jumpRising = 0, jumpFalling = 0;  // W: vertical step
    int jumpSpent = 0;                    // W: vertical step (set), key-up of Space (clear)

    // ---- Follow view (view mode 3) and the lag shared with view mode 4.
    double followHeading = 0;        // W: camera lag; trails heading
    int avatarPose = POSE_STANDING;  // W: follow step, mouse, standing rule when drawing

    // ---- Driving (view modes 2 and 4).
    double currentAcceleration = 0;              // W: Ctrl key handlers; R: drive branch
    double bodyPitch = 0, bodyPitchPeak = 0;     // W: key-driven changes here, spring when drawing
    double bodyRoll = 0;                         // W: after steps; returns to 0
    double engineShake = 0;                      // W: the pitch spring flips it; the scene's at start
    int braking = 0;                             // W: handbrake, reverse braking; cleared by drive
    int driftTurn = 0;                           // W: 1 after a handbrake turn
    int fastDriving = 1;                         // W: acceleration
    double steerLimit = 0, driftSteerLimit = 0;  // scratch
};

// The trailing camera of view modes 3 and 4: the observer point at the end
// of a boom behind the viewer.
struct FollowCamera {
    double observerX = 0, observerY = 0, observerZ = 0;  // W: boom placement; the scene's start
    double boomLength = 0;      // W: EaseBoom; 0 at start, so the boom eases out
    double boomRestLength = 0;  // W: FindBoomLength; observerDistance at start
};

// The obstacle points of one scene sorted into a uniform grid, so that the
// check of a square asks only the cells around it (obstacles.cpp).
struct ObstacleIndex {
    double minX = 0, minZ = 0;
    double cell = 1;                     // side of a square cell
    double magnitude = 0;                // largest |coordinate| of any indexed point
    int nx = 0, nz = 0;                  // cells along x and z
    std::vector<int> cellStart{0};       // nx * nz + 1 entries: cell c is [cellStart[c], cellStart[c+1])
    std::vector<double> pointX, pointZ;  // copies of the finite points, in cell order
};

// One motion step: what it reads, the keys as its command, and the state it
// moves.
struct MotionStep {
    const Scene& scene;
    const ObstacleIndex& obstacles;
    const HeldKeys& keys;
    ViewerState& viewer;
    FollowCamera& camera;
};

constexpr double FOLLOW_TURN_DIVISOR = 2.0;   // the lag closes half the gap per frame
constexpr double FOLLOW_TURN_MIN_STEP = 3.0;  // ...but never less than 3 degrees

constexpr double STEER_PER_SPEED = 1.5;  // steering limit per unit of speed
constexpr double PITCH_STEP = 0.2;       // degrees of body pitch per key-driven change

// The viewer and the trailing camera at the scene's start point, heading
// and look target (after the scene's derived values).
void StartViewer(const Scene& scene, ViewerState& viewer, FollowCamera& camera);

// The motion and camera step of the scene's view mode: view mode 1 the
// vertical step then the horizontal one, view mode 3 the follow step, any
// other the vehicle.
void StepViewerMotion(MotionStep& m);
// View mode 1: crouch and jump. True when the horizontal step runs next.
bool StepVerticalMotion(MotionStep& m);
// View mode 1: turning, walking and sidestepping with the camera placement.
void StepWalkingViewer(MotionStep& m);
// View mode 3: lagging camera direction, motion with the wider square, pose.
void StepFollowViewer(MotionStep& m);
// View modes 2 and 4 (and any other value): the vehicle.
void StepDrivingViewer(MotionStep& m);

// ---- Shared by the follow view and the vehicle.
// Moves followHeading one catch-up step toward heading (whole degrees in view
// mode 3, real-valued in view mode 4), or snaps it there with the heading
// correction; sets viewAngle from followHeading. Nothing when they are equal.
void LagFollowHeading(const Scene& scene, ViewerState& viewer, bool wholeDegrees);
// Truncates toward zero; out-of-range values saturate, NaN gives 0.
int SaturatingTruncate(double value);
// Adds degrees to the heading; in view mode 2 also the heading correction
// and viewAngle (view mode 4's lag sets its own).
void TurnVehicle(const Scene& scene, ViewerState& viewer, double degrees);
// One vehicle step along moveAngle at forwardSpeed, with the obstacle check
// and the deflection search, which also turns the heading away. False when
// the search gave up (the vehicle stays, forwardSpeed 0).
bool MoveVehicleWithDeflection(MotionStep& m);

// ---- Obstacles.
// The index of the scene's obstacle points as they are now.
ObstacleIndex BuildObstacleIndex(const Scene& scene);
// True when some obstacle point lies strictly within r of (x, z) on both
// axes.
bool ObstacleNear(const ObstacleIndex& index, double x, double z, double r);
// True when some obstacle square of half-size radius contains the viewer.
bool FindObstacleHit(const ObstacleIndex& index, const ViewerState& viewer, double radius);
// The same answer as ObstacleNear from a scan of every obstacle point of
// the scene: the reference that tests and benchmarks hold the index to.
bool ObstacleNearLinear(const Scene& scene, double x, double z, double r);

// The two variable sets of the deflection search.
enum ProbeSet { WALK_PROBES, SIDESTEP_PROBES };
// One step along angle at the set's speed (forwardSpeed or sidestepSpeed),
// with the obstacle check of half-size radius and the deflection search.
// placeCamera: view mode 1's camera and lights after a completed step.
// False when the search gave up.
bool MoveWithDeflection(MotionStep& m, ProbeSet set, double angle, double radius,
                        bool placeCamera);
// Speed rules shared by view modes 1 and 3: Up/Down for forwardSpeed,
// Right/Left for sidestepSpeed.
void ApplyWalkSpeedRule(const Scene& scene, const HeldKeys& keys, ViewerState& viewer);
void ApplySidestepSpeedRule(const Scene& scene, const HeldKeys& keys, ViewerState& viewer);
// The two halves of the walk rule, for callers that act between them; the
// caller checks upHeld or downHeld.
void ApplyForwardSpeedRule(const Scene& scene, ViewerState& viewer);
void ApplyBackwardSpeedRule(const Scene& scene, ViewerState& viewer);
// The arrow-key turn: turnDelta from Left/Right (Right wins, Down mirrors),
// added to heading. No correction of the heading range.
void TurnByKeys(const Scene& scene, const HeldKeys& keys, ViewerState& viewer);
// One correction each way: above 360 by -360, then below -360 by +360.
void CorrectHeading(ViewerState& viewer);
// A viewer step of speed along angle (stored in stepX, stepZ), and its undo.
void TakeStep(ViewerState& viewer, double angle, double speed);
void UndoStep(ViewerState& viewer);
