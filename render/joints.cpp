// joints.cpp -- the swing animation of a figure's joints and the transform
// each joint applies to the polygons that hang from it.
#include <GL/gl.h>

#include "motion/motion.h"
#include "render/figure_joints.h"
#include "render/render.h"
#include "scene/scene.h"

// actorPose of the actor, or avatarPose for the avatar.
int FigurePose(int figure) {
    return figure == AVATAR_FIGURE ? viewer.avatarPose : actorPose[figure];
}

// Joint numbers 0..19 in poses 0..6 have table entries; nothing else does.
bool JointUsable(int figure, int joint) {
    int pose = FigurePose(figure);
    return joint >= 0 && joint < JOINT_CAPACITY && pose >= 0 && pose < POSE_COUNT;
}

// Highest joint index the figure animates, kept inside the tables.
static int LastJoint(int figure) {
    int last = figure == AVATAR_FIGURE ? avatarJointCount : actorJointCount[figure];
    return last < JOINT_CAPACITY ? last : JOINT_CAPACITY - 1;
}

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

// Every joint of the figure's current pose swings one step on each axis.
void AnimateJoints(int figure) {
    int k = FigurePose(figure);
    if (k < 0 || k >= POSE_COUNT) return;  // no such pose: nothing to swing
    int last = LastJoint(figure);
    if (figure == AVATAR_FIGURE) {
        for (int j = 0; j <= last; j++) {
            SwingAxis(avatarJointSwingX[j][k], avatarJointStepX[j][k], avatarJointAngleX[j][k]);
            SwingAxis(avatarJointSwingY[j][k], avatarJointStepY[j][k], avatarJointAngleY[j][k]);
            SwingAxis(avatarJointSwingZ[j][k], avatarJointStepZ[j][k], avatarJointAngleZ[j][k]);
        }
        return;
    }
    int i = figure;
    for (int j = 0; j <= last; j++) {
        SwingAxis(actorJointSwingX[j][k][i], actorJointStepX[j][k][i], actorJointAngleX[j][k][i]);
        SwingAxis(actorJointSwingY[j][k][i], actorJointStepY[j][k][i], actorJointAngleY[j][k][i]);
        SwingAxis(actorJointSwingZ[j][k][i], actorJointStepZ[j][k][i], actorJointAngleZ[j][k][i]);
    }
}

// The pivot, amplitudes, tilts and angles of (joint, current pose).
JointPose LookupJoint(int figure, int joint) {
    int k = FigurePose(figure);
    JointPose p;
    if (figure == AVATAR_FIGURE) {
        p.pivotX = avatarJointPivotX[joint][k];
        p.pivotY = avatarJointPivotY[joint][k];
        p.pivotZ = avatarJointPivotZ[joint][k];
        p.swingX = avatarJointSwingX[joint][k];
        p.swingY = avatarJointSwingY[joint][k];
        p.swingZ = avatarJointSwingZ[joint][k];
        p.tiltX = avatarJointTiltX[joint][k];
        p.tiltY = avatarJointTiltY[joint][k];
        p.tiltZ = avatarJointTiltZ[joint][k];
        p.angleX = avatarJointAngleX[joint][k];
        p.angleY = avatarJointAngleY[joint][k];
        p.angleZ = avatarJointAngleZ[joint][k];
        return p;
    }
    int i = figure;
    p.pivotX = actorJointPivotX[joint][k][i];
    p.pivotY = actorJointPivotY[joint][k][i];
    p.pivotZ = actorJointPivotZ[joint][k][i];
    p.swingX = actorJointSwingX[joint][k][i];
    p.swingY = actorJointSwingY[joint][k][i];
    p.swingZ = actorJointSwingZ[joint][k][i];
    p.tiltX = p.tiltY = p.tiltZ = 0.0;  // actor joints have no fixed tilt
    p.angleX = actorJointAngleX[joint][k][i];
    p.angleY = actorJointAngleY[joint][k][i];
    p.angleZ = actorJointAngleZ[joint][k][i];
    return p;
}

// Turns the limb about its pivot: fixed tilts first (avatar), then the
// swing angles stored when the joint was chosen. The figure's matrix is
// saved first so that the undo restores it exactly: inverse single-precision
// calls would leave their rounding behind, frame after frame.
void ApplyJointPose(const JointPose& p) {
    float px = (float)p.pivotX, py = (float)p.pivotY, pz = (float)p.pivotZ;
    glPushMatrix();
    glTranslatef(px, py, pz);
    if (p.tiltX != 0) glRotatef((float)-p.tiltX, 1, 0, 0);
    if (p.tiltY != 0) glRotatef((float)-p.tiltY, 0, 1, 0);
    if (p.tiltZ != 0) glRotatef((float)-p.tiltZ, 0, 0, 1);
    if (p.swingX != 0) glRotatef((float)-appliedAngleX, 1, 0, 0);
    if (p.swingY != 0) glRotatef((float)-appliedAngleY, 0, 1, 0);
    if (p.swingZ != 0) glRotatef((float)-appliedAngleZ, 0, 0, 1);
    glTranslatef(-px, -py, -pz);
}

// Takes back ApplyJointPose: the figure's matrix as it was, bit for bit.
void UndoJointPose(const JointPose&) { glPopMatrix(); }

// The transform of joint (joint, current pose) with the stored angles.
void ApplyJoint(int figure, int joint) {
    if (JointUsable(figure, joint)) ApplyJointPose(LookupJoint(figure, joint));
}

// Turns back the transform of appliedJoint in the figure's current pose.
void UndoJoint(int figure) {
    if (JointUsable(figure, appliedJoint)) UndoJointPose(LookupJoint(figure, appliedJoint));
}
