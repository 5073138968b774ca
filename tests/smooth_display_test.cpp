// smooth_display_test.cpp -- frames drawn between the steps: the steps'
// traces and shots unchanged at any display rate, each step's picture
// among the frames, even motion per refresh, headings the short way, no
// blend across a reload, and nothing drawn while nothing moves.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/app.h"
#include "platform/headless.h"
#include "render/frame_picture.h"
#include "tests/support/headless_app.h"
#include "tests/support/image_compare.h"
#include "tests/support/replay_harness.h"
#include "tools/lib/present_trace.h"
#include "tools/lib/replay_run.h"
#include "tools/lib/scene_writer.h"
#include "tests/walk_scene.h"

namespace {

using Presented = PresentRecord;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string Demo(const std::string& name) { return std::string(AMBLER_SOURCE_DIR) + "/scenes/" + name; }

struct SmoothRun {
    ReplayResult replay;
    std::vector<Presented> frames;
};

SmoothRun RunAt(const std::string& scene, long steps, const std::string& events, int hz,
                const std::string& extra = "") {
    SmoothRun r;
    std::string path = MakeTempDir() + "/present.jsonl";
    r.replay = RunReplayTool(scene, steps, events,
                             "--display-hz " + std::to_string(hz) + " --present-trace '" + path +
                                 "' " + extra);
    int malformed = 0;
    r.frames = ReadPresentTrace(path, &malformed);
    EXPECT_EQ(malformed, 0) << "malformed presented frames in " << path;
    return r;
}

bool SameMatrix(const double a[16], const double b[16]) {
    for (int i = 0; i < 16; i++)
        if (a[i] != b[i]) return false;
    return true;
}

std::array<double, 3> EyeOf(const double m[16]) { return CameraEye(m); }
double YawOf(const double m[16]) { return CameraYaw(m); }
double Variation(const std::vector<double>& v) { return CoefficientOfVariation(v); }

// ---- The steps do not change with the display rate.

TEST(SmoothDisplayReplay, TracesAndShotsAreTheSameAtEveryDisplayRate) {
    struct Case {
        const char* scene;
        const char* script;
    } cases[] = {{"walk", "walk"}, {"follow", "follow"}, {"drive", "drive"}, {"chase", "chase"}};
    // The author's keys and the design's discontinuities, on top of the
    // demos' scripts: mouse look, a pause, a resize, F3 and both reloads.
    std::string extra =
        "20 move 100 60\n21 move 120 75\n30 down f2\n34 down f2\n40 size 320 200\n"
        "44 down f3\n48 down f3\n52 down f5\n56 down shift\n56 down f5\n57 up shift\n";
    for (const Case& c : cases) {
        std::string events =
            ReadText(std::string(AMBLER_SOURCE_DIR) + "/tests/golden/" + c.script + ".events");
        std::string shotDir = MakeTempDir();
        ReplayResult plain = RunReplayTool(Demo(c.scene), 200, events,
                                           "--shot 30:'" + shotDir + "/plain.png'");
        ASSERT_EQ(plain.status, 0) << c.scene << ": " << plain.errors;
        ASSERT_EQ(plain.steps.size(), 200u);
        for (int hz : {0, 60, 100, 144}) {
            SmoothRun s = RunAt(Demo(c.scene), 200, events, hz,
                                "--shot 30:'" + shotDir + "/" + std::to_string(hz) + ".png'");
            ASSERT_EQ(s.replay.status, 0) << c.scene << " at " << hz << " Hz: " << s.replay.errors;
            EXPECT_EQ(s.replay.traceText, plain.traceText) << c.scene << " at " << hz << " Hz";
            EXPECT_EQ(ReadText(shotDir + "/" + std::to_string(hz) + ".png"),
                      ReadText(shotDir + "/plain.png"))
                << c.scene << " at " << hz << " Hz";
            EXPECT_EQ(s.frames.empty(), hz == 0) << c.scene << " at " << hz << " Hz";
        }
        // The discontinuities, in the walk and the follow view.
        if (std::string(c.scene) == "walk" || std::string(c.scene) == "follow") {
            ReplayResult plainExtra = RunReplayTool(Demo(c.scene), 60, extra);
            SmoothRun s = RunAt(Demo(c.scene), 60, extra, 144);
            ASSERT_EQ(s.replay.status, 0) << s.replay.errors;
            EXPECT_EQ(s.replay.traceText, plainExtra.traceText) << c.scene;
        }
    }
}

TEST(SmoothDisplayReplay, EveryStepsPictureIsPresentedAt100Hz) {
    std::string events = "0 down up\n40 down right\n70 up right\n";
    SmoothRun s = RunAt(Demo("walk"), 100, events, 100);
    ASSERT_EQ(s.replay.status, 0) << s.replay.errors;
    ASSERT_EQ(s.replay.steps.size(), 100u);
    // The screen runs a step behind: the last step's picture would be shown
    // after the last refresh the run has.
    for (size_t k = 0; k + 1 < s.replay.steps.size(); k++) {
        bool found = false;
        for (const Presented& p : s.frames) found |= SameMatrix(p.modelview, s.replay.steps[k].modelview);
        EXPECT_TRUE(found) << "step " << k << "'s modelview was never presented";
    }
    // Frames are in time order, one per refresh after step 0's tick at most,
    // each after the step it names and before the next.
    for (size_t i = 0; i < s.frames.size(); i++) {
        const Presented& p = s.frames[i];
        EXPECT_GT(p.t, 40.0);
        EXPECT_LE(p.t, 40.0 * 100);
        EXPECT_GE(p.t, 40.0 * (p.step + 1));
        EXPECT_LT(p.t, 40.0 * (p.step + 2));
        EXPECT_GE(p.alpha, 0.0);
        EXPECT_LE(p.alpha, 1.0);
        if (i) {
            EXPECT_GT(p.t, s.frames[i - 1].t);
        }
        EXPECT_EQ(p.actors.size(), s.replay.steps[p.step].actors.size());
    }
}

// ---- Even motion per refresh.

TEST(SmoothDisplayReplay, WalkingAndTurningMoveEvenlyPerRefreshAt60Hz) {
    // Up from step 0; the walk reaches full speed within a few steps. Then
    // Right alone: a steady turn.
    std::string events = "0 down up\n60 up up\n60 down right\n120 up right\n";
    SmoothRun s = RunAt(Demo("walk"), 121, events, 60);
    ASSERT_EQ(s.replay.status, 0) << s.replay.errors;
    std::vector<double> moves, turns, designMoves;
    for (size_t i = 1; i < s.frames.size(); i++) {
        const Presented &a = s.frames[i - 1], &b = s.frames[i];
        if (a.step >= 20 && b.step < 55) {
            auto ea = EyeOf(a.modelview), eb = EyeOf(b.modelview);
            moves.push_back(std::hypot(eb[0] - ea[0], eb[2] - ea[2]));
        }
        if (a.step >= 70 && b.step < 115) turns.push_back(std::fabs(std::remainder(YawOf(b.modelview) - YawOf(a.modelview), 360)));
    }
    ASSERT_GT(moves.size(), 40u);
    ASSERT_GT(turns.size(), 40u);
    EXPECT_LT(Variation(moves), 0.05);
    EXPECT_LT(Variation(turns), 0.05);
    // Drawn only at the steps, the same walk moves by a step or not at all
    // per refresh: the judder this is for.
    for (size_t i = 1; i < s.frames.size(); i++) {
        const Presented &a = s.frames[i - 1], &b = s.frames[i];
        if (a.step < 20 || b.step >= 55) continue;
        auto ea = EyeOf(s.replay.steps[a.step].modelview), eb = EyeOf(s.replay.steps[b.step].modelview);
        designMoves.push_back(std::hypot(eb[0] - ea[0], eb[2] - ea[2]));
    }
    EXPECT_GT(Variation(designMoves), 0.3);
}

TEST(SmoothDisplayReplay, AMouseTurnShowsWholeAtTheNextRefresh) {
    // Standing in the walk demo. The first move brings the mouse's
    // references to the centre (96, 75); the second turns by
    // (96 - 200) / 8 = -13 degrees at step 10.
    SmoothRun s = RunAt(Demo("walk"), 14, "0 move 96 0\n10 move 200 75\n", 60, "--size 192x150");
    ASSERT_EQ(s.replay.status, 0) << s.replay.errors;
    double before = YawOf(s.replay.steps[9].modelview), after = YawOf(s.replay.steps[10].modelview);
    ASSERT_GT(std::fabs(std::remainder(after - before, 360)), 12.0);
    const Presented* first = nullptr;
    for (const Presented& p : s.frames)
        if (!first && p.step == 10) first = &p;
    ASSERT_NE(first, nullptr);
    EXPECT_LT(first->alpha, 0.5) << "a blend alone would show less than half the turn";
    EXPECT_NEAR(std::remainder(YawOf(first->modelview) - after, 360), 0, 1e-3);
}

// ---- Discontinuities and idle.

TEST(SmoothDisplayReplay, NothingIsBlendedAcrossAReloadOrARestart) {
    std::string events = "0 down up\n20 down f5\n40 down shift\n40 down f5\n41 up shift\n";
    SmoothRun s = RunAt(Demo("walk"), 60, events, 144);
    ASSERT_EQ(s.replay.status, 0) << s.replay.errors;
    for (long jump : {20L, 40L}) {
        // The reload sets the frame clock: the new scene's first frame runs
        // at a later step, and until then nothing of the old scene is drawn.
        long first = jump;
        while (!s.replay.steps[first].ran) first++;
        const TraceStep& after = s.replay.steps[first];
        int seen = 0;
        for (const Presented& p : s.frames) {
            EXPECT_FALSE(p.step >= jump && p.step < first) << "old picture drawn at " << p.t;
            if (p.step != first) continue;
            seen++;
            EXPECT_EQ(p.alpha, 1.0) << "step " << first << " at " << p.t;
            EXPECT_TRUE(SameMatrix(p.modelview, after.modelview)) << "step " << first << " at " << p.t;
            ASSERT_EQ(p.actors.size(), after.actors.size());
            for (size_t i = 0; i < p.actors.size(); i++) {
                EXPECT_EQ(p.actors[i][0], after.actors[i].at("actorWalkedX"));
                EXPECT_EQ(p.actors[i][2], after.actors[i].at("actorHeading"));
            }
        }
        EXPECT_GE(seen, 1) << "no frame between step " << first << " and the next";
    }
    // Elsewhere the walk is blended.
    bool blended = false;
    for (const Presented& p : s.frames) blended |= p.step == 30 && p.alpha > 0 && p.alpha < 1;
    EXPECT_TRUE(blended);
}

TEST(SmoothDisplayReplay, TheEmptySceneDrawsOnceAndThenNothing) {
    std::string scene = MakeTempDir();  // no Hod.pro: the program makes an empty one
    SmoothRun s = RunAt(scene, 50, "", 144);
    ASSERT_EQ(s.replay.status, 0) << s.replay.errors;
    ASSERT_EQ(s.frames.size(), 1u) << "the first picture, then nothing while idle";
    EXPECT_EQ(s.frames[0].step, 0);
    // A paused walk stops drawing once its last step is shown.
    SmoothRun paused = RunAt(Demo("walk"), 60, "0 down up\n10 down f2\n", 144);
    ASSERT_EQ(paused.replay.status, 0) << paused.replay.errors;
    for (const Presented& p : paused.frames) EXPECT_LT(p.t, 40.0 * 12) << "drawn while paused";
}

TEST(SmoothDisplayReplay, AStillSceneStopsDrawingAfterAWalkOrAMouseTurn) {
    // Frames between the steps come at fractions below 1; once the motion
    // ends, the screen shows the last step whole and stays as it is.
    std::string scene = MakeTempDir();
    WriteTextFile(scene + "/Hod.pro", WalkSceneText({}));
    struct Case {
        const char* what;
        const char* events;
        long stillFrom;  // a step by which the motion has surely ended
    } cases[] = {{"a walk", "0 down up\n6 up up\n", 30},
                 {"a mouse turn", "0 move 96 0\n10 move 200 75\n", 20}};
    for (const Case& c : cases) {
        SmoothRun s = RunAt(scene, 60, c.events, 144, "--size 192x150");
        ASSERT_EQ(s.replay.status, 0) << c.what << ": " << s.replay.errors;
        ASSERT_EQ(s.replay.steps.size(), 60u) << c.what;
        EXPECT_FALSE(SameMatrix(s.replay.steps[0].modelview, s.replay.steps[59].modelview))
            << c.what << " moved nothing";
        for (const Presented& p : s.frames) EXPECT_LT(p.step, c.stillFrom) << c.what << ": drawn at " << p.t;
    }
}

TEST(SmoothDisplayReplay, BadRateOrUnwritablePresentTraceIsAUsageError) {
    std::string scene = MakeTempDir();
    for (const char* bad : {"--display-hz -1", "--display-hz 1001", "--display-hz 60.5",
                            "--display-hz x", "--display-hz", "--display-hz 60 --present-trace"}) {
        ReplayResult r = RunReplayTool(scene, 1, "", bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.errors.find(std::string(bad).substr(0, 12)), std::string::npos) << bad << ": " << r.errors;
    }
    ReplayResult r = RunReplayTool(scene, 1, "", "--display-hz 60 --present-trace /nonexistent/p.jsonl");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.errors.find("present trace"), std::string::npos) << r.errors;
}

