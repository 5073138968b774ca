// figure_scene.h -- scenes with actors, an avatar and cameras for the
// figure, actor and camera tests: a level view with a 60 degree field of
// view, written through the scene writer into a fresh folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "tests/support/replay_harness.h"
#include "tools/lib/scene_writer.h"

// Program defaults, with a visible projection and the given view mode. The
// viewer stands at (0, -10, 0) looking along -z; the follow camera's boom is
// 60 long (observer start (0, -30, 60), target (0, 0, 0)).
inline SceneDescription BaseFigureScene(int viewMode) {
    SceneDescription s;
    CopyDefaultSettings(s);
    SetSetting(s, FIELD_fieldOfView, 60);
    SetSetting(s, FIELD_farPlane, 10000);
    SetSetting(s, FIELD_startEyeY, -10);
    SetSetting(s, FIELD_startTargetY, -10);
    SetSetting(s, FIELD_startTargetZ, -100);
    SetSetting(s, FIELD_viewMode, viewMode);
    SetSetting(s, FIELD_observerStartY, -30);
    SetSetting(s, FIELD_observerStartZ, 60);
    return s;
}

// A square polygon in the figure's x-y plane, centred on (cx, cy, z),
// hanging from joint on its last vertex.
inline void AddSquare(std::vector<SceneVertex>& list, double cx, double cy, double z, double half,
                      int joint, double r, double g, double b) {
    const double corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int k = 0; k < 4; k++) {
        SceneVertex v;
        v.red = r;
        v.green = g;
        v.blue = b;
        v.x = cx + corners[k][0] * half;
        v.y = cy + corners[k][1] * half;
        v.z = z;
        v.end = k == 3 ? 1 : 0;
        v.joint = joint;
        list.push_back(v);
    }
}

// An actor at (x, 0, z) facing -z with no part list, no joints, and a
// collision radius of 10.
inline SceneActor PlainActor(double x, double z, double maxSpeed) {
    SceneActor a;
    a.start[0] = x;
    a.start[2] = z;
    a.maxSpeed = maxSpeed;
    a.collisionRadius = 10;
    return a;
}

// A joint whose every pose swings about z by swing degrees, step swing / 5.
inline SceneJoint SwingingJoint(double pivotY, double swing) {
    SceneJoint j;
    for (ScenePose& p : j.poses) {
        p.pivot[1] = pivotY;
        p.swing[0] = swing;  // the file gives z, y, x
        p.swingDivisor = 5;
    }
    return j;
}

// Writes the scene into a fresh folder; returns the folder.
inline std::string WriteFigureScene(const SceneDescription& scene) {
    std::string dir = MakeTempDir();
    WriteSceneFile(dir + "/Hod.pro", scene);
    return dir;
}

// Removes a folder made by MakeTempDir.
inline void RemoveFolder(const std::string& dir) {
    std::string command = "rm -rf '" + dir + "'";
    if (system(command.c_str()) != 0) ADD_FAILURE() << "cannot remove " << dir;
}

inline ReplayResult ReplayFigureScene(const SceneDescription& scene, long steps,
                                      const std::string& events = "",
                                      const std::string& extraArgs = "") {
    std::string dir = WriteFigureScene(scene);
    ReplayResult r = RunReplayTool(dir, steps, events, extraArgs);
    RemoveFolder(dir);
    return r;
}
