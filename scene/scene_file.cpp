// scene_file.cpp -- the scene reader: the table preparation, the file's
// fields in order with the sizing they drive, and the closing sentinels.
// The per-record readers are in scene_records.cpp; the program starts
// everything that moves on the read scene itself (app/scene_start.cpp).
#include "scene/scene_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "scene/file_read.h"
#include "scene/memory_budget.h"
#include "scene/prefault.h"
#include "scene/scene.h"
#include "scene/scene_diagnostics.h"
#include "scene/scene_reader.h"
#include "scene/scene_records.h"
#include "scene/stdin_sizes.h"

constexpr double DEG_TO_RAD = 0.017453292519943295;  // pi / 180

static const char EMPTY_TEXT[TEXT_SLACK] = {};  // the text of a file that could not be read

static int Clamp(long long value, long long lowest, long long highest) {
    return (int)std::min(std::max(value, lowest), highest);
}

// ---- Table allocation; fresh tables are zeroed, and their pages come in as
// the records reach them (memory_budget.h).

static void AllocateTexturedList(Scene& s, size_t n) {
    for (Table<double>* t : {&s.texPolyColorR, &s.texPolyColorG, &s.texPolyColorB, &s.texPolyX,
                             &s.texPolyY, &s.texPolyZ, &s.texPolyS, &s.texPolyT})
        t->Allocate(n);
    s.texPolyEnd.Allocate(n);
    s.texPolyTexFlag.Allocate(n);
    s.texPolyTexName.Allocate(n);
}

static void AllocateFlatList(Scene& s, size_t n) {
    for (Table<double>* t : {&s.flatPolyColorR, &s.flatPolyColorG, &s.flatPolyColorB, &s.flatPolyX,
                             &s.flatPolyY, &s.flatPolyZ})
        t->Allocate(n);
    s.flatPolyEnd.Allocate(n);
}

static void AllocateAvatarList(Scene& s, size_t n) {
    for (Table<double>* t : {&s.avatarPolyColorR, &s.avatarPolyColorG, &s.avatarPolyColorB,
                             &s.avatarPolyX, &s.avatarPolyY, &s.avatarPolyZ, &s.avatarPolyS,
                             &s.avatarPolyT})
        t->Allocate(n);
    s.avatarPolyJoint.Allocate(n);
    s.avatarPolyEnd.Allocate(n);
    s.avatarPolyTexFlag.Allocate(n);
    s.avatarPolyTexName.Allocate(n);
}

static void AllocatePartTables(Scene& s, size_t rows, size_t actors) {
    for (Grid<double>* g : {&s.partColorR, &s.partColorG, &s.partColorB, &s.partX, &s.partY,
                            &s.partZ, &s.partS, &s.partT})
        g->Allocate(rows, actors);
    s.partJoint.Allocate(rows, actors);
    s.partEnd.Allocate(rows, actors);
    s.partTexFlag.Allocate(rows, actors);
    s.partTexName.Allocate(rows, actors);
}

static void AllocateWaypointTables(Scene& s, size_t rows, size_t actors) {
    s.actorWaypointX.Allocate(rows, actors);
    s.actorWaypointZ.Allocate(rows, actors);
}

// ---- Preparation and sizing.

// Every dynamic table is allocated anew with one entry, or with what
// standard input asks for.
static void PrepareSceneTables(SceneReader& r, bool askStdin) {
    Scene& s = r.scene;
    AllocateTexturedList(s, 1);
    AllocateFlatList(s, 1);
    AllocateAvatarList(s, 1);
    s.texPolyEnd[0] = s.flatPolyEnd[0] = s.avatarPolyEnd[0] = 1;

    int columns = 1, lastRow = 1;
    if (askStdin) ReadStdinSizes(*r.stdinSizes, columns, lastRow);
    columns = Clamp(columns, 1, ACTOR_CAPACITY);
    s.actorPartVertexCount.Allocate(1);
    AllocatePartTables(s, Clamp(lastRow, 0, PART_CAPACITY) + 1, columns);

    s.obstacleX.Allocate(1);
    s.obstacleZ.Allocate(1);
    s.actorWaypointCount.Allocate(columns);

    lastRow = 2;
    if (askStdin) ReadStdinSizes(*r.stdinSizes, columns, lastRow);
    AllocateWaypointTables(s, Clamp(lastRow, 0, r.waypointRowLimit) + 1,
                           Clamp(columns, 1, ACTOR_CAPACITY));
}