// ---- Pixels: a frame on a step's instant is that step's frame.

TEST(SmoothDisplayPixels, AFrameOnAStepsInstantIsThatStepsFramePixelForPixel) {
    std::string work = MakeTempDir();
    // Walking and turning among the walking townsfolk; at 25 Hz every
    // refresh falls on a step's tick, where the screen shows the picture of
    // the step before.
    WriteTextFile(work + "/events", "0 down up\n8 down left\n14 up left\n");
    ReplayOptions o;
    o.sceneDir = Demo("walk");
    o.steps = 24;
    o.displayHz = 25;
    std::string error;
    ASSERT_TRUE(LoadReplayEvents((work + "/events").c_str(), &o.events, &error)) << error;
    std::vector<std::vector<unsigned char>> stepFrames;
    int compared = 0;
    auto lastFrame = [] {
        const unsigned char* rgb;
        int w, h;
        EXPECT_TRUE(Plat_LastFrame(&rgb, &w, &h));
        return std::vector<unsigned char>(rgb, rgb + (size_t)w * h * 3);
    };
    o.onPresent = [&](double t, long step, const PresentedFrame& frame) {
        long shown = frame.alpha == 0 ? step - 1 : step;
        ASSERT_TRUE(frame.alpha == 0 || frame.alpha == 1) << t;
        ASSERT_GE(shown, 0);
        EXPECT_TRUE(lastFrame() == stepFrames[shown]) << "at " << t << " ms, step " << shown;
        compared++;
    };
    auto afterStep = [&](long, bool) {
        stepFrames.push_back(lastFrame());
        return true;
    };
    ASSERT_EQ(RunReplay(o, true, afterStep, &error), 0) << error;
    EXPECT_GE(compared, 20);
}

