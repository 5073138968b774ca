// follow.cpp -- placeholder until the follow view lands.
#include "motion/motion.h"
void StepFollowViewer() {}
