// main_web.cpp -- process entry of the browser build. The page names the
// scene folder (a demo preloaded into the page's file system, or a folder
// the person dropped); the loop runs one turn per callback of the page,
// since a page that blocks never draws: at each step's time, and with
// smooth display at each of the screen's refreshes as well.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <string>

#include "app/app.h"
#include "app/author.h"
#include "app/command_line.h"
#include "platform/system.h"
#include "scene/scene.h"
#include "scene/scene_file.h"

constexpr char WEB_NO_IMPORTER[] =
    "a model opens through ambler-import, which runs on the desktop only: import it there "
    "and open the scene folder it writes";

EM_JS(void, TellPageEnded, (int code), {
    if (Module['onEnded']) Module['onEnded'](code);
});

// The page wrote changed files of the running scene into its folder (an
// author dropped or picked them): the scene is read again as F5 reads it,
// the viewer where it was. Between two turns of the loop, as a key is.
extern "C" EMSCRIPTEN_KEEPALIVE void ReloadFromPage() { ReloadScene(false); }

// Steps run so far, for the page's tests.
extern "C" EMSCRIPTEN_KEEPALIVE unsigned long StepsRunToPage() { return run.framesRun; }

// Whether the page still runs this instance's loop (it pauses the loop of
// a program it has put aside).
EM_JS(int, PageRunsLoop, (), { return Browser.mainLoop.scheduler ? 1 : 0; });

static bool ended = false;

static void End(int code) {
    ended = true;
    emscripten_cancel_main_loop();
    Plat_Quit();
    TellPageEnded(code);
}

// The timer's turns keep the steps on time: 40 ms is no whole number of a
// screen's refreshes.
static void Turn() {
    int code = 0;
    if (!RunLoopTurn(&code)) End(code);
}

// Each of the screen's refreshes: waiting input first, so that a mouse turn
// shows in this very frame, a step if one is due, then the frame between
// the steps.
static EM_BOOL OnScreenRefresh(double, void*) {
    if (ended || !PageRunsLoop()) return EM_FALSE;
    int code = 0;
    if (!RunLoopTurn(&code)) {
        End(code);
        return EM_FALSE;
    }
    PresentAtScreenRefresh();
    return EM_TRUE;
}

int main(int argc, char** argv) {
#ifdef KEEP_SIDE_KEY_MODE
    run.keepSideKeyMode = 1;
#else
    run.keepSideKeyMode = 0;
#endif
    AmblerCommandLine line;
    std::string error = ParseAmblerCommandLine(argc, argv, &line);
    // A model is imported by ambler-import in a process of its own, and a
    // page starts no processes.
    if (error.empty() && !line.model.empty()) error = WEB_NO_IMPORTER;
    if (!error.empty() || (!line.sceneDir.empty() && !Sys_ChangeFolder(line.sceneDir.c_str()))) {
        std::fprintf(stderr, "ambler: %s\n", error.empty() ? "cannot enter the scene folder" : error.c_str());
        TellPageEnded(USAGE_EXIT_STATUS);
        return USAGE_EXIT_STATUS;
    }
    SysFileInfo scene;
    NoteSceneFileMissing(!Sys_FileInfo(SCENE_FILE_NAME, &scene));
    if (line.watch) EnableSceneWatch();
    // A page draws at the screen's rate anyway: frames come from its
    // animation frames, between the steps, unless --pacing design is asked.
    run.smooth.pacing = line.designPacing ? PACING_DESIGN : PACING_SMOOTH;
    run.smooth.screenPaced = true;
    if (!Plat_Init(PLAT_DESKTOP, 0, 0) || !StartApplication(PLAT_SHOW_NORMAL)) {
        TellPageEnded(1);
        return 1;
    }
    // Timed by the page's timer, not its display: the design's 40 ms frames
    // fall between display refreshes, and the loop sets each turn's delay.
    emscripten_set_main_loop(Turn, 0, 0);
    emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, 0);
    if (run.smooth.pacing == PACING_SMOOTH) emscripten_request_animation_frame_loop(OnScreenRefresh, nullptr);
    return 0;
}
