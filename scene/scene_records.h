// scene_records.h -- the loader's readers of the per-record parts of the
// scene file (obstacle points to the plain list), shared between the loader's files.
#pragma once

#include <cstddef>

#include "scene/scene_fields.h"

// R: the record readers. True while a diagnostics hook takes this load's
// warnings; the checks cost nothing otherwise.
extern bool sceneChecking;

// Every obstacle point, waypoint or vertex takes at least this many bytes of
// the file, so a count can be checked against what is left to read.
constexpr long long MIN_RECORD_BYTES = 4;

// Reads a count into count when it lies in lowest..highest (and, with
// recordsFollow, when the rest of the file can hold that many records);
// otherwise the reader fails there and count keeps its value. A malformed
// token gives 0, as in every integer field.
void ReadCount(int& count, SceneField field, long long lowest, long long highest,
               bool recordsFollow);

void ReadObstaclePoints();        // obstacleX, obstacleZ
void ReadActorBlock1();           // actor settings through actorWaypointCount
void ReadWaypoints();             // actorWaypointX, actorWaypointZ
void ReadAvatarJoints();          // avatarHeadingOffset, avatar joints
void ReadAvatarVertices();        // the avatar list
void ReadActorBlock2();           // actorPartVertexCount and actor starts
void ReadPartVertices();          // the part lists
void ReadActorBlock3();           // actor speeds, radii and joints
void ReadTexturedVertices();      // the textured list
void ReadFlatVertices();          // the plain list

// Plain lists of at least this many vertices are read by two threads
// (flat_list.cpp); tests lower it to reach that path with small files.
extern int flatSplitVertices;
extern bool flatSplitKept;  // W: ReadFlatVertices; the other thread's half was kept
