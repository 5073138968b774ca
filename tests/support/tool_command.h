// tool_command.h -- how tests start the programs they check: the build's
// own, or what the environment names instead (the Windows pass runs the
// .exe programs under wine through a script).
#pragma once

#include <string>

// The shell words that start program NAME (ambler-replay or ambler-check):
// $AMBLER_REPLAY or $AMBLER_CHECK when set, else the build's program, quoted.
std::string ToolCommand(const std::string& name);
