// scene_file.cpp -- the scene reader: the table preparation, the file's
// fields in order with the sizing they drive, and the closing sentinels.
// The per-record readers are in scene_records.cpp; LoadScene, which starts
// everything on the read scene, is the program's (app/scene_start.cpp).
#include "scene/scene_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "scene/memory_budget.h"
#include "scene/prefault.h"
#include "scene/scene.h"
#include "scene/scene_diagnostics.h"
#include "scene/scene_reader.h"
#include "scene/scene_records.h"
#include "scene/stdin_sizes.h"

constexpr double DEG_TO_RAD = 0.017453292519943295;  // pi / 180

static long long waypointRowLimit;  // W: ReadSceneFile; most waypoints the whole file can hold

static int Clamp(long long value, long long lowest, long long highest) {
    return (int)std::min(std::max(value, lowest), highest);
}

// ---- Table allocation; fresh tables are zeroed, and their pages come in as
// the records reach them (memory_budget.h).

template <typename T>
static void AllocateFilled(Table<T>& table, size_t n) {
    table.Allocate(n);
}

static void AllocateTexturedList(size_t n) {
    for (Table<double>* t : {&texPolyColorR, &texPolyColorG, &texPolyColorB, &texPolyX, &texPolyY,
                             &texPolyZ, &texPolyS, &texPolyT})
        AllocateFilled(*t, n);
    AllocateFilled(texPolyEnd, n);
    AllocateFilled(texPolyTexFlag, n);
    AllocateFilled(texPolyTexName, n);
    texPolyTexId.Allocate(n);
    texPolyImage.Allocate(n);
}

static void AllocateFlatList(size_t n) {
    for (Table<double>* t :
         {&flatPolyColorR, &flatPolyColorG, &flatPolyColorB, &flatPolyX, &flatPolyY, &flatPolyZ})
        AllocateFilled(*t, n);
    AllocateFilled(flatPolyEnd, n);
}

static void AllocateAvatarList(size_t n) {
    for (Table<double>* t : {&avatarPolyColorR, &avatarPolyColorG, &avatarPolyColorB, &avatarPolyX,
                             &avatarPolyY, &avatarPolyZ, &avatarPolyS, &avatarPolyT})
        AllocateFilled(*t, n);
    AllocateFilled(avatarPolyJoint, n);
    AllocateFilled(avatarPolyEnd, n);
    AllocateFilled(avatarPolyTexFlag, n);
    AllocateFilled(avatarPolyTexName, n);
    avatarPolyTexId.Allocate(n);
    avatarPolyImage.Allocate(n);
}

static void AllocatePartTables(size_t rows, size_t actors) {
    for (Grid<double>* g :
         {&partColorR, &partColorG, &partColorB, &partX, &partY, &partZ, &partS, &partT})
        g->Allocate(rows, actors);
    partJoint.Allocate(rows, actors);
    partEnd.Allocate(rows, actors);
    partTexFlag.Allocate(rows, actors);
    partTexName.Allocate(rows, actors);
    partTexId.Allocate(rows, actors);
    partImage.Allocate(rows, actors);
}

static void AllocateWaypointTables(size_t rows, size_t actors) {
    actorWaypointX.Allocate(rows, actors);
    actorWaypointZ.Allocate(rows, actors);
}

// ---- Preparation and sizing.

// Every dynamic table is released and allocated anew. The counts go back to
// their defaults with them: a count kept from an earlier scene would index
// past the fresh one-entry tables.
static void PrepareSceneTables(bool askStdin) {
    texPolyIndex = avatarPolyIndex = flatPolyIndex = partIndex = 0;
    std::memset(actorPose, 0, sizeof actorPose);
    texPolyVertexCount = flatPolyVertexCount = avatarPolyVertexCount = 0;
    actorLastIndex = avatarJointCount = -1;
    partCapacity = 1;
    obstacleCount = 0;

    ResetTexNames();
    AllocateTexturedList(1);
    AllocateFlatList(1);
    AllocateAvatarList(1);
    texPolyEnd[0] = flatPolyEnd[0] = avatarPolyEnd[0] = 1;

    int columns = 1, lastRow = 1;
    if (askStdin) ReadStdinSizes(columns, lastRow);
    columns = Clamp(columns, 1, ACTOR_CAPACITY);
    actorPartVertexCount.Allocate(1);
    AllocatePartTables(Clamp(lastRow, 0, PART_CAPACITY) + 1, columns);

    obstacleX.Allocate(1);
    obstacleZ.Allocate(1);
    actorWaypointCount.Allocate(columns);

    lastRow = 2;
    if (askStdin) ReadStdinSizes(columns, lastRow);
    AllocateWaypointTables(Clamp(lastRow, 0, waypointRowLimit) + 1,
                           Clamp(columns, 1, ACTOR_CAPACITY));
}

