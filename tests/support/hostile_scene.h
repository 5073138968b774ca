// hostile_scene.h -- test helpers for hostile scene files: a small complete
// scene whose every count and chosen token can be replaced, loading it into
// the running headless program, the table-size checks every load must pass,
// and frames drawn with keys held and checked for GL errors.
#pragma once

#include <string>
#include <vector>

#include "scene/scene_fields.h"

// A scene file assembled from generated records. The counts say how many
// records are written; a non-empty token replaces what the file says the
// count is (so a file can claim more or fewer records than it holds, or
// write the count in any form).
struct SceneParts {
    explicit SceneParts(const std::string& textureFile);

    int texCount = 4, flatCount = 4, avatarCount = 4;
    int actorCount = 1;    // actors 0..actorCount-1
    int partCapacity = 4;  // M
    int partCount = 4;     // vertices of each actor's part list
    int avatarJoints = 2, actorJoints = 2;
    int obstacleCount = 2, waypointCount = 2;

    std::string texCountToken, flatCountToken, avatarCountToken, actorLastToken,
        partCapacityToken, obstacleCountToken;
    std::string waypointCountToken;    // actor 0's waypoint count
    std::string partCountToken;        // actor 0's part vertex count
    std::string avatarJointLastToken;  // avatar joint last index
    std::string actorJointLastToken;   // actor 0's joint last index
    std::string avatarJointToken;      // joint number of the avatar's first vertex
    std::string partJointToken;        // joint number of actor 0's first part vertex
    std::string firstTexFlagToken;     // texture flag of the textured list's first vertex
    std::string actorStartXToken;      // actor 0's start x
    std::vector<std::string> texNames; // names of the first textured vertices

    std::vector<std::string> settings;  // displayModeIndex to engineShake, as written
    void Set(SceneField field, const std::string& token);

    std::string Text() const;
    std::string Head() const;  // the counts and the settings
    std::string Body() const;  // every field after the settings

  private:
    std::string textureFile;  // every texture slot names this bitmap
};

// Loads text as "Hod.pro" into the program StartHeadlessApp started, as
// window creation does after the context: the loader with stdinText in
// place of standard input, render state, textures, closing flags. False
// (with failures recorded) when a table is too small for its count or GL
// reported an error.
bool LoadIntoRunningApp(const std::string& text, const char* stdinText);
// The same for each view mode 1 to 4, each followed by DrawFramesHoldingKeys.
bool LoadEveryViewMode(const SceneParts& parts, const char* stdinText, int frames);
// Draws frames 40 ms apart while a script of key presses, releases and a
// mouse move runs; releases every key at the end. False (with failures
// recorded) when a frame did not run or GL reported an error.
bool DrawFramesHoldingKeys(int frames);

struct Scene;

// Reads text into a scene (no derived values, no GL). False when a table
// is too small for its count.
bool ReadIntoModel(const std::string& text, const char* stdinText);
// The scene that text reads into, written back as scene text ("" when a
// table is too small for its count).
std::string LoadedSceneText(const std::string& text, const char* stdinText);

// Every count of the scene lies inside the tables it indexes, as the frame
// code relies on. Records a failure for each table that does not.
bool TablesHoldTheirCounts(const Scene& scene);
