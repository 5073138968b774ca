// author_window_test.cpp -- the real program in a real window, opened by
// path from elsewhere with --watch: a save by rename shows without a
// restart, a broken save keeps the scene and is reported with its line and
// column, F12 writes the picture, F1 shows the help and hides it, and a
// folder without a scene says what to do.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "scene/scene.h"
#include "tests/support/desktop.h"
#include "tests/support/tool_command.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_scene.h"
#include "tests/support/xwd_image.h"
#include "tests/walk_scene.h"

namespace {

// Starts ambler with arguments from the root folder, stdin from /dev/null
// and stderr into errPath.
int StartAmbler(const std::vector<std::string>& args, const std::string& errPath) {
    // or its stand-in in the Windows pass
    return StartProgramLogged(ProgramPath("ambler"), args, errPath);
}

RgbImage WindowPicture(const std::string& window) {
    RgbImage screen;
    std::string error;
    EXPECT_TRUE(CaptureScreen(&screen, &error)) << error;
    WindowGeometry g = GetGeometry(window);
    return CropImage(screen, g.x, g.y, g.width, g.height);
}

// Window pictures until want holds or timeoutMs (scaled as the other waits
// are) pass; the last one. Each change shows once the program has drawn a
// frame after it, which a loaded machine may take a while to do.
RgbImage AwaitPicture(const std::string& window, const std::function<bool(const RgbImage&)>& want,
                      int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs * WindowWaitScale());
    RgbImage picture = WindowPicture(window);
    while (!want(picture) && std::chrono::steady_clock::now() < end) {
        PauseMs(100);
        picture = WindowPicture(window);
    }
    return picture;
}

// True when every pixel is the same: a clear scene with no line over it.
bool IsUniform(const RgbImage& image) {
    for (size_t k = 3; k < image.rgb.size(); k++)
        if (image.rgb[k] != image.rgb[k % 3]) return false;
    return !image.rgb.empty();
}

// Mean of a channel over the whole picture.
double Mean(const RgbImage& image, int channel) {
    return MeanChannel(image, channel, 0, 0, image.width, image.height);
}

