// golden_images_test.cpp -- each demo scene played through a scripted walk
// or drive by the replay tool; the shots at chosen steps must match the
// committed pictures tests/golden/<scene>-<step>.png within a tolerance.
// With AMBLER_UPDATE_GOLDEN set the pictures are rewritten instead.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/desktop.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_scene.h"
#include "tests/support/tool_command.h"

namespace {

constexpr long STEPS = 200;
constexpr const char* SHOT_SIZE = "320x240";

struct GoldenRun {
    const char* scene;
    std::vector<long> shots;
};

std::string GoldenDir() { return std::string(AMBLER_SOURCE_DIR) + "/tests/golden"; }

std::string ReferencePath(const std::string& scene, long step) {
    return GoldenDir() + "/" + scene + "-" + std::to_string(step) + ".png";
}

// Where a failing comparison leaves its pictures: beside the test's log,
// in the test's working folder.
std::string FailureDir() {
    std::string dir = std::filesystem::absolute("golden-failures").string();
    std::filesystem::create_directories(dir);
    return dir;
}

// Plays the scene's events file with the replay tool and writes the shots
// into outDir. Rendering is always offscreen, so the pictures do not
// depend on which X server (if any) the tests run under.
void PlayScene(const GoldenRun& run, const std::string& outDir) {
    std::string scene = run.scene;
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY " + ToolCommand("ambler-replay") +
                          " '" + AMBLER_SOURCE_DIR + "/scenes/" + scene + "' --steps " +
                          std::to_string(STEPS) + " --events '" + GoldenDir() + "/" + scene +
                          ".events' --size " + SHOT_SIZE;
    for (long step : run.shots)
        command += " --shot " + std::to_string(step) + ":'" + outDir + "/" + scene + "-" +
                   std::to_string(step) + ".png'";
    int status = -1;
    std::string output = Shell(command + " </dev/null 2>&1", &status);
    ASSERT_EQ(status, 0) << command << "\n" << output;
}

void CheckShot(const std::string& scene, long step, const std::string& actualPath) {
    RgbImage actual, reference;
    std::string error;
    ASSERT_TRUE(ReadPng(actualPath.c_str(), &actual, &error)) << actualPath << ": " << error;
    std::string referencePath = ReferencePath(scene, step);
    if (getenv("AMBLER_UPDATE_GOLDEN") && *getenv("AMBLER_UPDATE_GOLDEN")) {
        ASSERT_TRUE(WritePng(referencePath.c_str(), actual)) << "cannot write " << referencePath;
        std::printf("updated %s\n", referencePath.c_str());
        return;
    }
    ASSERT_TRUE(ReadPng(referencePath.c_str(), &reference, &error))
        << referencePath << ": " << error << " (make update-golden writes the references)";
    RgbImage diff;
    ImageDifference d = CompareImages(reference, actual, &diff);
    if (d.sameSize && d.Share() <= FAILING_PIXEL_SHARE) return;
    std::string base = FailureDir() + "/" + scene + "-" + std::to_string(step);
    WritePng((base + "-actual.png").c_str(), actual);
    if (d.sameSize) WritePng((base + "-diff.png").c_str(), diff);
    ADD_FAILURE() << scene << " step " << step << ": "
                  << (d.sameSize ? std::to_string(d.differing) + " of " + std::to_string(d.total) +
                                       " pixels differ by more than a tenth"
                                 : std::string("the picture's size changed"))
                  << "\n  reference: " << referencePath << "\n  actual:    " << base
                  << "-actual.png\n  diff:      " << base << "-diff.png";
}

void CheckGolden(const GoldenRun& run) {
    TempDir out("golden");
    ASSERT_FALSE(out.path.empty());
    PlayScene(run, out.path);
    if (testing::Test::HasFatalFailure()) return;
    for (long step : run.shots)
        CheckShot(run.scene, step, out.path + "/" + run.scene + "-" + std::to_string(step) + ".png");
}

}  // namespace

// Across a square, past a market stall and along the east houses, with a
// jump and a mouse look on the way; actors walk their schedules.
TEST(GoldenImages, Walk) { CheckGolden({"walk", {40, 120, 199}}); }

// Forward into the square, back toward the houses (the boom shortens), and
// a turn on the spot that the camera catches up with.
TEST(GoldenImages, Follow) { CheckGolden({"follow", {30, 130, 199}}); }

// Off the line with the boost, past the finish gantry, and into the first
// corner from the driver's seat...
TEST(GoldenImages, Drive) { CheckGolden({"drive", {30, 140, 199}}); }

// ...and the same drive behind the trailing camera.
TEST(GoldenImages, Chase) { CheckGolden({"chase", {30, 140, 199}}); }

// The tolerance itself: a tenth of full scale per channel, a hundredth of
// the pixels.
TEST(GoldenImages, ToleranceCountsOnlyStepsOverATenth) {
    RgbImage a;
    a.width = 10;
    a.height = 10;
    a.rgb.assign(300, 100);
    RgbImage b = a;
    b.rgb[0] = 125;  // 25 steps: within the tolerance
    b.rgb[4] = 126;  // 26 steps: over it, on one channel only
    ImageDifference d = CompareImages(a, b);
    EXPECT_TRUE(d.sameSize);
    EXPECT_EQ(d.differing, 1);
    EXPECT_LE(d.Share(), FAILING_PIXEL_SHARE) << "one pixel in a hundred passes";
    b.rgb[8] = 60;
    EXPECT_GT(CompareImages(a, b).Share(), FAILING_PIXEL_SHARE) << "two in a hundred fail";
    RgbImage small = a;
    small.width = 5;
    small.rgb.resize(150);
    EXPECT_FALSE(CompareImages(a, small).sameSize);
}
