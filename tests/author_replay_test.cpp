// author_replay_test.cpp -- the added keys through the replay tool on the
// demo scenes: F12's picture is the frame without its notice, F1's help
// shows and hides without changing the motion or the following frames, the
// events file knows the new keys, and the help fits the smallest window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/author.h"
#include "platform/platform.h"
#include "render/text_overlay.h"
#include "scene/scene.h"
#include "tests/support/image_compare.h"
#include "tests/support/replay_harness.h"
#include "tests/support/temp_scene.h"
#include "tests/support/tool_command.h"
#include "tools/lib/replay_events.h"

namespace {

// A copy of a demo scene in a fresh folder, so that screenshots land there.
std::string CopyDemo(const std::string& name) {
    std::string dir = MakeTempDir();
    std::filesystem::copy(std::string(AMBLER_SOURCE_DIR) + "/scenes/" + name, dir,
                          std::filesystem::copy_options::recursive);
    return dir;
}

RgbImage ReadImage(const std::string& path) {
    RgbImage image;
    std::string error;
    EXPECT_TRUE(ReadPng(path.c_str(), &image, &error)) << path << ": " << error;
    return image;
}

bool SamePixels(const RgbImage& a, const RgbImage& b) {
    return a.width == b.width && a.height == b.height && a.rgb == b.rgb;
}

// Walking and turning on every demo, so the shots show motion; the runs
// with the added keys interleave them with these events.
const char MOTION[] = "0 down up\n4 down left\n6 up left\n";

TEST(AuthorReplay, ScreenshotIsTheFrameWithoutItsNotice) {
    for (const char* demo : {"walk", "drive"}) {
        SCOPED_TRACE(demo);
        std::string dir = CopyDemo(demo);
        std::string plainShot = dir + "/plain.png", keyedShot = dir + "/keyed.png";
        ReplayResult plain =
            RunReplayTool(dir, 9, MOTION, "--size 320x240 --shot 5:" + plainShot);
        ReplayResult keyed = RunReplayTool(dir, 9, "0 down up\n4 down left\n5 down f12\n6 up left\n8 down f12\n",
                                           "--size 320x240 --shot 5:" + keyedShot);
        ASSERT_EQ(keyed.status, 0) << keyed.errors;
        EXPECT_EQ(plain.traceText, keyed.traceText) << "F12 changes nothing in the motion";
        ASSERT_TRUE(FileExists(dir + "/ambler-0001.png")) << keyed.errors;
        EXPECT_TRUE(FileExists(dir + "/ambler-0002.png")) << "the next free number";
        // The folder as the system names it (on Windows a drive and backslashes).
        EXPECT_NE(keyed.errors.find("saved "), std::string::npos) << keyed.errors;
        EXPECT_NE(keyed.errors.find("/ambler-0001.png\n"), std::string::npos) << keyed.errors;
        RgbImage screenshot = ReadImage(dir + "/ambler-0001.png");
        EXPECT_TRUE(SamePixels(screenshot, ReadImage(plainShot)))
            << "the screenshot is the frame as drawn without F12";
        EXPECT_FALSE(SamePixels(ReadImage(keyedShot), ReadImage(plainShot)))
            << "the window shows where it went";
        EXPECT_EQ(screenshot.width, 320);
        EXPECT_EQ(screenshot.height, 240);
    }
}

TEST(AuthorReplay, HelpShowsAndHidesWithoutChangingMotionOrLaterFrames) {
    for (const char* demo : {"walk", "follow", "drive", "chase"}) {
        SCOPED_TRACE(demo);
        std::string dir = CopyDemo(demo);
        std::string shots = " --shot 4:" + dir + "/shown.png --shot 8:" + dir + "/after.png";
        ReplayResult plain = RunReplayTool(dir, 9, MOTION, "--shot 4:" + dir + "/plain4.png --shot 8:" +
                                                               dir + "/plain8.png");
        ReplayResult help = RunReplayTool(dir, 9, "0 down up\n2 down f1\n4 down left\n6 up left\n7 down f1\n", shots);
        ASSERT_EQ(help.status, 0) << help.errors;
        EXPECT_EQ(plain.traceText, help.traceText) << "the overlay changes nothing in the motion";
        RgbImage shown = ReadImage(dir + "/shown.png"), plain4 = ReadImage(dir + "/plain4.png");
        EXPECT_GT(CompareImages(shown, plain4).Share(), 0.05) << "the help covers part of the frame";
        EXPECT_TRUE(SamePixels(ReadImage(dir + "/after.png"), ReadImage(dir + "/plain8.png")))
            << "once hidden, frames are bit-identical to a run that never showed it";
    }
}

TEST(AuthorReplay, EventsFileNamesTheAddedKeys) {
    std::vector<ReplayEvent> events;
    std::string error;
    const char text[] = "0 down f1\n0 down shift\n1 down f5\n1 up shift\n2 down f12\n";
    ASSERT_TRUE(ParseReplayEvents(text, sizeof text - 1, &events, &error)) << error;
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].key, (unsigned)VK_F1);
    EXPECT_EQ(events[1].key, (unsigned)VK_SHIFT);
    EXPECT_EQ(events[2].key, (unsigned)VK_F5);
    EXPECT_EQ(events[3].kind, EV_UP);
    EXPECT_EQ(events[4].key, (unsigned)VK_F12);
}