// The three list counts: each sizes its tables when it is at least 1.
static void ReadListCounts(SceneReader& r) {
    Scene& s = r.scene;
    ReadCount(r, s.texPolyVertexCount, FIELD_texPolyVertexCount, INT32_MIN, TEX_POLY_CAPACITY, true);
    if (s.texPolyVertexCount >= 1) AllocateTexturedList(s, (size_t)s.texPolyVertexCount + 10);
    s.texPolyEnd[0] = 1;

    ReadCount(r, s.flatPolyVertexCount, FIELD_flatPolyVertexCount, INT32_MIN, INT32_MAX, true);
    if (s.flatPolyVertexCount >= 1) AllocateFlatList(s, (size_t)s.flatPolyVertexCount + 10);
    s.flatPolyEnd[0] = 1;

    ReadCount(r, s.avatarPolyVertexCount, FIELD_avatarPolyVertexCount, INT32_MIN,
              AVATAR_POLY_CAPACITY, true);
    if (s.avatarPolyVertexCount >= 1) AllocateAvatarList(s, (size_t)s.avatarPolyVertexCount + 1);
    s.avatarPolyEnd[0] = 1;
}

// actorLastIndex and partCapacity, and the part tables they size. Standard
// input may ask for larger tables, never for smaller ones or beyond the
// capacities.
static void ReadActorCounts(SceneReader& r) {
    Scene& s = r.scene;
    ReadCount(r, s.actorLastIndex, FIELD_actorLastIndex, INT32_MIN, ACTOR_CAPACITY - 1, false);
    ReadCount(r, s.partCapacity, FIELD_partCapacity, INT32_MIN, PART_CAPACITY, false);
    int actors = s.actorLastIndex + 1;
    // The count table covers every actor even when the part tables stay
    // small, so that nothing reads past it.
    if (actors >= 1) s.actorPartVertexCount.Allocate(actors);
    if (actors >= 1 && s.partCapacity >= 1) {
        int lastActor = s.actorLastIndex, rows = s.partCapacity + 1;
        ReadStdinSizes(*r.stdinSizes, lastActor, rows);
        AllocatePartTables(s, std::max(s.partCapacity + 1, Clamp(rows, 1, PART_CAPACITY + 1)),
                           std::max(actors, Clamp(lastActor, 0, ACTOR_CAPACITY - 1) + 1));
    }
}

// Sizes the waypoint tables, once every actorWaypointCount is read, for the
// longest waypoint list.
static void SizeWaypointTables(SceneReader& r) {
    Scene& s = r.scene;
    int longest = 0;
    for (int i = 0; i <= s.actorLastIndex; ++i) longest = std::max(longest, s.actorWaypointCount[i]);
    if (s.actorLastIndex < 0 || longest < 1) return;
    int lastActor = s.actorLastIndex, rows = longest + 1;
    ReadStdinSizes(*r.stdinSizes, lastActor, rows);
    AllocateWaypointTables(
        s, std::max(longest + 1, Clamp(rows, 1, r.waypointRowLimit + 1)),
        std::max(s.actorLastIndex + 1, Clamp(lastActor, 0, ACTOR_CAPACITY - 1) + 1));
}

// ---- Scalar fields.

