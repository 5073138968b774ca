// render.h -- the drawing half of every frame: polygon lists, figures, actor
// behaviour, avatar placement and the cameras of view modes 2, 3 and 4.
//
// Lifetime: boundTexture is reset at the start of every frame that runs; the
// rest lives for the whole run and is set by the loader where noted.
#pragma once

// ---- Per frame.
extern unsigned boundTexture;  // W: BindTextureIfChanged; reset by DisplayFrame
// Runs between the drawing stages and the swap (help, notices, screenshots);
// set at window creation, so code that only draws never links it.
extern void (*frameOverlayHook)();

// ---- Joint switching, shared by every figure list; starts at 0.
extern int actorJointApplied;   // W: actor lists
extern int avatarJointApplied;  // W: avatar list
extern int appliedJoint;        // W: joint of the transform last applied
extern double appliedAngleX, appliedAngleY, appliedAngleZ;  // W: its angles

// ---- Follow camera (view modes 3 and 4).
extern double observerX, observerY, observerZ;  // W: boom placement; loader sets the start
extern double boomLength;       // W: EaseBoom; 0 at start
extern double boomRestLength;   // W: FindBoomLength; observerDistance at load

// ---- Pitch spring constants.
constexpr double PITCH_SWING_FACTOR = 5.0;   // the spring moves 1 degree per frame
constexpr double PITCH_SETTLE_FACTOR = 6.0;  // 1.2 degrees: settle threshold and pull-back

// Every drawing stage after the clear, in order, and the buffer swap.
void DrawFrameStages();
// The plain coloured list.
void DrawFlatPolygons();
// The textured list with its texture switching and near-viewer culling.
void DrawTexturedPolygons();
// Binds name unless it is the texture bound last in this frame.
void BindTextureIfChanged(unsigned name);
// True when textured-list vertex v lies strictly within cullDistance of the
// viewer on both horizontal axes.
bool IsNearViewer(int v);
// glFlush and the buffer swap.
void FinishFrame();

// ---- Figures: a figure is an actor index 0..49 or AVATAR_FIGURE.
constexpr int AVATAR_FIGURE = -1;

// Behaviour step of actor i.
void StepActor(int i);
// True when some waypoint of actor i (if it uses them) or else some obstacle
// point (if it avoids them) lies strictly within r of actorX, actorZ on both axes.
bool ActorHitsObstacle(int i, double r);
extern int actorProbeCount;  // W: StepActor, probe steps of its last search (tests read it)

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
// Avatar placement with the view-mode camera work, and its undo.
void PlaceAvatar();
void UnplaceAvatar();

// ---- View-mode cameras.
// Extends the boom step by step until the eye would stand in an obstacle
// square; sets boomRestLength and the eye.
void FindBoomLength(double step);
// Moves boomLength towards boomRestLength and places the eye there.
void EaseBoom(double grow, double shrinkBase);
// The eye at boom length L behind the viewer along viewAngle.
void PlaceBoomEye(double length);
// The body pitch spring and engine shake of view modes 2 and 4.
void SettleBodyPitch(double recentreFactor);
constexpr int BOOM_MAX_STEPS = 10000;  // a boom search never takes more steps than this
