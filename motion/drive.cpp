// drive.cpp -- placeholder until driving lands.
#include "motion/motion.h"
void StepDrivingViewer() {}
