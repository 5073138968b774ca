// figure_joints.h -- joint lookups shared by the figure drawing files.
#pragma once

// One joint in the figure's current pose, as the transforms read it.
struct JointPose {
    double pivotX, pivotY, pivotZ;
    double swingX, swingY, swingZ;
    double tiltX, tiltY, tiltZ;  // avatar only; 0 for actors
    double angleX, angleY, angleZ;
};

// The figure's current pose (actorPose[figure] or avatarPose).
int FigurePose(int figure);
// True when joint and the figure's pose lie inside the joint tables; any
// other joint number (or pose) draws without a joint transform.
bool JointUsable(int figure, int joint);
// Joint (joint, current pose) of the figure; joint must be usable.
JointPose LookupJoint(int figure, int joint);
// The joint transforms of a looked-up joint, with the angles stored in
// appliedAngleX/Y/Z; a list walk keeps the pose it applied for the undo.
void ApplyJointPose(const JointPose& pose);
void UndoJointPose(const JointPose& pose);
