// bitmap.cpp -- placeholder until the bitmap loader lands.
#include "scene/bitmap.h"
TextureImage* LoadBitmapImage(const char*) { return nullptr; }
