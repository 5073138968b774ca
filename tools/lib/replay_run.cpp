// replay_run.cpp -- the step loop of the replay tool.
#include "tools/lib/replay_run.h"

#include <unistd.h>

#include <cmath>

#include "app/app.h"
#include "app/signals.h"
#include "platform/headless.h"
#include "scene/scene.h"

// Delivers one scripted event through the window procedure, as the window
// system would, with the cursor where the event says.
static void Deliver(const ReplayEvent& ev) {
    switch (ev.kind) {
        case EV_DOWN: MainWindowProc(run.mainWindow, WM_KEYDOWN, ev.key, 0); break;
        case EV_UP: MainWindowProc(run.mainWindow, WM_KEYUP, ev.key, 0); break;
        case EV_SIZE: {
            int w = ev.x, h = ev.y;
            Plat_CapClientSize(&w, &h);  // no window grows past what the GL draws
            MainWindowProc(run.mainWindow, WM_SIZE, 0, MakeLParam(w, h));
            break;
        }
        case EV_MOVE:
        case EV_LBDOWN:
        case EV_LBUP: {
            static const unsigned MESSAGE[] = {0, 0, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP};
            Plat_SetHeadlessCursor(ev.x, ev.y);
            MainWindowProc(run.mainWindow, MESSAGE[ev.kind], 0, MakeLParam(ev.x, ev.y));
            break;
        }
    }
}

// Handles what the program posted to itself (re-centring moves, the quit
// message). False once the quit message has been taken.
static bool DrainQueue() {
    PlatMessage msg;
    while (Plat_PeekMessage()) {
        if (!Plat_GetMessage(&msg)) return false;
        Plat_DispatchMessage(&msg);
    }
    return true;
}

// One step: its events, then the loop's frame when the queue is empty.
// False when the program quit during the step.
static bool RunStep(const ReplayOptions& o, long step, size_t* next) {
    Plat_SetVirtualTick(REPLAY_T0 + 40u * (unsigned)(step + 1));
    for (; *next < o.events.size() && o.events[*next].step == step; ++*next) {
        Deliver(o.events[*next]);
        if (!DrainQueue()) return false;
    }
    DisplayFrame();
    return DrainQueue();
}

// The refreshes that follow step s: those at or after its tick (strictly
// after for step 0, whose tick is the first) and before the next step's,
// or only the one on its tick when it is the last step.
static void PresentRefreshes(const ReplayOptions& o, long step, bool last) {
    double from = 40.0 * (double)(step + 1), to = last ? from : from + 40.0;
    double hz = (double)o.displayHz;
    uint32_t tick = Plat_GetTickCount();
    for (long k = (long)std::floor(from * hz / 1000.0); ; k++) {
        double t = (double)k * 1000.0 / hz;  // the interface's T0 + k * 1000 / H
        if (t < from || (step == 0 && t <= from)) continue;
        if (last ? t > from : t >= to) break;
        Plat_SetVirtualTick(REPLAY_T0 + (uint32_t)t);  // what the overlay's clock reads
        double sinceStep = t - (double)(int32_t)(run.smooth.currentTick - REPLAY_T0);
        PresentedFrame frame;
        if (PresentSmoothFrame(sinceStep, &frame, true) && o.onPresent) o.onPresent(t, step, frame);
    }
    Plat_SetVirtualTick(tick);
}

int RunReplay(const ReplayOptions& o, bool captureFrames, const ReplayStepHook& afterStep,
              std::string* error) {
    if (chdir(o.sceneDir.c_str()) != 0) {
        *error = "cannot enter the scene folder " + o.sceneDir;
        return 2;
    }
    run.keepSideKeyMode = o.keepSideKeyMode ? 1 : 0;
    if (!Plat_Init(PLAT_HEADLESS, o.width, o.height)) {
        *error = "no GL display for the headless window";
        return 2;
    }
    Plat_CaptureFrames(captureFrames);
    Plat_SetVirtualTick(REPLAY_T0);
    if (!StartApplication(PLAT_SHOW_NORMAL)) {
        *error = "the window could not be created";
        Plat_Quit();
        return 2;
    }
    size_t next = 0;
    int status = 0;
    for (long step = 0; step < o.steps; step++) {
        if (int sig = QuitSignal()) {
            *error = "stopped by signal " + std::to_string(sig) + " before step " +
                     std::to_string(step);
            status = 128 + sig;
            break;
        }
        unsigned long before = run.framesRun;
        bool running = RunStep(o, step, &next);
        if (!afterStep(step, run.framesRun != before) || !running) break;
        if (o.displayHz > 0) PresentRefreshes(o, step, step + 1 == o.steps);
    }
    // A replay that ends with its window still open shuts down as a closed
    // window does (it runs once: a window already closed has no context).
    ShutdownSequence();
    Plat_Quit();
    return status;
}
