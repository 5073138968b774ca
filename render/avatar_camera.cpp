// avatar_camera.cpp -- the avatar's placement at the viewer in each view
// mode and its undo. Every angle and offset goes to GL in single precision.
#include <GL/gl.h>

#include <cmath>

#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"

// Rotations about one axis, the angle sent in single precision.
static void RotateX(double degrees) { glRotatef((float)degrees, 1, 0, 0); }
static void RotateY(double degrees) { glRotatef((float)degrees, 0, 1, 0); }
static void RotateZ(double degrees) { glRotatef((float)degrees, 0, 0, 1); }

// Moves to the avatar point at height y.
static AvatarPlacement TranslateToAvatar(const Scene& scene, const ViewerState& viewer, double y) {
    AvatarPlacement placed;
    placed.x = (float)(scene.startEyeX + viewer.walkedX);
    placed.y = (float)y;
    placed.z = (float)(scene.startEyeZ + viewer.walkedZ);
    glTranslatef(placed.x, placed.y, placed.z);
    return placed;
}

// Takes back the translation of TranslateToAvatar.
static void TranslateBack(const AvatarPlacement& placed) {
    glTranslatef(-placed.x, -placed.y, -placed.z);
}

// Degrees the avatar is turned by (negated for the placement).
static double AvatarTurn(const Scene& scene, const ViewerState& viewer) {
    return viewer.heading + scene.avatarHeadingOffset;
}

// View mode 1: at the avatar point lifted by the jump, leaning with the tilt.
static AvatarPlacement PlaceWalker(const Scene& scene, const ViewerState& viewer) {
    glPushMatrix();
    AvatarPlacement placed = TranslateToAvatar(scene, viewer, scene.startEyeY - viewer.jumpOffset);
    RotateZ(-(cos(viewer.viewAngle) * viewer.tilt));
    RotateX(-(sin(viewer.viewAngle) * viewer.tilt));
    RotateY(-AvatarTurn(scene, viewer));
    return placed;
}

// View mode 2: in the driver's camera, the body with its roll, shake and
// pitch.
static AvatarPlacement PlaceDriverSeat(const Scene& scene, const ViewerState& viewer) {
    AvatarPlacement placed = TranslateToAvatar(scene, viewer, scene.startEyeY);
    RotateZ(-sin(viewer.viewAngle) * viewer.bodyRoll);
    RotateX(cos(viewer.viewAngle) * viewer.bodyRoll);
    double h = -viewer.heading * scene.degToRad;
    RotateZ(-sin(h) * viewer.engineShake);
    RotateX(cos(h) * viewer.engineShake);
    RotateZ(sin(h) * viewer.bodyPitch);
    RotateX(-cos(h) * viewer.bodyPitch);
    RotateY(-AvatarTurn(scene, viewer));
    return placed;
}

// View mode 3: the avatar at the viewer, turned with the heading.
static AvatarPlacement PlaceFollowWalker(const Scene& scene, const ViewerState& viewer) {
    glPushMatrix();
    AvatarPlacement placed = TranslateToAvatar(scene, viewer, scene.startEyeY);
    RotateY(-AvatarTurn(scene, viewer));
    return placed;
}

// View mode 4: the body with its roll and pitch.
static AvatarPlacement PlaceFollowVehicle(const Scene& scene, const ViewerState& viewer) {
    glPushMatrix();
    AvatarPlacement placed = TranslateToAvatar(scene, viewer, scene.startEyeY);
    double r = -(viewer.heading - 90) * scene.degToRad;
    RotateZ(-sin(r) * viewer.bodyRoll);
    RotateX(cos(r) * viewer.bodyRoll);
    double h = -viewer.heading * scene.degToRad;
    RotateZ(sin(h) * viewer.bodyPitch);
    RotateX(-cos(h) * viewer.bodyPitch);
    RotateY(-AvatarTurn(scene, viewer));
    return placed;
}

// After StepViewCamera: the avatar placement of the view mode.
AvatarPlacement PlaceAvatar(const Scene& scene, const ViewerState& viewer) {
    switch (scene.viewMode) {
        case VIEW_WALK: return PlaceWalker(scene, viewer);
        case VIEW_DRIVE: return PlaceDriverSeat(scene, viewer);
        case VIEW_FOLLOW_WALKER: return PlaceFollowWalker(scene, viewer);
        case VIEW_FOLLOW_VEHICLE: return PlaceFollowVehicle(scene, viewer);
        default: return AvatarPlacement();
    }
}

// Half of the body pitch and roll stays in the matrix, so the next frame's
// scene sways with the vehicle body; the shake is taken back in full.
static void UnplaceDriverSeat(const Scene& scene, const ViewerState& viewer,
                              const AvatarPlacement& placed) {
    double h = -viewer.heading * scene.degToRad;
    RotateY(AvatarTurn(scene, viewer));
    RotateX(cos(h) * viewer.bodyPitch / 2);
    RotateZ(-sin(h) * viewer.bodyPitch / 2);
    RotateX(cos(h) * (-viewer.engineShake));
    RotateZ(-sin(h) * (-viewer.engineShake));
    RotateX(-(cos(viewer.viewAngle) * viewer.bodyRoll) / 2);
    RotateZ(sin(viewer.viewAngle) * viewer.bodyRoll / 2);
    TranslateBack(placed);
}

// After the avatar: the matrix saved by the placement comes back exactly
// (view mode 2 alone keeps half its body sway, by inverse calls), and in
// view modes 3 and 4 the camera the next frame draws with.
void UnplaceAvatar(const Scene& scene, const ViewerState& viewer, FollowCamera& camera,
                   const AvatarPlacement& placed) {
    switch (scene.viewMode) {
        case VIEW_WALK: glPopMatrix(); break;
        case VIEW_DRIVE: UnplaceDriverSeat(scene, viewer, placed); break;
        case VIEW_FOLLOW_WALKER:
        case VIEW_FOLLOW_VEHICLE:
            glPopMatrix();
            LoadFollowCamera(scene, viewer, camera);
            break;
        default: break;
    }
}
