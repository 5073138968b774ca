// tool_command.h -- how tests start the programs they check: the build's
// own, or what the environment names instead (the Windows pass runs the
// .exe programs under wine through a script).
#pragma once

#include <string>

// The shell words that start program NAME (ambler-replay or ambler-check):
// $AMBLER_REPLAY or $AMBLER_CHECK when set, else the build's program, quoted.
std::string ToolCommand(const std::string& name);
// The path of program NAME for the window tests: in $AMBLER_PROGRAM_DIR
// when set (stand-ins that start the .exe under wine), else the build's.
std::string ProgramPath(const std::string& name);
// How many times longer the window tests wait for a program to show its
// window, resize or end: $AMBLER_WINDOW_WAIT_SCALE, else 1 (wine starts
// and ends a program more slowly than Linux does).
int WindowWaitScale();