TEST(AuthorReplay, ReloadOfAnUnchangedSceneKeepsTheViewerAndRestartsActors) {
    // F5 on an unchanged file: the viewer goes on from where it was, and
    // Shift+F5 puts it back at the start; either way the actors start again.
    std::string dir = CopyDemo("walk");
    ReplayResult kept = RunReplayTool(dir, 8, "0 down up\n4 down f5\n");
    ReplayResult restarted = RunReplayTool(dir, 8, "0 down up\n4 down shift\n4 down f5\n");
    ASSERT_EQ(kept.status, 0) << kept.errors;
    ASSERT_EQ(kept.steps.size(), 8u);
    ASSERT_EQ(restarted.steps.size(), 8u);
    EXPECT_EQ(kept.steps[4]["viewerZ"], kept.steps[3]["viewerZ"]) << "no frame runs in the reload's step";
    EXPECT_NE(kept.steps[5]["viewerZ"], kept.steps[0]["viewerZ"]);
    ReplayResult idle = RunReplayTool(dir, 1, "");
    ASSERT_EQ(idle.steps.size(), 1u);
    EXPECT_EQ(restarted.steps[4]["viewerZ"], idle.steps[0]["viewerZ"]);
    EXPECT_EQ(restarted.steps[4]["heading"], idle.steps[0]["heading"]);
    ASSERT_FALSE(idle.steps[0].actors.empty());
    EXPECT_EQ(restarted.steps[5].actors, idle.steps[0].actors)
        << "actors start again: the first frame after the reload moves them as the first frame did";
    EXPECT_EQ(kept.steps[5].actors, idle.steps[0].actors) << "with a plain F5 too";
    EXPECT_NE(kept.steps[4]["viewerZ"], idle.steps[0]["viewerZ"]) << "plain F5 stays where it was";
}

