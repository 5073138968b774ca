// hostile_scene.cpp -- assembling hostile scene files, loading them into the
// running headless program and drawing checked frames.
#include "tests/support/hostile_scene.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "app/app.h"
#include "platform/platform.h"
#include "scene/bitmap.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "scene/stdin_sizes.h"
#include "scene/textures.h"
#include "tests/support/headless_app.h"
#include "tests/support/temp_scene.h"
#include "tools/lib/scene_writer.h"

// The settings (displayModeIndex to engineShake) of an ordinary walkable scene: lit, culled at 1000, the
// viewer at z = -300 looking down -z towards the obstacles, the observer
// behind it.
static const char* const BASE_SETTINGS[] = {
    "1", "1", "1", "1", "60", "0", "0", "5000", "1000", "1", "1", "0.8", "0.5",  // 6-18
    "0", "-10", "-300", "0", "-10", "-400", "0", "8",                            // 19-26
    "1", "20", "10", "0", "-30", "-360", "0", "-10", "-300", "1",                 // 27-36
    "2", "5", "1", "70", "70", "6", "20", "3", "1.2",                            // 37-45
    "5", "7", "0.07", "0.3", "0.4", "0.4", "0.7", "0.01", "0.2", "0.5", "1.5",   // 46-56
    "0.8", "50", "2", "60", "4", "0.17",                                         // 57-62
};
static_assert(sizeof BASE_SETTINGS / sizeof *BASE_SETTINGS == SCENE_SETTING_COUNT);

constexpr int POLYGON_SIZE = 3;  // vertices per generated polygon (the last may be shorter)

SceneParts::SceneParts(const std::string& file)
    : settings(std::begin(BASE_SETTINGS), std::end(BASE_SETTINGS)), textureFile(file) {}

void SceneParts::Set(SceneField field, const std::string& token) {
    settings[field - FIELD_displayModeIndex] = token;
}

// The token when given, else the number.
static std::string Or(const std::string& token, int value) {
    return token.empty() ? std::to_string(value) : token;
}

static std::string Number(int value) { return std::to_string(value); }

static bool StartsPolygon(int v) { return (v - 1) % POLYGON_SIZE == 0; }
static bool EndsPolygon(int v, int n) { return v % POLYGON_SIZE == 0 || v == n; }

// One vertex record of a textured or figure list (joint empty: no joint
// field), ending its line with the marker and the name. Formatted in one
// go: capacity-sized lists have a hundred thousand of these.
static void PutVertexRecord(std::string& t, int v, int n, const std::string& joint, int x, int y,
                            int z, const std::string& flag, const std::string& name) {
    char numbers[96];
    snprintf(numbers, sizeof numbers, "%s%s%s%d %d %d %d 0.5 1 ",
             StartsPolygon(v) ? "0.9 0.6 0.3 " : "", joint.c_str(), joint.empty() ? "" : " ", x, y,
             z, EndsPolygon(v, n) ? 1 : 0);
    t += numbers;
    t += flag;
    t += " #";
    t += name;
    t += '\n';
}

// A figure's list: each polygon on the joint of its number (or on none).
static void PutFigureList(std::string& t, int n, int joints, const std::string& firstJoint,
                          const std::string& name) {
    for (int v = 1; v <= n; ++v) {
        int polygon = (v - 1) / POLYGON_SIZE;
        int joint = joints > 0 ? polygon % joints : NO_JOINT;
        std::string token = v == 1 ? Or(firstJoint, joint) : Number(joint);
        PutVertexRecord(t, v, n, token, (v % 7) - 3, -(v % 11), v % 5, "1", name);
    }
}

// Pose lines of a figure's joints: pivot, swing (and tilt for the avatar),
// divisor.
static void PutJointPoses(std::string& t, int joints, bool withTilt) {
    for (int g = 0; g < joints; ++g) {
        for (int k = 0; k < POSE_COUNT; ++k) {
            t += "0 " + Number(-4 * g) + " 0 " + Number(3 * k) + " " + Number(k) + " " +
                 Number(2 * k);
            if (withTilt) t += " 0 " + Number(g) + " 0";
            t += " 4\n";
        }
    }
}

std::string SceneParts::Head() const {
    std::string t = Or(texCountToken, texCount) + " " + Or(flatCountToken, flatCount) + " " +
                    Or(avatarCountToken, avatarCount) + " " + Or(actorLastToken, actorCount - 1) +
                    " " + Or(partCapacityToken, partCapacity) + "\n";
    for (const std::string& s : settings) t += s + "\n";
    return t;
}

std::string SceneParts::Text() const { return Head() + Body(); }

