// vertical.cpp -- placeholder until crouch and jump land.
#include "motion/motion.h"
bool StepVerticalMotion() { return true; }
