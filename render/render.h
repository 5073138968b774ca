// render.h -- the drawing half of every frame: polygon lists, figures and
// the avatar placement. Drawing only, from state passed in: the steps it
// draws the results of live in motion/, and the joint swing that the
// figures advance while they are drawn is a step of its own (AnimateActor).
#pragma once

#include "motion/behaviour.h"
#include "scene/scene.h"
#include "scene/textures.h"

// One frame's drawing: the scene and its texture objects, and the one cache
// of the texture bound last, which starts empty with every frame that runs
// so that the frame's first textured polygon always binds.
struct FrameDraw {
    const Scene& scene;
    const SceneTextures& textures;
    unsigned boundTexture = 0;
};

// The plain coloured list.
void DrawFlatPolygons(const Scene& scene);
// The textured list with its texture switching and near-viewer culling.
void DrawTexturedPolygons(FrameDraw& f, const ViewerState& viewer);
// Binds name unless it is the texture bound last in this frame.
void BindTextureIfChanged(FrameDraw& f, unsigned name);
// True when textured-list vertex v lies strictly within cullDistance of the
// viewer on both horizontal axes.
bool IsNearViewer(const Scene& scene, const ViewerState& viewer, int v);

// ---- Figures: a figure is an actor index 0..49 or AVATAR_FIGURE.
constexpr int AVATAR_FIGURE = -1;

// True when actor i is drawn this frame (its drawing range holds the viewer).
bool ActorInDrawingRange(const Scene& scene, const ViewerState& viewer, int i,
                         const ActorMotion& actor);
// Actor i's joint swing of this frame: advanced only while it is drawn.
void AnimateActor(const Scene& scene, const ViewerState& viewer, int i, ActorMotion& actor);
// Placement and polygons of actor i, unless out of range.
void DrawActor(FrameDraw& f, const ViewerState& viewer, int i, const ActorMotion& actor);
// The same without the range check, for a caller that decided it.
void DrawActorFigure(FrameDraw& f, int i, const ActorMotion& actor);
// The avatar's joint swing (every frame) and its polygons.
void AnimateAvatarJoints(const Scene& scene, const ViewerState& viewer, AvatarJoints& joints);
void DrawAvatarPolygons(FrameDraw& f, const ViewerState& viewer, const AvatarJoints& joints);

// The translation an avatar placement made, taken back by its undo.
struct AvatarPlacement {
    float x = 0, y = 0, z = 0;
};
// The avatar placement of the view mode (after StepViewCamera), and its
// undo, which loads the trailing camera in view modes 3 and 4.
AvatarPlacement PlaceAvatar(const Scene& scene, const ViewerState& viewer);
void UnplaceAvatar(const Scene& scene, const ViewerState& viewer, FollowCamera& camera,
                   const AvatarPlacement& placed);
