// scene_polygons.cpp -- placeholder until the polygon lists land.
#include "render/render.h"
void DrawFlatPolygons() {}
void DrawTexturedPolygons() {}
void BindTextureIfChanged(unsigned) {}
