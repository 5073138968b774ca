// hostile_env_test.cpp -- the tools in hostile surroundings: quit signals at
// each stage, outputs that cannot be written, a working folder that is
// gone, textures and sizes beyond what the GL draws.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "scene/texture_fit.h"
#include "tests/support/desktop.h"
#include "tests/support/hostile_env.h"
#include "tests/support/replay_harness.h"
#include "tests/support/temp_scene.h"
#include "tools/lib/bitmap_writer.h"
#include "tools/lib/png_image.h"

static const std::string REPLAY = std::string(AMBLER_BIN_DIR) + "/ambler-replay";
static const std::string CHECK = std::string(AMBLER_BIN_DIR) + "/ambler-check";

// A scene folder with one small texture the scene names.
static std::string SmallScene() {
    std::string dir = MakeTempDir();
    WriteSceneNaming(dir, "tex.bmp");
    unsigned char rgb[4 * 4 * 3] = {};
    EXPECT_TRUE(WriteBitmap24((dir + "/tex.bmp").c_str(), rgb, 4, 4));
    return dir;
}

static int RunTool(const std::string& command, std::string* err = nullptr) {
    std::string errPath = MakeTempDir() + "/err";
    int status;
    Shell(command + " 2> '" + errPath + "' < /dev/null", &status);
    if (err) *err = ReadWholeFile(errPath);
    return status;
}

static bool IsCharDevice(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISCHR(info.st_mode);
}

// ---- Quit signals.

TEST(ToolSignals, ReplayStopsBetweenStepsWithCompleteTraceAndSignalStatus) {
    std::string scene = SmallScene(), work = MakeTempDir();
    for (int sig : {SIGTERM, SIGINT}) {
        std::string trace = work + "/trace" + std::to_string(sig);
        Started run = StartIn(scene, {REPLAY, scene, "--steps", "100000000", "--trace", trace},
                              false, work + "/err");
        for (int waited = 0; waited < 10000 && ReadWholeFile(trace).size() < 20000; waited += 20)
            PauseMs(20);  // well into the steps
        double ms;
        EXPECT_EQ(SignalAndWait(run, sig, 3000, &ms), 128 + sig);
        printf("ambler-replay, signal %d during the steps: ended %.0f ms after it\n", sig, ms);
        EXPECT_LT(ms, 1000);
        std::string text = ReadWholeFile(trace);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\n') << "the trace ends with a whole record";
        TraceStep last;
        EXPECT_TRUE(ParseTraceLine(text.substr(text.rfind('\n', text.size() - 2) + 1), &last));
        EXPECT_NE(ReadWholeFile(work + "/err").find("stopped by signal"), std::string::npos);
    }
}

// A step that outlasts the grace (held here at its record; on a loaded
// machine, merely slow): the forced end leaves whole records only.
TEST(ToolSignals, ReplayStuckInAStepEndsItsTraceAfterTheLastWholeRecord) {
    std::string scene = SmallScene(), work = MakeTempDir();
    std::string trace = work + "/trace", held = work + "/held";
    ASSERT_TRUE(SaveTextFile(trace, ""));  // the hold knows the file by its inode
    Started run = StartIn(scene, {REPLAY, scene, "--steps", "1000", "--trace", trace}, false,
                          "/dev/null", HoldEnvironment(trace, "fputs", 30, held));
    ASSERT_TRUE(WaitForHold(held)) << "the replay reached its 31st record";
    double ms;
    EXPECT_EQ(SignalAndWait(run, SIGINT, 3000, &ms), 128 + SIGINT);
    EXPECT_LT(ms, 1000);
    std::string text = ReadWholeFile(trace);
    ASSERT_FALSE(text.empty()) << "the records before the stuck step are out";
    EXPECT_EQ(text.back(), '\n') << "the trace ends with a whole record";
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 30);
    TraceStep last;
    EXPECT_TRUE(ParseTraceLine(text.substr(text.rfind('\n', text.size() - 2) + 1), &last));
    EXPECT_EQ(last.step, 29);
}

