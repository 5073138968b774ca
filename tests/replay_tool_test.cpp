// replay_tool_test.cpp -- the replay tool's command line, events file,
// trace records and shots.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "tests/support/replay_harness.h"
#include "tests/support/tool_command.h"
#include "tools/lib/png_image.h"

static const char* VIEWER_FIELDS[] = {
    "viewerX", "viewerEyeY", "viewerZ", "heading", "viewAngle", "moveAngle", "lookTargetX",
    "lookTargetY", "lookTargetZ", "tilt", "turnDelta", "forwardSpeed", "sidestepSpeed",
    "walkedX", "walkedZ", "blocked", "walkProbePhase", "walkDeflection", "sidestepProbePhase",
    "sidestepDeflection", "crouchOffset", "jumpOffset", "jumpRising", "jumpFalling", "jumpSpent",
    "followHeading", "avatarPose", "observerX", "observerY", "observerZ", "boomLength",
    "boomRestLength", "bodyPitch", "bodyPitchPeak", "bodyRoll", "engineShake", "braking",
    "fastDriving", "driftTurn", "pauseState"};

// Runs the tool with its own arguments; returns the exit status and output.
static int Tool(const std::string& args, std::string* out, std::string* err = nullptr) {
    std::string dir = MakeTempDir();
    std::string cmd = ToolCommand("ambler-replay") + " " + args + " 2> " + dir +
                      "/err < /dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    char buf[4096];
    size_t n;
    out->clear();
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out->append(buf, n);
    int status = pclose(p);
    if (err) {
        FILE* e = fopen((dir + "/err").c_str(), "r");
        err->clear();
        while (e && (n = fread(buf, 1, sizeof buf, e)) > 0) err->append(buf, n);
        if (e) fclose(e);
    }
    return WEXITSTATUS(status);
}

TEST(ReplayTool, EmptySceneTracesEveryFieldOfEveryStep) {
    std::string dir = MakeTempDir();
    std::string out;
    ASSERT_EQ(Tool(dir + " --steps 3 --trace -", &out), 0);
    std::istringstream lines(out);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        TraceStep s;
        ASSERT_TRUE(ParseTraceLine(line, &s)) << line;
        EXPECT_EQ(s.step, count);
        EXPECT_TRUE(s.ran) << "every step passes the pacing";
        for (const char* f : VIEWER_FIELDS) EXPECT_EQ(s.v.count(f), 1u) << f;
        EXPECT_EQ(s.v.size(), sizeof VIEWER_FIELDS / sizeof *VIEWER_FIELDS);
        EXPECT_TRUE(s.actors.empty());
        EXPECT_NE(line.find("\"actors\": []"), std::string::npos);
        count++;
    }
    EXPECT_EQ(count, 3);
    FILE* scene = fopen((dir + "/Hod.pro").c_str(), "r");
    EXPECT_TRUE(scene) << "a missing scene file is created empty";
    if (scene) fclose(scene);
}

TEST(ReplayTool, MalformedEventsNameTheLineAndExitTwo) {
    struct Case {
        const char* events;
        const char* line;
    } cases[] = {
        {"0 down up\n1 jump\n", "line 2"},
        {"# comment\n\n3 down up\n2 up up\n", "line 4"},
        {"0 move 70000 5\n", "line 1"},
        {"0 down nosuchkey\n", "line 1"},
        {"0 size 10\n", "line 1"},
        {"-1 down up\n", "line 1"},
    };
    std::string dir = MakeTempDir();
    for (const Case& c : cases) {
        WriteTextFile(dir + "/events.txt", c.events);
        std::string out, err;
        EXPECT_EQ(Tool(dir + " --events " + dir + "/events.txt", &out, &err), 2) << c.events;
        EXPECT_NE(err.find(c.line), std::string::npos) << err;
    }
}

TEST(ReplayTool, MalformedArgumentsExitTwo) {
    std::string dir = MakeTempDir(), out, err;
    for (const char* args : {" --size 0x5", " --size 12", " --steps -3", " --shot 5", " --bogus",
                             " --steps"}) {
        EXPECT_EQ(Tool(dir + args, &out, &err), 2) << args;
        EXPECT_NE(err.find("usage"), std::string::npos);
    }
    EXPECT_EQ(Tool("", &out, &err), 2);
}

TEST(ReplayTool, EscEndsTheRunAfterWritingItsStep) {
    std::string dir = MakeTempDir();
    // View mode 1 looking down -z: the camera is a proper look-at matrix.
    WriteTextFile(dir + "/Hod.pro", "0 0 0 -1 1  1 0 0 0 60 0 0 1000.0 1000 0 1 0 0  0 0 0  0 0 -100  0 8 1\n");
    ReplayResult r = RunReplayTool(dir, 10, "1 down esc\n1 down up\n5 down up\n");
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.steps.size(), 2u);
    EXPECT_TRUE(r.steps[0].ran);
    EXPECT_FALSE(r.steps[1].ran) << "the Esc step's frame does not run";
    EXPECT_EQ(r.steps[1]["pauseState"], 0);
    EXPECT_EQ(r.steps[1].modelview[0], -1.0) << "the camera as it was before the release";
    for (int k = 0; k < 16; k++) EXPECT_EQ(r.steps[1].modelview[k], r.steps[0].modelview[k]);
}

TEST(ReplayTool, RanSaysWhetherAFrameRan) {
    std::string dir = MakeTempDir();
    ReplayResult r = RunReplayTool(dir, 6, "1 down f2\n3 size 200 150\n4 lbup 3 3\n5 down f2\n");
    ASSERT_EQ(r.steps.size(), 6u);
    EXPECT_TRUE(r.steps[0].ran);
    EXPECT_FALSE(r.steps[1].ran);
    EXPECT_EQ(r.steps[1]["pauseState"], 1);
    EXPECT_FALSE(r.steps[2].ran);
    EXPECT_TRUE(r.steps[3].ran) << "a resize while paused forces a frame";
    EXPECT_TRUE(r.steps[4].ran) << "a button release while paused forces a frame";
    EXPECT_TRUE(r.steps[5].ran) << "resuming draws";
    EXPECT_EQ(r.steps[5]["pauseState"], 0);
}

TEST(ReplayTool, ShotIsTheDrawnFrameAtTheRequestedSize) {
    std::string dir = MakeTempDir();
    std::string png = dir + "/shot.png";
    std::string out;
    ASSERT_EQ(Tool(dir + " --steps 2 --size 64x48 --shot 1:" + png, &out), 0);
    RgbImage image;
    std::string error;
    ASSERT_TRUE(ReadPng(png.c_str(), &image, &error)) << error;
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 48);
}
