// walk_scene.h -- small "Hod.pro" files for the walking tests: settings and
// obstacle points only; no polygons, figures or actors.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/replay_harness.h"
#include "tools/lib/scene_writer.h"

struct WalkScene {
    std::map<std::string, double> set;                 // settings by name, over the base below
    std::vector<std::pair<double, double>> obstacles;  // (x, z)
};

// The base of every walk scene: view mode 1, the eye at (0, -10, 0) looking
// along -z at a target 100 away, a 60-degree view, a 60-degree search, and
// the program's defaults for the rest.
inline const std::map<std::string, double>& WalkSceneBase() {
    static const std::map<std::string, double> BASE = {
        {"fieldOfView", 60}, {"farPlane", 10000}, {"startEyeY", -10}, {"startTargetY", -10},
        {"startTargetZ", -100}, {"viewMode", 1}, {"maxDeflection", 60}};
    return BASE;
}

inline void SetSettingByName(SceneDescription& scene, const std::string& name, double value) {
    for (int f = 0; f < FIELD_COUNT; f++) {
        if (name == sceneFieldInfo[f].name) {
            SetSetting(scene, (SceneField)f, value);
            return;
        }
    }
    ADD_FAILURE() << "no setting named " << name;
}

inline std::string WalkSceneText(const WalkScene& walk) {
    SceneDescription scene;
    CopyDefaultSettings(scene);  // the program's defaults
    for (const auto& [name, value] : WalkSceneBase()) SetSettingByName(scene, name, value);
    for (const auto& [name, value] : walk.set) SetSettingByName(scene, name, value);
    for (const auto& [x, z] : walk.obstacles) scene.obstacles.push_back({x, z});
    return FormatScene(scene);
}

// Writes the scene into a fresh folder and replays the events on it.
inline ReplayResult ReplayWalkScene(const WalkScene& scene, long steps, const std::string& events,
                                    const std::string& extraArgs = "") {
    std::string dir = MakeTempDir();
    WriteTextFile(dir + "/Hod.pro", WalkSceneText(scene));
    return RunReplayTool(dir, steps, events, extraArgs);
}