// The settings, displayModeIndex to engineShake.
static void ReadSettings(SceneReader& r) {
    Scene& s = r.scene;
    ReadInt(r, s.displayModeIndex, FIELD_displayModeIndex);
    ReadInt(r, s.light0Enabled, FIELD_light0Enabled);
    ReadInt(r, s.light1Enabled, FIELD_light1Enabled);
    ReadInt(r, s.smoothShading, FIELD_smoothShading);
    ReadInt(r, s.fieldOfView, FIELD_fieldOfView);
    ReadInt(r, s.windowMaximised, FIELD_windowMaximised);
    ReadInt(r, s.fullScreen, FIELD_fullScreen);
    ReadDecimal(r, s.farPlane, FIELD_farPlane);
    ReadInt(r, s.cullDistance, FIELD_cullDistance);
    ReadInt(r, s.cullEnabled, FIELD_cullEnabled);
    ReadInt(r, s.linearMagFilter, FIELD_linearMagFilter);
    ReadDecimal(r, s.light0Level, FIELD_light0Level);
    ReadDecimal(r, s.light1Level, FIELD_light1Level);
    ReadDecimal(r, s.startEyeX, FIELD_startEyeX);
    ReadDecimal(r, s.startEyeY, FIELD_startEyeY);
    ReadDecimal(r, s.startEyeZ, FIELD_startEyeZ);
    ReadDecimal(r, s.startTargetX, FIELD_startTargetX);
    ReadDecimal(r, s.startTargetY, FIELD_startTargetY);
    ReadDecimal(r, s.startTargetZ, FIELD_startTargetZ);
    ReadDecimal(r, s.startHeading, FIELD_startHeading);
    ReadDecimal(r, s.collisionRadius, FIELD_collisionRadius);
    ReadInt(r, s.viewMode, FIELD_viewMode);
    ReadInt(r, s.followCameraSteps, FIELD_followCameraSteps);
    ReadInt(r, s.driveCameraSteps, FIELD_driveCameraSteps);
    ReadDecimal(r, s.observerStartX, FIELD_observerStartX);
    ReadDecimal(r, s.observerStartY, FIELD_observerStartY);
    ReadDecimal(r, s.observerStartZ, FIELD_observerStartZ);
    ReadDecimal(r, s.observerTargetX, FIELD_observerTargetX);
    ReadDecimal(r, s.observerTargetY, FIELD_observerTargetY);
    ReadDecimal(r, s.observerTargetZ, FIELD_observerTargetZ);
    ReadInt(r, s.sideKeyMode, FIELD_sideKeyMode);
    // The one statement in which the two builds differ.
    if (!r.keepSideKeyMode) s.sideKeyMode = SIDE_KEYS_TURN;
    ReadDecimal(r, s.maxWalkSpeed, FIELD_maxWalkSpeed);
    ReadDecimal(r, s.turnStep, FIELD_turnStep);
    ReadDecimal(r, s.walkAcceleration, FIELD_walkAcceleration);
    ReadDecimal(r, s.tiltMax, FIELD_tiltMax);
    ReadDecimal(r, s.tiltMin, FIELD_tiltMin);
    ReadDecimal(r, s.crouchDepth, FIELD_crouchDepth);
    ReadDecimal(r, s.jumpHeight, FIELD_jumpHeight);
    ReadDecimal(r, s.deflectionDamping, FIELD_deflectionDamping);
    ReadDecimal(r, s.maxDeflection, FIELD_maxDeflection);
    ReadDecimal(r, s.maxDriveSpeed, FIELD_maxDriveSpeed);
    ReadDecimal(r, s.maxSteerRate, FIELD_maxSteerRate);
    ReadDecimal(r, s.driveAcceleration, FIELD_driveAcceleration);
    ReadDecimal(r, s.boostAcceleration, FIELD_boostAcceleration);
    ReadDecimal(r, s.steerReturnRate, FIELD_steerReturnRate);
    ReadDecimal(r, s.handbrakeDeceleration, FIELD_handbrakeDeceleration);
    ReadDecimal(r, s.brakeDeceleration, FIELD_brakeDeceleration);
    ReadDecimal(r, s.rollingFriction, FIELD_rollingFriction);
    ReadDecimal(r, s.steerStep, FIELD_steerStep);
    ReadDecimal(r, s.driftSteerStep, FIELD_driftSteerStep);
    ReadDecimal(r, s.driftSteerFactor, FIELD_driftSteerFactor);
    ReadDecimal(r, s.bodyRollFactor, FIELD_bodyRollFactor);
    ReadDecimal(r, s.collisionTurnDivisor, FIELD_collisionTurnDivisor);
    ReadDecimal(r, s.driveDeflectionDamping, FIELD_driveDeflectionDamping);
    ReadDecimal(r, s.driveMaxDeflection, FIELD_driveMaxDeflection);
    ReadDecimal(r, s.maxBodyPitch, FIELD_maxBodyPitch);
    ReadDecimal(r, s.engineShake, FIELD_engineShake);
}

