// avatar_camera.cpp -- placeholder until the view-mode cameras land.
#include "render/render.h"
void PlaceAvatar() {}
void UnplaceAvatar() {}
