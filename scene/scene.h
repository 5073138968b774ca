// scene.h -- the scene data model: every polygon list, figure, obstacle and
// setting of "Hod.pro", as one value that the reader fills. The program, the
// checker, the replay tool and the tests each hold their own; a reload
// reads into a second one beside the running one.
//
// Index conventions: a vertex count n numbers entries 1..n; a last index N
// (actors, joints) numbers entries 0..N, and -1 means none. A polygon is a run
// of vertices ending at an end flag of 1; its colour sits at its first vertex
// v, its texture reference in slot v-1. Entry 0 of every end-flag table is 1.
//
// Lifetime: a Scene starts with every setting at its default, every count
// at none and every table empty; the reader fills it in one pass, the
// derived values and the texture step complete it, and from then on it is
// only read. What moves while the scene runs (the viewer, the actors, the
// joint swings) is kept beside it (motion/scene_motion.h).
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

typedef double JointTable[JOINT_CAPACITY][POSE_COUNT];                   // [joint][pose]
typedef double ActorJointTable[JOINT_CAPACITY][POSE_COUNT][ACTOR_CAPACITY];  // [joint][pose][actor]

struct Scene {
    // ---- Textured polygon list: vertices 1..texPolyVertexCount, slots 0..n-1.
    int texPolyVertexCount = 0;
    Table<double> texPolyColorR, texPolyColorG, texPolyColorB;
    Table<double> texPolyX, texPolyY, texPolyZ;
    Table<int> texPolyEnd;
    Table<double> texPolyS, texPolyT;
    Table<int> texPolyTexFlag;  // the texture step clears the flag of a file that fails
    Table<TexName> texPolyTexName;

    // ---- Plain coloured list: vertices 1..flatPolyVertexCount; no textures.
    int flatPolyVertexCount = 0;
    Table<double> flatPolyColorR, flatPolyColorG, flatPolyColorB;
    Table<double> flatPolyX, flatPolyY, flatPolyZ;
    Table<int> flatPolyEnd;

    // ---- Avatar list: vertices 1..avatarPolyVertexCount (0 = no avatar).
    int avatarPolyVertexCount = 0;
    Table<double> avatarPolyColorR, avatarPolyColorG, avatarPolyColorB;
    Table<int> avatarPolyJoint;
    Table<double> avatarPolyX, avatarPolyY, avatarPolyZ;
    Table<int> avatarPolyEnd;
    Table<double> avatarPolyS, avatarPolyT;
    Table<int> avatarPolyTexFlag;
    Table<TexName> avatarPolyTexName;

    // ---- Avatar joints [joint][pose]; last index avatarJointCount (-1 = none).
    int avatarJointCount = -1;
    JointTable avatarJointPivotX = {}, avatarJointPivotY = {}, avatarJointPivotZ = {};
    JointTable avatarJointSwingZ = {}, avatarJointSwingY = {}, avatarJointSwingX = {};
    JointTable avatarJointTiltZ = {}, avatarJointTiltY = {}, avatarJointTiltX = {};
    JointTable avatarJointStepZ = {}, avatarJointStepY = {}, avatarJointStepX = {};  // as read
    double avatarHeadingOffset = 0.0;
    double swingDivisor = 0.0;  // the last divisor read

    // ---- Actors 0..actorLastIndex (-1 = none).
    int actorLastIndex = -1;
    int partCapacity = 1;  // M: largest part list of any actor
    int actorAvoidsObstacles[ACTOR_CAPACITY] = {};
    int actorUsesWaypoints[ACTOR_CAPACITY] = {};
    int actorCullEnabled[ACTOR_CAPACITY] = {};
    double actorCullDistance[ACTOR_CAPACITY] = {};
    int actorRangeLimited[ACTOR_CAPACITY] = {};
    double actorActiveRange[ACTOR_CAPACITY] = {};
    Table<int> actorWaypointCount;    // N+1 entries
    Table<int> actorPartVertexCount;  // N+1 entries
    double actorStartX[ACTOR_CAPACITY] = {}, actorStartY[ACTOR_CAPACITY] = {},
           actorStartZ[ACTOR_CAPACITY] = {};
    double actorFrontX[ACTOR_CAPACITY] = {}, actorFrontY[ACTOR_CAPACITY] = {},
           actorFrontZ[ACTOR_CAPACITY] = {};
    double actorStartHeading[ACTOR_CAPACITY] = {};
    double actorModelHeadingOffset[ACTOR_CAPACITY] = {};
    double actorMaxSpeed[ACTOR_CAPACITY] = {};
    double actorCollisionRadius[ACTOR_CAPACITY] = {};
    double actorCollisionRadiusCopy[ACTOR_CAPACITY] = {};
    int actorJointCount[ACTOR_CAPACITY] = {};

    // Waypoints (w, i) for w = 1..actorWaypointCount[i].
    Grid<double> actorWaypointX, actorWaypointZ;

    // Actor joints [joint][pose][actor].
    ActorJointTable actorJointPivotX = {}, actorJointPivotY = {}, actorJointPivotZ = {};
    ActorJointTable actorJointSwingZ = {}, actorJointSwingY = {}, actorJointSwingX = {};
    ActorJointTable actorJointStepZ = {}, actorJointStepY = {}, actorJointStepX = {};  // as read

