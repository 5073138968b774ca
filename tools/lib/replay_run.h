// replay_run.h -- runs the real program headless, step by step, on a
// virtual clock, feeding scripted events through the window procedure.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "tools/lib/replay_events.h"

struct ReplayOptions {
    std::string sceneDir;
    long steps = 1;
    int width = 200, height = 150;
    bool keepSideKeyMode = false;
    std::vector<ReplayEvent> events;
    // Smooth display: the screen refreshes displayHz times a second of
    // virtual time (0: only the steps draw), and each frame drawn at a
    // refresh goes to onPresent with its time in ms since loading and the
    // step that ran last.
    int displayHz = 0;
    std::function<void(double t, long step, const PresentedFrame& frame)> onPresent;
};

// Called after every step; return false to stop early.
typedef std::function<bool(long step, bool ran)> ReplayStepHook;

// Loads the scene in sceneDir (the working directory becomes sceneDir) and
// runs the steps. Returns the process exit status the tool should use: 0
// (Esc included), 2 when the scene folder or the window cannot be had, 128
// + the signal when a quit signal stopped it between steps.
int RunReplay(const ReplayOptions& options, bool captureFrames, const ReplayStepHook& afterStep,
              std::string* error);

// The virtual tick of loading; step s runs at REPLAY_T0 + 40 * (s + 1).
constexpr unsigned REPLAY_T0 = 0;
