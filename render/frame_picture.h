// frame_picture.h -- what one frame draws, kept after every step, so that
// frames between two steps can be drawn from the last two without running
// a step (the steps stay the only thing that moves the scene).
#pragma once

#include <vector>

#include "motion/behaviour.h"
#include "scene/scene.h"
#include "scene/textures.h"

// Everything a frame's drawing depends on that a step changes. Matrices and
// light positions are kept as GL holds them (single precision, the lights
// in eye coordinates), so loading them back draws the same frame bit for bit.
struct FramePicture {
    bool valid = false;
    float sceneMatrix[16] = {};  // modelview of the lists and the actors
    float lightEye[2][4] = {};   // positions of lights 0 and 1, eye coordinates
    double cullX = 0, cullZ = 0; // the viewer point the textured list culls around
    // The texturing the frame started with, which its plain list inherits
    // from the frame before: on or off, the bound object, the coordinates.
    bool textured = false;
    int texture = 0;
    float texCoord[4] = {0, 0, 0, 1};
    int actorCount = 0;          // actors 0..actorLastIndex
    std::vector<ActorMotion> actors;
    std::vector<char> actorDrawn;  // 1: inside its drawing range this frame
    bool avatarDrawn = false;
    float avatarMatrix[16] = {};   // modelview the avatar's list starts from
    int avatarPose = 0;
    AvatarJoints avatar;
    // The live mouse look: the mouse's turns summed so far and the tilt,
    // when the step ran, so a frame can add what came after.
    double mouseYaw = 0, tilt = 0;
};

// ---- Capture, in the order the step frame reaches each stage.
// The modelview and light positions the lists are about to be drawn with.
void CaptureSceneView(FramePicture& p, const ViewerState& viewer);
// Every actor after its behaviour step and joint swing.
void CaptureActors(FramePicture& p, const Scene& scene, const ViewerState& viewer,
                   const ActorMotion* actors);
// The avatar's placement matrix, pose and joints.
void CaptureAvatar(FramePicture& p, const Scene& scene, const ViewerState& viewer,
                   const AvatarJoints& joints);

// ---- Between steps.
// out = a and b blended by alpha (0: a, 1: b, each exactly). Cameras move
// their eye along a line and turn the short way; actors' headings too.
void BlendPictures(const FramePicture& a, const FramePicture& b, double alpha, FramePicture* out);
// True when a and b draw the same picture of scene (only what is drawn counts).
bool SamePicture(const FramePicture& a, const FramePicture& b, const Scene& scene);
// Turns the drawn view by yaw degrees of heading and tilts it by tilt
// degrees about the eye (view mode 1), or turns the avatar by yaw (view
// mode 3): the mouse look that came after the step.
void ApplyMouseLook(FramePicture& p, const Scene& scene, double viewAngle, double yaw, double tilt);
// Draws the picture from the clear to the avatar, leaving the modelview
// and the light positions as they were.
void DrawPicture(const FramePicture& p, const Scene& scene, const SceneTextures& textures);

// ---- Rigid transforms, column-major as GL keeps them (exposed for tests).
// A camera matrix between a and b: its eye on the line between theirs,
// its rotation on the shorter arc. False (out untouched) for a matrix that
// is not a rotation and a translation.
bool BlendCameraMatrix(const float a[16], const float b[16], double alpha, float out[16]);
// An object's placement between a and b: its origin on the line.
bool BlendPlacementMatrix(const float a[16], const float b[16], double alpha, float out[16]);
// Heading from a to b by alpha the short way round (359 to 1 passes 0).
double BlendHeading(double a, double b, double alpha);
