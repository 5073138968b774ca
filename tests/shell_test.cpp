// shell_test.cpp -- frame pacing, the pause protocol, resize arithmetic and
// the key tables, on the program started headless in-process.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/app.h"
#include "motion/motion.h"
#include "scene/scene.h"
#include "tests/support/headless_app.h"

// A scene of scalars only: no geometry, the given view mode.
static std::string SceneInViewMode(int mode) {
    // counts, M, display mode, lights, shading, fov, maximised, fullscreen,
    // far, cull distance, cull on, mag filter, levels, eye, target, heading,
    // radius, view mode.
    return "0 0 0 -1 1  1 0 0 0 60 0 0 1000.0 1000 0 1 0 0  0 0 0  0 0 -100  0 8 " +
           std::to_string(mode) + "\n";
}

class ShellTest : public ::testing::Test {
  protected:
    static constexpr uint32_t T0 = 1000;
    void Start(int mode = 1, uint32_t t0 = T0) { StartHeadlessApp(SceneInViewMode(mode), 200, 150, t0); }
    void TearDown() override { StopHeadlessApp(); }
};

TEST_F(ShellTest, PacingRefusesFramesCloserThanFortyMilliseconds) {
    Start();
    unsigned long before = run.framesRun;
    FrameAt(T0 + 39);  // the loader's tick counts as the last frame
    EXPECT_EQ(run.framesRun, before);
    FrameAt(T0 + 40);
    EXPECT_EQ(run.framesRun, before + 1);
    FrameAt(T0 + 79);
    EXPECT_EQ(run.framesRun, before + 1);
    SendAt(T0 + 79, WM_PAINT);  // every caller meets the same pacing
    EXPECT_EQ(run.framesRun, before + 1);
    FrameAt(T0 + 80);
    EXPECT_EQ(run.framesRun, before + 2);
    EXPECT_EQ(run.lastFrameTime, T0 + 80);
}

TEST_F(ShellTest, TickWrapAroundKeepsFramesRunning) {
    const uint32_t nearWrap = 0xFFFFFFF0u;
    Start(1, nearWrap);
    unsigned long before = run.framesRun;
    FrameAt(nearWrap + 40u);  // wraps to 0x18
    EXPECT_EQ(run.framesRun, before + 1);
    FrameAt(nearWrap + 79u);
    EXPECT_EQ(run.framesRun, before + 1);
    FrameAt(nearWrap + 80u);
    EXPECT_EQ(run.framesRun, before + 2);
}

TEST_F(ShellTest, PauseDrawsOnlyForcedFrames) {
    Start();
    SendAt(T0 + 40, WM_KEYDOWN, VK_F2);
    EXPECT_EQ(run.pauseState, 1);
    unsigned long before = run.framesRun;
    SendAt(T0 + 200, WM_PAINT);
    FrameAt(T0 + 240);
    EXPECT_EQ(run.framesRun, before) << "a paused window draws nothing on its own";

    SendAt(T0 + 280, WM_SIZE, 0, MakeLParam(200, 150));
    EXPECT_EQ(run.framesRun, before + 1) << "a resize while paused draws one frame";
    EXPECT_EQ(run.pauseState, 1);

    SendAt(T0 + 320, WM_LBUTTONDOWN, 0, MakeLParam(5, 5));
    SendAt(T0 + 320, WM_LBUTTONUP, 0, MakeLParam(5, 5));
    EXPECT_EQ(run.framesRun, before + 2) << "a button release while paused draws one frame";
    EXPECT_EQ(run.pauseState, 1);
    EXPECT_EQ(run.mouse.dragActive, 0);

    SendAt(T0 + 340, WM_LBUTTONUP, 0, MakeLParam(5, 5));
    EXPECT_EQ(run.framesRun, before + 2) << "forced frames still keep the pacing";

    SendAt(T0 + 400, WM_KEYDOWN, VK_F2);
    EXPECT_EQ(run.pauseState, 0);
    EXPECT_EQ(run.framesRun, before + 3) << "resuming draws at once";
}

TEST_F(ShellTest, F2ActsOnEveryKeyDownIncludingRepeats) {
    Start();
    SendAt(T0 + 10, WM_KEYDOWN, VK_F2);
    SendAt(T0 + 20, WM_KEYDOWN, VK_F2);  // an auto-repeat toggles again
    EXPECT_EQ(run.pauseState, 0);
    SendAt(T0 + 30, WM_KEYDOWN, VK_F2);
    EXPECT_EQ(run.pauseState, 1);
    SendAt(T0 + 40, WM_KEYUP, VK_F2);
    EXPECT_EQ(run.pauseState, 1);
}

