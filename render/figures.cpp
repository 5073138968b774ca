// figures.cpp -- the actors' drawing range and placement, and the avatar's
// joint animation and polygons.
#include <GL/gl.h>

#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"

// With culling on, the viewer point must lie strictly within the actor's
// cull distance on both axes.
bool ActorInDrawingRange(int i) {
    if (actorCullEnabled[i] == 0) return true;
    double ax = actorStartX[i] + actorWalkedX[i], az = actorStartZ[i] + actorWalkedZ[i];
    double vx = startEyeX + viewer.walkedX, vz = startEyeZ + viewer.walkedZ;
    double d = actorCullDistance[i];
    return ax - vx < d && vx - ax < d && az - vz < d && vz - az < d;
}

// Places the figure at its point and heading, swings and draws it, and
// restores the matrix saved before: undoing by inverse calls would leave
// their rounding in the camera, and it adds up over the frames.
void DrawActor(int i) {
    if (!ActorInDrawingRange(i)) return;
    float x = (float)(actorStartX[i] + actorWalkedX[i]);
    float y = (float)actorStartY[i];
    float z = (float)(actorStartZ[i] + actorWalkedZ[i]);
    float turn = (float)(actorHeading[i] + actorModelHeadingOffset[i]);
    glPushMatrix();
    glTranslatef(x, y, z);
    glRotatef(-turn, 0, 1, 0);
    AnimateJoints(i);
    DrawPartList(i);
    glPopMatrix();
}

// The avatar's swing, every frame.
void AnimateAvatarJoints() { AnimateJoints(AVATAR_FIGURE); }

// The avatar's list inside the placement of the view mode.
void DrawAvatarPolygons() { DrawPartList(AVATAR_FIGURE); }
