// mouse.cpp -- mouse references, the left button and the window drag while
// paused. The mouse look itself is in mouse_look.cpp.
#include "app/app.h"
#include "scene/scene.h"

// The first references are the cursor's screen position at creation.
void SetupMouseReferences() {
    PlatPoint cursor;
    Plat_GetCursorPos(&cursor);
    Plat_SetCursorPos(cursor.x, cursor.y);
    run.mouse.mouseX = run.mouse.lastMouseX = cursor.x;
    run.mouse.mouseY = run.mouse.lastMouseY = cursor.y;
}

void HandleMouseMove(intptr_t lParam) {
    if (run.pauseState == PAUSE_PAUSED) {
        if (run.mouse.dragActive == 1) FollowCursor();
        return;
    }
    if (!loaded) return;
    int viewMode = loaded->scene.viewMode;
    if (viewMode == VIEW_WALK || viewMode == VIEW_FOLLOW_WALKER) MouseLook(lParam);
}

void HandleLeftButtonDown(intptr_t lParam) {
    run.mouse.dragActive = 1;
    run.mouse.dragAnchorX = LowWord(lParam);
    run.mouse.dragAnchorY = HighWord(lParam);
}

void HandleLeftButtonUp() {
    run.mouse.dragActive = 0;
    if (run.pauseState == PAUSE_PAUSED) ForceFrame();
}

// The borderless window has no caption to drag by: while paused it follows
// the cursor, keeping the press position under it.
void FollowCursor() {
    PlatPoint cursor;
    Plat_GetCursorPos(&cursor);
    Plat_SetWindowPosTopmost(run.mainWindow, cursor.x - run.mouse.dragAnchorX,
                             cursor.y - run.mouse.dragAnchorY);
}
