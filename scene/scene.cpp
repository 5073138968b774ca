// scene.cpp -- storage and pre-load values of the scene data model.
#include "scene/scene.h"

#include <cstring>

int texPolyVertexCount;
Table<double> texPolyColorR, texPolyColorG, texPolyColorB;
Table<double> texPolyX, texPolyY, texPolyZ;
Table<int> texPolyEnd;
Table<double> texPolyS, texPolyT;
Table<int> texPolyTexFlag;
Table<TexName> texPolyTexName;
Table<unsigned> texPolyTexId;
Table<TextureImage*> texPolyImage;

int flatPolyVertexCount;
Table<double> flatPolyColorR, flatPolyColorG, flatPolyColorB;
Table<double> flatPolyX, flatPolyY, flatPolyZ;
Table<int> flatPolyEnd;

int avatarPolyVertexCount;
Table<double> avatarPolyColorR, avatarPolyColorG, avatarPolyColorB;
Table<int> avatarPolyJoint;
Table<double> avatarPolyX, avatarPolyY, avatarPolyZ;
Table<int> avatarPolyEnd;
Table<double> avatarPolyS, avatarPolyT;
Table<int> avatarPolyTexFlag;
Table<TexName> avatarPolyTexName;
Table<unsigned> avatarPolyTexId;
Table<TextureImage*> avatarPolyImage;

int avatarJointCount;
JointTable avatarJointPivotX, avatarJointPivotY, avatarJointPivotZ;
JointTable avatarJointSwingZ, avatarJointSwingY, avatarJointSwingX;
JointTable avatarJointTiltZ, avatarJointTiltY, avatarJointTiltX;
JointTable avatarJointStepZ, avatarJointStepY, avatarJointStepX;
JointTable avatarJointAngleZ, avatarJointAngleY, avatarJointAngleX;
double avatarHeadingOffset;
double swingDivisor;

int actorLastIndex;
int partCapacity;
int actorAvoidsObstacles[ACTOR_CAPACITY];
int actorUsesWaypoints[ACTOR_CAPACITY];
int actorCullEnabled[ACTOR_CAPACITY];
double actorCullDistance[ACTOR_CAPACITY];
int actorRangeLimited[ACTOR_CAPACITY];
double actorActiveRange[ACTOR_CAPACITY];
Table<int> actorWaypointCount;
Table<int> actorPartVertexCount;
double actorStartX[ACTOR_CAPACITY], actorStartY[ACTOR_CAPACITY], actorStartZ[ACTOR_CAPACITY];
double actorFrontX[ACTOR_CAPACITY], actorFrontY[ACTOR_CAPACITY], actorFrontZ[ACTOR_CAPACITY];
double actorStartHeading[ACTOR_CAPACITY];
double actorModelHeadingOffset[ACTOR_CAPACITY];
double actorMaxSpeed[ACTOR_CAPACITY];
double actorCollisionRadius[ACTOR_CAPACITY];
double actorCollisionRadiusCopy[ACTOR_CAPACITY];
int actorJointCount[ACTOR_CAPACITY];

double actorX[ACTOR_CAPACITY], actorZ[ACTOR_CAPACITY];
double actorWalkedX[ACTOR_CAPACITY], actorWalkedZ[ACTOR_CAPACITY];
double actorHeading[ACTOR_CAPACITY];
double actorSpeed[ACTOR_CAPACITY];
int actorState[ACTOR_CAPACITY];
int actorActive[ACTOR_CAPACITY];
int actorAccelerating[ACTOR_CAPACITY];
int actorBraking[ACTOR_CAPACITY];
int actorTimer[ACTOR_CAPACITY];
int actorPose[ACTOR_CAPACITY];
int actorBlocked[ACTOR_CAPACITY];
double actorProbeAngle[ACTOR_CAPACITY];

Grid<double> actorWaypointX, actorWaypointZ;

ActorJointTable actorJointPivotX, actorJointPivotY, actorJointPivotZ;
ActorJointTable actorJointSwingZ, actorJointSwingY, actorJointSwingX;
ActorJointTable actorJointStepZ, actorJointStepY, actorJointStepX;
ActorJointTable actorJointAngleZ, actorJointAngleY, actorJointAngleX;

