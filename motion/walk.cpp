// walk.cpp -- placeholder until walking lands.
#include "motion/motion.h"
void StepWalkingViewer() {}
bool FindObstacleHit(double) { return false; }
void PlaceViewerCamera(double, double, bool) {}
void PlaceViewerLights() {}
bool ObstacleNear(double, double, double) { return false; }
void BuildObstacleIndex() {}
bool MoveWithDeflection(ProbeSet, double, double, bool) { return true; }
void ApplyWalkSpeedRule() {}
void ApplySidestepSpeedRule() {}
