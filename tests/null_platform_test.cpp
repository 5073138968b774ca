// null_platform_test.cpp -- the whole program on the null backend (linked
// here instead of SDL2): what every port must do for the program to start,
// take its input in order and end with status 0, with no window system.
#include <gtest/gtest.h>

#include "app/app.h"
#include "platform/headless.h"
#include "tests/support/headless_app.h"

namespace {

TEST(NullPlatform, StartsTakesInputInOrderAndEndsAtEsc) {
    StartHeadlessApp("", 320, 240);
    // Showing the window sent its size through the resize handler.
    EXPECT_EQ(run.clientCentreX, 160.0);
    EXPECT_EQ(run.clientCentreY, 120.0);
    EXPECT_EQ(run.pauseState, 0);
    Plat_PostMessage(WM_KEYDOWN, VK_UP, 0);
    Plat_PostMessage(WM_KEYDOWN, VK_F2, 0);
    Plat_PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    Plat_PostMessage(WM_KEYDOWN, VK_DOWN, 0);  // queued before the quit: still handled
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(run.heldKeys.upHeld, 1);
    EXPECT_EQ(run.pauseState, 1);
    EXPECT_EQ(run.heldKeys.downHeld, 1) << "the quit message comes after everything queued before it";
    EXPECT_EQ(run.glContext, nullptr);
    StopHeadlessApp();
}

TEST(NullPlatform, AltF4ClosesTheWindowAndTheLoopEnds) {
    StartHeadlessApp("");
    Plat_PostMessage(WM_SYSKEYDOWN, VK_F4, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    StopHeadlessApp();
}

TEST(NullPlatform, OnlyARealCursorMoveReportsItself) {
    StartHeadlessApp("");
    PlatMessage msg;
    while (Plat_PeekMessage() && Plat_GetMessage(&msg)) {
    }
    Plat_SetHeadlessCursor(10, 20);
    Plat_SetCursorPos(10, 20);
    EXPECT_FALSE(Plat_PeekMessage()) << "no move, no notification";
    Plat_SetCursorPos(30, 40);
    ASSERT_TRUE(Plat_PeekMessage());
    ASSERT_TRUE(Plat_GetMessage(&msg));
    EXPECT_EQ(msg.message, (unsigned)WM_MOUSEMOVE);
    EXPECT_EQ(LowWord(msg.lParam), 30);
    EXPECT_EQ(HighWord(msg.lParam), 40);
    PlatPoint p;
    Plat_GetCursorPos(&p);
    EXPECT_EQ(p.x, 30);
    EXPECT_EQ(p.y, 40);
    StopHeadlessApp();
}

}  // namespace
