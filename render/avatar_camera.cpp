// avatar_camera.cpp -- the avatar's placement at the viewer in each view
// mode and its undo. Every angle and offset goes to GL in single precision.
#include <GL/gl.h>

#include <cmath>

#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"

// The translation of the current placement, taken back by its undo.
static float placedX, placedY, placedZ;  // W: PlaceAvatar; R: UnplaceAvatar

// Rotations about one axis, the angle sent in single precision.
static void RotateX(double degrees) { glRotatef((float)degrees, 1, 0, 0); }
static void RotateY(double degrees) { glRotatef((float)degrees, 0, 1, 0); }
static void RotateZ(double degrees) { glRotatef((float)degrees, 0, 0, 1); }

// Moves to the avatar point at height y.
static void TranslateToAvatar(double y) {
    placedX = (float)(startEyeX + viewer.walkedX);
    placedY = (float)y;
    placedZ = (float)(startEyeZ + viewer.walkedZ);
    glTranslatef(placedX, placedY, placedZ);
}

// Takes back the translation of TranslateToAvatar.
static void TranslateBack() { glTranslatef(-placedX, -placedY, -placedZ); }

// Degrees the avatar is turned by (negated for the placement).
static double AvatarTurn() { return viewer.heading + avatarHeadingOffset; }

// View mode 1: at the avatar point lifted by the jump, leaning with the tilt.
static void PlaceWalker() {
    glPushMatrix();
    TranslateToAvatar(startEyeY - viewer.jumpOffset);
    RotateZ(-(cos(viewer.viewAngle) * viewer.tilt));
    RotateX(-(sin(viewer.viewAngle) * viewer.tilt));
    RotateY(-AvatarTurn());
}

// View mode 2: in the driver's camera, the body with its roll, shake and
// pitch.
static void PlaceDriverSeat() {
    TranslateToAvatar(startEyeY);
    RotateZ(-sin(viewer.viewAngle) * viewer.bodyRoll);
    RotateX(cos(viewer.viewAngle) * viewer.bodyRoll);
    double h = -viewer.heading * degToRad;
    RotateZ(-sin(h) * engineShake);
    RotateX(cos(h) * engineShake);
    RotateZ(sin(h) * viewer.bodyPitch);
    RotateX(-cos(h) * viewer.bodyPitch);
    RotateY(-AvatarTurn());
}

// View mode 3: the avatar at the viewer, turned with the heading.
static void PlaceFollowWalker() {
    glPushMatrix();
    TranslateToAvatar(startEyeY);
    RotateY(-AvatarTurn());
}

// View mode 4: the body with its roll and pitch.
static void PlaceFollowVehicle() {
    glPushMatrix();
    TranslateToAvatar(startEyeY);
    double r = -(viewer.heading - 90) * degToRad;
    RotateZ(-sin(r) * viewer.bodyRoll);
    RotateX(cos(r) * viewer.bodyRoll);
    double h = -viewer.heading * degToRad;
    RotateZ(sin(h) * viewer.bodyPitch);
    RotateX(-cos(h) * viewer.bodyPitch);
    RotateY(-AvatarTurn());
}

// After StepViewCamera: the avatar placement of the view mode.
void PlaceAvatar() {
    switch (viewMode) {
        case VIEW_WALK: PlaceWalker(); break;
        case VIEW_DRIVE: PlaceDriverSeat(); break;
        case VIEW_FOLLOW_WALKER: PlaceFollowWalker(); break;
        case VIEW_FOLLOW_VEHICLE: PlaceFollowVehicle(); break;
        default: break;
    }
}

// Half of the body pitch and roll stays in the matrix, so the next frame's
// scene sways with the vehicle body; the shake is taken back in full.
static void UnplaceDriverSeat() {
    double h = -viewer.heading * degToRad;
    RotateY(AvatarTurn());
    RotateX(cos(h) * viewer.bodyPitch / 2);
    RotateZ(-sin(h) * viewer.bodyPitch / 2);
    RotateX(cos(h) * (-engineShake));
    RotateZ(-sin(h) * (-engineShake));
    RotateX(-(cos(viewer.viewAngle) * viewer.bodyRoll) / 2);
    RotateZ(sin(viewer.viewAngle) * viewer.bodyRoll / 2);
    TranslateBack();
}

// After the avatar: the matrix saved by the placement comes back exactly
// (view mode 2 alone keeps half its body sway, by inverse calls), and in
// view modes 3 and 4 the camera the next frame draws with.
void UnplaceAvatar() {
    switch (viewMode) {
        case VIEW_WALK: glPopMatrix(); break;
        case VIEW_DRIVE: UnplaceDriverSeat(); break;
        case VIEW_FOLLOW_WALKER:
        case VIEW_FOLLOW_VEHICLE:
            glPopMatrix();
            LoadFollowCamera();
            break;
        default: break;
    }
}
