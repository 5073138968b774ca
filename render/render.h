// render.h -- the drawing half of every frame: polygon lists, figures and
// the avatar placement. Drawing only: the steps it draws the results of
// live in motion/.
//
// Lifetime: boundTexture is reset at the start of every frame that runs; the
// rest lives for the whole run and is set by the loader where noted.
#pragma once

#include "motion/behaviour.h"

// ---- Per frame.
extern unsigned boundTexture;  // W: BindTextureIfChanged; reset by DisplayFrame

// ---- Joint switching, shared by every figure list; starts at 0.
extern int actorJointApplied;   // W: actor lists
extern int avatarJointApplied;  // W: avatar list
extern int appliedJoint;        // W: joint of the transform last applied
extern double appliedAngleX, appliedAngleY, appliedAngleZ;  // W: its angles


// The plain coloured list.
void DrawFlatPolygons();
// The textured list with its texture switching and near-viewer culling.
void DrawTexturedPolygons();
// Binds name unless it is the texture bound last in this frame.
void BindTextureIfChanged(unsigned name);
// True when textured-list vertex v lies strictly within cullDistance of the
// viewer on both horizontal axes.
bool IsNearViewer(int v);

// ---- Figures: a figure is an actor index 0..49 or AVATAR_FIGURE.
constexpr int AVATAR_FIGURE = -1;


// True when actor i is drawn this frame (its drawing range holds the viewer).
bool ActorInDrawingRange(int i);
// Placement, joint animation and polygons of actor i, unless out of range.
void DrawActor(int i);
// Advances the swing angles of the figure's current pose, one step.
void AnimateJoints(int figure);
// The figure's polygon list with its joint switching; ends with no joint
// transform applied.
void DrawPartList(int figure);
// Applies the transform of joint J of the figure's current pose, with the
// angles stored in appliedAngleX/Y/Z.
void ApplyJoint(int figure, int joint);
// Turns back the transform of appliedJoint of the figure's current pose.
void UndoJoint(int figure);
// The avatar's joint animation (every frame) and polygons.
void AnimateAvatarJoints();
void DrawAvatarPolygons();
// The avatar placement of the view mode (after StepViewCamera), and its
// undo, which loads the trailing camera in view modes 3 and 4.
void PlaceAvatar();
void UnplaceAvatar();