// Every field in file order.
static void ReadSceneFields(SceneReader& r) {
    Scene& s = r.scene;
    ReadListCounts(r);
    ReadActorCounts(r);
    StartPrefault();  // the large tables are all allocated now
    ReadSettings(r);
    ReadCount(r, s.obstacleCount, FIELD_obstacleCount, INT32_MIN, INT32_MAX, true);
    if (s.obstacleCount >= 1) {
        s.obstacleX.Allocate((size_t)s.obstacleCount + 1);
        s.obstacleZ.Allocate((size_t)s.obstacleCount + 1);
    }
    ReadObstaclePoints(r);
    if (s.actorLastIndex >= 0) s.actorWaypointCount.Allocate((size_t)s.actorLastIndex + 1);
    ReadActorBlock1(r);
    SizeWaypointTables(r);
    ReadWaypoints(r);
    ReadDecimal(r, s.clearRed, FIELD_clearRed);
    ReadDecimal(r, s.clearGreen, FIELD_clearGreen);
    ReadDecimal(r, s.clearBlue, FIELD_clearBlue);
    if (s.avatarPolyVertexCount != 0) {
        ReadDecimal(r, s.avatarHeadingOffset, FIELD_avatarHeadingOffset);
        ReadAvatarJoints(r);
    }
    ReadAvatarVertices(r);
    ReadActorBlock2(r);
    ReadPartVertices(r);
    ReadActorBlock3(r);
    ReadTexturedVertices(r);
    ReadFlatVertices(r);
}

// The scene as an empty file leaves it, after a load that ran out of memory
// part way: nothing of the partial scene stays, and standard input is not
// asked again. Beside another scene that holds most of the budget even the
// one-entry tables may not fit; the scene then has no tables at all, which
// its counts of none never reach.
static void ResetAfterOutOfMemory(Scene& scene) {
    ResetScene(scene);
    SceneReader empty(scene, EMPTY_TEXT, 0);
    try {
        PrepareSceneTables(empty, false);
    } catch (const SceneOutOfMemory&) {
        ResetScene(scene);
    }
}

