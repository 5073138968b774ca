// render_state.cpp -- storage of the drawing state shared between stages.
#include "render/render.h"

unsigned boundTexture;

int actorJointApplied, avatarJointApplied, appliedJoint;
double appliedAngleX, appliedAngleY, appliedAngleZ;