// ---- The window's pacing (virtual clock).

// A slow GL: a step's picture that would wait for the display's beat and
// still be drawing when the next step is due is drawn at once instead, so
// the steps keep their 40 ms; a cheap frame waits for the beat.
TEST(SmoothDisplayPacing, AFrameThatWouldHoldTheNextStepIsDrawnAtOnce) {
    SceneDescription scene;
    CopyDefaultSettings(scene);
    for (const auto& [name, value] : WalkSceneBase()) SetSettingByName(scene, name, value);
    StartHeadlessApp(FormatScene(scene), 200, 150, 1000);
    run.smooth.pacing = PACING_SMOOTH;
    StartSmoothDisplay();
    SendAt(1000, WM_KEYDOWN, VK_UP);  // walking: every step's picture differs
    FrameAt(1040);
    FrameAt(1080);
    SmoothDisplay& s = run.smooth;
    s.refreshBase = 1080;
    s.refreshDue = 15;  // the display's next refresh, 25 ms before the next step
    s.presentCost = 2;
    EXPECT_DOUBLE_EQ(SmoothFrameWakeIn(), 15) << "a cheap frame keeps to the display's beat";
    PresentWhenDue();
    EXPECT_NE(s.shownSerial, s.serial) << "and is not drawn before it";
    s.presentCost = 28;
    EXPECT_EQ(SmoothFrameWakeIn(), 0) << "a costly one is drawn now, not just before the next step";
    PresentWhenDue();
    EXPECT_EQ(s.shownSerial, s.serial) << "and is drawn";
    StopHeadlessApp();
}

