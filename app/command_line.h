// command_line.h -- the arguments shared by ambler, ambler-replay and
// ambler-check: a scene named by its folder or by its Hod.pro, --help and
// --version.
#pragma once

#include <string>

// Exit status of a command line that cannot be used (usage printed).
constexpr int USAGE_EXIT_STATUS = 2;

// What ambler was asked to do.
struct AmblerCommandLine {
    std::string sceneDir;  // "" = the working directory
    std::string model;     // a model to import and open instead (app/model_open.h)
    bool watch = false;
    bool designPacing = false;  // --pacing design: frames only at the steps
    bool help = false;
    bool version = false;
};

// Parses ambler's arguments into *line. Returns "" or what is wrong; a
// folder that does not exist is wrong here, before any window opens.
std::string ParseAmblerCommandLine(int argc, char** argv, AmblerCommandLine* line);

// The folder a DIR or DIR/Hod.pro argument names. Returns "" or why it names
// none: a missing folder, or a file with another name (the program only ever
// reads Hod.pro).
std::string SceneFolderOf(const std::string& argument, std::string* folder);

// "NAME VERSION", the line --version prints.
std::string VersionLine(const char* program);

// Usage text of ambler.
extern const char AMBLER_USAGE[];
