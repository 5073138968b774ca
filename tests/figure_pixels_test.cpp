// figure_pixels_test.cpp -- what the figures and cameras put on screen,
// from ambler-replay --shot: the avatar in front of the follow camera, the
// sway of the driver's view after braking, and a swinging limb.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "tests/figure_scene.h"
#include "tools/lib/png_image.h"

namespace {

// A replay with its shots, whose folder goes when the test is done.
struct Shots {
    ReplayResult run;
    std::string dir;
    Shots() = default;
    Shots(Shots&& other) : run(std::move(other.run)), dir(std::move(other.dir)) { other.dir.clear(); }
    Shots(const Shots&) = delete;
    ~Shots() {
        if (!dir.empty()) RemoveFolder(dir);
    }
};

// Replays the scene and keeps a shot after every listed step.
Shots ReplayWithShots(const SceneDescription& scene, long steps, const std::vector<long>& at,
                      const std::string& events = "", const std::string& size = "200x150") {
    Shots s;
    s.dir = MakeTempDir();
    std::string args = "--size " + size;
    for (long step : at) args += " --shot " + std::to_string(step) + ":" + s.dir + "/" +
                                  std::to_string(step) + ".png";
    std::string sceneDir = WriteFigureScene(scene);
    s.run = RunReplayTool(sceneDir, steps, events, args);
    RemoveFolder(sceneDir);
    return s;
}

RgbImage Shot(const Shots& s, long step) {
    RgbImage image;
    std::string error;
    EXPECT_TRUE(ReadPng((s.dir + "/" + std::to_string(step) + ".png").c_str(), &image, &error))
        << error;
    return image;
}

const unsigned char* Pixel(const RgbImage& image, int x, int y) {
    return &image.rgb[(size_t)(y * image.width + x) * 3];
}

bool IsRed(const unsigned char* p) { return p[0] > 200 && p[1] < 50 && p[2] < 50; }

TEST(FigurePixels, ViewMode3ShowsTheAvatarInFrontOfTheCamera) {
    SceneDescription s = BaseFigureScene(3);
    AddSquare(s.avatarVertices, 0, 0, 0, 5, NO_JOINT, 1, 0, 0);
    Shots shots = ReplayWithShots(s, 66, {65});
    ASSERT_EQ(shots.run.status, 0) << shots.run.errors;
    RgbImage image = Shot(shots, 65);
    ASSERT_EQ(image.width, 200);
    // The boom is 60 long and the camera looks over the viewer at the
    // avatar point: the avatar fills the middle, the corners stay clear.
    EXPECT_TRUE(IsRed(Pixel(image, 100, 75)));
    EXPECT_FALSE(IsRed(Pixel(image, 5, 5)));
    EXPECT_FALSE(IsRed(Pixel(image, 195, 145)));
    // Without an avatar the middle is background.
    Shots bare = ReplayWithShots(BaseFigureScene(3), 66, {65});
    ASSERT_EQ(bare.run.status, 0) << bare.run.errors;
    EXPECT_FALSE(IsRed(Pixel(Shot(bare, 65), 100, 75)));
}

// The first row from the top of the middle column that shows the wall.
int WallTopRow(const RgbImage& image) {
    for (int y = 0; y < image.height; y++)
        if (Pixel(image, image.width / 2, y)[1] > 128) return y;
    return -1;
}

TEST(FigurePixels, ViewMode2SwaysAfterBraking) {
    // A far wall whose top edge is 290 above the eye, 1000 ahead. Driving
    // pitches the body, braking swings it back; half of each frame's pitch
    // stays in the matrix the next frame draws the scene with, so the edge
    // moves by pitch / 2 although the wall barely comes nearer.
    SceneDescription s = BaseFigureScene(2);
    const double corners[4][2] = {{-400, -300}, {400, -300}, {400, 100}, {-400, 100}};
    for (int k = 0; k < 4; k++) {
        SceneFlatVertex v;
        v.green = 1;
        v.x = corners[k][0];
        v.y = corners[k][1];
        v.z = -1000;
        v.end = k == 3;
        s.flatVertices.push_back(v);
    }
    std::vector<long> at;
    for (long step = 10; step < 34; step++) at.push_back(step);
    Shots shots = ReplayWithShots(s, 34, at, "0 down up\n15 up up\n15 down down\n17 up down\n",
                                  "800x600");
    ASSERT_EQ(shots.run.status, 0) << shots.run.errors;
    const auto& trace = shots.run.steps;
    ASSERT_EQ(trace.size(), 34u);
    // Settled and stopped at the end: the shake flips every frame, but the
    // view does not move.
    ASSERT_EQ(trace[32]["bodyPitch"], 0);
    ASSERT_EQ(trace[33]["forwardSpeed"], 0);
    RgbImage settled = Shot(shots, 33);
    EXPECT_EQ(Shot(shots, 32).rgb, settled.rgb);
    int rest = WallTopRow(settled);
    ASSERT_GT(rest, 20);
    // Pixels per degree at the edge: 300 / tan(30 degrees) * sec^2(edge angle).
    double edge = atan(290 / (1000 + trace[33]["viewerZ"]));
    double perDegree = 300 / tan(M_PI / 6) / pow(cos(edge), 2) * M_PI / 180;
    int swayed = 0;
    for (long step = 11; step < 34; step++) {
        double pitch = trace[step - 1]["bodyPitch"];  // left half applied by the frame before
        int shift = WallTopRow(Shot(shots, step)) - rest;
        EXPECT_NEAR(std::abs(shift), perDegree * std::fabs(pitch) / 2, 1.5) << "step " << step;
        swayed += std::abs(shift) >= 5;
    }
    EXPECT_GE(swayed, 5);
}

// One actor standing 50 ahead of the first-person camera: a body and an
// arm hanging from joint 0 that swings about z by `swing` degrees.
SceneDescription ActorWithArm(double swing) {
    SceneDescription s = BaseFigureScene(1);
    SceneActor a = PlainActor(0, -50, 0);
    a.start[1] = -10;
    AddSquare(a.parts, 0, 0, 0, 4, 0, 0, 0, 1);  // the body ends on joint 0: the arm hangs on it
    AddSquare(a.parts, 8, 4, 0, 4, 0, 1, 0, 0);
    a.joints.push_back(SwingingJoint(4, swing));
    a.joints[0].poses[1].pivot[0] = 4;
    s.actors.push_back(a);
    return s;
}

TEST(FigurePixels, ASwingingLimbChangesThePictureAndARigidOneDoesNot) {
    Shots swinging = ReplayWithShots(ActorWithArm(60), 5, {2, 4});
    ASSERT_EQ(swinging.run.status, 0) << swinging.run.errors;
    RgbImage a = Shot(swinging, 2), b = Shot(swinging, 4);
    ASSERT_EQ(a.rgb.size(), b.rgb.size());
    int changed = 0, red = 0;
    for (size_t k = 0; k < a.rgb.size(); k += 3) {
        changed += a.rgb[k] != b.rgb[k];
        red += IsRed(&a.rgb[k]);
    }
    EXPECT_GT(red, 20);       // the arm is in view
    EXPECT_GT(changed, 20);   // and it moved
    // The actor stands still (max speed 0): with no swing nothing changes.
    Shots rigid = ReplayWithShots(ActorWithArm(0), 5, {2, 4});
    ASSERT_EQ(rigid.run.status, 0) << rigid.run.errors;
    EXPECT_EQ(Shot(rigid, 2).rgb, Shot(rigid, 4).rgb);
}

}  // namespace