Grid<double> partColorR, partColorG, partColorB;
Grid<int> partJoint;
Grid<double> partX, partY, partZ;
Grid<int> partEnd;
Grid<double> partS, partT;
Grid<int> partTexFlag;
Grid<TexName> partTexName;
Grid<unsigned> partTexId;
Grid<TextureImage*> partImage;

int obstacleCount;
Table<double> obstacleX, obstacleZ;

int texPolyIndex, flatPolyIndex, avatarPolyIndex, partIndex;
int actorIndex, jointIndex, obstacleIndex, waypointIndex;

int displayModeIndex;
int light0Enabled, light1Enabled;
int smoothShading;
int fieldOfView;
int windowMaximised;
int fullScreen;
double farPlane;
int cullDistance;
int cullEnabled;
int linearMagFilter;
double light0Level, light1Level;
double startEyeX, startEyeY, startEyeZ;
double startTargetX, startTargetY, startTargetZ;
double startHeading;
double collisionRadius;
int viewMode;
int followCameraSteps;
int driveCameraSteps;
double observerStartX, observerStartY, observerStartZ;
double observerTargetX, observerTargetY, observerTargetZ;
int sideKeyMode;
double maxWalkSpeed, turnStep, walkAcceleration;
double tiltMax, tiltMin;
double crouchDepth, jumpHeight;
double deflectionDamping, maxDeflection;
double maxDriveSpeed, maxSteerRate, driveAcceleration, boostAcceleration;
double steerReturnRate, handbrakeDeceleration, brakeDeceleration,
       rollingFriction;
double steerStep, driftSteerStep, driftSteerFactor, bodyRollFactor;
double collisionTurnDivisor;
double driveDeflectionDamping, driveMaxDeflection;
double maxBodyPitch;
double engineShake;
double clearRed, clearGreen, clearBlue;

double degToRad;
double lookDistance;
double observerDistance;
double followCameraStep, followCameraFastStep;
double driveCameraStep, driveCameraFastStep;
double followCollisionRadius;
double jumpStep;
double collisionProbeSpeed;

int keepSideKeyMode;

template <typename T>
static void Release(T& t) { t.Release(); }
template <typename T, typename... More>
static void Release(T& t, More&... more) { t.Release(); Release(more...); }

static void ReleaseTables() {
    Release(texPolyColorR, texPolyColorG, texPolyColorB, texPolyX, texPolyY, texPolyZ, texPolyEnd,
            texPolyS, texPolyT, texPolyTexFlag, texPolyTexName, texPolyTexId, texPolyImage);
    Release(flatPolyColorR, flatPolyColorG, flatPolyColorB, flatPolyX, flatPolyY, flatPolyZ,
            flatPolyEnd);
    Release(avatarPolyColorR, avatarPolyColorG, avatarPolyColorB, avatarPolyJoint, avatarPolyX,
            avatarPolyY, avatarPolyZ, avatarPolyEnd, avatarPolyS, avatarPolyT, avatarPolyTexFlag,
            avatarPolyTexName, avatarPolyTexId, avatarPolyImage);
    Release(actorWaypointCount, actorPartVertexCount, actorWaypointX, actorWaypointZ);
    Release(partColorR, partColorG, partColorB, partJoint, partX, partY, partZ, partEnd, partS,
            partT, partTexFlag, partTexName, partTexId, partImage);
    Release(obstacleX, obstacleZ);
    ResetTexNames();
}

template <typename T>
static void Zero(T& block) { std::memset(&block, 0, sizeof block); }

