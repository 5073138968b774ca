// demo_window_test.cpp -- the real programs in a real window on the walk
// demo, driven with xdotool and watched through screenshots: walking,
// turning, mouse look, a jump, pausing, dragging the window, maximising
// and quitting; the second build's sidestep; and a start from a terminal.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/desktop.h"
#include "tests/support/hostile_env.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_scene.h"
#include "tests/support/tool_command.h"
#include "tests/support/xwd_image.h"
#include "tools/lib/scene_writer.h"

namespace {

std::string Program(const char* name) { return ProgramPath(name); }
std::string WalkDemo() { return std::string(AMBLER_SOURCE_DIR) + "/scenes/walk"; }

struct Shot {
    RgbImage screen;
    WindowGeometry geometry;
    RgbImage window;  // the window's part of the screen
};

// Every shot is kept in the test's working folder, named after the test
// and the moment, to show what a failing check saw.
void KeepShot(const std::string& name, const RgbImage& image) {
    std::filesystem::create_directories("demo-window-shots");
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string path = std::string("demo-window-shots/") + (test ? test->name() : "shot") + "-" + name + ".png";
    WritePng(path.c_str(), image);
}

Shot TakeShot(const std::string& window, const std::string& name) {
    Shot shot;
    std::string error;
    EXPECT_TRUE(CaptureScreen(&shot.screen, &error)) << error;
    shot.geometry = GetGeometry(window);
    shot.window = CropImage(shot.screen, shot.geometry.x, shot.geometry.y, shot.geometry.width,
                            shot.geometry.height);
    KeepShot(name, shot.window);
    return shot;
}

// Takes shots until one satisfies want, for up to timeoutMs (scaled as
// the other waits are); the last one. A frame that has to be drawn first
// (the first, one at a new size) comes when the machine gets to it.
Shot AwaitShot(const std::string& window, const std::string& name,
               const std::function<bool(const Shot&)>& want, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs * WindowWaitScale());
    Shot shot = TakeShot(window, name);
    while (!want(shot) && std::chrono::steady_clock::now() < end) {
        PauseMs(100);
        shot = TakeShot(window, name);
    }
    return shot;
}

// Share of the window's pixels that changed between two shots.
double Changed(const Shot& a, const Shot& b) { return CompareImages(a.window, b.window).Share(); }

// The walk demo's sky is light blue and its ground is grey or green: the
// top tenth of a picture of it is mostly blue, the bottom tenth is not.
bool ShowsSkyOverGround(const RgbImage& image) {
    int band = std::max(1, image.height / 10);
    double topBlue = MeanChannel(image, 2, 0, 0, image.width, band);
    double topRed = MeanChannel(image, 0, 0, 0, image.width, band);
    double bottomBlue = MeanChannel(image, 2, 0, image.height - band, image.width, band);
    double bottomRed = MeanChannel(image, 0, 0, image.height - band, image.width, band);
    return topBlue > topRed + 40 && bottomBlue < bottomRed + 25;
}
bool WindowShowsTheDemo(const Shot& shot) { return ShowsSkyOverGround(shot.window); }
bool ScreenShowsTheDemo(const Shot& shot) { return ShowsSkyOverGround(shot.screen); }

bool IsNormalSize(const WindowGeometry& g, int, int) { return g.width == 200 && g.height == 150; }
bool CoversScreen(const WindowGeometry& g, int sw, int sh) {
    return g.width == sw && g.height == sh && g.x == 0 && g.y == 0;
}

std::string Describe(const WindowGeometry& g) {
    return std::to_string(g.width) + "x" + std::to_string(g.height) + "+" + std::to_string(g.x) + "+" +
           std::to_string(g.y);
}

// Holds a key until the picture has moved well away from `from` (a loaded
// machine runs fewer steps in any fixed time), then shows the picture once
// the key is up.
Shot HoldUntilChanged(const std::string& window, const char* key, const Shot& from, const char* name) {
    HoldKey(window, key, true);
    AwaitShot(window, name, [&](const Shot& s) { return Changed(from, s) > 0.3; }, 10000);
    HoldKey(window, key, false);
    PauseMs(200);
    return TakeShot(window, name);
}

