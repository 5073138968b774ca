// figures.cpp -- placeholder until jointed figures land.
#include "render/render.h"
void DrawActor(int) {}
void AnimateAvatarJoints() {}
void DrawAvatarPolygons() {}