TEST(ToolSignals, ReplayWaitingOnStandardInputEndsAndCheckEndsWhileDecoding) {
    std::string scene = SmallScene();
    Started waiting = StartIn(scene, {REPLAY, scene, "--steps", "5"}, true);
    PauseMs(500);
    double ms;
    EXPECT_EQ(SignalAndWait(waiting, SIGTERM, 3000, &ms), 128 + SIGTERM);
    printf("ambler-replay, SIGTERM while standard input sends nothing: ended after %.0f ms\n", ms);
    EXPECT_LT(ms, 1000);

    // A 100 MB picture whose reader is held after its first chunk: the check
    // is still at it however fast the machine reads.
    std::string giant = MakeTempDir();
    WriteSceneNaming(giant, "giant.bmp");
    WriteGiantBitmap(giant + "/giant.bmp", 1, 1 << 25);
    std::string held = giant + "/held";
    Started check = StartIn(giant, {CHECK, giant}, false, "/dev/null",
                            HoldEnvironment(giant + "/giant.bmp", "read", 1, held));
    EXPECT_TRUE(WaitForHold(held)) << "the check reached the bitmap";
    EXPECT_EQ(SignalAndWait(check, SIGTERM, 3000, &ms), 128 + SIGTERM);
    printf("ambler-check, SIGTERM while decoding: ended after %.0f ms\n", ms);
    EXPECT_LT(ms, 500);
}

// ---- Outputs that cannot be written.

TEST(ToolOutputs, ReplayFailsForUnwritableShotOrTraceAndForShotsThatNeverCame) {
    std::string scene = SmallScene(), work = MakeTempDir();
    std::string err;
    std::string base = REPLAY + " '" + scene + "' --steps 3";
    EXPECT_EQ(RunTool(base + " --shot 1:/dev/full", &err), 1);
    EXPECT_NE(err.find("cannot write /dev/full"), std::string::npos) << err;
    EXPECT_TRUE(IsCharDevice("/dev/full")) << "a device node is never replaced or removed";

    EXPECT_EQ(RunTool(base + " --trace /dev/full", &err), 1);
    EXPECT_NE(err.find("cannot write the trace to /dev/full"), std::string::npos) << err;
    EXPECT_EQ(RunTool(base + " --trace - > /dev/full", &err), 1);
    EXPECT_NE(err.find("standard output"), std::string::npos) << err;

    EXPECT_EQ(RunTool(base + " --shot 7:" + work + "/late.png", &err), 1);
    EXPECT_NE(err.find("step 7 never ran"), std::string::npos) << err;
    EXPECT_FALSE(FileExists(work + "/late.png"));
    EXPECT_EQ(RunTool(base + " --shot 1:" + work + "/missing-folder/a.png", &err), 1);
    EXPECT_EQ(RunTool(base + " --shot 1:" + work, &err), 1) << "a folder is no picture";

    EXPECT_EQ(RunTool(base + " --shot 1:/dev/null --trace /dev/null", &err), 0)
        << "a device that takes the bytes is written in place: " << err;
    EXPECT_TRUE(IsCharDevice("/dev/null"));
}

// The old picture stays, whole, when a new one cannot be written: the write
// is cut short by a file size limit (the tests run as root, which no file
// permission stops).
TEST(ToolOutputs, FailedPngWriteLeavesWhatWasThereAndNoTemporary) {
    std::string scene = SmallScene(), work = MakeTempDir();
    std::string shot = work + "/shot.png", bmp = work + "/big.bmp", out = work + "/decoded.png";
    ASSERT_TRUE(SaveTextFile(shot, "previous shot"));
    ASSERT_TRUE(SaveTextFile(out, "previous decode"));
    std::vector<unsigned char> noise(256 * 256 * 3);
    for (size_t k = 0; k < noise.size(); k++) noise[k] = (unsigned char)(k * 7919 >> 3);
    ASSERT_TRUE(WriteBitmap24(bmp.c_str(), noise.data(), 256, 256));
    std::string limit = "trap '' XFSZ; ulimit -f 1; ";
    std::string err;
    EXPECT_EQ(RunTool("bash -c \"" + limit + REPLAY + " '" + scene + "' --size 400x300 --steps 2 --shot 1:" +
                  shot + "\"", &err), 1);
    EXPECT_NE(err.find("cannot write " + shot), std::string::npos) << err;
    EXPECT_EQ(ReadWholeFile(shot), "previous shot");
    EXPECT_EQ(RunTool("bash -c \"" + limit + CHECK + " --decode " + bmp + " " + out + "\"", &err), 2);
    EXPECT_EQ(ReadWholeFile(out), "previous decode");
    EXPECT_EQ(Shell("ls -A '" + work + "'"), "big.bmp\ndecoded.png\nshot.png\n")
        << "no temporary file is left behind";

    // Without the limit both go through, replacing the old files whole.
    EXPECT_EQ(RunTool(CHECK + " --decode " + bmp + " " + out), 0);
    RgbImage decoded;
    ASSERT_TRUE(ReadPng(out.c_str(), &decoded, nullptr));
    EXPECT_EQ(decoded.width, 256);
    EXPECT_EQ(decoded.rgb[0], noise[255 * 256 * 3]) << "upright: the bitmap's top row first";
}