// A first walk, end to end, with one of the two programs.
void PlayWalkDemo(const char* programName) {
    // The mouse's first reference is where the cursor is at the start; with
    // the cursor away from the window, no move reaches it before the test's.
    MovePointer(5, 5);
    int pid = StartProgram(Program(programName), WalkDemo());
    std::string window = WaitForWindow(pid, 5000);
    ASSERT_FALSE(window.empty()) << "no window appeared";
    ASSERT_TRUE(WaitForGeometry(window, 3000, IsNormalSize)) << Describe(GetGeometry(window));
    Shot start = AwaitShot(window, "start", WindowShowsTheDemo, 3000);
    EXPECT_TRUE(ShowsSkyOverGround(start.window)) << "the demo is drawn in the window";
    // A window manager's report of a place where the window is not, before
    // any input, as wine can be left with when openbox frames the window
    // late: the pointer must still reach the program (the mouse look and
    // the drag below).
    EXPECT_TRUE(TellWindowItStandsAt(window, 0, 0));

    Shot walked = HoldUntilChanged(window, "Up", start, "walked");
    EXPECT_GT(Changed(start, walked), 0.2) << "holding Up moves the view";

    Shot turned = HoldUntilChanged(window, "Left", walked, "turned");
    EXPECT_GT(Changed(walked, turned), 0.2) << "Left moves the view";
    EXPECT_EQ(Describe(turned.geometry), Describe(walked.geometry)) << "the window stays put";

    // The cursor is hidden and held at the window's centre; every move away
    // from it turns the view.
    int cx = turned.geometry.x + turned.geometry.width / 2, cy = turned.geometry.y + turned.geometry.height / 2;
    for (int k = 0; k < 6; k++) {
        MovePointer(cx + 30, cy);
        PauseMs(80);
    }
    Shot looked = AwaitShot(
        window, "looked", [&](const Shot& shot) { return Changed(turned, shot) > 0.2; }, 3000);
    EXPECT_GT(Changed(turned, looked), 0.2) << "moving the mouse turns the view";

    // A jump lifts the eye for 16 frames (0.64 s) and lands where it left.
    // Each shot waits for its state: a loaded machine may pass the key on
    // late, and the jump then starts late.
    HoldKey(window, "space", true);
    Shot jumping = AwaitShot(
        window, "jumping", [&](const Shot& shot) { return Changed(looked, shot) > 0.1; }, 2000);
    HoldKey(window, "space", false);
    PauseMs(900);
    Shot landed = AwaitShot(
        window, "landed",
        [&](const Shot& shot) { return Changed(looked, shot) < Changed(looked, jumping); }, 2000);
    EXPECT_GT(Changed(looked, jumping), 0.1) << "the view rises during the jump";
    EXPECT_LT(Changed(looked, landed), Changed(looked, jumping)) << "and comes back down";

    // Paused: no frames (the actors stand still), then a drag moves the
    // window, and its picture with it. The pause counts from the first of
    // two shots in a row that agree, however late F2 arrives.
    SendKey(window, "F2");
    PauseMs(300);
    Shot paused = TakeShot(window, "paused"), stillPaused = paused;
    auto pauseWait = std::chrono::steady_clock::now() + std::chrono::milliseconds(3000 * WindowWaitScale());
    do {
        paused = stillPaused;
        PauseMs(300);
        stillPaused = TakeShot(window, "stillPaused");
    } while (Changed(paused, stillPaused) >= 0.001 && std::chrono::steady_clock::now() < pauseWait);
    EXPECT_LT(Changed(paused, stillPaused), 0.001) << "F2 pauses";
    WindowGeometry before = paused.geometry;
    int grabX = before.x + 60, grabY = before.y + 50;
    MovePointer(grabX, grabY);
    PauseMs(100);
    PressLeftButton(true);
    for (int k = 1; k <= 5; k++) {
        MovePointer(grabX + 30 * k, grabY + 20 * k);
        PauseMs(80);
    }
    PressLeftButton(false);
    // The window follows the pointer as the program reads the moves; the
    // last one may still be on its way, and under wine the picture can
    // reach the new place a moment after the frame does.
    Shot dragged = AwaitShot(
        window, "dragged",
        [&](const Shot& shot) {
            return std::abs(shot.geometry.x - before.x - 150) <= 12 &&
                   std::abs(shot.geometry.y - before.y - 100) <= 12 && Changed(paused, shot) < 0.05;
        },
        1000);
    EXPECT_NEAR(dragged.geometry.x - before.x, 150, 12) << Describe(before) << " -> " << Describe(dragged.geometry);
    EXPECT_NEAR(dragged.geometry.y - before.y, 100, 12) << Describe(before) << " -> " << Describe(dragged.geometry);
    EXPECT_LT(Changed(paused, dragged), 0.05) << "the picture moved with the window";
    SendKey(window, "F2");

    // Twice: a restore that leaves the window at full size (wine can take
    // the maximised state away on its own) would show in the second round.
    for (int round = 1; round <= 2; round++) {
        SendKey(window, "F3");
        EXPECT_TRUE(WaitForGeometry(window, 3000, CoversScreen))
            << "F3 maximises (round " << round << "): " << Describe(GetGeometry(window));
        if (round == 1) {
            Shot maximised = AwaitShot(window, "maximised", ScreenShowsTheDemo, 3000);
            KeepShot("maximised-screen", maximised.screen);
            EXPECT_TRUE(ShowsSkyOverGround(maximised.screen)) << "the scene covers the whole screen";
        }
        SendKey(window, "F3");
        EXPECT_TRUE(WaitForGeometry(window, 3000, IsNormalSize))
            << "F3 again restores (round " << round << "): " << Describe(GetGeometry(window));
    }

    SendKey(window, "Escape");
    EXPECT_EQ(WaitForExit(pid, 2000), 0) << "Esc ends the program with status 0";
}

