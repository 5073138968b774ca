// trace.h -- one JSON Lines record of the program's state after a step.
#pragma once

#include <string>

// The record for step s: "ran", the viewer fields, the actors and the
// modelview matrix, in the replay interface's order.
std::string TraceLine(long step, bool ran);