// ---- The blend itself.

FramePicture Picture(float x, double heading, double walked) {
    FramePicture p;
    p.valid = true;
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -x, 0, 0, 1};
    memcpy(p.sceneMatrix, m, sizeof m);
    memcpy(p.avatarMatrix, m, sizeof m);
    p.actorCount = 1;
    p.actors.resize(1);
    p.actorDrawn.assign(1, 1);
    p.actors[0].actorHeading = heading;
    p.actors[0].actorWalkedX = walked;
    p.actors[0].actorJointAngleX[2][1] = walked;
    return p;
}

TEST(FrameBlend, EndsAreExactAndHeadingsTakeTheShortWay) {
    FramePicture a = Picture(10, 359, 4), b = Picture(20, 1, 8), out;
    BlendPictures(a, b, 0, &out);
    EXPECT_EQ(memcmp(out.sceneMatrix, a.sceneMatrix, sizeof a.sceneMatrix), 0);
    EXPECT_EQ(out.actors[0].actorHeading, 359);
    BlendPictures(a, b, 1, &out);
    EXPECT_EQ(memcmp(out.sceneMatrix, b.sceneMatrix, sizeof b.sceneMatrix), 0);
    EXPECT_EQ(out.actors[0].actorHeading, 1);
    // 359 to 1 turns 2 degrees through 360, never 358 back through 180.
    double last = 359, turned = 0;
    for (int k = 1; k <= 10; k++) {
        BlendPictures(a, b, k / 10.0, &out);
        double h = out.actors[0].actorHeading;
        turned += std::remainder(h - last, 360.0);
        EXPECT_LE(std::fabs(std::remainder(h - last, 360.0)), 0.2 + 1e-9) << k;
        last = h;
    }
    EXPECT_NEAR(turned, 2, 1e-9);
    BlendPictures(a, b, 0.25, &out);
    EXPECT_DOUBLE_EQ(out.actors[0].actorWalkedX, 5);
    EXPECT_DOUBLE_EQ(out.actors[0].actorJointAngleX[2][1], 5);
    EXPECT_NEAR(out.sceneMatrix[12], -12.5, 1e-5);
    // Without a picture to blend from, the last one is drawn as it is.
    a.valid = false;
    BlendPictures(a, b, 0.5, &out);
    EXPECT_EQ(out.actors[0].actorHeading, 1);
}

