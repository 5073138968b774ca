// motion_scene.h -- replay scenes for the follow-view and driving tests: the
// program's default settings, no polygons or figures, a few obstacle points.
#pragma once

#include <string>

#include "scene/scene.h"
#include "tests/support/replay_harness.h"
#include "tools/lib/scene_writer.h"

struct MotionScene {
    SceneDescription description;

    // Defaults everywhere, the viewer at the origin facing -z with its look
    // target 10 ahead, in the given view mode.
    explicit MotionScene(int viewMode) {
        CopyDefaultSettings(description);
        Set(FIELD_startTargetZ, -10);
        Set(FIELD_observerStartZ, 30);
        Set(FIELD_viewMode, viewMode);
    }
    MotionScene& Set(SceneField field, double value) {
        SetSetting(description, field, value);
        return *this;
    }
    MotionScene& Obstacle(double x, double z) {
        description.obstacles.push_back({x, z});
        return *this;
    }
    // Writes the scene into a fresh folder and replays the events on it.
    ReplayResult Replay(long steps, const std::string& events, const std::string& extraArgs = "") const {
        std::string dir = MakeTempDir();
        WriteSceneFile(dir + "/Hod.pro", description);
        return RunReplayTool(dir, steps, events, extraArgs);
    }
};
