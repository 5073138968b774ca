// figure_joints.h -- joint lookups shared by the figure drawing files.
#pragma once

#include "motion/behaviour.h"
#include "render/render.h"
#include "scene/scene.h"

// One joint in the figure's current pose, as the transforms read it.
struct JointPose {
    double pivotX, pivotY, pivotZ;
    double swingX, swingY, swingZ;
    double tiltX, tiltY, tiltZ;  // avatar only; 0 for actors
    double angleX, angleY, angleZ;
};

// A figure as its joints are looked up: the scene's tables, which figure,
// the pose it is in and the swing angles it is drawn with.
struct FigureJoints {
    const Scene& scene;
    int figure;                           // an actor index, or AVATAR_FIGURE
    int pose;                             // actorPose of the actor, or the viewer's avatarPose
    const ActorMotion* actor = nullptr;   // the actor's angles
    const AvatarJoints* avatar = nullptr; // the avatar's angles
};

// True when joint and the figure's pose lie inside the joint tables; any
// other joint number (or pose) draws without a joint transform.
bool JointUsable(const FigureJoints& f, int joint);
// Joint (joint, current pose) of the figure; joint must be usable.
JointPose LookupJoint(const FigureJoints& f, int joint);
// The joint transforms of a looked-up joint, with its swing angles; the
// list walk keeps the pose it applied for the undo.
void ApplyJointPose(const JointPose& pose);
void UndoJointPose(const JointPose& pose);
// The figure's polygon list with its joint switching; ends with no joint
// transform applied.
void DrawPartList(FrameDraw& draw, const FigureJoints& f);
