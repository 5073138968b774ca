// scene_writer.h -- writes "Hod.pro" files: from a plain in-memory
// description of a scene, from the loaded scene model, or generated at any
// size for tests, benchmarks and demo scenes.
#pragma once

#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene/scene_fields.h"

// One vertex record of the textured, avatar or part list. The colour is
// written only where a polygon starts (the vertex before has end flag 1);
// the joint only in figure lists; the texture slot only in textured lists.
struct SceneVertex {
    double red = 0, green = 0, blue = 0;
    int joint = NO_JOINT;
    double x = 0, y = 0, z = 0;
    int end = 1;
    double s = 0, t = 0;
    int texFlag = 0;
    std::string texName;  // no line ends; written after a '#' marker
};

// One vertex record of the plain coloured list.
struct SceneFlatVertex {
    double red = 0, green = 0, blue = 0;
    double x = 0, y = 0, z = 0;
    int end = 1;
};

struct ScenePoint {
    double x = 0, z = 0;
};

// One pose of a joint; the tilts exist only for the avatar.
struct ScenePose {
    double pivot[3] = {};  // x, y, z
    double swing[3] = {};  // about z, y, x
    double tilt[3] = {};   // about z, y, x (avatar only)
    double swingDivisor = 1;
};

struct SceneJoint {
    ScenePose poses[POSE_COUNT];
};

struct SceneActor {
    int avoidsObstacles = 0, usesWaypoints = 0, cullEnabled = 0;
    double cullDistance = 0;
    int rangeLimited = 0;
    double activeRange = 0;
    std::vector<ScenePoint> waypoints;
    double start[3] = {}, front[3] = {};
    double startHeading = 0, modelHeadingOffset = 0;
    std::vector<SceneVertex> parts;
    double maxSpeed = 0, collisionRadius = 0;
    std::vector<SceneJoint> joints;
};

struct SceneDescription {
    std::vector<SceneVertex> texVertices;
    std::vector<SceneFlatVertex> flatVertices;
    std::vector<SceneVertex> avatarVertices;  // none: the file has no avatar fields
    std::vector<SceneActor> actors;
    int partCapacity = 0;  // 0: the longest part list (at least 1 with actors)
    double settings[SCENE_SETTING_COUNT] = {};  // displayModeIndex to engineShake, ints held exactly
    std::vector<ScenePoint> obstacles;
    double clear[3] = {};
    double avatarHeadingOffset = 0;
    std::vector<SceneJoint> avatarJoints;
};

struct SceneWriteOptions {
    bool crlf = false;  // end lines with CR LF
};

// Sets the description's settings, clear colour and avatar heading offset
// to the values a scene holds, or to the defaults of a file that gives none.
void CopySettingsFromScene(SceneDescription& scene, const Scene& from);
void CopyDefaultSettings(SceneDescription& scene);
// Value of one setting (displayModeIndex to engineShake), and its change.
double GetSetting(const SceneDescription& scene, SceneField field);
void SetSetting(SceneDescription& scene, SceneField field, double value);

// The file text of a scene.
std::string FormatScene(const SceneDescription& scene, const SceneWriteOptions& options = {});
// Writes the scene file at path; false when it cannot be written.
bool WriteSceneFile(const std::string& path, const SceneDescription& scene,
                    const SceneWriteOptions& options = {});

// The scene as a read left it (before the derived values change some
// settings): every list, actor, joint and setting.
void DescribeLoadedScene(SceneDescription& scene, const Scene& from);

// Sizes of a generated scene.
struct SceneShape {
    int texVertices = 0;
    int flatVertices = 0;
    int avatarVertices = 0;
    int avatarJoints = 0;     // joints of the avatar (0..20)
    int actors = 0;           // 0..50
    int partVertices = 0;     // per actor, 0..2001
    int actorJoints = 0;      // per actor, 0..20
    int waypoints = 0;        // per actor
    int obstacles = 0;
    int textureNames = 8;     // distinct texture file names
    unsigned seed = 1;
};

// A deterministic scene of the given shape, with polygons of 3 to 6
// vertices, textured and plain polygons, joints on every figure polygon and
// the default settings.
void GenerateScene(SceneDescription& scene, const SceneShape& shape);
// The texture file name used for texture number k of a generated scene.
std::string GeneratedTextureName(int k);
