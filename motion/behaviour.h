// behaviour.h -- the behaviour steps that run while a frame draws: each
// actor's walk, the trailing camera's boom and the vehicle body's pitch
// spring. They change state only; drawing it is render/'s work.
//
// Lifetime: everything below lives for the whole run.
#pragma once

#include "motion/input.h"

// ---- Follow camera (view modes 3 and 4).
extern double observerX, observerY, observerZ;  // W: boom placement; loader sets the start
extern double boomLength;       // W: EaseBoom; 0 at start
extern double boomRestLength;   // W: FindBoomLength; observerDistance at load

// ---- Pitch spring constants.
constexpr double PITCH_SWING_FACTOR = 5.0;   // the spring moves 1 degree per frame
constexpr double PITCH_SETTLE_FACTOR = 6.0;  // 1.2 degrees: settle threshold and pull-back

// Behaviour step of actor i.
void StepActor(int i);
// True when some waypoint of actor i (if it uses them) or else some obstacle
// point (if it avoids them) lies strictly within r of actorX, actorZ on both axes.
bool ActorHitsObstacle(int i, double r);
extern int actorProbeCount;  // W: StepActor, probe steps of its last search (tests read it)

// ---- The boom and the body of view modes 2, 3 and 4.
// Extends the boom step by step until the eye would stand in an obstacle
// square; sets boomRestLength and the eye.
void FindBoomLength(double step);
// Moves boomLength towards boomRestLength and places the eye there.
void EaseBoom(double grow, double shrinkBase);
// The eye at boom length L behind the viewer along viewAngle.
void PlaceBoomEye(double length);
// The body pitch spring and engine shake of view modes 2 and 4.
void SettleBodyPitch(double recentreFactor);
constexpr int BOOM_MAX_STEPS = 10000;  // a boom search never takes more steps than this
// After the actors, before the avatar is placed: the spring, the boom and
// its target, and in view mode 2 the driver's camera.
void StepViewCamera(const HeldKeys& keys);