TEST(ToolOutputs, CheckReportAndDecodeFailuresAreFailures) {
    std::string scene = SmallScene(), err;
    EXPECT_EQ(RunTool(CHECK + " '" + scene + "' > /dev/full", &err), 2);
    EXPECT_NE(err.find("cannot write the report"), std::string::npos) << err;
    EXPECT_EQ(RunTool(CHECK + " --decode '" + scene + "/tex.bmp' /dev/full", &err), 2);
    EXPECT_NE(err.find("No space left"), std::string::npos) << err;
    EXPECT_TRUE(IsCharDevice("/dev/full"));
}

// The working folder matters only for relative paths: from a folder that
// was deleted, absolute ones still work and relative ones are refused.
TEST(ToolOutputs, ReplayNeedsTheWorkingFolderOnlyForRelativePaths) {
    std::string scene = SmallScene(), work = MakeTempDir(), gone = MakeTempDir() + "/gone";
    std::string err;
    std::string inGone = "mkdir '" + gone + "' && cd '" + gone + "' && rmdir '" + gone + "' && ";
    EXPECT_EQ(RunTool("bash -c \"" + inGone + REPLAY + " '" + scene + "' --steps 2 --trace " + work +
                  "/t.jsonl --shot 1:" + work + "/s.png\"", &err), 0) << err;
    EXPECT_TRUE(FileExists(work + "/s.png"));
    EXPECT_EQ(RunTool("bash -c \"" + inGone + REPLAY + " '" + scene + "' --steps 2 --trace t.jsonl\"",
                  &err), 2);
    EXPECT_NE(err.find("working folder"), std::string::npos) << err;
}

// ---- Sizes beyond what the GL draws.

TEST(GiantSizes, TexturesBeyondTheGLAreScaledDownAndTheCheckWarns) {
    // A valid 1 x 33,554,432 bitmap once crashed the mipmap builder.
    std::string dir = MakeTempDir();
    WriteSceneNaming(dir, "giant.bmp");
    WriteGiantBitmap(dir + "/giant.bmp", 1, 1 << 25);
    ReplayResult r = RunReplayTool(dir, 3, "1 size 32767 32767\n", "--shot 2:" + dir + "/s.png");
    EXPECT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 3u);
    EXPECT_TRUE(r.steps[2].ran) << "frames go on after the giant texture and the giant resize";
    RgbImage shot;
    ASSERT_TRUE(ReadPng((dir + "/s.png").c_str(), &shot, nullptr));
    EXPECT_EQ(shot.width, 200) << "the headless window keeps its size";

    std::string out = Shell(CHECK + " '" + dir + "'");
    EXPECT_NE(out.find("1 x 33554432 is more than many GL drivers hold"), std::string::npos) << out;
    EXPECT_NE(out.find("1 warning"), std::string::npos) << out;
}

TEST(GiantSizes, ScalingDownAveragesTheCoveredPixelsAndKeepsFittingSizes) {
    int w, h;
    FittedTextureSize(1, 1 << 25, 16384, &w, &h);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 16384);
    FittedTextureSize(300, 200, 16384, &w, &h);
    EXPECT_EQ(w, 300) << "a texture that fits is left alone";
    EXPECT_EQ(h, 200);

    // 5 x 3 to 2 x 2: the spans [0,2) [2,5) across and [0,1) [1,3) down
    // cover every source pixel once; each channel is the rounded mean.
    unsigned char rgb[5 * 3 * 3];
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 5; x++)
            for (int c = 0; c < 3; c++) rgb[(y * 5 + x) * 3 + c] = (unsigned char)(10 * x + 60 * y + c);
    std::vector<unsigned char> out = ScaleImageDown(rgb, 5, 3, 2, 2);
    ASSERT_EQ(out.size(), 12u);
    EXPECT_EQ(out[0], 5);                      // x 0..1, y 0: (0 + 10) / 2
    EXPECT_EQ(out[3], 30);                     // x 2..4, y 0: (20 + 30 + 40) / 3
    EXPECT_EQ(out[6], 95);                     // x 0..1, y 1..2: 5 + (60 + 120) / 2
    EXPECT_EQ(out[9 + 2], 30 + 90 + 2);        // x 2..4, y 1..2, blue
    std::vector<unsigned char> same = ScaleImageDown(rgb, 5, 3, 5, 3);
    EXPECT_TRUE(std::equal(same.begin(), same.end(), rgb)) << "no scaling, no change";
}
