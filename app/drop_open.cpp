// drop_open.cpp -- a folder, Hod.pro or model dropped onto the window
// opens in place of the running scene. The working folder is the scene's
// folder, so the drop moves into the new one and moves back when the new
// scene cannot run.
#include <cstdio>
#include <string>

#include "app/author.h"
#include "app/command_line.h"
#include "app/model_open.h"
#include "platform/system.h"
#include "scene/scene_file.h"

// The scene folder a drop names; "" with *problem set when it names none.
static std::string DroppedFolder(const std::string& path, std::string* problem) {
    std::string folder;
    if (LooksLikeModel(path)) {
        if (!OpenModel(path, &folder)) *problem = path + ": the model cannot be imported; old scene kept";
        return folder;
    }
    std::string error = SceneFolderOf(path, &folder);
    SysFileInfo info;
    if (error.empty() && !Sys_FileInfo((folder + "/" + SCENE_FILE_NAME).c_str(), &info))
        error = "no " + std::string(SCENE_FILE_NAME) + " in " + folder;
    if (!error.empty()) {
        *problem = error + "; old scene kept";
        return "";
    }
    CurrentOpenModel() = OpenedModel();  // a scene folder is no model's
    return folder;
}

bool OpenDroppedPath(const char* path) {
    if (!path) return false;
    char here[4096];
    if (!Sys_WorkingFolder(here, sizeof here)) here[0] = '\0';
    OpenedModel before = CurrentOpenModel();
    std::string problem, folder = DroppedFolder(path, &problem);
    if (!folder.empty() && !Sys_ChangeFolder(folder.c_str())) problem = "cannot enter " + folder + "; old scene kept";
    if (problem.empty()) {
        std::fprintf(stderr, "ambler: opening %s\n", path);
        if (ReloadScene(true)) return true;
    } else {
        std::fprintf(stderr, "ambler: %s\n", problem.c_str());
        SetReloadProblem(problem);
    }
    CurrentOpenModel() = before;
    if (here[0] && !Sys_ChangeFolder(here)) std::fprintf(stderr, "ambler: cannot go back to %s\n", here);
    return false;
}