TEST(FrameBlend, CamerasTurnAboutTheirEyeAndRefuseWhatIsNotRigid) {
    // Two cameras at the same eye (3, 0, 4), facing 0 and 90 degrees apart.
    auto camera = [](double degrees, float m[16]) {
        double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a);
        double ex = 3, ez = 4;
        float r[16] = {(float)c, 0, (float)-s, 0, 0, 1, 0, 0, (float)s, 0, (float)c, 0, 0, 0, 0, 1};
        r[12] = (float)-(c * ex + s * ez);
        r[14] = (float)-(-s * ex + c * ez);
        memcpy(m, r, sizeof r);
    };
    float a[16], b[16], mid[16], want[16];
    camera(0, a);
    camera(90, b);
    camera(45, want);
    ASSERT_TRUE(BlendCameraMatrix(a, b, 0.5, mid));
    for (int i = 0; i < 16; i++) EXPECT_NEAR(mid[i], want[i], 1e-5) << i;
    float scaled[16];
    memcpy(scaled, a, sizeof a);
    scaled[0] = 2;
    EXPECT_FALSE(BlendCameraMatrix(scaled, b, 0.5, mid));
    scaled[0] = NAN;
    EXPECT_FALSE(BlendPlacementMatrix(scaled, b, 0.5, mid));
}

}  // namespace
