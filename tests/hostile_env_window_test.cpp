// hostile_env_window_test.cpp -- the real program in a real window, ended by
// quit signals at each stage (a message box, loading, a wait on standard
// input, running, paused), its window destroyed or killed by another client,
// and resized far past what the GL draws.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "tests/support/desktop.h"
#include "tests/support/hostile_env.h"
#include "tests/support/replay_harness.h"
#include "tests/support/temp_scene.h"
#include "tools/lib/bitmap_writer.h"

static const std::string AMBLER = std::string(AMBLER_BIN_DIR) + "/ambler";

constexpr int PROMPT_MS = 1000;  // what a user would still call prompt

// A scene folder whose texture is there (or, with missing, is not: the
// loader then shows its message box).
static std::string SceneFolder(bool missing) {
    std::string dir = MakeTempDir();
    WriteSceneNaming(dir, "tex.bmp");
    unsigned char rgb[2 * 2 * 3] = {};
    if (!missing) {
        EXPECT_TRUE(WriteBitmap24((dir + "/tex.bmp").c_str(), rgb, 2, 2));
    }
    return dir;
}

static std::string WindowOf(int pid) { return WaitForWindow(pid, 10000); }

// Sends sig, expects status 0 within PROMPT_MS and no process left behind.
static void ExpectPromptEnd(Started& program, int sig, const char* stage) {
    int pid = program.pid;
    double ms;
    EXPECT_EQ(SignalAndWait(program, sig, 5000, &ms), 0) << stage;
    printf("ambler, %s during %s: ended %.0f ms after it\n", strsignal(sig), stage, ms);
    EXPECT_LT(ms, PROMPT_MS) << stage;
    EXPECT_TRUE(ChildrenOf(pid).empty()) << "no message box outlives the program (" << stage << ")";
}

TEST(ProgramSignals, EndsPromptlyWithStatusZeroAtEveryStage) {
    {
        std::string dir = SceneFolder(true);
        Started boxed = StartIn(dir, {AMBLER}, false);
        bool boxShown = false;  // the window system shows the box from a child process
        for (int waited = 0; waited < 10000 && !boxShown; waited += 50) {
            boxShown = !ChildrenOf(boxed.pid).empty();
            PauseMs(50);
        }
        EXPECT_TRUE(boxShown) << "the missing bitmap's message box";
        ExpectPromptEnd(boxed, SIGTERM, "the message box");
    }
    {
        // A 100 MB picture whose reader is held after its first chunk: the
        // load cannot finish however fast the machine reads.
        std::string dir = MakeTempDir();
        WriteSceneNaming(dir, "giant.bmp");
        WriteGiantBitmap(dir + "/giant.bmp", 1, 1 << 25);
        std::string held = dir + "/held";
        Started loading = StartIn(dir, {AMBLER}, false, "/dev/null",
                                  HoldEnvironment(dir + "/giant.bmp", "read", 1, held));
        EXPECT_TRUE(WaitForHold(held)) << "the load reached the bitmap";
        EXPECT_EQ(WaitForWindow(loading.pid, 0), "") << "still loading";
        ExpectPromptEnd(loading, SIGTERM, "loading");
    }
    {
        Started waiting = StartIn(SceneFolder(false), {AMBLER}, true);
        PauseMs(500);
        ExpectPromptEnd(waiting, SIGTERM, "a wait on standard input");
    }
    {
        Started running = StartIn(SceneFolder(false), {AMBLER}, false);
        ASSERT_NE(WindowOf(running.pid), "");
        PauseMs(300);
        ExpectPromptEnd(running, SIGINT, "running");
    }
    {
        Started paused = StartIn(SceneFolder(false), {AMBLER}, false);
        std::string window = WindowOf(paused.pid);
        ASSERT_NE(window, "");
        SendKey(window, "F2");
        PauseMs(300);
        ExpectPromptEnd(paused, SIGTERM, "a pause");
    }
}

TEST(LostWindow, DestroyedOrKilledFromOutsideIsAClose) {
    std::string dir = SceneFolder(false), errPath = MakeTempDir() + "/err";
    Started destroyed = StartIn(dir, {AMBLER}, false, errPath);
    std::string window = WindowOf(destroyed.pid);
    ASSERT_NE(window, "");
    ASSERT_TRUE(DestroyWindowFromOutside(window));
    EXPECT_EQ(WaitForEnd(destroyed, 3000), 0) << "ends instead of spinning on X errors";
    std::string err = ReadWholeFile(errPath);
    EXPECT_LT(std::count(err.begin(), err.end(), '\n'), 20) << err;

    Started killed = StartIn(dir, {AMBLER}, false);
    window = WindowOf(killed.pid);
    ASSERT_NE(window, "");
    Shell("xdotool windowkill " + window);
    EXPECT_EQ(WaitForEnd(killed, 3000), 0) << "its connection cut: a close all the same";
}

// SDL's quit puts back the X error handler it found at its start; an error
// still in flight then (a wake-up SDL sent to the window just closed, seen
// under load) must not turn a clean close into Xlib's exit status 1.
TEST(LostWindow, AnXErrorAfterTheCloseLeavesTheExitStatusAlone) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (!Plat_Init(PLAT_DESKTOP, 0, 0)) _exit(3);
        Plat_Quit();
        DestroyWindowFromOutside("0");  // no such window: BadWindow on a connection of its own
        _exit(0);
    }
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// The largest size the window system was told the window may take.
static void MaxSizeHint(const std::string& window, int* w, int* h) {
    std::string hints = Shell("xprop -id " + window + " WM_NORMAL_HINTS");
    size_t at = hints.find("maximum size:");
    *w = *h = -1;
    if (at != std::string::npos) sscanf(hints.c_str() + at, "maximum size: %d by %d", w, h);
}

TEST(GiantResize, WindowStaysWithinWhatTheGLDrawsAndGoesOn) {
    Started program = StartIn(SceneFolder(false), {AMBLER}, false);
    std::string window = WindowOf(program.pid);
    ASSERT_NE(window, "");
    int maxW, maxH;
    MaxSizeHint(window, &maxW, &maxH);
    EXPECT_GT(maxW, 0);
    int screenW, screenH;
    GetScreenSize(&screenW, &screenH);
    EXPECT_LE(maxW, std::min(16384, screenW)) << "the software GL's largest viewport, the screen";
    EXPECT_LE(maxH, std::min(16384, screenH));
    EXPECT_GT(maxH, 0);
    Shell("xdotool windowsize " + window + " 32767 32767");
    PauseMs(1500);  // frames are drawn at the new size meanwhile
    WindowGeometry g = GetGeometry(window);
    EXPECT_LE(g.width, maxW);
    EXPECT_LE(g.height, maxH);
    EXPECT_GT(g.width, 200) << "it did grow, as far as it may";
    SendKey(window, "Escape");
    EXPECT_EQ(WaitForEnd(program, 3000), 0) << "still running, and Esc ends it";
}
