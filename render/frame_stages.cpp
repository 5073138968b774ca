// frame_stages.cpp -- the fixed order of the drawing stages of a frame.
#include <GL/gl.h>

#include "app/app.h"
#include "render/render.h"
#include "scene/scene.h"

void DrawFrameStages() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawFlatPolygons();
    DrawTexturedPolygons();
    for (int i = 0; i <= actorLastIndex; i++) {
        StepActor(i);
        DrawActor(i);
    }
    PlaceAvatar();
    AnimateAvatarJoints();
    if (avatarPolyVertexCount != 0) DrawAvatarPolygons();
    UnplaceAvatar();
    FinishFrame();
}

void (*frameOverlayHook)();

void FinishFrame() {
    if (frameOverlayHook) frameOverlayHook();
    glFlush();
    Plat_SwapBuffers(windowDC);
}
