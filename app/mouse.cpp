// mouse.cpp -- mouse references, the left button and the window drag while
// paused. The mouse look itself is in mouse_look.cpp.
#include "app/app.h"
#include "scene/scene.h"

// The first references are the cursor's screen position at creation.
void SetupMouseReferences() {
    Plat_GetCursorPos(&cursorPoint);
    Plat_SetCursorPos(cursorPoint.x, cursorPoint.y);
    mouseX = lastMouseX = cursorPoint.x;
    mouseY = lastMouseY = cursorPoint.y;
}

void HandleMouseMove(intptr_t lParam) {
    if (pauseState == PAUSE_PAUSED) {
        if (dragActive == 1) FollowCursor();
        return;
    }
    if (viewMode == VIEW_WALK || viewMode == VIEW_FOLLOW_WALKER) MouseLook(lParam);
}

void HandleLeftButtonDown(intptr_t lParam) {
    dragActive = 1;
    dragAnchorX = LowWord(lParam);
    dragAnchorY = HighWord(lParam);
}

void HandleLeftButtonUp() {
    dragActive = 0;
    if (pauseState == PAUSE_PAUSED) ForceFrame();
}

// The borderless window has no caption to drag by: while paused it follows
// the cursor, keeping the press position under it.
void FollowCursor() {
    Plat_GetCursorPos(&cursorPoint);
    Plat_SetWindowPosTopmost(mainWindow, cursorPoint.x - dragAnchorX, cursorPoint.y - dragAnchorY);
}
