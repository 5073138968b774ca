// mouse_look.cpp -- turning and tilting the view with the mouse while
// running: the cursor is held at the client centre and every notification
// turns or tilts by how far it moved from there.
#include "app/app.h"
#include "motion/motion.h"
#include "scene/scene.h"

// Puts the cursor back on the centre column (or row), leaving the other
// coordinate where it is; the platform reports the move as a new
// notification, so a diagonal move is taken one axis at a time.
static void RecentreColumn() {
    cursorPoint.x = (int)clientCentreX;
    Plat_ClientToScreen(mainWindow, &cursorPoint);
    Plat_SetCursorPos(cursorPoint.x, cursorPoint.y);
}

static void RecentreRow() {
    cursorPoint.y = (int)clientCentreY;
    Plat_ClientToScreen(mainWindow, &cursorPoint);
    Plat_SetCursorPos(cursorPoint.x, cursorPoint.y);
}

// Upper limit first, then the lower one.
static void ClampTilt() {
    if (viewer.tilt > tiltMax) viewer.tilt = tiltMax;
    if (viewer.tilt < -tiltMin) viewer.tilt = -tiltMin;
}

// The horizontal distance from the reference, in degrees.
static void TurnFromMouse() {
    viewer.turnDelta = (double)(lastMouseX - mouseX) / MOUSE_TURN_DIVISOR;
}

// The vertical distance from the reference, clamped.
static void TiltFromMouse(double divisor) {
    viewer.tilt += (double)(lastMouseY - mouseY) / divisor;
    ClampTilt();
}

// One axis per notification, horizontal first. A vertical case leaves
// turnDelta alone, so the heading turns again by the last turn.
static void TurnAndTilt() {
    if (cursorPoint.x > clientCentreX) {
        RecentreColumn();
        TurnFromMouse();
        lastMouseX = (int)clientCentreX;
    } else if (cursorPoint.y > clientCentreY) {
        RecentreRow();
        TiltFromMouse(MOUSE_TILT_DOWN_DIVISOR);
        lastMouseY = (int)clientCentreY;
    } else if (cursorPoint.x < clientCentreX) {
        RecentreColumn();
        TurnFromMouse();
        lastMouseX = (int)clientCentreX;
    } else if (cursorPoint.y < clientCentreY) {
        RecentreRow();
        TiltFromMouse(MOUSE_TILT_DIVISOR);
        lastMouseY = (int)clientCentreY;
    } else {
        TurnFromMouse();
        lastMouseX = mouseX;
        TiltFromMouse(MOUSE_TILT_DIVISOR);
        lastMouseY = mouseY;
    }
    viewer.heading += viewer.turnDelta;
}

// View mode 1: a walking frame that is not blocked places the camera
// itself, so the mouse leaves it to that frame.
static void EndViewerMouseLook() {
    CorrectHeading();
    viewer.viewAngle = -(viewer.heading - 90) * degToRad;
    if (heldKeys.moveKeyHeld == 1 && viewer.blocked == 0) return;
    PlaceMouseLookCamera();
}

// One notification: turn or tilt, then the ending of the view mode.
void MouseLook(intptr_t lParam) {
    mouseX = LowWord(lParam);
    mouseY = HighWord(lParam);
    Plat_GetCursorPos(&cursorPoint);
    Plat_ScreenToClient(mainWindow, &cursorPoint);
    TurnAndTilt();
    if (viewMode == VIEW_WALK) {
        EndViewerMouseLook();
    } else if (viewMode == VIEW_FOLLOW_WALKER) {
        viewer.avatarPose = POSE_TURNING;  // the follow view's lag catches up from the next frame
    }
}

// The crouch lowers the eye; a jump does not lift it here. The tilt is
// applied once about each pivot that is off the ground, or once at 0.
void PlaceMouseLookCamera() {
    UpdateLookTarget();
    LoadViewerLookAt(viewer.crouchOffset);
    if (viewer.jumpOffset == 0 && viewer.crouchOffset == 0) {
        RotateTiltAboutPivot(0);
    } else {
        if (viewer.jumpOffset != 0) RotateTiltAboutPivot(-viewer.jumpOffset);
        if (viewer.crouchOffset != 0) RotateTiltAboutPivot(viewer.crouchOffset);
    }
    PlaceViewerLights();
}