// A scene of nothing but its clear colour.
std::string ClearScene(double r, double g, double b) {
    SceneDescription scene;
    CopyDefaultSettings(scene);
    for (const auto& [name, value] : WalkSceneBase()) SetSettingByName(scene, name, value);
    scene.clear[0] = r;
    scene.clear[1] = g;
    scene.clear[2] = b;
    return FormatScene(scene);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(AuthorWindow, WatchReloadsSavesScreenshotsAndHelp) {
    TempDir dir("author-window");
    TempDir logs("author-window-log");
    std::string err = logs.File("stderr");
    ASSERT_TRUE(SaveTextFile(dir.File("Hod.pro"), ClearScene(1, 0, 0)));
    MovePointer(5, 5);
    int pid = StartAmbler({"--watch", dir.File("Hod.pro")}, err);
    std::string window = WaitForWindow(pid, 5000);
    ASSERT_FALSE(window.empty()) << "no window appeared";
    RgbImage red = AwaitPicture(window, [](const RgbImage& p) { return Mean(p, 0) > 200; }, 3000);
    EXPECT_GT(Mean(red, 0), 200) << "the scene was read from the folder named";
    EXPECT_LT(Mean(red, 2), 50);

    // A save by rename, as editors make it: the window turns blue by itself.
    std::string blueText = ClearScene(0, 0, 1);
    ASSERT_TRUE(SaveTextFile(dir.File("Hod.pro.tmp"), blueText));
    auto saved = std::chrono::steady_clock::now();
    ASSERT_EQ(rename(dir.File("Hod.pro.tmp").c_str(), dir.File("Hod.pro").c_str()), 0);
    RgbImage blue;
    do {
        blue = WindowPicture(window);
    } while (Mean(blue, 2) < 200 && SecondsSince(saved) < 5 * WindowWaitScale());
    std::printf("save to the new picture on screen: %.0f ms (screen captures included)\n",
                1000 * SecondsSince(saved));
    EXPECT_GT(Mean(blue, 2), 200) << "the saved edit appears without a restart";
    EXPECT_LT(Mean(blue, 0), 50);

    // A broken save: the blue scene stays and the problem names its place.
    ASSERT_TRUE(SaveTextFile(dir.File("Hod.pro.tmp"), "0\n0\nzero\n"));
    ASSERT_EQ(rename(dir.File("Hod.pro.tmp").c_str(), dir.File("Hod.pro").c_str()), 0);
    // The check runs in a process of its own: under wine its start alone can take a second.
    std::string log;
    for (int waited = 0; waited < 5000 * WindowWaitScale(); waited += 100) {
        log = ReadWholeFile(err);
        if (log.find(": error") != std::string::npos) break;
        PauseMs(100);
    }
    // The folder by name, in the system's own form (on Windows a drive and backslashes).
    std::string folder = dir.path.substr(dir.path.rfind('/') + 1);
    EXPECT_NE(log.find(folder + "/Hod.pro:3:1: error"), std::string::npos) << log;
    // The summary reaches the window with the next frame.
    RgbImage kept = AwaitPicture(
        window, [&](const RgbImage& p) { return CompareImages(p, blue).Share() > 0.02; }, 2000);
    EXPECT_GT(MeanChannel(kept, 2, 0, 0, kept.width, kept.height / 2), 200)
        << "the old scene keeps running above the one-line summary";
    EXPECT_GT(CompareImages(kept, blue).Share(), 0.02) << "the summary shows in the window";

    // Fixed again (the summary goes with the reload); then F12 writes the
    // window's picture into the scene folder.
    ASSERT_TRUE(SaveTextFile(dir.File("Hod.pro"), blueText));
    auto showsBlueAlone = [](const RgbImage& p) { return IsUniform(p) && Mean(p, 2) > 250; };
    AwaitPicture(window, showsBlueAlone, 5000);
    SendKey(window, "F12");
    for (int waited = 0; waited < 5000 * WindowWaitScale(); waited += 100) {
        if (ReadWholeFile(err).find("ambler-0001.png") != std::string::npos) break;
        PauseMs(100);
    }
    RgbImage shot;
    std::string error;
    ASSERT_TRUE(ReadPng(dir.File("ambler-0001.png").c_str(), &shot, &error)) << error << ReadWholeFile(err);
    EXPECT_EQ(shot.width, 200);
    EXPECT_EQ(shot.height, 150);
    EXPECT_GT(Mean(shot, 2), 250) << "all scene, no notice in the picture";
    EXPECT_LT(Mean(shot, 0), 5);
    EXPECT_NE(ReadWholeFile(err).find(folder + "/ambler-0001.png"), std::string::npos);
    EXPECT_NE(ReadWholeFile(err).find("saved "), std::string::npos);

    // F1 shows the help over the scene and F1 hides it again, once the
    // screenshot's notice has gone (after three seconds).
    RgbImage before = AwaitPicture(window, showsBlueAlone, 10000);
    SendKey(window, "F1");
    RgbImage help = AwaitPicture(
        window, [&](const RgbImage& p) { return CompareImages(before, p).Share() > 0.1; }, 2000);
    SendKey(window, "F1");
    RgbImage after = AwaitPicture(
        window, [&](const RgbImage& p) { return CompareImages(before, p).differing == 0; }, 2000);
    EXPECT_GT(CompareImages(before, help).Share(), 0.1) << "the help covers part of the window";
    EXPECT_GT(MeanChannel(help, 0, 0, 0, help.width, help.height / 2), 10) << "white text over blue";
    EXPECT_EQ(CompareImages(before, after).differing, 0) << "and leaves nothing behind";

    SendKey(window, "Escape");
    EXPECT_EQ(WaitForExit(pid, 5000), 0) << ReadWholeFile(err);
}

TEST(AuthorWindow, AFolderWithoutASceneSaysWhatToDo) {
    TempDir dir("author-window-empty");
    TempDir logs("author-window-log");
    MovePointer(5, 5);
    int pid = StartAmbler({dir.path}, logs.File("stderr"));
    std::string window = WaitForWindow(pid, 5000);
    ASSERT_FALSE(window.empty()) << "no window appeared";
    EXPECT_TRUE(FileExists(dir.File("Hod.pro"))) << "the empty scene is made in the folder named";
    auto notice = [](const RgbImage& p) {
        int third = p.height / 3;
        return MeanChannel(p, 0, 0, p.height - third, p.width, third) > 10;
    };
    RgbImage picture = AwaitPicture(window, notice, 3000);
    int band = picture.height / 3;
    EXPECT_GT(MeanChannel(picture, 0, 0, picture.height - band, picture.width, band), 10)
        << "a notice at the bottom of the empty (black) scene";
    EXPECT_LT(MeanChannel(picture, 0, 0, 0, picture.width, band), 2) << "nothing else is drawn";
    SendKey(window, "Escape");
    EXPECT_EQ(WaitForExit(pid, 5000), 0) << ReadWholeFile(logs.File("stderr"));
}

}  // namespace