// The three list counts: each sizes its tables when it is at least 1.
static void ReadListCounts() {
    ReadCount(texPolyVertexCount, FIELD_texPolyVertexCount, INT32_MIN, TEX_POLY_CAPACITY, true);
    if (texPolyVertexCount >= 1) AllocateTexturedList((size_t)texPolyVertexCount + 10);
    texPolyEnd[0] = 1;
    texPolyIndex = 0;

    ReadCount(flatPolyVertexCount, FIELD_flatPolyVertexCount, INT32_MIN, INT32_MAX, true);
    if (flatPolyVertexCount >= 1) AllocateFlatList((size_t)flatPolyVertexCount + 10);
    flatPolyEnd[0] = 1;
    flatPolyIndex = 0;

    ReadCount(avatarPolyVertexCount, FIELD_avatarPolyVertexCount, INT32_MIN, AVATAR_POLY_CAPACITY,
              true);
    if (avatarPolyVertexCount >= 1) AllocateAvatarList((size_t)avatarPolyVertexCount + 1);
    avatarPolyEnd[0] = 1;
    avatarPolyIndex = 0;
}

// actorLastIndex and partCapacity, and the part tables they size. Standard input may ask for
// larger tables, never for smaller ones or beyond the capacities.
static void ReadActorCounts() {
    ReadCount(actorLastIndex, FIELD_actorLastIndex, INT32_MIN, ACTOR_CAPACITY - 1, false);
    ReadCount(partCapacity, FIELD_partCapacity, INT32_MIN, PART_CAPACITY, false);
    int actors = actorLastIndex + 1;
    // The count table covers every actor even when the part tables stay
    // small, so that nothing reads past it.
    if (actors >= 1) actorPartVertexCount.Allocate(actors);
    if (actors >= 1 && partCapacity >= 1) {
        int lastActor = actorLastIndex, rows = partCapacity + 1;
        ReadStdinSizes(lastActor, rows);
        AllocatePartTables(std::max(partCapacity + 1, Clamp(rows, 1, PART_CAPACITY + 1)),
                           std::max(actors, Clamp(lastActor, 0, ACTOR_CAPACITY - 1) + 1));
    }
}

// Sizes the waypoint tables, once every actorWaypointCount is read, for the
// longest waypoint list.
static void SizeWaypointTables() {
    int longest = 0;
    for (int i = 0; i <= actorLastIndex; ++i) longest = std::max(longest, actorWaypointCount[i]);
    if (actorLastIndex < 0 || longest < 1) return;
    int lastActor = actorLastIndex, rows = longest + 1;
    ReadStdinSizes(lastActor, rows);
    AllocateWaypointTables(
        std::max(longest + 1, Clamp(rows, 1, waypointRowLimit + 1)),
        std::max(actorLastIndex + 1, Clamp(lastActor, 0, ACTOR_CAPACITY - 1) + 1));
}

// ---- Scalar fields.

