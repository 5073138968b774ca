// frame_stages.cpp -- the fixed order of the drawing stages of a frame.
#include <GL/gl.h>

#include "motion/input.h"
#include "render/render.h"
#include "scene/scene.h"

void DrawFrameStages(const HeldKeys& keys) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawFlatPolygons();
    DrawTexturedPolygons();
    for (int i = 0; i <= actorLastIndex; i++) {
        StepActor(i);
        DrawActor(i);
    }
    PlaceAvatar(keys);
    AnimateAvatarJoints();
    if (avatarPolyVertexCount != 0) DrawAvatarPolygons();
    UnplaceAvatar();
}
