// avatar_camera.cpp -- the avatar's placement at the viewer in each view
// mode, its undo, and the cameras that view modes 2, 3 and 4 load while
// drawing. Every angle and offset goes to GL in single precision.
#include <GL/gl.h>

#include <cmath>

#include "motion/input.h"
#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"

constexpr double DRIVER_RECENTRE_FACTOR = 2.0;   // view mode 2: pitch back at speed, per step
constexpr double TRAILING_RECENTRE_FACTOR = 2.4; // view mode 4

// The translation of the current placement, taken back by its undo.
static float placedX, placedY, placedZ;  // W: PlaceAvatar; R: UnplaceAvatar

// Rotations about one axis, the angle sent in single precision.
static void RotateX(double degrees) { glRotatef((float)degrees, 1, 0, 0); }
static void RotateY(double degrees) { glRotatef((float)degrees, 0, 1, 0); }
static void RotateZ(double degrees) { glRotatef((float)degrees, 0, 0, 1); }

// Moves to the avatar point at height y.
static void TranslateToAvatar(double y) {
    placedX = (float)(startEyeX + walkedX);
    placedY = (float)y;
    placedZ = (float)(startEyeZ + walkedZ);
    glTranslatef(placedX, placedY, placedZ);
}

// Takes back the translation of TranslateToAvatar.
static void TranslateBack() { glTranslatef(-placedX, -placedY, -placedZ); }

// Degrees the avatar is turned by (negated for the placement).
static double AvatarTurn() { return heading + avatarHeadingOffset; }

// The trailing camera looks over the viewer along viewAngle.
static void AimFollowCamera() {
    lookTargetX = observerX + cos(viewAngle) * observerDistance;
    lookTargetZ = observerZ - sin(viewAngle) * observerDistance;
}

// View mode 1: at the avatar point lifted by the jump, leaning with the tilt.
static void PlaceWalker() {
    glPushMatrix();
    TranslateToAvatar(startEyeY - jumpOffset);
    RotateZ(-(cos(viewAngle) * tilt));
    RotateX(-(sin(viewAngle) * tilt));
    RotateY(-AvatarTurn());
}

// View mode 2: the spring, the driver's camera, then the body with its
// roll, shake and pitch.
static void PlaceDriverSeat() {
    if (forwardSpeed == 0) turnDelta = 0;
    SettleBodyPitch(DRIVER_RECENTRE_FACTOR);
    LoadViewerLookAt(crouchOffset);
    TranslateToAvatar(startEyeY);
    RotateZ(-sin(viewAngle) * bodyRoll);
    RotateX(cos(viewAngle) * bodyRoll);
    double h = -heading * degToRad;
    RotateZ(-sin(h) * engineShake);
    RotateX(cos(h) * engineShake);
    RotateZ(sin(h) * bodyPitch);
    RotateX(-cos(h) * bodyPitch);
    RotateY(-AvatarTurn());
}

// View mode 3: the standing pose, the boom and its target, the avatar.
static void PlaceFollowWalker(const HeldKeys& keys) {
    if (keys.moveKeyHeld == 0 && keys.sideKeyHeld == 0 && followHeading == heading) avatarPose = 0;
    FindBoomLength(followCameraStep);
    if (keys.sideKeyHeld == 1 && sideKeyMode == 1) {
        boomLength = boomRestLength;  // sidestepping: the boom follows at once
    } else {
        EaseBoom(followCameraFastStep, maxWalkSpeed);
    }
    AimFollowCamera();
    glPushMatrix();
    TranslateToAvatar(startEyeY);
    RotateY(-AvatarTurn());
}

// View mode 4: the boom and its target, the spring, the body with its
// roll and pitch.
static void PlaceFollowVehicle() {
    if (forwardSpeed == 0) turnDelta = 0;
    FindBoomLength(driveCameraStep);
    EaseBoom(driveCameraFastStep, maxDriveSpeed);
    AimFollowCamera();
    SettleBodyPitch(TRAILING_RECENTRE_FACTOR);
    glPushMatrix();
    TranslateToAvatar(startEyeY);
    double r = -(heading - 90) * degToRad;
    RotateZ(-sin(r) * bodyRoll);
    RotateX(cos(r) * bodyRoll);
    double h = -heading * degToRad;
    RotateZ(sin(h) * bodyPitch);
    RotateX(-cos(h) * bodyPitch);
    RotateY(-AvatarTurn());
}

// After the actors: the view mode's camera work and the avatar placement.
void PlaceAvatar(const HeldKeys& keys) {
    switch (viewMode) {
        case 1: PlaceWalker(); break;
        case 2: PlaceDriverSeat(); break;
        case 3: PlaceFollowWalker(keys); break;
        case 4: PlaceFollowVehicle(); break;
        default: break;
    }
}

// Half of the body pitch and roll stays in the matrix, so the next frame's
// scene sways with the vehicle body; the shake is taken back in full.
static void UnplaceDriverSeat() {
    double h = -heading * degToRad;
    RotateY(AvatarTurn());
    RotateX(cos(h) * bodyPitch / 2);
    RotateZ(-sin(h) * bodyPitch / 2);
    RotateX(cos(h) * (-engineShake));
    RotateZ(-sin(h) * (-engineShake));
    RotateX(-(cos(viewAngle) * bodyRoll) / 2);
    RotateZ(sin(viewAngle) * bodyRoll / 2);
    TranslateBack();
}

// After the avatar: the matrix saved by the placement comes back exactly
// (view mode 2 alone keeps half its body sway, by inverse calls), and in
// view modes 3 and 4 the camera the next frame draws with.
void UnplaceAvatar() {
    switch (viewMode) {
        case 1: glPopMatrix(); break;
        case 2: UnplaceDriverSeat(); break;
        case 3:
        case 4:
            glPopMatrix();
            LoadFollowCamera();
            break;
        default: break;
    }
}