// The settings, displayModeIndex to engineShake.
static void ReadSettings() {
    ReadInt(displayModeIndex, FIELD_displayModeIndex);
    ReadInt(light0Enabled, FIELD_light0Enabled);
    ReadInt(light1Enabled, FIELD_light1Enabled);
    ReadInt(smoothShading, FIELD_smoothShading);
    ReadInt(fieldOfView, FIELD_fieldOfView);
    ReadInt(windowMaximised, FIELD_windowMaximised);
    ReadInt(fullScreen, FIELD_fullScreen);
    ReadDecimal(farPlane, FIELD_farPlane);
    ReadInt(cullDistance, FIELD_cullDistance);
    ReadInt(cullEnabled, FIELD_cullEnabled);
    ReadInt(linearMagFilter, FIELD_linearMagFilter);
    ReadDecimal(light0Level, FIELD_light0Level);
    ReadDecimal(light1Level, FIELD_light1Level);
    ReadDecimal(startEyeX, FIELD_startEyeX);
    ReadDecimal(startEyeY, FIELD_startEyeY);
    ReadDecimal(startEyeZ, FIELD_startEyeZ);
    ReadDecimal(startTargetX, FIELD_startTargetX);
    ReadDecimal(startTargetY, FIELD_startTargetY);
    ReadDecimal(startTargetZ, FIELD_startTargetZ);
    ReadDecimal(startHeading, FIELD_startHeading);
    ReadDecimal(collisionRadius, FIELD_collisionRadius);
    ReadInt(viewMode, FIELD_viewMode);
    ReadInt(followCameraSteps, FIELD_followCameraSteps);
    ReadInt(driveCameraSteps, FIELD_driveCameraSteps);
    ReadDecimal(observerStartX, FIELD_observerStartX);
    ReadDecimal(observerStartY, FIELD_observerStartY);
    ReadDecimal(observerStartZ, FIELD_observerStartZ);
    ReadDecimal(observerTargetX, FIELD_observerTargetX);
    ReadDecimal(observerTargetY, FIELD_observerTargetY);
    ReadDecimal(observerTargetZ, FIELD_observerTargetZ);
    ReadInt(sideKeyMode, FIELD_sideKeyMode);
    // The one statement in which the two builds differ.
    if (!keepSideKeyMode) sideKeyMode = SIDE_KEYS_TURN;
    ReadDecimal(maxWalkSpeed, FIELD_maxWalkSpeed);
    ReadDecimal(turnStep, FIELD_turnStep);
    ReadDecimal(walkAcceleration, FIELD_walkAcceleration);
    ReadDecimal(tiltMax, FIELD_tiltMax);
    ReadDecimal(tiltMin, FIELD_tiltMin);
    ReadDecimal(crouchDepth, FIELD_crouchDepth);
    ReadDecimal(jumpHeight, FIELD_jumpHeight);
    ReadDecimal(deflectionDamping, FIELD_deflectionDamping);
    ReadDecimal(maxDeflection, FIELD_maxDeflection);
    ReadDecimal(maxDriveSpeed, FIELD_maxDriveSpeed);
    ReadDecimal(maxSteerRate, FIELD_maxSteerRate);
    ReadDecimal(driveAcceleration, FIELD_driveAcceleration);
    ReadDecimal(boostAcceleration, FIELD_boostAcceleration);
    ReadDecimal(steerReturnRate, FIELD_steerReturnRate);
    ReadDecimal(handbrakeDeceleration, FIELD_handbrakeDeceleration);
    ReadDecimal(brakeDeceleration, FIELD_brakeDeceleration);
    ReadDecimal(rollingFriction, FIELD_rollingFriction);
    ReadDecimal(steerStep, FIELD_steerStep);
    ReadDecimal(driftSteerStep, FIELD_driftSteerStep);
    ReadDecimal(driftSteerFactor, FIELD_driftSteerFactor);
    ReadDecimal(bodyRollFactor, FIELD_bodyRollFactor);
    ReadDecimal(collisionTurnDivisor, FIELD_collisionTurnDivisor);
    ReadDecimal(driveDeflectionDamping, FIELD_driveDeflectionDamping);
    ReadDecimal(driveMaxDeflection, FIELD_driveMaxDeflection);
    ReadDecimal(maxBodyPitch, FIELD_maxBodyPitch);
    ReadDecimal(engineShake, FIELD_engineShake);
}

// Every field in file order.
static void ReadSceneFields() {
    ReadListCounts();
    ReadActorCounts();
    StartPrefault();  // the large tables are all allocated now
    ReadSettings();
    ReadCount(obstacleCount, FIELD_obstacleCount, INT32_MIN, INT32_MAX, true);
    if (obstacleCount >= 1) {
        obstacleX.Allocate((size_t)obstacleCount + 1);
        obstacleZ.Allocate((size_t)obstacleCount + 1);
    }
    ReadObstaclePoints();
    if (actorLastIndex >= 0) actorWaypointCount.Allocate((size_t)actorLastIndex + 1);
    ReadActorBlock1();
    SizeWaypointTables();
    ReadWaypoints();
    ReadDecimal(clearRed, FIELD_clearRed);
    ReadDecimal(clearGreen, FIELD_clearGreen);
    ReadDecimal(clearBlue, FIELD_clearBlue);
    if (avatarPolyVertexCount != 0) {
        ReadDecimal(avatarHeadingOffset, FIELD_avatarHeadingOffset);
        ReadAvatarJoints();
    }
    ReadAvatarVertices();
    ReadActorBlock2();
    ReadPartVertices();
    ReadActorBlock3();
    ReadTexturedVertices();
    ReadFlatVertices();
}

// The reader's first failure, as a diagnostic.
static void ReportReadFailure(int status, SceneField field, const char* at, long long value,
                              long long limit) {
    DiagnosticKind kind = status == READ_END_OF_FILE ? DIAG_END_OF_FILE
                          : status == READ_MALFORMED ? DIAG_MALFORMED
                                                     : DIAG_COUNT_RANGE;
    ReportSceneDiagnostic(kind, field, at, value, limit);
}

SceneFileOutcome sceneFileOutcome;

// The model as an empty file leaves it, after a load that ran out of memory
// part way: nothing of the partial scene stays, and standard input is not
// asked again.
static void ResetAfterOutOfMemory() {
    CloseSceneText();
    ResetSceneModel();
    PrepareSceneTables(false);
    sceneFileOutcome = SCENE_OUT_OF_MEMORY;
}

