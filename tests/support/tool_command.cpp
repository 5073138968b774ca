// tool_command.cpp -- the program a test starts, or its stand-in.
#include "tests/support/tool_command.h"

#include <cstdlib>

std::string ToolCommand(const std::string& name) {
    const char* standIn = nullptr;
    if (name == "ambler-replay") standIn = getenv("AMBLER_REPLAY");
    if (name == "ambler-check") standIn = getenv("AMBLER_CHECK");
    if (standIn && *standIn) return standIn;
    return "'" + std::string(AMBLER_BIN_DIR) + "/" + name + "'";
}

std::string ProgramPath(const std::string& name) {
    const char* dir = getenv("AMBLER_PROGRAM_DIR");
    return std::string(dir && *dir ? dir : AMBLER_BIN_DIR) + "/" + name;
}

int WindowWaitScale() {
    const char* scale = getenv("AMBLER_WINDOW_WAIT_SCALE");
    int n = scale ? atoi(scale) : 1;
    return n > 1 ? n : 1;
}
