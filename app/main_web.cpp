// main_web.cpp -- process entry of the browser build. The page names the
// scene folder (a demo preloaded into the page's file system, or a folder
// the person dropped); the loop runs one turn per callback of the page,
// since a page that blocks never draws.
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "app/app.h"
#include "app/author.h"
#include "app/command_line.h"
#include "platform/system.h"
#include "scene/scene.h"
#include "scene/scene_file.h"

EM_JS(void, TellPageEnded, (int code), {
    if (Module['onEnded']) Module['onEnded'](code);
});

// The page wrote changed files of the running scene into its folder (an
// author dropped or picked them): the scene is read again as F5 reads it,
// the viewer where it was. Between two turns of the loop, as a key is.
extern "C" EMSCRIPTEN_KEEPALIVE void ReloadFromPage() { ReloadScene(false); }

static void Turn() {
    int code = 0;
    if (RunLoopTurn(&code)) return;
    emscripten_cancel_main_loop();
    Plat_Quit();
    TellPageEnded(code);
}

int main(int argc, char** argv) {
#ifdef KEEP_SIDE_KEY_MODE
    run.keepSideKeyMode = 1;
#else
    run.keepSideKeyMode = 0;
#endif
    AmblerCommandLine line;
    std::string error = ParseAmblerCommandLine(argc, argv, &line);
    if (!error.empty() || (!line.sceneDir.empty() && !Sys_ChangeFolder(line.sceneDir.c_str()))) {
        std::fprintf(stderr, "ambler: %s\n", error.empty() ? "cannot enter the scene folder" : error.c_str());
        TellPageEnded(USAGE_EXIT_STATUS);
        return USAGE_EXIT_STATUS;
    }
    SysFileInfo scene;
    NoteSceneFileMissing(!Sys_FileInfo(SCENE_FILE_NAME, &scene));
    if (line.watch) EnableSceneWatch();
    if (!Plat_Init(PLAT_DESKTOP, 0, 0) || !StartApplication(PLAT_SHOW_NORMAL)) {
        TellPageEnded(1);
        return 1;
    }
    // Timed by the page's timer, not its display: the design's 40 ms frames
    // fall between display refreshes, and the loop sets each turn's delay.
    emscripten_set_main_loop(Turn, 0, 0);
    emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, 0);
    return 0;
}