// The table preparation and every field of the text the reader holds.
static void ReadSceneText() {
    sceneChecking = sceneDiagnostics != nullptr;
    readFailureHook = sceneChecking ? ReportReadFailure : nullptr;
    waypointRowLimit = std::max<long long>(2, BytesLeft() / MIN_RECORD_BYTES);
    StartStdinSizes();
    try {
        PrepareSceneTables(true);
        ReadSceneFields();
        if (sceneChecking && readStatus == READ_OK && NextContent() != readEnd)
            ReportSceneDiagnostic(DIAG_TRAILING_CONTENT, FIELD_AFTER_LAST, NextContent(), 0, 0);
        FinishPrefault();
        CloseSceneText();
    } catch (const SceneOutOfMemory&) {
        FinishPrefault();
        ResetAfterOutOfMemory();
    }
    readFailureHook = nullptr;
    sceneChecking = false;
}

// How a file that could not be read ends the load.
static SceneFileOutcome OutcomeOf(FileReadResult result) {
    switch (result) {
        case FILE_READ_OK: return SCENE_READ;
        case FILE_MISSING: return SCENE_MISSING;
        case FILE_NOT_REGULAR: return SCENE_NOT_REGULAR;
        case FILE_TOO_LARGE: return SCENE_OUT_OF_MEMORY;
        case FILE_UNREADABLE: return SCENE_UNREADABLE;
    }
    return SCENE_UNREADABLE;
}

bool ReadSceneFile(const char* path, bool createWhenMissing) {
    FileReadResult result = OpenSceneText(path, createWhenMissing);
    sceneFileOutcome = OutcomeOf(result);
    if (sceneFileOutcome == SCENE_MISSING && createWhenMissing) sceneFileOutcome = SCENE_NOT_CREATED;
    // Anything but a file read goes on as for a missing one: an empty text.
    ReadSceneText();
    return sceneFileOutcome == SCENE_READ;
}

void ReadSceneFromMemory(const char* text, size_t length) {
    sceneFileOutcome = SCENE_READ;
    try {
        UseSceneText(text, length);
    } catch (const SceneOutOfMemory&) {
        sceneFileOutcome = SCENE_OUT_OF_MEMORY;
    }
    ReadSceneText();
}

// ---- After the last field.

void ComputeDerivedValues() {
    double eyeDx = startEyeX - startTargetX, eyeDz = startEyeZ - startTargetZ;
    lookDistance = std::sqrt(eyeDx * eyeDx + eyeDz * eyeDz);
    double boomDx = observerStartX - observerTargetX, boomDz = observerStartZ - observerTargetZ;
    observerDistance = std::sqrt(boomDx * boomDx + boomDz * boomDz);
    degToRad = DEG_TO_RAD;
    followCameraStep = maxWalkSpeed / followCameraSteps;
    followCameraFastStep = 10.0 * followCameraStep;
    driveCameraStep = maxDriveSpeed / driveCameraSteps;
    driveCameraFastStep = 3.0 * driveCameraStep;
    followCollisionRadius = 2.5 * collisionRadius;
    if (viewMode == VIEW_DRIVE) engineShake = engineShake / 2.4;
    jumpStep = jumpHeight / 8.0;
    collisionProbeSpeed = collisionRadius;
    maxDeflection = maxDeflection * degToRad;
    driveMaxDeflection = driveMaxDeflection * degToRad;
    collisionTurnDivisor = (1.0 / collisionTurnDivisor) * 100.0;
}

const char* SceneFileMessage() {
    switch (sceneFileOutcome) {
        case SCENE_READ:
        case SCENE_MISSING:  // created empty, or not asked to: nothing to say
            return nullptr;
        case SCENE_NOT_REGULAR:
            return "Hod.pro is not a regular file; the scene is empty.";
        case SCENE_UNREADABLE:
            return "Hod.pro cannot be read; the scene is empty.";
        case SCENE_NOT_CREATED:
            return "Hod.pro is missing and cannot be created here; the scene is empty.";
        case SCENE_OUT_OF_MEMORY:
            return SCENE_OUT_OF_MEMORY_MESSAGE;
    }
    return nullptr;
}

// A list whose count is below 1 gets no flag: index n would lie before the
// list. The sizing guarantees every other index lies inside its table.
void SetClosingSentinels() {
    if (texPolyVertexCount >= 1) texPolyEnd[texPolyVertexCount] = 1;
    if (avatarPolyVertexCount >= 1) avatarPolyEnd[avatarPolyVertexCount] = 1;
    for (int i = 0; i <= actorLastIndex && (size_t)i < actorPartVertexCount.size; ++i) {
        int n = actorPartVertexCount[i];
        if (n >= 1 && (size_t)n < partEnd.rows && (size_t)i < partEnd.cols) partEnd(n, i) = 1;
    }
}
