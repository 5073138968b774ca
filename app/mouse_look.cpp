// mouse_look.cpp -- turning and tilting the view with the mouse while
// running: the cursor is held at the client centre and every notification
// turns or tilts by how far it moved from there.
#include "app/app.h"
#include "motion/motion.h"
#include "scene/scene.h"

// Puts the cursor back on the centre column (or row), leaving the other
// coordinate where it is; the platform reports the move as a new
// notification, so a diagonal move is taken one axis at a time.
static void RecentreColumn(PlatPoint& cursor) {
    cursor.x = (int)run.clientCentreX;
    Plat_ClientToScreen(run.mainWindow, &cursor);
    Plat_SetCursorPos(cursor.x, cursor.y);
}

static void RecentreRow(PlatPoint& cursor) {
    cursor.y = (int)run.clientCentreY;
    Plat_ClientToScreen(run.mainWindow, &cursor);
    Plat_SetCursorPos(cursor.x, cursor.y);
}

// Upper limit first, then the lower one.
static void ClampTilt(const Scene& scene, ViewerState& viewer) {
    if (viewer.tilt > scene.tiltMax) viewer.tilt = scene.tiltMax;
    if (viewer.tilt < -scene.tiltMin) viewer.tilt = -scene.tiltMin;
}

// The horizontal distance from the reference, in degrees.
static void TurnFromMouse(const MouseState& mouse, ViewerState& viewer) {
    viewer.turnDelta = (double)(mouse.lastMouseX - mouse.mouseX) / MOUSE_TURN_DIVISOR;
}

// The vertical distance from the reference, clamped.
static void TiltFromMouse(const Scene& scene, const MouseState& mouse, ViewerState& viewer,
                          double divisor) {
    viewer.tilt += (double)(mouse.lastMouseY - mouse.mouseY) / divisor;
    ClampTilt(scene, viewer);
}

// One axis per notification, horizontal first. A vertical case leaves
// turnDelta alone, so the heading turns again by the last turn.
static void TurnAndTilt(const Scene& scene, PlatPoint& cursor, MouseState& mouse,
                        ViewerState& viewer) {
    double centreX = run.clientCentreX, centreY = run.clientCentreY;
    if (cursor.x > centreX) {
        RecentreColumn(cursor);
        TurnFromMouse(mouse, viewer);
        mouse.lastMouseX = (int)centreX;
    } else if (cursor.y > centreY) {
        RecentreRow(cursor);
        TiltFromMouse(scene, mouse, viewer, MOUSE_TILT_DOWN_DIVISOR);
        mouse.lastMouseY = (int)centreY;
    } else if (cursor.x < centreX) {
        RecentreColumn(cursor);
        TurnFromMouse(mouse, viewer);
        mouse.lastMouseX = (int)centreX;
    } else if (cursor.y < centreY) {
        RecentreRow(cursor);
        TiltFromMouse(scene, mouse, viewer, MOUSE_TILT_DIVISOR);
        mouse.lastMouseY = (int)centreY;
    } else {
        TurnFromMouse(mouse, viewer);
        mouse.lastMouseX = mouse.mouseX;
        TiltFromMouse(scene, mouse, viewer, MOUSE_TILT_DIVISOR);
        mouse.lastMouseY = mouse.mouseY;
    }
    viewer.heading += viewer.turnDelta;
}

// View mode 1: a walking frame that is not blocked places the camera
// itself, so the mouse leaves it to that frame.
static void EndViewerMouseLook(const Scene& scene, const HeldKeys& keys, ViewerState& viewer) {
    CorrectHeading(viewer);
    viewer.viewAngle = -(viewer.heading - 90) * scene.degToRad;
    if (keys.moveKeyHeld == 1 && viewer.blocked == 0) return;
    PlaceMouseLookCamera(scene, viewer);
}

// One notification: turn or tilt, then the ending of the view mode.
void MouseLook(intptr_t lParam) {
    const Scene& scene = loaded->scene;
    ViewerState& viewer = loaded->motion.viewer;
    run.mouse.mouseX = LowWord(lParam);
    run.mouse.mouseY = HighWord(lParam);
    PlatPoint cursor;
    Plat_GetCursorPos(&cursor);
    Plat_ScreenToClient(run.mainWindow, &cursor);
    TurnAndTilt(scene, cursor, run.mouse, viewer);
    run.smooth.mouseYaw += viewer.turnDelta;  // the heading turned by it just now
    if (scene.viewMode == VIEW_WALK) {
        EndViewerMouseLook(scene, run.heldKeys, viewer);
    } else if (scene.viewMode == VIEW_FOLLOW_WALKER) {
        viewer.avatarPose = POSE_TURNING;  // the follow view's lag catches up from the next frame
    }
}

// The crouch lowers the eye; a jump does not lift it here. The tilt is
// applied once about each pivot that is off the ground, or once at 0.
void PlaceMouseLookCamera(const Scene& scene, ViewerState& viewer) {
    UpdateLookTarget(scene, viewer);
    LoadViewerLookAt(viewer, viewer.crouchOffset);
    if (viewer.jumpOffset == 0 && viewer.crouchOffset == 0) {
        RotateTiltAboutPivot(scene, viewer, 0);
    } else {
        if (viewer.jumpOffset != 0) RotateTiltAboutPivot(scene, viewer, -viewer.jumpOffset);
        if (viewer.crouchOffset != 0) RotateTiltAboutPivot(scene, viewer, viewer.crouchOffset);
    }
    PlaceViewerLights(scene, viewer);
}