std::string SceneParts::Body() const {
    std::string t = Or(obstacleCountToken, obstacleCount) + "\n";
    for (int w = 1; w <= obstacleCount; ++w)
        t += Number(6 * w - 9) + " " + Number(-312 - 10 * w) + "\n";
    for (int i = 0; i < actorCount; ++i) {
        std::string count = i == 0 ? Or(waypointCountToken, waypointCount) : Number(waypointCount);
        t += "1 1 1 500 " + Number(i % 2) + " 800 " + count + "\n";
    }
    for (int i = 0; i < actorCount; ++i)
        for (int w = 1; w <= waypointCount; ++w)
            t += Number(20 * i + 15 * w) + " " + Number(-280 + 20 * w) + "\n";
    t += "0.2 0.3 0.4\n";
    if (avatarCount != 0) {
        t += "180\n" + Or(avatarJointLastToken, avatarJoints - 1) + "\n";
        PutJointPoses(t, avatarJoints, true);
    }
    PutFigureList(t, avatarCount, avatarJoints, avatarJointToken, textureFile);
    for (int i = 0; i < actorCount; ++i) {
        int x = 20 * i;
        t += (i == 0 ? Or(partCountToken, partCount) : Number(partCount)) + " " +
             (i == 0 ? Or(actorStartXToken, x) : Number(x)) + " -5 -280 " + Number(x + 1) +
             " -5 -280 " + Number(37 * i) + " 90\n";
    }
    for (int i = 0; i < actorCount; ++i)
        PutFigureList(t, partCount, actorJoints, i == 0 ? partJointToken : "", textureFile);
    for (int i = 0; i < actorCount; ++i) {
        t += "1.5 6 " + (i == 0 ? Or(actorJointLastToken, actorJoints - 1) : Number(actorJoints - 1)) +
             "\n";
        PutJointPoses(t, actorJoints, false);
    }
    for (int v = 1; v <= texCount; ++v) {
        std::string flag = v == 1 ? Or(firstTexFlagToken, 1) : "1";
        const std::string& name = v - 1 < (int)texNames.size() ? texNames[v - 1] : textureFile;
        PutVertexRecord(t, v, texCount, "", (v % 40) * 10 - 200, -(v % 3) * 10,
                        -350 - (v / 40) * 10, flag, name);
    }
    for (int v = 1; v <= flatCount; ++v) {
        if (StartsPolygon(v)) t += "0.3 0.7 0.2 ";
        t += Number((v % 4) * 100 - 150) + " 0 " + Number(-200 - (v % 5) * 100) + " " +
             (EndsPolygon(v, flatCount) ? "1" : "0") + "\n";
    }
    return t;
}

// ---- Checks.

// The first GL error pending (all of them are cleared), or GL_NO_ERROR.
static GLenum FirstGLError() {
    GLenum first = glGetError();
    for (int guard = 0; guard < 16 && glGetError() != GL_NO_ERROR; ++guard) {
    }
    return first;
}

bool TablesHoldTheirCounts(const Scene& s) {
    bool ok = true;
    auto need = [&ok](bool holds, const std::string& what) {
        if (!holds) ADD_FAILURE() << what;
        ok = ok && holds;
    };
    size_t n = (size_t)s.texPolyVertexCount;
    need(s.texPolyVertexCount <= TEX_POLY_CAPACITY, "textured count beyond its capacity");
    if (s.texPolyVertexCount >= 1)
        need(s.texPolyEnd.size > n && s.texPolyColorR.size > n && s.texPolyX.size > n &&
                 s.texPolyS.size > n && s.texPolyTexFlag.size >= n && s.texPolyTexName.size >= n,
             "textured tables smaller than the count " + std::to_string(n));
    n = (size_t)s.flatPolyVertexCount;
    if (s.flatPolyVertexCount >= 1)
        need(s.flatPolyEnd.size > n && s.flatPolyColorR.size > n && s.flatPolyX.size > n,
             "plain tables smaller than the count " + std::to_string(n));
    n = (size_t)s.avatarPolyVertexCount;
    need(s.avatarPolyVertexCount <= AVATAR_POLY_CAPACITY, "avatar count beyond its capacity");
    if (s.avatarPolyVertexCount >= 1)
        need(s.avatarPolyEnd.size > n && s.avatarPolyJoint.size > n && s.avatarPolyX.size > n &&
                 s.avatarPolyTexFlag.size >= n,
             "avatar tables smaller than the count " + std::to_string(n));
    need(s.avatarJointCount < JOINT_CAPACITY, "avatar joint count beyond its capacity");
    need(s.actorLastIndex < ACTOR_CAPACITY, "actor last index beyond its capacity");
    int actors = s.actorLastIndex + 1;
    if (actors >= 1)
        need(s.actorPartVertexCount.size >= (size_t)actors &&
                 s.actorWaypointCount.size >= (size_t)actors,
             "per-actor count tables smaller than the actors");
    for (int i = 0; ok && i < actors; ++i) {
        std::string actor = "actor " + std::to_string(i) + ": ";
        need(s.actorJointCount[i] < JOINT_CAPACITY, actor + "joint count beyond its capacity");
        int parts = s.actorPartVertexCount[i];
        if (parts >= 1)
            need(s.partEnd.cols > (size_t)i && s.partEnd.rows > (size_t)parts &&
                     s.partTexFlag.rows >= (size_t)parts,
                 actor + "part grids smaller than " + std::to_string(parts) + " vertices");
        int waypoints = s.actorWaypointCount[i];
        if (waypoints >= 1)
            need(s.actorWaypointX.cols > (size_t)i && s.actorWaypointX.rows > (size_t)waypoints,
                 actor + "waypoint grids smaller than " + std::to_string(waypoints));
    }
    if (s.obstacleCount >= 1)
        need(s.obstacleX.size > (size_t)s.obstacleCount && s.obstacleZ.size > (size_t)s.obstacleCount,
             "obstacle tables smaller than the count");
    return ok;
}

