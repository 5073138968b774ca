// shell_window_test.cpp -- the real program in a real window: creation of
// the scene file, placement, maximise and restore, and Esc.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/desktop.h"
#include "tests/support/replay_harness.h"

static bool IsNormal(const WindowGeometry& g, int sw, int sh) {
    return g.width == 200 && g.height == 150 && g.x == sw / 2 - 100 && g.y == sh / 2 - 75;
}
static bool CoversScreen(const WindowGeometry& g, int sw, int sh) {
    return g.width == sw && g.height == sh && g.x == 0 && g.y == 0;
}

TEST(ShellWindow, StartsCentredOnTopMaximisesAndQuitsOnEsc) {
    std::string dir = MakeTempDir();
    int pid = StartProgram(std::string(AMBLER_BIN_DIR) + "/ambler", dir);
    std::string window = WaitForWindow(pid, 5000);
    ASSERT_FALSE(window.empty()) << "no window appeared";

    struct stat st;
    ASSERT_EQ(stat((dir + "/Hod.pro").c_str(), &st), 0) << "the missing scene file is created";
    EXPECT_EQ(st.st_size, 0);

    EXPECT_TRUE(WaitForGeometry(window, 2000, IsNormal))
        << "200 x 150, centred; got " << GetGeometry(window).width << "x"
        << GetGeometry(window).height << "+" << GetGeometry(window).x << "+"
        << GetGeometry(window).y;
    std::string state = Shell("xprop -id " + window + " _NET_WM_STATE");
    EXPECT_NE(state.find("_NET_WM_STATE_ABOVE"), std::string::npos) << state;
    std::string hints = Shell("xprop -id " + window + " _MOTIF_WM_HINTS");
    EXPECT_NE(hints.find("0x2, 0x0, 0x0"), std::string::npos) << "no decorations: " << hints;
    std::string wmClass = Shell("xprop -id " + window + " WM_CLASS");
    EXPECT_NE(wmClass.find("\"Ambler\""), std::string::npos) << wmClass;

    SendKey(window, "F3");
    EXPECT_TRUE(WaitForGeometry(window, 3000, CoversScreen)) << "F3 maximises";
    SendKey(window, "F3");
    EXPECT_TRUE(WaitForGeometry(window, 3000, IsNormal)) << "F3 again restores";

    SendKey(window, "Escape");
    EXPECT_EQ(WaitForExit(pid, 1000), 0) << "Esc ends the program with status 0 within a second";
}