// A scene made to tell a sidestep from a turn: a far red pole a little to
// the left and a near green one straight ahead. Stepping aside shifts the near pole much more
// than the far one; turning shifts both alike.
void WritePoleScene(const std::string& dir) {
    SceneDescription scene;
    CopyDefaultSettings(scene);
    SetSetting(scene, FIELD_viewMode, 1);
    SetSetting(scene, FIELD_sideKeyMode, 1);
    SetSetting(scene, FIELD_fieldOfView, 60);
    SetSetting(scene, FIELD_farPlane, 3000);
    SetSetting(scene, FIELD_startEyeY, -16);
    SetSetting(scene, FIELD_startTargetY, -16);
    SetSetting(scene, FIELD_startTargetZ, -100);
    SetSetting(scene, FIELD_maxWalkSpeed, 2.5);
    SetSetting(scene, FIELD_walkAcceleration, 0.5);
    SetSetting(scene, FIELD_turnStep, 4);
    scene.clear[2] = 0.6;
    auto quad = [&](double x0, double x1, double y0, double y1, double z0, double z1, double r, double g,
                    double b) {
        double xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1}, zs[4] = {z0, z1, z1, z0};
        for (int k = 0; k < 4; k++) {
            SceneFlatVertex v;
            v.red = r;
            v.green = g;
            v.blue = b;
            v.x = xs[k];
            v.y = ys[k];
            v.z = zs[k];
            v.end = k == 3;
            scene.flatVertices.push_back(v);
        }
    };
    // Grey ground, then the poles.
    double gx[4] = {-3000, 3000, 3000, -3000}, gz[4] = {-3000, -3000, 3000, 3000};
    for (int k = 0; k < 4; k++) {
        SceneFlatVertex v;
        v.red = v.green = v.blue = 0.4;
        v.x = gx[k];
        v.z = gz[k];
        v.end = k == 3;
        scene.flatVertices.push_back(v);
    }
    quad(125, 175, 0, -400, -1000, -1000, 1, 0, 0);
    quad(-3, 3, 0, -60, -60, -60, 0, 1, 0);
    ASSERT_TRUE(WriteSceneFile(dir + "/Hod.pro", scene));
}

// Mean column of the pixels of one pure colour (channel high, others low),
// or -1 when there are none.
double ColourColumn(const RgbImage& image, int channel) {
    double sum = 0;
    long count = 0;
    for (int y = 0; y < image.height; y++)
        for (int x = 0; x < image.width; x++) {
            const unsigned char* p = &image.rgb[((size_t)y * image.width + x) * 3];
            bool match = p[channel] > 180;
            for (int c = 0; c < 3; c++)
                if (c != channel && p[c] > 80) match = false;
            if (match) {
                sum += x;
                count++;
            }
        }
    return count >= 5 ? sum / count : -1;
}