TEST(AuthorReplay, ReloadOfABrokenFileKeepsTheScene) {
    // The report names the file, line and column, and the running scene
    // goes on as if no F5 had come.
    std::string dir = CopyDemo("walk");
    // The last field of the file broken: everything else, the actors too, loads.
    std::ifstream in(dir + "/Hod.pro", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text.erase(text.find_last_not_of('\n'));
    WriteTextFile(dir + "/Hod.pro", text + "q\n");
    ReplayResult still = RunReplayTool(dir, 6, "0 down up\n");
    ReplayResult reloaded = RunReplayTool(dir, 6, "0 down up\n2 down f5\n");
    ASSERT_EQ(reloaded.status, 0) << reloaded.errors;
    EXPECT_NE(reloaded.errors.find("Hod.pro:24376:21: error: malformed number \"q\""),
              std::string::npos)
        << reloaded.errors;
    EXPECT_EQ(reloaded.errors.find("could not run"), std::string::npos) << reloaded.errors;
    ASSERT_EQ(reloaded.steps.size(), 6u);
    ASSERT_EQ(still.steps.size(), 6u);
    EXPECT_EQ(reloaded.steps[5]["viewerZ"], still.steps[5]["viewerZ"]);
    EXPECT_EQ(reloaded.steps[5].actors, still.steps[5].actors) << "the actors did not start again";
}

struct TracedRun {
    int status = -1;
    std::string errors;
    std::vector<std::string> started;  // the calls that started a process
    int execs = 0;
};

// Runs the replay tool under strace on the walk demo with events.
TracedRun TraceProcesses(const std::string& dir, const std::string& events) {
    TracedRun run;
    std::string work = MakeTempDir();
    WriteTextFile(work + "/events.txt", events);
    std::string command = "strace -f -qq -e trace=process -o '" + work + "/strace.txt' " +
                          ToolCommand("ambler-replay") + " '" + dir + "' --steps 6 --events '" +
                          work + "/events.txt' --trace '" + work + "/trace.jsonl' < /dev/null 2> '" +
                          work + "/stderr.txt'";
    run.status = std::system(command.c_str());
    run.errors = ReadWholeFile(work + "/stderr.txt");
    std::istringstream lines(ReadWholeFile(work + "/strace.txt"));
    RemoveTree(work);
    for (std::string line; std::getline(lines, line);) {
        run.execs += line.find("execve(") != std::string::npos;
        bool creates = line.find(" fork(") != std::string::npos || line.find(" vfork(") != std::string::npos ||
                       line.find(" clone(") != std::string::npos || line.find(" clone3(") != std::string::npos;
        if (creates && line.find("CLONE_THREAD") == std::string::npos) run.started.push_back(line);
    }
    return run;
}

// A reload reads the new scene in the program's own process: strace sees
// no more processes started in a run with two F5s than in one without
// (the libraries may start their own helpers at start-up). Threads are
// clones too, but with CLONE_THREAD.
TEST(AuthorReplay, ReloadStartsNoProcess) {
    if (std::getenv("AMBLER_REPLAY")) GTEST_SKIP() << "the replay tool runs under another system";
    if (std::system("strace -V > /dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
    std::string dir = CopyDemo("walk");
    TracedRun plain = TraceProcesses(dir, "0 down up\n");
    if (plain.status != 0 && plain.errors.find("strace") != std::string::npos)
        GTEST_SKIP() << "strace cannot trace here: " << plain.errors;
    TracedRun reloads = TraceProcesses(dir, "0 down up\n2 down f5\n3 up f5\n4 down f5\n");
    ASSERT_EQ(plain.status, 0) << plain.errors;
    ASSERT_EQ(reloads.status, 0) << reloads.errors;
    size_t reloaded = 0;
    for (size_t at = 0; (at = reloads.errors.find("reloaded Hod.pro", at)) != std::string::npos; at++)
        reloaded++;
    EXPECT_EQ(reloaded, 2u) << reloads.errors;
    EXPECT_EQ(reloads.execs, plain.execs);
    EXPECT_EQ(reloads.started.size(), plain.started.size())
        << (reloads.started.empty() ? "" : reloads.started.back());
}

TEST(HelpText, FitsTheSmallestWindowInEveryViewModeAndGrowsWithTheWindow) {
    auto scene = std::make_unique<Scene>();
    for (int mode = 1; mode <= 4; mode++)
        for (int side = 1; side <= 2; side++) {
            scene->viewMode = mode;
            scene->sideKeyMode = side;
            std::vector<std::string> lines = HelpLines(*scene);
            ASSERT_GE(lines.size(), 6u);
            EXPECT_LE(lines.size() * TEXT_LINE_HEIGHT + 6, 150.0) << "mode " << mode;
            for (const std::string& line : lines)
                EXPECT_LE(TextWidth(line) + 6, 200.0) << "mode " << mode << ": " << line;
            bool sidestep = false;
            for (const std::string& line : lines) sidestep |= line.find("sidestep") != std::string::npos;
            EXPECT_EQ(sidestep, side == 1 && (mode == 1 || mode == 3)) << "mode " << mode;
        }
    EXPECT_EQ(OverlayTextScale(200, 150), 1.0);
    EXPECT_EQ(OverlayTextScale(120, 90), 1.0) << "never below one pixel per font unit";
    EXPECT_EQ(OverlayTextScale(640, 480), 3.0);
    EXPECT_EQ(OverlayTextScale(1920, 1080), 4.0);
}

TEST(HelpText, WrapKeepsEveryWordWithinTheWidth) {
    std::string text = "Hod.pro:10:1: error: malformed number \"oops\" in fieldOfView; reading stops here";
    std::vector<std::string> lines = WrapText(text, 120);
    ASSERT_GT(lines.size(), 1u);
    std::string joined;
    for (const std::string& line : lines) {
        EXPECT_LE(TextWidth(line), 120.0) << line;
        joined += (joined.empty() ? "" : " ") + line;
    }
    EXPECT_EQ(joined, text);
    std::vector<std::string> cut = WrapText(std::string(80, 'W'), 50);
    ASSERT_GT(cut.size(), 1u);
    size_t total = 0;
    for (const std::string& line : cut) {
        EXPECT_LE(TextWidth(line), 50.0);
        total += line.size();
    }
    EXPECT_EQ(total, 80u) << "an overlong word is cut, not lost";
}

}  // namespace
