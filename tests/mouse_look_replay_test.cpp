// mouse_look_replay_test.cpp -- turning and tilting with the mouse in view
// modes 1 and 3, who places the camera, and the mouse while paused, on
// replay traces. The replay screen is the client area: with --size 192x150
// the centre is (96, 75), and the cursor starts at (0, 0).
#include <gtest/gtest.h>

#include <cmath>

#include "tests/camera_model.h"
#include "tests/walk_scene.h"

namespace {

const std::string SIZE = "--size 192x150";
// Brings both references to the centre, one axis per notification: the
// cursor at (96, 0) is above the centre (tilt by 0 from the start reference
// y = 0), and the re-centred notification at (96, 75) turns by (0 - 96) / 8.
const std::string CALIBRATE = "0 move 96 0\n";

CameraInputs InputsOf(const TraceStep& t) {
    return {t["viewerX"], t["viewerEyeY"], t["viewerZ"], t["lookTargetX"], t["lookTargetY"],
            t["lookTargetZ"], t["viewAngle"], t["tilt"], t["walkedX"], t["walkedZ"], 0, -10, 0};
}

std::string Repeat(int n, const std::string& line) {
    std::string s;
    for (int i = 0; i < n; i++) s += line;
    return s;
}

bool SameMatrix(const double a[16], const double b[16]) {
    for (int k = 0; k < 16; k++)
        if (a[k] != b[k]) return false;
    return true;
}

TEST(MouseLook, TurnAndTiltPerCase) {
    std::string events = CALIBRATE;
    events += "1 move 104 75\n";  // A: (96 - 104) / 8 = -1 degree
    events += "2 move 96 85\n";   // B: 10 down, (75 - 85) / 5 = -2
    events += "3 move 96 65\n";   // D: 10 up, (75 - 65) / 20 = +0.5
    events += "4 move 104 85\n";  // A then B: the B notification turns again
    ReplayResult r = ReplayWalkScene(WalkScene(), 5, events, SIZE);
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 5u);
    EXPECT_EQ(r.steps[0]["heading"], -12);  // measured from the start cursor (0, 0)
    EXPECT_EQ(r.steps[0]["tilt"], 0);
    EXPECT_EQ(r.steps[1]["heading"] - r.steps[0]["heading"], -1);
    EXPECT_EQ(r.steps[1]["tilt"], 0);
    // The re-centring notification arrived at the centre: no further turn.
    EXPECT_EQ(r.steps[1]["turnDelta"], 0);
    EXPECT_EQ(r.steps[2]["tilt"], -2);
    EXPECT_EQ(r.steps[2]["heading"], r.steps[1]["heading"]);
    EXPECT_EQ(r.steps[3]["tilt"], -1.5);
    EXPECT_EQ(r.steps[4]["tilt"], -3.5);
    EXPECT_EQ(r.steps[4]["heading"] - r.steps[3]["heading"], -2);
    EXPECT_DOUBLE_EQ(r.steps[4]["viewAngle"], -(r.steps[4]["heading"] - 90) * M_PI / 180);
}

TEST(MouseLook, TiltIsClampedBothWays) {
    std::string events = CALIBRATE + Repeat(10, "1 move 96 149\n") + Repeat(40, "2 move 96 0\n");
    ReplayResult r = ReplayWalkScene(WalkScene(), 3, events, SIZE);
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.steps[1]["tilt"], -70);
    EXPECT_EQ(r.steps[2]["tilt"], 70);

    WalkScene narrow;
    narrow.set["tiltMax"] = 10;
    narrow.set["tiltMin"] = 20;
    r = ReplayWalkScene(narrow, 3, events, SIZE);
    EXPECT_EQ(r.steps[1]["tilt"], -20);
    EXPECT_EQ(r.steps[2]["tilt"], 10);
}

// The modelview left by a step whose frame is held back by a pause: what
// the mouse handler itself placed.
ReplayResult MouseThenPause(const WalkScene& scene, const std::string& keys) {
    return ReplayWalkScene(scene, 2, CALIBRATE + keys + "1 move 104 75\n1 down f2\n", SIZE);
}

TEST(MouseLook, WalkingFramePlacesTheCameraUnlessBlocked) {
    ReplayResult up = MouseThenPause(WalkScene(), "1 down up\n");
    ASSERT_EQ(up.status, 0) << up.errors;
    ASSERT_EQ(up.steps.size(), 2u);
    EXPECT_FALSE(up.steps[1].ran);
    EXPECT_EQ(up.steps[1]["heading"], -13);
    EXPECT_TRUE(SameMatrix(up.steps[1].modelview, up.steps[0].modelview));

    // Only a side key held: the mouse places the camera itself.
    ReplayResult left = MouseThenPause(WalkScene(), "1 down left\n");
    ASSERT_EQ(left.steps.size(), 2u);
    EXPECT_FALSE(SameMatrix(left.steps[1].modelview, left.steps[0].modelview));
    const TraceStep& t = left.steps[1];
    Mat4 model = ViewerLookAt(InputsOf(t), 0) * TiltAboutPivot(InputsOf(t), 0);
    EXPECT_LT(MatrixDistance(t.modelview, model), 1e-5);

    // Up held while blocked from an earlier give-up: the mouse places it.
    WalkScene boxed;
    boxed.set["maxDeflection"] = 5;
    boxed.obstacles = {{0, 0}};
    ReplayResult blocked =
        ReplayWalkScene(boxed, 2, CALIBRATE + "0 down up\n1 move 104 75\n1 down f2\n", SIZE);
    ASSERT_EQ(blocked.steps.size(), 2u);
    EXPECT_EQ(blocked.steps[0]["blocked"], 1);
    EXPECT_FALSE(SameMatrix(blocked.steps[1].modelview, blocked.steps[0].modelview));
}

