// display_mode_window_test.cpp -- the start-up display-mode switch in a real
// window: switched and given back at Esc, or, where the screen refuses the
// mode, said once while the program goes on in the mode it found. Runs
// against the Linux program and, in the Windows pass, ambler.exe under wine.
#include <gtest/gtest.h>

#include <string>

#include "scene/scene.h"
#include "tests/support/desktop.h"
#include "tests/support/temp_scene.h"
#include "tests/support/tool_command.h"
#include "tools/lib/scene_writer.h"

namespace {

// How often text occurs in all.
int Occurrences(const std::string& all, const std::string& text) {
    int n = 0;
    for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) n++;
    return n;
}

TEST(DisplayModeWindow, SwitchIsUndoneAtEscOrRefusedOnceAndTheProgramGoesOn) {
    TempDir dir("display-mode");
    SceneDescription scene;
    CopyDefaultSettings(scene);
    SetSetting(scene, FIELD_fullScreen, 1);       // switch, but keep the small window
    SetSetting(scene, FIELD_windowMaximised, 0);
    SetSetting(scene, FIELD_displayModeIndex, 3);  // 640 x 480
    ASSERT_TRUE(WriteSceneFile(dir.File("Hod.pro"), scene));
    // The program's messages go to a file; exec keeps the pid for the window search.
    ASSERT_TRUE(SaveTextFile(dir.File("run.sh"), "#!/bin/sh\nexec '" + ProgramPath("ambler") +
                                                     "' 2> '" + dir.File("stderr.txt") + "'\n"));
    ASSERT_EQ(Shell("chmod +x '" + dir.File("run.sh") + "' && echo ok"), "ok\n");

    int startW, startH;
    GetScreenSize(&startW, &startH);
    int pid = StartProgram(dir.File("run.sh"), dir.path);
    std::string window = WaitForWindow(pid, 5000);
    ASSERT_FALSE(window.empty()) << "no window appeared";
    PauseMs(500);
    int runW, runH;
    GetScreenSize(&runW, &runH);
    WindowGeometry g = GetGeometry(window);
    EXPECT_EQ(g.width, 200);
    EXPECT_EQ(g.height, 150);
    EXPECT_EQ(g.x, runW / 2 - 100) << "centred on the screen in force";
    EXPECT_EQ(g.y, runH / 2 - 75);
    SendKey(window, "Escape");
    EXPECT_EQ(WaitForExit(pid, 3000), 0) << "the program went on and ended at Esc";

    int endW, endH;
    GetScreenSize(&endW, &endH);
    EXPECT_EQ(endW, startW) << "the mode found at start is back";
    EXPECT_EQ(endH, startH);
    std::string messages = ReadWholeFile(dir.File("stderr.txt"));
    if (runW == startW && runH == startH) {
        EXPECT_EQ(Occurrences(messages, "the display mode stays as it is"), 1) << messages;
    } else {
        EXPECT_EQ(runW, 640);
        EXPECT_EQ(runH, 480);
        EXPECT_EQ(Occurrences(messages, "the display mode stays as it is"), 0) << messages;
    }
}

}  // namespace
