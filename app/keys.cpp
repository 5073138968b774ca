// keys.cpp -- the key-down and key-up tables. The handlers only set flags
// and a few speeds; the next frame's motion step reads them.
#include "app/app.h"
#include "app/author.h"
#include "motion/motion.h"
#include "scene/scene.h"

// F2: pause (cursor shown) or resume (cursor hidden, a frame at once).
static void TogglePause() {
    if (pauseState == PAUSE_RUNNING) {
        pauseState = PAUSE_PAUSED;
        Plat_ShowCursor(true);
    } else if (pauseState == PAUSE_PAUSED) {
        pauseState = PAUSE_RUNNING;
        Plat_ShowCursor(false);
        DisplayFrame();
    }
}

// F3: maximise or restore; the size notification that follows resizes.
static void ToggleMaximised() {
    if (windowMaximised == 0) {
        Plat_ShowWindow(mainWindow, PLAT_SHOW_MAXIMIZED);
        windowMaximised = 1;
    } else if (windowMaximised == 1) {
        Plat_ShowWindow(mainWindow, PLAT_SHOW_NORMAL);
        windowMaximised = 0;
    }
}

void HandleKeyDown(unsigned key) {
    switch (key) {
        case VK_CONTROL:
            heldKeys.ctrlHeld = 1;
            viewer.currentAcceleration = boostAcceleration;
            break;
        case VK_ESCAPE: ShutdownSequence(); break;
        case VK_SPACE: heldKeys.spaceHeld = 1; break;
        case VK_LEFT: heldKeys.leftHeld = 1; heldKeys.sideKeyHeld = 1; break;
        case VK_UP: heldKeys.upHeld = 1; heldKeys.moveKeyHeld = 1; break;
        case VK_RIGHT: heldKeys.rightHeld = 1; heldKeys.sideKeyHeld = 1; break;
        case VK_DOWN: heldKeys.downHeld = 1; heldKeys.moveKeyHeld = 1; break;
        case VK_F2: TogglePause(); break;  // every notification, auto-repeats included
        case VK_F3: ToggleMaximised(); break;
        default: HandleAuthorKeyDown(key); break;
    }
}

// Releasing the last of Up and Down stops walking at once; the driving
// view modes leave the speed to their own motion rules.
static void ReleaseMoveKey() {
    if (heldKeys.upHeld || heldKeys.downHeld) return;
    heldKeys.moveKeyHeld = 0;
    if (viewMode == VIEW_WALK || viewMode == VIEW_FOLLOW_WALKER) viewer.forwardSpeed = 0;
}

// Releasing the last of Left and Right stops sidestepping in every mode.
static void ReleaseSideKey() {
    if (heldKeys.leftHeld || heldKeys.rightHeld) return;
    heldKeys.sideKeyHeld = 0;
    viewer.sidestepSpeed = 0;
}

void HandleKeyUp(unsigned key) {
    switch (key) {
        case VK_CONTROL:
            heldKeys.ctrlHeld = 0;
            viewer.currentAcceleration = driveAcceleration;
            break;
        case VK_SPACE:
            heldKeys.spaceHeld = 0;
            viewer.jumpSpent = 0;
            break;
        case VK_LEFT: heldKeys.leftHeld = 0; ReleaseSideKey(); break;
        case VK_RIGHT: heldKeys.rightHeld = 0; ReleaseSideKey(); break;
        case VK_UP: heldKeys.upHeld = 0; ReleaseMoveKey(); break;
        case VK_DOWN: heldKeys.downHeld = 0; ReleaseMoveKey(); break;
        default: HandleAuthorKeyUp(key); break;
    }
}
