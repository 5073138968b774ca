// main.cpp -- process entry of both builds. The build option
// KEEP_SIDE_KEY_MODE makes the loader keep the file's sideKeyMode.
#include <cstdio>
#include <string>

#include "app/app.h"
#include "app/author.h"
#include "app/command_line.h"
#include "app/model_open.h"
#include "app/signals.h"
#include "platform/system.h"
#include "scene/scene.h"
#include "scene/scene_file.h"

int main(int argc, char** argv) {
    // Messages reach a log file as they are written, as C says of stderr;
    // the Windows C library buffers it when it is a file, and a reload's
    // report then waited for the program's exit.
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    InstallShellQuitSignals();  // first: before any thread exists
#ifdef KEEP_SIDE_KEY_MODE
    run.keepSideKeyMode = 1;
#else
    run.keepSideKeyMode = 0;
#endif
    AmblerCommandLine line;
    std::string error = ParseAmblerCommandLine(argc, argv, &line);
    if (!error.empty()) {
        std::fprintf(stderr, "ambler: %s\n%s", error.c_str(), AMBLER_USAGE);
        return USAGE_EXIT_STATUS;
    }
    if (line.help) return std::fputs(AMBLER_USAGE, stdout), 0;
    if (line.version) return std::printf("%s\n", VersionLine("ambler").c_str()), 0;
    // A model that cannot be imported fails as ambler-import does.
    if (!line.model.empty() && !OpenModel(line.model, &line.sceneDir)) return USAGE_EXIT_STATUS;
    if (!line.sceneDir.empty() && !Sys_ChangeFolder(line.sceneDir.c_str())) {
        std::fprintf(stderr, "ambler: cannot enter %s\n%s", line.sceneDir.c_str(), AMBLER_USAGE);
        return USAGE_EXIT_STATUS;
    }
    SysFileInfo scene;
    NoteSceneFileMissing(!Sys_FileInfo(SCENE_FILE_NAME, &scene));
    if (line.watch) EnableSceneWatch();
    run.smooth.pacing = line.designPacing ? PACING_DESIGN : PACING_SMOOTH;
    if (!Plat_Init(PLAT_DESKTOP, 0, 0)) return 1;
    int code = 0;
    if (StartApplication(PLAT_SHOW_NORMAL)) code = RunMessageLoop();
    StopQuitWake();
    Plat_Quit();
    return code;
}
