// keys.cpp -- the key-down and key-up tables. The handlers only set flags
// and a few speeds; the next frame's motion step reads them.
#include "app/app.h"
#include "app/author.h"
#include "motion/motion.h"
#include "scene/scene.h"

// F2: pause (cursor shown) or resume (cursor hidden, a frame at once).
static void TogglePause() {
    if (run.pauseState == PAUSE_RUNNING) {
        run.pauseState = PAUSE_PAUSED;
        Plat_ShowCursor(true);
    } else if (run.pauseState == PAUSE_PAUSED) {
        run.pauseState = PAUSE_RUNNING;
        Plat_ShowCursor(false);
        BreakSmoothDisplay();  // the world stood still meanwhile: no blend across the pause
        DisplayFrame();
    }
}

// F3: maximise or restore; the size notification that follows resizes.
static void ToggleMaximised() {
    if (run.windowMaximised == 0) {
        Plat_ShowWindow(run.mainWindow, PLAT_SHOW_MAXIMIZED);
        run.windowMaximised = 1;
    } else if (run.windowMaximised == 1) {
        Plat_ShowWindow(run.mainWindow, PLAT_SHOW_NORMAL);
        run.windowMaximised = 0;
    }
}

void HandleKeyDown(unsigned key) {
    HeldKeys& keys = run.heldKeys;
    switch (key) {
        case VK_CONTROL:
            keys.ctrlHeld = 1;
            if (loaded) loaded->motion.viewer.currentAcceleration = loaded->scene.boostAcceleration;
            break;
        case VK_ESCAPE: ShutdownSequence(); break;
        case VK_SPACE: keys.spaceHeld = 1; break;
        case VK_LEFT: keys.leftHeld = 1; keys.sideKeyHeld = 1; break;
        case VK_UP: keys.upHeld = 1; keys.moveKeyHeld = 1; break;
        case VK_RIGHT: keys.rightHeld = 1; keys.sideKeyHeld = 1; break;
        case VK_DOWN: keys.downHeld = 1; keys.moveKeyHeld = 1; break;
        case VK_F2: TogglePause(); break;  // every notification, auto-repeats included
        case VK_F3: ToggleMaximised(); break;
        default: HandleAuthorKeyDown(key); break;
    }
}

// Releasing the last of Up and Down stops walking at once; the driving
// view modes leave the speed to their own motion rules.
static void ReleaseMoveKey(const Scene& scene, HeldKeys& keys, ViewerState& viewer) {
    if (keys.upHeld || keys.downHeld) return;
    keys.moveKeyHeld = 0;
    if (scene.viewMode == VIEW_WALK || scene.viewMode == VIEW_FOLLOW_WALKER)
        viewer.forwardSpeed = 0;
}

// Releasing the last of Left and Right stops sidestepping in every mode.
static void ReleaseSideKey(HeldKeys& keys, ViewerState& viewer) {
    if (keys.leftHeld || keys.rightHeld) return;
    keys.sideKeyHeld = 0;
    viewer.sidestepSpeed = 0;
}

void HandleKeyUp(unsigned key) {
    if (!loaded) return;
    HeldKeys& keys = run.heldKeys;
    const Scene& scene = loaded->scene;
    ViewerState& viewer = loaded->motion.viewer;
    switch (key) {
        case VK_CONTROL:
            keys.ctrlHeld = 0;
            viewer.currentAcceleration = scene.driveAcceleration;
            break;
        case VK_SPACE:
            keys.spaceHeld = 0;
            viewer.jumpSpent = 0;
            break;
        case VK_LEFT: keys.leftHeld = 0; ReleaseSideKey(keys, viewer); break;
        case VK_RIGHT: keys.rightHeld = 0; ReleaseSideKey(keys, viewer); break;
        case VK_UP: keys.upHeld = 0; ReleaseMoveKey(scene, keys, viewer); break;
        case VK_DOWN: keys.downHeld = 0; ReleaseMoveKey(scene, keys, viewer); break;
        default: HandleAuthorKeyUp(key); break;
    }
}