static void ResetActorsAndJoints() {
    Zero(avatarJointPivotX); Zero(avatarJointPivotY); Zero(avatarJointPivotZ);
    Zero(avatarJointSwingZ); Zero(avatarJointSwingY); Zero(avatarJointSwingX);
    Zero(avatarJointTiltZ); Zero(avatarJointTiltY); Zero(avatarJointTiltX);
    Zero(avatarJointStepZ); Zero(avatarJointStepY); Zero(avatarJointStepX);
    Zero(avatarJointAngleZ); Zero(avatarJointAngleY); Zero(avatarJointAngleX);
    Zero(actorJointPivotX); Zero(actorJointPivotY); Zero(actorJointPivotZ);
    Zero(actorJointSwingZ); Zero(actorJointSwingY); Zero(actorJointSwingX);
    Zero(actorJointStepZ); Zero(actorJointStepY); Zero(actorJointStepX);
    Zero(actorJointAngleZ); Zero(actorJointAngleY); Zero(actorJointAngleX);
    Zero(actorAvoidsObstacles); Zero(actorUsesWaypoints); Zero(actorCullEnabled);
    Zero(actorCullDistance); Zero(actorRangeLimited); Zero(actorActiveRange);
    Zero(actorStartX); Zero(actorStartY); Zero(actorStartZ);
    Zero(actorFrontX); Zero(actorFrontY); Zero(actorFrontZ);
    Zero(actorStartHeading); Zero(actorModelHeadingOffset); Zero(actorMaxSpeed);
    Zero(actorCollisionRadius); Zero(actorCollisionRadiusCopy); Zero(actorJointCount);
    Zero(actorX); Zero(actorZ); Zero(actorWalkedX); Zero(actorWalkedZ); Zero(actorHeading);
    Zero(actorSpeed); Zero(actorState); Zero(actorActive); Zero(actorAccelerating);
    Zero(actorBraking); Zero(actorTimer); Zero(actorPose); Zero(actorBlocked);
    Zero(actorProbeAngle);
}

static void ResetSettings() {
    displayModeIndex = 1;
    light0Enabled = light1Enabled = smoothShading = fieldOfView = 0;
    windowMaximised = fullScreen = 0;
    farPlane = 0.0;
    cullDistance = 1000;
    cullEnabled = 0;
    linearMagFilter = 1;
    light0Level = light1Level = 0.0;
    startEyeX = startEyeY = startEyeZ = 0.0;
    startTargetX = startTargetY = startTargetZ = 0.0;
    startHeading = 0.0;
    collisionRadius = 8.0;
    viewMode = VIEW_DRIVE;
    followCameraSteps = 20;
    driveCameraSteps = 10;
    observerStartX = observerStartY = observerStartZ = 0.0;
    observerTargetX = observerTargetY = observerTargetZ = 0.0;
    sideKeyMode = SIDE_KEYS_SIDESTEP;
    maxWalkSpeed = 2.0; turnStep = 5.0; walkAcceleration = 1.0;
    tiltMax = 70.0; tiltMin = 70.0;
    crouchDepth = 6.0; jumpHeight = 20.0;
    deflectionDamping = 3.0; maxDeflection = 1.2;
    maxDriveSpeed = 5.0; maxSteerRate = 7.0; driveAcceleration = 0.07; boostAcceleration = 0.3;
    steerReturnRate = 0.4; handbrakeDeceleration = 0.4; brakeDeceleration = 0.7;
    rollingFriction = 0.01;
    steerStep = 0.2; driftSteerStep = 0.5; driftSteerFactor = 1.5; bodyRollFactor = 0.8;
    collisionTurnDivisor = 50.0;
    driveDeflectionDamping = 2.0; driveMaxDeflection = 60.0;
    maxBodyPitch = 4.0;
    engineShake = 0.17;
    clearRed = clearGreen = clearBlue = 0.0;
    avatarHeadingOffset = 0.0;
    swingDivisor = 0.0;
    degToRad = lookDistance = observerDistance = 0.0;
    followCameraStep = followCameraFastStep = driveCameraStep = driveCameraFastStep = 0.0;
    followCollisionRadius = jumpStep = collisionProbeSpeed = 0.0;
}

void ResetSceneModel() {
    ReleaseTables();
    ResetActorsAndJoints();
    ResetSettings();
    texPolyVertexCount = flatPolyVertexCount = avatarPolyVertexCount = 0;
    avatarJointCount = -1;
    actorLastIndex = -1;
    partCapacity = 1;
    obstacleCount = 0;
    texPolyIndex = flatPolyIndex = avatarPolyIndex = partIndex = 0;
    actorIndex = jointIndex = -1;
    obstacleIndex = waypointIndex = 0;
}

// The pre-load values are set by the same code that tools use to reset.
static const struct SceneModelInit {
    SceneModelInit() { ResetSceneModel(); }
} sceneModelInit;