TEST_F(ShellTest, ResizeHalvesTheSizeItReceives) {
    Start();
    ResizeScene(201, 151);
    EXPECT_EQ(run.clientCentreX, 100);
    EXPECT_EQ(run.clientCentreY, 75);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 201);
    EXPECT_EQ(viewport[3], 151);

    ResizeScene(0, 0);  // minimised
    EXPECT_EQ(run.clientCentreX, 0);
    EXPECT_EQ(run.clientCentreY, 0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 0);
    EXPECT_EQ(viewport[3], 1);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    // GLU refuses an aspect of 0 and leaves the identity just loaded; any
    // other aspect would have scaled x.
    EXPECT_EQ(projection[0], 1.0);
    EXPECT_EQ(projection[5], 1.0);
}

TEST_F(ShellTest, ResizePlacesTheStartCameraOfTheViewMode) {
    Start(1);
    ResizeScene(200, 150);
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    // Eye at the origin looking towards -z with up (0, -1, 0): x flips.
    EXPECT_NEAR(m[0], -1.0, 1e-9);
    EXPECT_NEAR(m[5], -1.0, 1e-9);
    EXPECT_NEAR(m[10], 1.0, 1e-9);
}

TEST_F(ShellTest, ReleasingOneOfTwoSideKeysKeepsTheSidestep) {
    Start(1);
    SendAt(T0 + 1, WM_KEYDOWN, VK_LEFT);
    SendAt(T0 + 2, WM_KEYDOWN, VK_RIGHT);
    loaded->motion.viewer.sidestepSpeed = 1.5;
    SendAt(T0 + 3, WM_KEYUP, VK_LEFT);
    EXPECT_EQ(run.heldKeys.sideKeyHeld, 1);
    EXPECT_EQ(loaded->motion.viewer.sidestepSpeed, 1.5);
    SendAt(T0 + 4, WM_KEYUP, VK_RIGHT);
    EXPECT_EQ(run.heldKeys.sideKeyHeld, 0);
    EXPECT_EQ(loaded->motion.viewer.sidestepSpeed, 0);
}

TEST_F(ShellTest, ReleasingUpStopsWalkingButNotDriving) {
    for (int mode : {1, 2, 3, 4}) {
        Start(mode);
        SendAt(T0 + 1, WM_KEYDOWN, VK_UP);
        EXPECT_EQ(run.heldKeys.moveKeyHeld, 1);
        loaded->motion.viewer.forwardSpeed = 2.0;
        SendAt(T0 + 2, WM_KEYUP, VK_UP);
        EXPECT_EQ(run.heldKeys.moveKeyHeld, 0);
        EXPECT_EQ(loaded->motion.viewer.forwardSpeed, (mode == 1 || mode == 3) ? 0.0 : 2.0)
            << "view mode " << mode;
        StopHeadlessApp();
    }
    Start();  // for TearDown
}

TEST_F(ShellTest, CtrlSwitchesTheAccelerationAndSpaceFreesTheJump) {
    Start(2);
    EXPECT_EQ(loaded->motion.viewer.currentAcceleration, loaded->scene.driveAcceleration);
    SendAt(T0 + 1, WM_KEYDOWN, VK_CONTROL);
    EXPECT_EQ(run.heldKeys.ctrlHeld, 1);
    EXPECT_EQ(loaded->motion.viewer.currentAcceleration, loaded->scene.boostAcceleration);
    SendAt(T0 + 2, WM_KEYUP, VK_CONTROL);
    EXPECT_EQ(loaded->motion.viewer.currentAcceleration, loaded->scene.driveAcceleration);
    loaded->motion.viewer.jumpSpent = 1;
    SendAt(T0 + 3, WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(run.heldKeys.spaceHeld, 1);
    SendAt(T0 + 4, WM_KEYUP, VK_SPACE);
    EXPECT_EQ(run.heldKeys.spaceHeld, 0);
    EXPECT_EQ(loaded->motion.viewer.jumpSpent, 0);
}

TEST_F(ShellTest, SystemKeysBypassTheKeyTables) {
    Start(1);
    SendAt(T0 + 1, WM_SYSKEYDOWN, VK_UP);
    SendAt(T0 + 2, WM_SYSKEYDOWN, VK_CONTROL);
    EXPECT_EQ(run.heldKeys.upHeld, 0);
    EXPECT_EQ(run.heldKeys.ctrlHeld, 0);
}

TEST_F(ShellTest, ShutdownCanRunTwiceAndStopsDrawing) {
    Start(1);
    SendAt(T0 + 1, WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(run.glContext, nullptr);
    EXPECT_EQ(run.windowDC, 0);
    unsigned long before = run.framesRun;
    ShutdownSequence();  // a second Esc already queued
    FrameAt(T0 + 400);
    EXPECT_EQ(run.framesRun, before) << "no frame draws with a released context";
}