// ---- Loading and drawing.

bool LoadIntoRunningApp(const std::string& text, const char* stdinText) {
    if (loaded) ReleaseSceneTextures(loaded->textures);
    if (!SaveTextFile("Hod.pro", text)) {
        ADD_FAILURE() << "cannot write Hod.pro";
        return false;
    }
    run.stdinText = stdinText;
    LoadScene();
    run.stdinText = "";
    PrepareSceneForDrawing(*loaded);
    bool ok = TablesHoldTheirCounts(loaded->scene);
    GLenum error = FirstGLError();
    if (error != GL_NO_ERROR) ADD_FAILURE() << "GL error 0x" << std::hex << error << " after loading";
    return ok && error == GL_NO_ERROR;
}

bool LoadEveryViewMode(const SceneParts& parts, const char* stdinText, int frames) {
    std::string body = parts.Body();
    for (int mode = 1; mode <= 4; ++mode) {
        SCOPED_TRACE("view mode " + std::to_string(mode));
        SceneParts inMode = parts;
        inMode.Set(FIELD_viewMode, std::to_string(mode));
        if (!LoadIntoRunningApp(inMode.Head() + body, stdinText) || !DrawFramesHoldingKeys(frames))
            return false;
    }
    return true;
}

// Input sent before each frame of the script, which then repeats: every
// key pressed and released, two held together at a time, and the mouse.
struct ScriptStep {
    unsigned message;
    unsigned key;
    int x, y;  // mouse position
};
static const std::vector<ScriptStep> KEY_SCRIPT[] = {
    {{WM_KEYDOWN, VK_UP, 0, 0}, {WM_KEYDOWN, VK_LEFT, 0, 0}},
    {{WM_KEYDOWN, VK_SPACE, 0, 0}},
    {{WM_KEYUP, VK_LEFT, 0, 0}, {WM_KEYDOWN, VK_RIGHT, 0, 0}, {WM_KEYUP, VK_SPACE, 0, 0}},
    {{WM_KEYDOWN, VK_CONTROL, 0, 0}, {WM_MOUSEMOVE, 0, 140, 95}},
    {{WM_KEYUP, VK_UP, 0, 0}, {WM_KEYDOWN, VK_DOWN, 0, 0}, {WM_MOUSEMOVE, 0, 60, 50}},
    {{WM_KEYUP, VK_CONTROL, 0, 0}, {WM_KEYUP, VK_RIGHT, 0, 0}},
    {{WM_KEYUP, VK_DOWN, 0, 0}},
};
static const unsigned HELD_KEYS[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_CONTROL, VK_SPACE};

bool DrawFramesHoldingKeys(int frames) {
    uint32_t tick = run.lastFrameTime;
    bool ok = true;
    for (int frame = 0; frame < frames && ok; ++frame) {
        tick += MIN_FRAME_INTERVAL;
        for (const ScriptStep& step : KEY_SCRIPT[frame % std::size(KEY_SCRIPT)]) {
            intptr_t position = step.message == WM_MOUSEMOVE ? MakeLParam(step.x, step.y) : 0;
            SendAt(tick, step.message, step.key, position);
        }
        unsigned long before = run.framesRun;
        FrameAt(tick);
        GLenum error = FirstGLError();
        if (run.framesRun != before + 1) ADD_FAILURE() << "frame " << frame << " did not run";
        if (error != GL_NO_ERROR)
            ADD_FAILURE() << "GL error 0x" << std::hex << error << " in frame " << std::dec << frame;
        ok = run.framesRun == before + 1 && error == GL_NO_ERROR;
    }
    for (unsigned key : HELD_KEYS) SendAt(tick, WM_KEYUP, key);
    return ok;
}

bool ReadIntoModel(const std::string& text, const char* stdinText) {
    return TablesHoldTheirCounts(ReadSceneText(text, stdinText));
}

std::string LoadedSceneText(const std::string& text, const char* stdinText) {
    if (!ReadIntoModel(text, stdinText)) return "";
    SceneDescription scene;
    DescribeLoadedScene(scene, ReadSceneText(text, stdinText));
    return FormatScene(scene);
}
