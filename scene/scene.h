// scene.h -- the scene data model: every polygon list, figure, obstacle and
// setting of "Hod.pro", held in global tables for the whole run.
//
// Index conventions: a vertex count n numbers entries 1..n; a last index N
// (actors, joints) numbers entries 0..N, and -1 means none. A polygon is a run
// of vertices ending at an end flag of 1; its colour sits at its first vertex
// v, its texture reference in slot v-1. Entry 0 of every end-flag table is 1.
//
// Lifetime: everything here is reset by LoadScene at window creation (the
// dynamic tables are released and allocated anew; the static joint tables
// keep older entries beyond the new counts) and then lives for the whole run.
// After loading only the runtime fields named below change.
#pragma once

#include <cstdint>

#include "scene/tables.h"
#include "scene/tex_names.h"

// Capacities of the file format.
constexpr int TEX_POLY_CAPACITY = 100001;    // texture name slots of the textured list
constexpr int AVATAR_POLY_CAPACITY = 6501;   // texture name slots of the avatar list
constexpr int ACTOR_CAPACITY = 50;           // actors 0..49
constexpr int PART_CAPACITY = 2001;          // part vertices per actor (name rows)
constexpr int JOINT_CAPACITY = 20;           // joints 0..19
constexpr int POSE_COUNT = 7;                // poses 0..6
constexpr int TEX_NAME_SIZE = 200;           // a name keeps 199 characters and a terminating zero
constexpr int NO_JOINT = -10;                // joint number of an unposed polygon

struct TextureImage {
    int32_t width;
    int32_t height;
    unsigned char* pixels;  // width * height RGB triplets, bottom row first, no padding
};

// A slot's texture name, kept in the name pool; a zeroed slot names "".
struct TexName {
    uint32_t offset;
    const char* text() const { return TexNameText(offset); }
};

// ---- Textured polygon list: vertices 1..texPolyVertexCount, slots 0..n-1.
extern int texPolyVertexCount;
extern Table<double> texPolyColorR, texPolyColorG, texPolyColorB;
extern Table<double> texPolyX, texPolyY, texPolyZ;
extern Table<int> texPolyEnd;
extern Table<double> texPolyS, texPolyT;
extern Table<int> texPolyTexFlag;
extern Table<TexName> texPolyTexName;
extern Table<unsigned> texPolyTexId;
extern Table<TextureImage*> texPolyImage;

// ---- Plain coloured list: vertices 1..flatPolyVertexCount; no textures.
extern int flatPolyVertexCount;
extern Table<double> flatPolyColorR, flatPolyColorG, flatPolyColorB;
extern Table<double> flatPolyX, flatPolyY, flatPolyZ;
extern Table<int> flatPolyEnd;

// ---- Avatar list: vertices 1..avatarPolyVertexCount (0 = no avatar).
extern int avatarPolyVertexCount;
extern Table<double> avatarPolyColorR, avatarPolyColorG, avatarPolyColorB;
extern Table<int> avatarPolyJoint;
extern Table<double> avatarPolyX, avatarPolyY, avatarPolyZ;
extern Table<int> avatarPolyEnd;
extern Table<double> avatarPolyS, avatarPolyT;
extern Table<int> avatarPolyTexFlag;
extern Table<TexName> avatarPolyTexName;
extern Table<unsigned> avatarPolyTexId;
extern Table<TextureImage*> avatarPolyImage;

// ---- Avatar joints [joint][pose]; last index avatarJointCount (-1 = none).
typedef double JointTable[JOINT_CAPACITY][POSE_COUNT];
extern int avatarJointCount;
extern JointTable avatarJointPivotX, avatarJointPivotY, avatarJointPivotZ;
extern JointTable avatarJointSwingZ, avatarJointSwingY, avatarJointSwingX;
extern JointTable avatarJointTiltZ, avatarJointTiltY, avatarJointTiltX;
extern JointTable avatarJointStepZ, avatarJointStepY, avatarJointStepX;
extern JointTable avatarJointAngleZ, avatarJointAngleY, avatarJointAngleX;  // runtime
extern double avatarHeadingOffset;
extern double swingDivisor;  // scratch: the last divisor read

// ---- Actors 0..actorLastIndex (-1 = none).
extern int actorLastIndex;
extern int partCapacity;  // M: largest part list of any actor
extern int actorAvoidsObstacles[ACTOR_CAPACITY];
extern int actorUsesWaypoints[ACTOR_CAPACITY];
extern int actorCullEnabled[ACTOR_CAPACITY];
extern double actorCullDistance[ACTOR_CAPACITY];
extern int actorRangeLimited[ACTOR_CAPACITY];
extern double actorActiveRange[ACTOR_CAPACITY];
extern Table<int> actorWaypointCount;    // N+1 entries
extern Table<int> actorPartVertexCount;  // N+1 entries
extern double actorStartX[ACTOR_CAPACITY], actorStartY[ACTOR_CAPACITY], actorStartZ[ACTOR_CAPACITY];
extern double actorFrontX[ACTOR_CAPACITY], actorFrontY[ACTOR_CAPACITY], actorFrontZ[ACTOR_CAPACITY];
extern double actorStartHeading[ACTOR_CAPACITY];
extern double actorModelHeadingOffset[ACTOR_CAPACITY];
extern double actorMaxSpeed[ACTOR_CAPACITY];
extern double actorCollisionRadius[ACTOR_CAPACITY];
extern double actorCollisionRadiusCopy[ACTOR_CAPACITY];
extern int actorJointCount[ACTOR_CAPACITY];

