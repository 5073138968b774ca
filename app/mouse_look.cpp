// mouse_look.cpp -- placeholder until mouse look lands.
#include "app/app.h"
void MouseLook(intptr_t) {}
void PlaceMouseLookCamera() {}
