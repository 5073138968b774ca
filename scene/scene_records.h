// scene_records.h -- the loader's readers of the per-record parts of the
// scene file (obstacle points to the plain list), shared between the loader's files.
#pragma once

#include <cstddef>

#include "scene/scene_fields.h"

struct SceneReader;

// Every obstacle point, waypoint or vertex takes at least this many bytes of
// the file, so a count can be checked against what is left to read.
constexpr long long MIN_RECORD_BYTES = 4;

// Reads a count into count when it lies in lowest..highest (and, with
// recordsFollow, when the rest of the file can hold that many records);
// otherwise the reader fails there and count keeps its value. A malformed
// token gives 0, as in every integer field.
void ReadCount(SceneReader& r, int& count, SceneField field, long long lowest, long long highest,
               bool recordsFollow);

void ReadObstaclePoints(SceneReader& r);    // obstacleX, obstacleZ
void ReadActorBlock1(SceneReader& r);       // actor settings through actorWaypointCount
void ReadWaypoints(SceneReader& r);         // actorWaypointX, actorWaypointZ
void ReadAvatarJoints(SceneReader& r);      // avatarHeadingOffset, avatar joints
void ReadAvatarVertices(SceneReader& r);    // the avatar list
void ReadActorBlock2(SceneReader& r);       // actorPartVertexCount and actor starts
void ReadPartVertices(SceneReader& r);      // the part lists
void ReadActorBlock3(SceneReader& r);       // actor speeds, radii and joints
void ReadTexturedVertices(SceneReader& r);  // the textured list
void ReadFlatVertices(SceneReader& r);      // the plain list (flat_list.cpp)