// Actor runtime state: written by the behaviour step every frame.
extern double actorX[ACTOR_CAPACITY], actorZ[ACTOR_CAPACITY];
extern double actorWalkedX[ACTOR_CAPACITY], actorWalkedZ[ACTOR_CAPACITY];
extern double actorHeading[ACTOR_CAPACITY];
extern double actorSpeed[ACTOR_CAPACITY];
extern int actorState[ACTOR_CAPACITY];
extern int actorActive[ACTOR_CAPACITY];
extern int actorAccelerating[ACTOR_CAPACITY];
extern int actorBraking[ACTOR_CAPACITY];
extern int actorTimer[ACTOR_CAPACITY];
extern int actorPose[ACTOR_CAPACITY];
extern int actorBlocked[ACTOR_CAPACITY];
extern double actorProbeAngle[ACTOR_CAPACITY];

// Waypoints (w, i) for w = 1..actorWaypointCount[i].
extern Grid<double> actorWaypointX, actorWaypointZ;

// Actor joints [joint][pose][actor].
typedef double ActorJointTable[JOINT_CAPACITY][POSE_COUNT][ACTOR_CAPACITY];
extern ActorJointTable actorJointPivotX, actorJointPivotY, actorJointPivotZ;
extern ActorJointTable actorJointSwingZ, actorJointSwingY, actorJointSwingX;
extern ActorJointTable actorJointStepZ, actorJointStepY, actorJointStepX;
extern ActorJointTable actorJointAngleZ, actorJointAngleY, actorJointAngleX;  // runtime

// Actor part lists (p, i) for p = 1..actorPartVertexCount[i]; slots (p-1, i).
extern Grid<double> partColorR, partColorG, partColorB;
extern Grid<int> partJoint;
extern Grid<double> partX, partY, partZ;
extern Grid<int> partEnd;
extern Grid<double> partS, partT;
extern Grid<int> partTexFlag;
extern Grid<TexName> partTexName;
extern Grid<unsigned> partTexId;
extern Grid<TextureImage*> partImage;

// ---- Obstacle points 1..obstacleCount.
extern int obstacleCount;
extern Table<double> obstacleX, obstacleZ;

// ---- Shared loop cursors (loader, motion and drawing).
extern int texPolyIndex, flatPolyIndex, avatarPolyIndex, partIndex;
extern int actorIndex, jointIndex, obstacleIndex, waypointIndex;

// The values of the file's viewMode: what the user moves and how the
// camera follows.
enum ViewMode : int {
    VIEW_WALK = 1,            // the viewer walks; the camera is the eye
    VIEW_DRIVE = 2,           // the viewer drives; the camera sits in the car
    VIEW_FOLLOW_WALKER = 3,   // the avatar walks; the camera trails it
    VIEW_FOLLOW_VEHICLE = 4,  // the avatar drives; the camera trails it
};
// The values of the file's sideKeyMode: what Left and Right do in view
// modes 1 and 3.
enum SideKeyMode : int {
    SIDE_KEYS_SIDESTEP = 1,
    SIDE_KEYS_TURN = 2,
};

// ---- Settings, in file order (defaults apply when the file is silent).
extern int displayModeIndex;
extern int light0Enabled, light1Enabled;
extern int smoothShading;
extern int fieldOfView;
extern int windowMaximised;
extern int fullScreen;
extern double farPlane;
extern int cullDistance;
extern int cullEnabled;
extern int linearMagFilter;
extern double light0Level, light1Level;
extern double startEyeX, startEyeY, startEyeZ;
extern double startTargetX, startTargetY, startTargetZ;
extern double startHeading;
extern double collisionRadius;
extern int viewMode;  // a ViewMode; the file may hold any value, which moves nothing
extern int followCameraSteps;
extern int driveCameraSteps;
extern double observerStartX, observerStartY, observerStartZ;
extern double observerTargetX, observerTargetY, observerTargetZ;
extern int sideKeyMode;  // a SideKeyMode; any other value does nothing
extern double maxWalkSpeed, turnStep, walkAcceleration;
extern double tiltMax, tiltMin;
extern double crouchDepth, jumpHeight;
extern double deflectionDamping, maxDeflection;  // maxDeflection in radians after load
extern double maxDriveSpeed, maxSteerRate, driveAcceleration, boostAcceleration;
extern double steerReturnRate, handbrakeDeceleration, brakeDeceleration, rollingFriction;
extern double steerStep, driftSteerStep, driftSteerFactor, bodyRollFactor;
extern double collisionTurnDivisor;  // held as 100 / file value after load
extern double driveDeflectionDamping, driveMaxDeflection;  // radians after load
extern double maxBodyPitch;
extern double engineShake;  // also runtime: flipped by the pitch spring
extern double clearRed, clearGreen, clearBlue;

// ---- Values derived at load.
extern double degToRad;
extern double lookDistance;
extern double observerDistance;
extern double followCameraStep, followCameraFastStep;
extern double driveCameraStep, driveCameraFastStep;
extern double followCollisionRadius;
extern double jumpStep;
extern double collisionProbeSpeed;

// Build variant: 0 in the standard build (the loader forces sideKeyMode to
// 2), 1 in the build that keeps the file's value. Set before LoadScene.
extern int keepSideKeyMode;

// Restores every setting, count and runtime field to its value before any
// load, and releases the dynamic tables. Used by tools that load many scenes.
void ResetSceneModel();
