// figures.cpp -- the actors' drawing range and placement, and the avatar's
// joint animation and polygons.
#include <GL/gl.h>

#include "motion/motion.h"
#include "render/figure_joints.h"
#include "render/render.h"
#include "scene/scene.h"

// With culling on, the viewer point must lie strictly within the actor's
// cull distance on both axes.
bool ActorInDrawingRange(const Scene& scene, const ViewerState& viewer, int i,
                         const ActorMotion& actor) {
    if (scene.actorCullEnabled[i] == 0) return true;
    double ax = scene.actorStartX[i] + actor.actorWalkedX;
    double az = scene.actorStartZ[i] + actor.actorWalkedZ;
    double vx = scene.startEyeX + viewer.walkedX, vz = scene.startEyeZ + viewer.walkedZ;
    double d = scene.actorCullDistance[i];
    return ax - vx < d && vx - ax < d && az - vz < d && vz - az < d;
}

void DrawActor(FrameDraw& f, const ViewerState& viewer, int i, const ActorMotion& actor) {
    if (ActorInDrawingRange(f.scene, viewer, i, actor)) DrawActorFigure(f, i, actor);
}

// Places the figure at its point and heading, draws it, and restores the
// matrix saved before: undoing by inverse calls would leave their rounding
// in the camera, and it adds up over the frames.
void DrawActorFigure(FrameDraw& f, int i, const ActorMotion& actor) {
    const Scene& scene = f.scene;
    float x = (float)(scene.actorStartX[i] + actor.actorWalkedX);
    float y = (float)scene.actorStartY[i];
    float z = (float)(scene.actorStartZ[i] + actor.actorWalkedZ);
    float turn = (float)(actor.actorHeading + scene.actorModelHeadingOffset[i]);
    glPushMatrix();
    glTranslatef(x, y, z);
    glRotatef(-turn, 0, 1, 0);
    FigureJoints joints{scene, i, actor.actorPose, &actor, nullptr};
    DrawPartList(f, joints);
    glPopMatrix();
}

// The avatar's list inside the placement of the view mode.
void DrawAvatarPolygons(FrameDraw& f, const ViewerState& viewer, const AvatarJoints& avatar) {
    FigureJoints joints{f.scene, AVATAR_FIGURE, viewer.avatarPose, nullptr, &avatar};
    DrawPartList(f, joints);
}
