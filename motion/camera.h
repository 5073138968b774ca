// camera.h -- the one owner of the modelview's camera and of the
// projection: every look-at and every identity load happens here.
//
// Which frame's camera each view mode draws with:
// - View mode 1: the camera of the viewer's last completed move (a step,
//   a crouch or jump change, a mouse look, a resize). A frame at rest loads
//   nothing and draws with the matrix as it stands, so every placement
//   drawn in between must bring it back exactly.
// - View mode 2: the driver's camera, loaded by this frame's avatar
//   placement; the scene drawn before it still sees the previous frame's
//   camera with half of the body pitch and roll left in the matrix on
//   purpose, so the scene sways with the body.
// - View modes 3 and 4: the trailing camera loaded at the end of the
//   previous frame (LoadFollowCamera), after the avatar was drawn.
// - A resize loads the projection and the camera of the current view mode.
// The text overlay draws after every stage in a projection of its own, and
// saves and restores both matrices around it: it never moves the camera.
#pragma once

struct Scene;
struct ViewerState;
struct FollowCamera;

// Loads the view-mode-1 camera with eye offset e, tilt pivot offset p.
void PlaceViewerCamera(const Scene& scene, ViewerState& viewer, double eyeOffset,
                       double pivotOffset, bool updateTarget);
// Positions the two lights through the current modelview matrix.
void PlaceViewerLights(const Scene& scene, const ViewerState& viewer);
// Parts of the camera placement shared with the mouse look: the look-at
// target from viewAngle; identity plus gluLookAt with the eye and centre
// lowered by eyeOffset; the tilt about the pivot raised by pivotOffset.
void UpdateLookTarget(const Scene& scene, ViewerState& viewer);
void LoadViewerLookAt(const ViewerState& viewer, double eyeOffset);
void RotateTiltAboutPivot(const Scene& scene, const ViewerState& viewer, double pivotOffset);
// The trailing camera of view modes 3 and 4 at the observer point, raised
// by the tilt along the boom; the next frame draws with it.
void LoadFollowCamera(const Scene& scene, const ViewerState& viewer, FollowCamera& camera);
// The projection for a client of width by height, then the camera of the
// current view mode: the trailing camera as it stands in view modes 3 and
// 4, else the level start camera with its lights.
void LoadWindowCameras(const Scene& scene, ViewerState& viewer, const FollowCamera& camera,
                       int width, int height);