// The table preparation and every field of length bytes at text (TEXT_SLACK
// zero bytes follow) into a reset scene.
static SceneReadResult ReadSceneText(Scene& scene, const char* text, size_t length,
                                     const SceneReadOptions& options, SceneFileOutcome outcome) {
    SceneReadResult result;
    result.outcome = outcome;
    SceneReader r(scene, text, length);
    r.diagnostics = options.diagnostics;
    r.keepSideKeyMode = options.keepSideKeyMode;
    r.flatSplitVertices = options.flatSplitVertices;
    r.waypointRowLimit = std::max<long long>(2, BytesLeft(r) / MIN_RECORD_BYTES);
    StdinSizes input;
    StartStdinSizes(input, options.stdinText);
    r.stdinSizes = &input;
    try {
        PrepareSceneTables(r, true);
        ReadSceneFields(r);
        if (r.Checking() && r.status == READ_OK && NextContent(r) != r.end)
            ReportSceneDiagnostic(r, DIAG_TRAILING_CONTENT, FIELD_AFTER_LAST, NextContent(r), 0, 0);
        FinishPrefault();
    } catch (const SceneOutOfMemory&) {
        FinishPrefault();
        ResetAfterOutOfMemory(scene);
        result.outcome = SCENE_OUT_OF_MEMORY;
    }
    result.status = r.status;
    result.flatSplitKept = r.flatSplitKept;
    return result;
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

SceneReadResult ReadSceneFile(Scene& scene, const char* path, bool createWhenMissing,
                              const SceneReadOptions& options) {
    ResetScene(scene);
    // The text counts against the scene's budget like the tables it sizes.
    FileReadOptions fileOptions = {sceneMemory.budget, true, true, true};
    FileBytes bytes;
    FileReadResult read = ReadWholeFile(path, fileOptions, &bytes);
    SceneFileOutcome outcome = OutcomeOf(read);
    if (read == FILE_MISSING && createWhenMissing)
        outcome = CreateEmptyFile(path) ? SCENE_READ : SCENE_NOT_CREATED;
    // Anything but a file read goes on as for a missing one: an empty text.
    SceneReadResult result = read == FILE_READ_OK
                                 ? ReadSceneText(scene, bytes.data, bytes.length, options, outcome)
                                 : ReadSceneText(scene, EMPTY_TEXT, 0, options, outcome);
    ReleaseFileBytes(&bytes);
    return result;
}

SceneReadResult ReadSceneFromMemory(Scene& scene, const char* text, size_t length,
                                    const SceneReadOptions& options) {
    ResetScene(scene);
    FileBytes bytes;
    if (!CopyToFileBytes(text, length, &bytes))
        return ReadSceneText(scene, EMPTY_TEXT, 0, options, SCENE_OUT_OF_MEMORY);
    SceneReadResult result = ReadSceneText(scene, bytes.data, bytes.length, options, SCENE_READ);
    ReleaseFileBytes(&bytes);
    return result;
}

// ---- After the last field.

void ComputeDerivedValues(Scene& s) {
    double eyeDx = s.startEyeX - s.startTargetX, eyeDz = s.startEyeZ - s.startTargetZ;
    s.lookDistance = std::sqrt(eyeDx * eyeDx + eyeDz * eyeDz);
    double boomDx = s.observerStartX - s.observerTargetX, boomDz = s.observerStartZ - s.observerTargetZ;
    s.observerDistance = std::sqrt(boomDx * boomDx + boomDz * boomDz);
    s.degToRad = DEG_TO_RAD;
    s.followCameraStep = s.maxWalkSpeed / s.followCameraSteps;
    s.followCameraFastStep = 10.0 * s.followCameraStep;
    s.driveCameraStep = s.maxDriveSpeed / s.driveCameraSteps;
    s.driveCameraFastStep = 3.0 * s.driveCameraStep;
    s.followCollisionRadius = 2.5 * s.collisionRadius;
    if (s.viewMode == VIEW_DRIVE) s.engineShake = s.engineShake / 2.4;
    s.jumpStep = s.jumpHeight / 8.0;
    s.collisionProbeSpeed = s.collisionRadius;
    s.maxDeflection = s.maxDeflection * s.degToRad;
    s.driveMaxDeflection = s.driveMaxDeflection * s.degToRad;
    s.collisionTurnDivisor = (1.0 / s.collisionTurnDivisor) * 100.0;
}

const char* SceneFileMessage(SceneFileOutcome outcome) {
    switch (outcome) {
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
void SetClosingSentinels(Scene& s) {
    if (s.texPolyVertexCount >= 1) s.texPolyEnd[s.texPolyVertexCount] = 1;
    if (s.avatarPolyVertexCount >= 1) s.avatarPolyEnd[s.avatarPolyVertexCount] = 1;
    for (int i = 0; i <= s.actorLastIndex && (size_t)i < s.actorPartVertexCount.size; ++i) {
        int n = s.actorPartVertexCount[i];
        if (n >= 1 && (size_t)n < s.partEnd.rows && (size_t)i < s.partEnd.cols) s.partEnd(n, i) = 1;
    }
}
