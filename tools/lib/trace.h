// trace.h -- one JSON Lines record of the program's state after a step.
#pragma once

#include <string>

// The record for step s: "ran", the viewer fields, the actors and the
// modelview matrix, in the replay interface's order.
std::string TraceLine(long step, bool ran);

struct PresentedFrame;
// The record of one presented frame at virtual time t (ms since loading),
// after step s: its blend fraction, the scene's matrix and the actors as
// drawn (walked offsets and heading).
std::string PresentTraceLine(double t, long step, const PresentedFrame& frame);