    // Actor part lists (p, i) for p = 1..actorPartVertexCount[i]; slots (p-1, i).
    Grid<double> partColorR, partColorG, partColorB;
    Grid<int> partJoint;
    Grid<double> partX, partY, partZ;
    Grid<int> partEnd;
    Grid<double> partS, partT;
    Grid<int> partTexFlag;
    Grid<TexName> partTexName;

    // ---- Obstacle points 1..obstacleCount.
    int obstacleCount = 0;
    Table<double> obstacleX, obstacleZ;

    // ---- The texture names of every slot, each distinct one kept once.
    TexNamePool texNames;

    // ---- Settings, in file order (defaults apply when the file is silent).
    int displayModeIndex = 1;
    int light0Enabled = 0, light1Enabled = 0;
    int smoothShading = 0;
    int fieldOfView = 0;
    int windowMaximised = 0;
    int fullScreen = 0;
    double farPlane = 0.0;
    int cullDistance = 1000;
    int cullEnabled = 0;
    int linearMagFilter = 1;
    double light0Level = 0.0, light1Level = 0.0;
    double startEyeX = 0.0, startEyeY = 0.0, startEyeZ = 0.0;
    double startTargetX = 0.0, startTargetY = 0.0, startTargetZ = 0.0;
    double startHeading = 0.0;
    double collisionRadius = 8.0;
    int viewMode = VIEW_DRIVE;  // a ViewMode; the file may hold any value, which moves nothing
    int followCameraSteps = 20;
    int driveCameraSteps = 10;
    double observerStartX = 0.0, observerStartY = 0.0, observerStartZ = 0.0;
    double observerTargetX = 0.0, observerTargetY = 0.0, observerTargetZ = 0.0;
    int sideKeyMode = SIDE_KEYS_SIDESTEP;  // a SideKeyMode; any other value does nothing
    double maxWalkSpeed = 2.0, turnStep = 5.0, walkAcceleration = 1.0;
    double tiltMax = 70.0, tiltMin = 70.0;
    double crouchDepth = 6.0, jumpHeight = 20.0;
    double deflectionDamping = 3.0, maxDeflection = 1.2;  // maxDeflection in radians after load
    double maxDriveSpeed = 5.0, maxSteerRate = 7.0, driveAcceleration = 0.07,
           boostAcceleration = 0.3;
    double steerReturnRate = 0.4, handbrakeDeceleration = 0.4, brakeDeceleration = 0.7,
           rollingFriction = 0.01;
    double steerStep = 0.2, driftSteerStep = 0.5, driftSteerFactor = 1.5, bodyRollFactor = 0.8;
    double collisionTurnDivisor = 50.0;  // held as 100 / file value after load
    double driveDeflectionDamping = 2.0, driveMaxDeflection = 60.0;  // radians after load
    double maxBodyPitch = 4.0;
    double engineShake = 0.17;  // the start of the shake; the vehicle flips its own copy
    double clearRed = 0.0, clearGreen = 0.0, clearBlue = 0.0;

    // ---- Values derived at load.
    double degToRad = 0.0;
    double lookDistance = 0.0;
    double observerDistance = 0.0;
    double followCameraStep = 0.0, followCameraFastStep = 0.0;
    double driveCameraStep = 0.0, driveCameraFastStep = 0.0;
    double followCollisionRadius = 0.0;
    double jumpStep = 0.0;
    double collisionProbeSpeed = 0.0;
};

// The scene as before any load: its tables given back, every value at its
// default.
void ResetScene(Scene& scene);
// The name a texture slot holds.
inline const char* SlotName(const Scene& scene, TexName name) {
    return scene.texNames.Text(name.offset);
}

// Calls visit(table) for every one-level table and grid of the scene, in
// declaration order: what a release, a hash or a comparison must walk.
template <typename Visit>
void ForEachSceneTable(Scene& scene, Visit visit) {
    Scene& s = scene;
    visit(s.texPolyColorR), visit(s.texPolyColorG), visit(s.texPolyColorB);
    visit(s.texPolyX), visit(s.texPolyY), visit(s.texPolyZ), visit(s.texPolyEnd);
    visit(s.texPolyS), visit(s.texPolyT), visit(s.texPolyTexFlag), visit(s.texPolyTexName);
    visit(s.flatPolyColorR), visit(s.flatPolyColorG), visit(s.flatPolyColorB);
    visit(s.flatPolyX), visit(s.flatPolyY), visit(s.flatPolyZ), visit(s.flatPolyEnd);
    visit(s.avatarPolyColorR), visit(s.avatarPolyColorG), visit(s.avatarPolyColorB);
    visit(s.avatarPolyJoint), visit(s.avatarPolyX), visit(s.avatarPolyY), visit(s.avatarPolyZ);
    visit(s.avatarPolyEnd), visit(s.avatarPolyS), visit(s.avatarPolyT);
    visit(s.avatarPolyTexFlag), visit(s.avatarPolyTexName);
    visit(s.actorWaypointCount), visit(s.actorPartVertexCount);
    visit(s.actorWaypointX), visit(s.actorWaypointZ);
    visit(s.partColorR), visit(s.partColorG), visit(s.partColorB), visit(s.partJoint);
    visit(s.partX), visit(s.partY), visit(s.partZ), visit(s.partEnd), visit(s.partS);
    visit(s.partT), visit(s.partTexFlag), visit(s.partTexName);
    visit(s.obstacleX), visit(s.obstacleZ);
}
