// headless_app.cpp -- starting and stopping the program inside a test.
#include "tests/support/headless_app.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/app.h"
#include "platform/headless.h"
#include "motion/motion.h"
#include "scene/scene.h"
#include "tests/support/replay_harness.h"

static std::string startDir, sceneDir;

// The program's state as a fresh process has it; the tests' program reads
// no standard input.
static void ResetProgramState() {
    run = RunState();
    run.stdinText = "";
    loaded.reset();
}

static void DrainQueue() {
    PlatMessage msg;
    while (Plat_PeekMessage())
        if (Plat_GetMessage(&msg)) Plat_DispatchMessage(&msg);
}

void StartHeadlessApp(const std::string& sceneText, int width, int height, uint32_t t0,
                      const char* stdinText) {
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    startDir = cwd;
    sceneDir = MakeTempDir();
    WriteTextFile(sceneDir + "/Hod.pro", sceneText);
    ASSERT_EQ(chdir(sceneDir.c_str()), 0);
    ResetProgramState();
    run.stdinText = stdinText;
    ASSERT_TRUE(Plat_Init(PLAT_HEADLESS, width, height));
    Plat_SetVirtualTick(t0);
    ASSERT_TRUE(StartApplication(PLAT_SHOW_NORMAL));
    DrainQueue();
}

void StopHeadlessApp() {
    ShutdownSequence();
    PlatMessage msg;
    while (Plat_PeekMessage() && Plat_GetMessage(&msg)) {
    }
    Plat_Quit();
    if (loaded) ReleaseSceneTextures(loaded->textures);
    ResetProgramState();
    if (!startDir.empty() && chdir(startDir.c_str()) != 0) ADD_FAILURE() << "cannot go back";
    std::error_code ignored;
    if (!sceneDir.empty()) std::filesystem::remove_all(sceneDir, ignored);
}

void SendAt(uint32_t tick, unsigned message, uintptr_t wParam, intptr_t lParam) {
    Plat_SetVirtualTick(tick);
    MainWindowProc(run.mainWindow, message, wParam, lParam);
    DrainQueue();
}

void FrameAt(uint32_t tick) {
    Plat_SetVirtualTick(tick);
    DisplayFrame();
}