TEST(MouseLook, ViewModeThreeDoesNotWrapTheHeading) {
    // From the second move on, each move to x = 0 turns by 96 / 8 = 12.
    std::string events = Repeat(32, "0 move 0 75\n") + "0 down f2\n";
    WalkScene follow;
    follow.set["viewMode"] = 3;
    ReplayResult r = ReplayWalkScene(follow, 1, events, SIZE);
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.steps[0]["heading"], 372);
    EXPECT_EQ(r.steps[0]["avatarPose"], 3);

    ReplayResult first = ReplayWalkScene(WalkScene(), 1, events, SIZE);
    EXPECT_EQ(first.steps[0]["heading"], 12);  // view mode 1 corrects once
    EXPECT_EQ(first.steps[0]["avatarPose"], 0);
}

TEST(MouseLook, OtherViewModesIgnoreTheMouse) {
    WalkScene drive;
    drive.set["viewMode"] = 2;
    ReplayResult r = ReplayWalkScene(drive, 1, "0 move 104 75\n0 move 96 85\n0 down f2\n", SIZE);
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.steps[0]["heading"], 0);
    EXPECT_EQ(r.steps[0]["tilt"], 0);
}

TEST(MouseCamera, WalkWithTiltMatchesLookAtAndPivotRotation) {
    std::string events = CALIBRATE + "1 move 96 85\n1 move 96 85\n2 down up\n2 down left\n";
    ReplayResult r = ReplayWalkScene(WalkScene(), 8, events, SIZE);
    ASSERT_EQ(r.status, 0) << r.errors;
    const TraceStep& t = r.steps[7];
    EXPECT_EQ(t["tilt"], -4);
    EXPECT_NE(t["walkedX"], 0);
    EXPECT_NE(t["walkedZ"], 0);
    Mat4 model = ViewerLookAt(InputsOf(t), 0) * TiltAboutPivot(InputsOf(t), 0);
    EXPECT_LT(MatrixDistance(t.modelview, model), 1e-5);
    // The tilt matters: the level camera is far from the traced one.
    EXPECT_GT(MatrixDistance(t.modelview, ViewerLookAt(InputsOf(t), 0)), 1e-2);
}

TEST(MouseCamera, JumpingAndCrouchedTiltsAboutBothPivots) {
    // Jump, crouch in mid-air, then a mouse move; the pause keeps the mouse's
    // matrix.
    std::string events = "0 down space\n1 down ctrl\n2 move 96 85\n2 down f2\n";
    ReplayResult r = ReplayWalkScene(WalkScene(), 3, events, SIZE);
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 3u);
    const TraceStep& t = r.steps[2];
    EXPECT_EQ(t["jumpOffset"], 2.5);
    EXPECT_EQ(t["crouchOffset"], 3);
    EXPECT_EQ(t["tilt"], -17);
    CameraInputs c = InputsOf(t);
    Mat4 twice = ViewerLookAt(c, 3) * TiltAboutPivot(c, -2.5) * TiltAboutPivot(c, 3);
    EXPECT_LT(MatrixDistance(t.modelview, twice), 1e-5);
    Mat4 once = ViewerLookAt(c, 3) * TiltAboutPivot(c, 3);
    EXPECT_GT(MatrixDistance(t.modelview, once), 1e-2);
}

TEST(MousePaused, NoLookWhilePausedAndAReleaseForcesOneFrame) {
    std::string events = CALIBRATE + "1 down f2\n1 move 150 75\n1 lbdown 10 10\n1 move 20 20\n1 lbup 20 20\n";
    events += "3 down f2\n";
    ReplayResult r = ReplayWalkScene(WalkScene(), 4, events, SIZE);
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 4u);
    EXPECT_EQ(r.steps[1]["pauseState"], 1);
    EXPECT_EQ(r.steps[1]["heading"], -12);
    EXPECT_TRUE(r.steps[1].ran);   // the button release's forced frame
    EXPECT_FALSE(r.steps[2].ran);  // paused
    EXPECT_TRUE(r.steps[3].ran);   // resumed
    EXPECT_EQ(r.steps[3]["pauseState"], 0);
    EXPECT_EQ(r.steps[3]["heading"], -12);
}

}  // namespace
