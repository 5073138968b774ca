// joints.cpp -- the swing animation of a figure's joints and the transform
// each joint applies to the polygons that hang from it.
#include <GL/gl.h>

#include "motion/motion.h"
#include "render/figure_joints.h"
#include "render/render.h"
#include "scene/scene.h"

// Joint numbers 0..19 in poses 0..6 have table entries; nothing else does.
bool JointUsable(const FigureJoints& f, int joint) {
    return joint >= 0 && joint < JOINT_CAPACITY && f.pose >= 0 && f.pose < POSE_COUNT;
}

// Highest joint index a figure animates, kept inside the tables.
static int LastJoint(int last) { return last < JOINT_CAPACITY ? last : JOINT_CAPACITY - 1; }

// One axis: the angle moves by its step and bounces off 0 and the amplitude;
// landing exactly on an end bounces only at the next step.
static void SwingAxis(double swing, double& step, double& angle) {
    angle += step;
    if (swing > 0) {
        if (angle > swing) {
            step = -step;
            angle = swing + step;
        } else if (angle < 0) {
            step = -step;
            angle = 0 + step;
        }
    } else {
        if (angle < swing) {
            step = -step;
            angle = swing + step;
        } else if (angle > 0) {
            step = -step;
            angle = 0 + step;
        }
    }
}

// Every joint of the actor's current pose swings one step on each axis.
static void SwingActorJoints(const Scene& scene, int i, ActorMotion& a) {
    int k = a.actorPose;
    if (k < 0 || k >= POSE_COUNT) return;  // no such pose: nothing to swing
    int last = LastJoint(scene.actorJointCount[i]);
    for (int j = 0; j <= last; j++) {
        SwingAxis(scene.actorJointSwingX[j][k][i], a.actorJointStepX[j][k], a.actorJointAngleX[j][k]);
        SwingAxis(scene.actorJointSwingY[j][k][i], a.actorJointStepY[j][k], a.actorJointAngleY[j][k]);
        SwingAxis(scene.actorJointSwingZ[j][k][i], a.actorJointStepZ[j][k], a.actorJointAngleZ[j][k]);
    }
}

void AnimateActor(const Scene& scene, const ViewerState& viewer, int i, ActorMotion& actor) {
    if (ActorInDrawingRange(scene, viewer, i, actor)) SwingActorJoints(scene, i, actor);
}

// Every joint of the avatar's current pose swings one step, every frame.
void AnimateAvatarJoints(const Scene& scene, const ViewerState& viewer, AvatarJoints& a) {
    int k = viewer.avatarPose;
    if (k < 0 || k >= POSE_COUNT) return;
    int last = LastJoint(scene.avatarJointCount);
    for (int j = 0; j <= last; j++) {
        SwingAxis(scene.avatarJointSwingX[j][k], a.avatarJointStepX[j][k], a.avatarJointAngleX[j][k]);
        SwingAxis(scene.avatarJointSwingY[j][k], a.avatarJointStepY[j][k], a.avatarJointAngleY[j][k]);
        SwingAxis(scene.avatarJointSwingZ[j][k], a.avatarJointStepZ[j][k], a.avatarJointAngleZ[j][k]);
    }
}

// The pivot, amplitudes, tilts and angles of (joint, current pose).
JointPose LookupJoint(const FigureJoints& f, int joint) {
    const Scene& s = f.scene;
    int k = f.pose;
    JointPose p;
    if (f.figure == AVATAR_FIGURE) {
        const AvatarJoints& a = *f.avatar;
        p.pivotX = s.avatarJointPivotX[joint][k];
        p.pivotY = s.avatarJointPivotY[joint][k];
        p.pivotZ = s.avatarJointPivotZ[joint][k];
        p.swingX = s.avatarJointSwingX[joint][k];
        p.swingY = s.avatarJointSwingY[joint][k];
        p.swingZ = s.avatarJointSwingZ[joint][k];
        p.tiltX = s.avatarJointTiltX[joint][k];
        p.tiltY = s.avatarJointTiltY[joint][k];
        p.tiltZ = s.avatarJointTiltZ[joint][k];
        p.angleX = a.avatarJointAngleX[joint][k];
        p.angleY = a.avatarJointAngleY[joint][k];
        p.angleZ = a.avatarJointAngleZ[joint][k];
        return p;
    }
    const ActorMotion& a = *f.actor;
    int i = f.figure;
    p.pivotX = s.actorJointPivotX[joint][k][i];
    p.pivotY = s.actorJointPivotY[joint][k][i];
    p.pivotZ = s.actorJointPivotZ[joint][k][i];
    p.swingX = s.actorJointSwingX[joint][k][i];
    p.swingY = s.actorJointSwingY[joint][k][i];
    p.swingZ = s.actorJointSwingZ[joint][k][i];
    p.tiltX = p.tiltY = p.tiltZ = 0.0;  // actor joints have no fixed tilt
    p.angleX = a.actorJointAngleX[joint][k];
    p.angleY = a.actorJointAngleY[joint][k];
    p.angleZ = a.actorJointAngleZ[joint][k];
    return p;
}

// Turns the limb about its pivot: fixed tilts first (avatar), then the
// swing angles. The figure's matrix is saved first so that the undo
// restores it exactly: inverse single-precision calls would leave their
// rounding behind, frame after frame.
void ApplyJointPose(const JointPose& p) {
    float px = (float)p.pivotX, py = (float)p.pivotY, pz = (float)p.pivotZ;
    glPushMatrix();
    glTranslatef(px, py, pz);
    if (p.tiltX != 0) glRotatef((float)-p.tiltX, 1, 0, 0);
    if (p.tiltY != 0) glRotatef((float)-p.tiltY, 0, 1, 0);
    if (p.tiltZ != 0) glRotatef((float)-p.tiltZ, 0, 0, 1);
    if (p.swingX != 0) glRotatef((float)-p.angleX, 1, 0, 0);
    if (p.swingY != 0) glRotatef((float)-p.angleY, 0, 1, 0);
    if (p.swingZ != 0) glRotatef((float)-p.angleZ, 0, 0, 1);
    glTranslatef(-px, -py, -pz);
}

// Takes back ApplyJointPose: the figure's matrix as it was, bit for bit.
void UndoJointPose(const JointPose&) { glPopMatrix(); }