struct PoleShift {
    double farBefore, farAfter, nearBefore, nearAfter;
    WindowGeometry before, after;
};

// Holds Left for half a second in the pole scene with the given program.
PoleShift HoldLeftAmongPoles(const char* programName, const std::string& dir) {
    PoleShift shift{};
    MovePointer(5, 5);
    int pid = StartProgram(Program(programName), dir);
    std::string window = WaitForWindow(pid, 5000);
    EXPECT_FALSE(window.empty()) << "no window appeared";
    if (window.empty()) return shift;
    WaitForGeometry(window, 3000, IsNormalSize);
    auto bothPoles = [](const Shot& shot) {
        return ColourColumn(shot.window, 0) >= 0 && ColourColumn(shot.window, 1) >= 0;
    };
    Shot before = AwaitShot(window, std::string(programName) + "-before", bothPoles, 3000);
    // Held until one pole has slid well across (or out of) the picture: a
    // loaded machine runs fewer steps in any fixed time.
    double nearAt = ColourColumn(before.window, 1), farAt = ColourColumn(before.window, 0);
    auto slid = [&](const Shot& shot) {
        double nearNow = ColourColumn(shot.window, 1), farNow = ColourColumn(shot.window, 0);
        return nearNow < 0 || farNow < 0 || std::fabs(nearNow - nearAt) > 45 || std::fabs(farNow - farAt) > 45;
    };
    HoldKey(window, "Left", true);
    AwaitShot(window, std::string(programName) + "-sliding", slid, 10000);
    HoldKey(window, "Left", false);
    PauseMs(200);
    Shot after = TakeShot(window, std::string(programName) + "-after");
    shift = {ColourColumn(before.window, 0), ColourColumn(after.window, 0), ColourColumn(before.window, 1),
             ColourColumn(after.window, 1), before.geometry, after.geometry};
    SendKey(window, "Escape");
    EXPECT_EQ(WaitForExit(pid, 2000), 0);
    return shift;
}

}  // namespace

TEST(DemoWindow, WalkDemoEndToEnd) { PlayWalkDemo("ambler"); }

TEST(DemoWindow, WalkDemoEndToEndKeepingTheSideKeyMode) { PlayWalkDemo("ambler-keep-side-key-mode"); }

TEST(DemoWindow, LeftSidestepsOnlyWhereTheSceneSaysSo) {
    TempDir dir("poles");
    ASSERT_FALSE(dir.path.empty());
    WritePoleScene(dir.path);

    PoleShift kept = HoldLeftAmongPoles("ambler-keep-side-key-mode", dir.path);
    ASSERT_GE(kept.farBefore, 0) << "the far pole is in view at the start";
    ASSERT_GE(kept.nearBefore, 0) << "the near pole is in view at the start";
    EXPECT_EQ(Describe(kept.after), Describe(kept.before)) << "the window stays where it is";
    ASSERT_GE(kept.farAfter, 0) << "a sidestep keeps the far pole in view";
    EXPECT_LT(std::fabs(kept.farAfter - kept.farBefore), 12) << "the far pole hardly moves";
    double nearShift = kept.nearAfter < 0 ? 1e9 : kept.nearAfter - kept.nearBefore;
    EXPECT_GT(nearShift, 20) << "the near pole slides right: the viewer stepped left";

    PoleShift standard = HoldLeftAmongPoles("ambler", dir.path);
    double farShift = standard.farAfter < 0 ? 1e9 : standard.farAfter - standard.farBefore;
    EXPECT_GT(farShift, 40) << "the standard build turns: the far pole swings away with the near one";
}

// Started from a shell, standard input is the terminal: loading must not
// wait for the sizes it would read from a pipe.
TEST(DemoWindow, StartedFromATerminalOpensWithoutWaitingForInput) {
    int master = -1;
    int pid = StartProgramOnTerminal(Program("ambler"), WalkDemo(), &master);
    ASSERT_GT(pid, 0);
    std::string window = WaitForWindow(pid, 5000);
    EXPECT_FALSE(window.empty()) << "the window opened with nothing typed on the terminal";
    if (!window.empty()) SendKey(window, "Escape");
    EXPECT_EQ(WaitForExit(pid, 3000), 0);
    close(master);
}
