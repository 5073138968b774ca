// avatar_camera_test.cpp -- the avatar's placement in each view mode and its
// undo, the boom search and easing of the follow camera, and the body pitch
// spring, called directly in a headless GL context.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"
#include "tests/gl_test_context.h"

namespace {

// The test's scene, the index of its obstacle points, and the viewer's
// state and keys, as the program holds them.
std::unique_ptr<Scene> sceneHolder = std::make_unique<Scene>();
Scene& scene = *sceneHolder;
ObstacleIndex obstacles;
ViewerState viewer;
FollowCamera camera;
HeldKeys heldKeys;
AvatarPlacement placed;

MotionStep Step() { return {scene, obstacles, heldKeys, viewer, camera}; }

void StepViewCamera(const HeldKeys&) {
    MotionStep m = Step();
    StepViewCamera(m);
}
void PlaceAvatar() { placed = PlaceAvatar(scene, viewer); }
void UnplaceAvatar() { UnplaceAvatar(scene, viewer, camera, placed); }
void SettleBodyPitch(double recentreFactor) { SettleBodyPitch(scene, viewer, recentreFactor); }
void FindBoomLength(double step) {
    MotionStep m = Step();
    FindBoomLength(m, step);
}
void EaseBoom(double grow, double shrinkBase) { EaseBoom(viewer, camera, grow, shrinkBase); }

void Modelview(double m[16]) { glGetDoublev(GL_MODELVIEW_MATRIX, m); }

void ExpectMatrixNear(const double* got, const double* want, double tolerance, const char* what) {
    for (int k = 0; k < 16; k++) EXPECT_NEAR(got[k], want[k], tolerance) << what << " " << k;
}

// A viewer at the avatar point (0.5, -0.5, 0) facing heading 60, turned by
// the avatar offset 30 as well; no obstacles.
void SetUpViewer(int mode) {
    scene.viewMode = mode;
    scene.degToRad = M_PI / 180;
    scene.startEyeX = 0.25;
    viewer.walkedX = 0.25;
    scene.startEyeY = -0.5;
    scene.startEyeZ = viewer.walkedZ = 0;
    viewer.viewerX = 0.5;
    viewer.viewerZ = 0;
    viewer.viewerEyeY = -0.5;
    viewer.heading = viewer.followHeading = 60;
    viewer.viewAngle = -(viewer.heading - 90) * scene.degToRad;
    scene.avatarHeadingOffset = 30;
    viewer.tilt = viewer.jumpOffset = viewer.crouchOffset = 0;
    viewer.bodyPitch = viewer.bodyPitchPeak = viewer.bodyRoll = 0;
    viewer.forwardSpeed = viewer.turnDelta = 0;
    heldKeys.moveKeyHeld = heldKeys.sideKeyHeld = 0;
    scene.obstacleCount = 0;
    obstacles = BuildObstacleIndex(scene);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Where the avatar's vertex (0, 0, 0.1) is drawn under the placement.
void ExpectAvatarVertexAt(double x, double y, double z, const char* what) {
    double m[16];
    Modelview(m);
    EXPECT_NEAR(m[8] * 0.1 + m[12], x, 1e-6) << what;
    EXPECT_NEAR(m[9] * 0.1 + m[13], y, 1e-6) << what;
    EXPECT_NEAR(m[10] * 0.1 + m[14], z, 1e-6) << what;
}

TEST(AvatarPlacement, StandsAtTheAvatarPointTurnedByHeadingAndOffset) {
    // Turned by -(60 + 30) about y, the vertex at z = 0.1 lands at x - 0.1.
    SetUpViewer(1);
    viewer.jumpOffset = 0.25;  // view mode 1 rises with the jump
    StepViewCamera(heldKeys);
    PlaceAvatar();
    ExpectAvatarVertexAt(0.4, -0.75, 0, "view mode 1");
    UnplaceAvatar();
    SetUpViewer(3);
    StepViewCamera(heldKeys);
    PlaceAvatar();
    ExpectAvatarVertexAt(0.4, -0.5, 0, "view mode 3");
    UnplaceAvatar();
}

TEST(AvatarPlacement, ViewMode1UndoIsTheExactInverseWithTiltAndJump) {
    SetUpViewer(1);
    viewer.tilt = 25;
    viewer.jumpOffset = 3;
    double before[16], after[16];
    glRotatef(10, 1, 0, 0);
    Modelview(before);
    StepViewCamera(heldKeys);
    PlaceAvatar();
    UnplaceAvatar();
    Modelview(after);
    ExpectMatrixNear(after, before, 1e-6, "view mode 1");
}

TEST(AvatarPlacement, ViewMode2TakesBackTheShakeInFullButOnlyHalfThePitch) {
    SetUpViewer(2);
    viewer.heading = viewer.followHeading = 0;  // looking along -z: the pitch turns about x alone
    viewer.viewAngle = 90 * scene.degToRad;
    viewer.lookTargetX = viewer.viewerX;
    viewer.lookTargetY = viewer.viewerEyeY;
    viewer.lookTargetZ = -100;
    viewer.engineShake = 0.4;
    double camera[16], after[16];
    glLoadIdentity();
    gluLookAt(viewer.viewerX, viewer.viewerEyeY, viewer.viewerZ, viewer.lookTargetX,
              viewer.lookTargetY, viewer.lookTargetZ, 0, -1, 0);
    Modelview(camera);
    glLoadIdentity();
    StepViewCamera(heldKeys);
    PlaceAvatar();
    UnplaceAvatar();
    Modelview(after);
    ExpectMatrixNear(after, camera, 1e-6, "shake only");
    EXPECT_EQ(viewer.engineShake, -0.4);  // flipped by the spring at rest
    // A pitch of 6 degrees leaves 3 in the view: the target, 100 ahead,
    // moves off the axis by 100 * sin(3 degrees).
    viewer.bodyPitch = viewer.bodyPitchPeak = 6;  // at its peak the spring leaves it
    StepViewCamera(heldKeys);
    PlaceAvatar();
    UnplaceAvatar();
    Modelview(after);
    double offAxis = hypot(
        after[0] * viewer.lookTargetX + after[4] * viewer.lookTargetY + after[8] * -100 + after[12],
        after[1] * viewer.lookTargetX + after[5] * viewer.lookTargetY + after[9] * -100 +
            after[13]);
    EXPECT_NEAR(offAxis, 100 * sin(3 * M_PI / 180), 1e-4);
    EXPECT_EQ(viewer.bodyPitch, 6);
}

TEST(AvatarPlacement, StoppedDrivingModesStopTheSteeringButTheFollowWalkDoesNot) {
    for (int mode : {2, 4}) {
        SetUpViewer(mode);
        viewer.turnDelta = 3;
        StepViewCamera(heldKeys);
        PlaceAvatar();
        UnplaceAvatar();
        EXPECT_EQ(viewer.turnDelta, 0) << mode;
    }
    SetUpViewer(3);
    viewer.turnDelta = 3;
    StepViewCamera(heldKeys);
    PlaceAvatar();
    UnplaceAvatar();
    EXPECT_EQ(viewer.turnDelta, 3);
}

TEST(AvatarPlacement, ViewMode3StandsTheAvatarOnlyWhenIdleAndCaughtUp) {
    SetUpViewer(3);
    viewer.avatarPose = 3;
    viewer.followHeading = 57;  // the camera still lags
    StepViewCamera(heldKeys);
    PlaceAvatar();
    UnplaceAvatar();
    EXPECT_EQ(viewer.avatarPose, 3);
    viewer.followHeading = viewer.heading;
    heldKeys.moveKeyHeld = 1;
    StepViewCamera(heldKeys);
    PlaceAvatar();
    UnplaceAvatar();
    EXPECT_EQ(viewer.avatarPose, 3);
    heldKeys.moveKeyHeld = 0;
    StepViewCamera(heldKeys);
    PlaceAvatar();
    UnplaceAvatar();
    EXPECT_EQ(viewer.avatarPose, 0);
}

// ---- Body pitch spring.

TEST(PitchSpring, AtSpeedThePitchRecentresBy2StepsInTheSeatAnd24InTheTrailingView) {
    SetUpViewer(2);
    viewer.forwardSpeed = 3;
    viewer.fastDriving = 1;
    viewer.bodyPitch = 1;
    StepViewCamera(heldKeys);
    PlaceAvatar();
    UnplaceAvatar();
    EXPECT_NEAR(viewer.bodyPitch, 0.6, 1e-12);
    EXPECT_NEAR(viewer.bodyPitchPeak, 0.4, 1e-12);
    SetUpViewer(4);
    viewer.forwardSpeed = 3;
    viewer.fastDriving = 1;
    viewer.bodyPitch = -1;
    StepViewCamera(heldKeys);
    PlaceAvatar();
    UnplaceAvatar();
    EXPECT_NEAR(viewer.bodyPitch, -0.52, 1e-12);
    EXPECT_NEAR(viewer.bodyPitchPeak, -0.32, 1e-12);
    viewer.bodyPitch = -0.3;  // not past zero
    SettleBodyPitch(2.4);
    EXPECT_EQ(viewer.bodyPitch, 0);
    EXPECT_EQ(viewer.bodyPitchPeak, 0.2);
}

TEST(PitchSpring, StoppedAfterBrakingTheSmallSwingSettles) {
    scene.viewMode = 2;
    viewer.forwardSpeed = 0;
    viewer.bodyPitch = -0.8;
    viewer.bodyPitchPeak = -1.0;
    SettleBodyPitch(2.0);
    EXPECT_EQ(viewer.bodyPitch, 0);  // -0.8 + 1.0 = 0.2, then both small: rest
    EXPECT_EQ(viewer.bodyPitchPeak, 0);
    // A large swing only moves on, and reverses past the mirrored peak.
    viewer.bodyPitch = -3;
    viewer.bodyPitchPeak = -3.2;
    SettleBodyPitch(2.0);
    EXPECT_NEAR(viewer.bodyPitch, -2, 1e-12);
    EXPECT_EQ(viewer.bodyPitchPeak, -3.2);
    viewer.bodyPitch = 3.5;
    SettleBodyPitch(2.0);
    EXPECT_NEAR(viewer.bodyPitch, 4.5 - 1.2, 1e-12);
    EXPECT_NEAR(viewer.bodyPitchPeak, -3.2 / -1.4, 1e-12);
    // Moving and not braking: the spring waits.
    viewer.forwardSpeed = 1;
    viewer.fastDriving = 0;
    viewer.braking = 0;
    double p = viewer.bodyPitch;
    SettleBodyPitch(2.0);
    EXPECT_EQ(viewer.bodyPitch, p);
    viewer.forwardSpeed = 0;
}

// ---- Boom search and easing.

double EyeDistance() { return hypot(camera.observerX - viewer.viewerX, camera.observerZ - viewer.viewerZ); }

TEST(Boom, AStepThatCannotReachTheFullLengthGivesItAtOnce) {
    SetUpViewer(3);
    scene.observerDistance = 60;
    for (double step : {0.0, -1.0, (double)NAN}) {
        camera.boomRestLength = -5;
        FindBoomLength(step);
        EXPECT_EQ(camera.boomRestLength, 60) << step;
        EXPECT_NEAR(EyeDistance(), 60, 1e-9) << step;
    }
    camera.boomRestLength = -5;
    FindBoomLength(1e-300);  // 6e301 steps: widened to 60 / 10000
    EXPECT_EQ(camera.boomRestLength, 60);
}

TEST(Boom, EasingGrowsByItsStepAndShrinksFasterWhileTheCameraLags) {
    SetUpViewer(3);
    camera.boomLength = 0;
    camera.boomRestLength = 22;
    const double growing[] = {10, 20, 22, 22};
    for (double want : growing) {
        EaseBoom(10, 2);
        EXPECT_EQ(camera.boomLength, want);
        EXPECT_NEAR(EyeDistance(), want, 1e-9);
    }
    camera.boomLength = 60;
    viewer.followHeading = viewer.heading - 5;  // shrinks by 5 * 3 + 2 a frame
    const double shrinking[] = {43, 26, 22};
    for (double want : shrinking) {
        EaseBoom(10, 2);
        EXPECT_EQ(camera.boomLength, want);
    }
}

}  // namespace
