// scene_start_motion.cpp -- everything that moves, at the start of a loaded
// scene: the viewer, the trailing camera, the actors and the joints.
#include <cmath>

#include "motion/behaviour.h"
#include "motion/motion.h"
#include "scene/scene.h"

// The viewer at the scene's start point, heading and look target; in view
// modes 3 and 4 the trailing camera at the file's observer point.
void StartViewer(const Scene& scene, ViewerState& viewer, FollowCamera& camera) {
    viewer = ViewerState{};
    camera = FollowCamera{};
    viewer.heading = -scene.startHeading;
    viewer.followHeading = viewer.heading;
    bool followView = scene.viewMode == VIEW_FOLLOW_WALKER || scene.viewMode == VIEW_FOLLOW_VEHICLE;
    if (followView) {
        camera.observerX = scene.observerStartX;
        camera.observerY = scene.observerStartY;
        camera.observerZ = scene.observerStartZ;
    }
    viewer.viewerX = scene.startEyeX;
    viewer.viewerEyeY = scene.startEyeY;
    viewer.viewerZ = scene.startEyeZ;
    viewer.lookTargetX = followView ? viewer.viewerX : scene.startTargetX;
    viewer.lookTargetY = followView ? viewer.viewerEyeY : scene.startTargetY;
    viewer.lookTargetZ = followView ? viewer.viewerZ : scene.startTargetZ;
    camera.boomRestLength = scene.observerDistance;
    viewer.viewAngle = (scene.startHeading - 270.0) * scene.degToRad;
    viewer.currentAcceleration = scene.driveAcceleration;
    viewer.engineShake = scene.engineShake;
}

// The timer seed of actor i: |start x| shrunk by a per-actor divisor until
// it is at most 430 frames.
static int ActorTimerSeed(int i, double startX) {
    static const int FIRST_DIVISORS[4] = {10, 5, 13, 7};  // actors 0..3; later actors use i
    int divisor = i < 4 ? FIRST_DIVISORS[i] : i;
    int t = SaturatingTruncate(std::fabs(std::trunc(startX)));
    while (t > 430) t /= divisor / 2;
    return t;
}

// Actor i at its start position, walking, with its limbs at rest.
static void StartActor(const Scene& scene, int i, ActorMotion& actor) {
    actor = ActorMotion{};
    actor.actorHeading = -scene.actorStartHeading[i];
    actor.actorX = scene.actorStartX[i];
    actor.actorZ = scene.actorStartZ[i];
    actor.actorState = 1;
    actor.actorActive = 1;
    actor.actorAccelerating = 1;
    actor.actorBraking = 0;
    actor.actorTimer = ActorTimerSeed(i, scene.actorStartX[i]);
    for (int j = 0; j < JOINT_CAPACITY; j++)
        for (int k = 0; k < POSE_COUNT; k++) {
            actor.actorJointStepX[j][k] = scene.actorJointStepX[j][k][i];
            actor.actorJointStepY[j][k] = scene.actorJointStepY[j][k][i];
            actor.actorJointStepZ[j][k] = scene.actorJointStepZ[j][k][i];
        }
}

void StartSceneMotion(const Scene& scene, SceneMotion& motion) {
    StartViewer(scene, motion.viewer, motion.camera);
    for (int i = 0; i < ACTOR_CAPACITY; i++) {
        if (i <= scene.actorLastIndex) StartActor(scene, i, motion.actors[i]);
        else motion.actors[i] = ActorMotion{};
    }
    motion.avatar = AvatarJoints{};
    for (int j = 0; j < JOINT_CAPACITY; j++)
        for (int k = 0; k < POSE_COUNT; k++) {
            motion.avatar.avatarJointStepX[j][k] = scene.avatarJointStepX[j][k];
            motion.avatar.avatarJointStepY[j][k] = scene.avatarJointStepY[j][k];
            motion.avatar.avatarJointStepZ[j][k] = scene.avatarJointStepZ[j][k];
        }
}
