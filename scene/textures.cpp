// textures.cpp -- placeholder until the texture step lands.
#include "scene/textures.h"
void CreateSceneTextures() {}
