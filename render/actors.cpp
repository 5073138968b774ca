// actors.cpp -- placeholder until actor behaviour lands.
#include "render/render.h"
void StepActor(int) {}
