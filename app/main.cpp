// main.cpp -- process entry of both builds. The build option
// KEEP_SIDE_KEY_MODE makes the loader keep the file's sideKeyMode.
#include "app/app.h"
#include "app/signals.h"
#include "scene/scene.h"

int main() {
    InstallShellQuitSignals();  // first: before any thread exists
#ifdef KEEP_SIDE_KEY_MODE
    keepSideKeyMode = 1;
#else
    keepSideKeyMode = 0;
#endif
    if (!Plat_Init(PLAT_DESKTOP, 0, 0)) return 1;
    int code = 0;
    if (StartApplication(PLAT_SHOW_NORMAL)) code = RunMessageLoop();
    StopQuitWake();
    Plat_Quit();
    return code;
}
