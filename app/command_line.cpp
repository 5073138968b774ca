// command_line.cpp -- parsing of the scene argument and the options.
#include "app/command_line.h"

#include "app/model_open.h"
#include "app/paths.h"
#include "platform/system.h"
#include "scene/scene_file.h"

#ifndef AMBLER_VERSION
#define AMBLER_VERSION "unversioned"  // built outside the project's CMake
#endif

const char AMBLER_USAGE[] =
    "usage: ambler [--watch] [--pacing smooth|design] [DIR | DIR/Hod.pro | MODEL]\n"
    "       ambler --help | --version\n"
    "Walks the scene in DIR (default: the working folder), or a model of any\n"
    "format ambler-import reads, imported once into a cache. With --watch, a\n"
    "save of Hod.pro, the model or a texture reloads the scene. Keys: F1 help,\n"
    "F5 reload (Shift+F5 from the start position), F12 screenshot.\n"
    "The scene moves in steps of 40 ms. --pacing smooth (the default) draws at\n"
    "the screen's refresh rate, blending between the last two steps;\n"
    "--pacing design draws only at the steps, 25 frames a second.\n";

std::string SceneFolderOf(const std::string& argument, std::string* folder) {
    if (argument.empty()) return "empty scene argument";
    if (IsFolder(argument)) {
        *folder = FolderForm(argument);
        return "";
    }
    std::string parent, name;
    SplitPath(argument, &parent, &name);
    if (!SameFileName(name, SCENE_FILE_NAME)) {
        SysFileInfo info;
        if (Sys_FileInfo(argument.c_str(), &info))
            return argument + " is not a folder or a file named " + SCENE_FILE_NAME;
        return "no folder " + argument;
    }
    // DIR/Hod.pro may be missing: the program creates it, as with a folder.
    if (!IsFolder(parent)) return "no folder " + parent;
    *folder = FolderForm(parent);
    return "";
}

std::string ParseAmblerCommandLine(int argc, char** argv, AmblerCommandLine* line) {
    bool sceneGiven = false;
    std::string folderError;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            line->help = true;
        } else if (arg == "--version") {
            line->version = true;
        } else if (arg == "--watch") {
            line->watch = true;
        } else if (arg == "--pacing") {
            std::string value = i + 1 < argc ? argv[++i] : "";
            if (value != "smooth" && value != "design")
                return "--pacing needs smooth or design" +
                       (value.empty() ? std::string() : ", not '" + value + "'");
            line->designPacing = value == "design";
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else if (sceneGiven) {
            return "more than one scene given";
        } else {
            sceneGiven = true;
            if (LooksLikeModel(arg)) line->model = arg;
            else folderError = SceneFolderOf(arg, &line->sceneDir);
        }
    }
    // --help and --version answer even beside a bad folder.
    return line->help || line->version ? "" : folderError;
}

std::string VersionLine(const char* program) {
    return std::string(program) + " " + AMBLER_VERSION;
}
