// reload_test.cpp -- F5, Shift+F5 and the file watch on the program started
// in-process: a saved edit (clear colour, a moved obstacle, a new texture)
// replaces the scene while the viewer stays; a broken, vanished or cut-short
// file leaves the running scene alone and says where it is wrong; a texture
// that fails is reported once per reload; speed and camera survive in the
// driving modes; the watch sees saves in place and by rename.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/author.h"
#include "motion/motion.h"
#include "platform/headless.h"
#include "render/render.h"
#include "scene/memory_budget.h"
#include "scene/scene.h"
#include "tests/support/scene_hash.h"
#include "tests/support/headless_app.h"
#include "tests/support/temp_scene.h"
#include "tests/walk_scene.h"
#include "tools/lib/bitmap_writer.h"
#include "tools/lib/scene_writer.h"

namespace {

constexpr uint32_t T0 = 1000;
constexpr int WIDTH = 200, HEIGHT = 150;

struct WallScene {
    double clear[3] = {1, 0, 0};
    double obstacleX = 30;
    int viewMode = 1;
    const char* texture = "wall.bmp";
    int texturedPolygons = 1;  // each naming the same texture
};

// A square wall straight ahead of the start position, textured, over the
// clear colour, with one obstacle point off to the side.
std::string WallSceneText(const WallScene& w) {
    SceneDescription scene;
    CopyDefaultSettings(scene);
    for (const auto& [name, value] : WalkSceneBase()) SetSettingByName(scene, name, value);
    SetSettingByName(scene, "viewMode", w.viewMode);
    for (int p = 0; p < w.texturedPolygons; p++) {
        const double corners[4][2] = {{-10, -20}, {10, -20}, {10, 0}, {-10, 0}};
        for (int v = 0; v < 4; v++) {
            SceneVertex vertex;
            vertex.red = vertex.green = vertex.blue = 1;
            vertex.x = corners[v][0];
            vertex.y = corners[v][1];
            vertex.z = -50 - p;
            vertex.s = v == 1 || v == 2;
            vertex.t = v >= 2;
            vertex.end = v == 3;
            if (v == 0) {
                vertex.texFlag = 1;
                vertex.texName = w.texture;
            }
            scene.texVertices.push_back(vertex);
        }
    }
    scene.obstacles.push_back({w.obstacleX, -200});
    for (int c = 0; c < 3; c++) scene.clear[c] = w.clear[c];
    return FormatScene(scene);
}

void WriteTexture(const std::string& path, unsigned char r, unsigned char g, unsigned char b) {
    std::vector<unsigned char> rgb;
    for (int i = 0; i < 8 * 8; i++) rgb.insert(rgb.end(), {r, g, b});
    ASSERT_TRUE(WriteBitmap24(path.c_str(), rgb.data(), 8, 8));
}

// Saves text the way editors do: a new file renamed over the old one.
void SaveByRename(const std::string& path, const std::string& text) {
    ASSERT_TRUE(SaveTextFile(path + ".new", text));
    ASSERT_EQ(rename((path + ".new").c_str(), path.c_str()), 0);
}

struct Pixel {
    int r, g, b;
};

// A pixel of the last frame, x and y from the top left.
Pixel FramePixel(int x, int y) {
    const unsigned char* rgb;
    int w, h;
    if (!Plat_LastFrame(&rgb, &w, &h)) {
        ADD_FAILURE() << "no frame drawn";
        return {-1, -1, -1};
    }
    const unsigned char* p = rgb + ((size_t)(h - 1 - y) * w + x) * 3;
    return {p[0], p[1], p[2]};
}

bool IsMostly(const Pixel& p, int channel) {
    int c[3] = {p.r, p.g, p.b};
    return c[channel] > 150 && c[(channel + 1) % 3] < 80 && c[(channel + 2) % 3] < 80;
}

class Reload : public testing::Test {
protected:
    uint32_t tick = T0;

    void Start(const std::string& text) {
        StartHeadlessApp(text, WIDTH, HEIGHT, T0);
        Plat_CaptureFrames(true);
    }
    void TearDown() override {
        StopHeadlessApp();
        ResetAuthorState();
    }
    void Frames(int n) {
        for (int i = 0; i < n; i++) FrameAt(tick += 40);
    }
    void Key(unsigned key, bool down = true) {
        SendAt(tick, down ? WM_KEYDOWN : WM_KEYUP, key);
    }
    // F5 as the person presses it; true when the new scene runs.
    bool PressF5(bool shift = false) {
        if (shift) Key(VK_SHIFT);
        testing::internal::CaptureStderr();
        Key(VK_F5);
        stderrText = testing::internal::GetCapturedStderr();
        if (shift) Key(VK_SHIFT, false);
        return ReloadProblem().empty();
    }
    // Walks forward for n frames and stops.
    void WalkForward(int n) {
        Key(VK_UP);
        Frames(n);
        Key(VK_UP, false);
    }
    std::string stderrText;
};

TEST_F(Reload, SavedEditAppearsAndTheViewerStaysWhereItWas) {
    WallScene before, after;
    after.clear[0] = 0;
    after.clear[2] = 1;
    after.obstacleX = 45;
    std::string first = WallSceneText(before), second = WallSceneText(after);
    Start(first);  // wall.bmp does not exist yet: the wall is drawn plain
    WalkForward(5);
    Key(VK_LEFT);
    Frames(2);
    Key(VK_LEFT, false);
    double x = loaded->motion.viewer.viewerX, z = loaded->motion.viewer.viewerZ, turned = loaded->motion.viewer.heading;
    ASSERT_NE(z, loaded->scene.startEyeZ) << "the walk should have moved the viewer";
    ASSERT_NE(turned, -loaded->scene.startHeading) << "the turn should have turned the viewer";
    Frames(1);
    EXPECT_TRUE(IsMostly(FramePixel(2, 2), 0)) << "red clear colour before the edit";

    WriteTexture("wall.bmp", 0, 255, 0);
    SaveByRename("Hod.pro", second);
    ASSERT_TRUE(PressF5()) << ReloadProblem() << stderrText;
    EXPECT_EQ(loaded->motion.viewer.viewerX, x);
    EXPECT_EQ(loaded->motion.viewer.viewerZ, z);
    EXPECT_EQ(loaded->motion.viewer.heading, turned);
    EXPECT_EQ(loaded->scene.obstacleCount, 1);
    EXPECT_EQ(loaded->scene.obstacleX[1], 45);
    EXPECT_EQ(loaded->scene.texPolyTexFlag[0], 1) << "the new texture should load";
    Frames(2);
    EXPECT_TRUE(IsMostly(FramePixel(2, 2), 2)) << "blue clear colour after the edit";
    Key(VK_RIGHT);
    Frames(2);  // turn back so that the wall is ahead again
    Key(VK_RIGHT, false);
    Frames(1);
    EXPECT_TRUE(IsMostly(FramePixel(WIDTH / 2, HEIGHT / 2), 1)) << "green texture on the wall";
}

TEST_F(Reload, ShiftF5RestartsFromTheFilesStart) {
    Start(WallSceneText(WallScene()));
    WalkForward(5);
    ASSERT_NE(loaded->motion.viewer.viewerZ, loaded->scene.startEyeZ);
    ASSERT_TRUE(PressF5(true)) << stderrText;
    EXPECT_EQ(loaded->motion.viewer.viewerX, loaded->scene.startEyeX);
    EXPECT_EQ(loaded->motion.viewer.viewerZ, loaded->scene.startEyeZ);
    EXPECT_EQ(loaded->motion.viewer.heading, -loaded->scene.startHeading);
}

TEST_F(Reload, BrokenSaveKeepsTheOldSceneAndReportsLineAndColumn) {
    std::string good = WallSceneText(WallScene());
    WallScene blue;
    blue.clear[0] = 0;
    blue.clear[2] = 1;
    std::string fixed = WallSceneText(blue);
    // Line 10 becomes a word where a number belongs.
    std::string broken = good;
    size_t at = 0;
    for (int line = 1; line < 10; line++) at = broken.find('\n', at) + 1;
    broken.replace(at, broken.find('\n', at) - at, "oops");
    Start(good);
    WalkForward(3);
    double z = loaded->motion.viewer.viewerZ;
    int vertices = loaded->scene.texPolyVertexCount;
    const LoadedScene* running = loaded.get();
    uint64_t hash = HashScene(loaded->scene);

    SaveByRename("Hod.pro", broken);
    EXPECT_FALSE(PressF5());
    EXPECT_EQ(loaded.get(), running);
    EXPECT_EQ(HashScene(loaded->scene), hash) << "the running scene was touched";
    EXPECT_NE(stderrText.find("Hod.pro:10:1: error: malformed number \"oops\""), std::string::npos)
        << stderrText;
    EXPECT_NE(ReloadProblem().find("Hod.pro:10:1"), std::string::npos) << ReloadProblem();
    EXPECT_EQ(ReloadProblem().find('/'), std::string::npos) << "the window line names no folder";
    EXPECT_EQ(loaded->motion.viewer.viewerZ, z);
    EXPECT_EQ(loaded->scene.texPolyVertexCount, vertices);
    EXPECT_EQ(loaded->scene.clearRed, 1.0);
    EXPECT_EQ(loaded->scene.obstacleCount, 1);
    bool shown = false;
    for (const std::string& line : NoticeLines(tick)) shown |= line == ReloadProblem();
    EXPECT_TRUE(shown) << "the summary should be in the window";
    WalkForward(2);  // the old scene keeps running
    EXPECT_NE(loaded->motion.viewer.viewerZ, z);
    EXPECT_TRUE(IsMostly(FramePixel(2, 2), 0));

    SaveByRename("Hod.pro", fixed);
    EXPECT_TRUE(PressF5()) << stderrText;
    EXPECT_TRUE(NoticeLines(tick).empty()) << "a good load clears the summary";
    EXPECT_EQ(loaded->scene.clearBlue, 1.0);
}

TEST_F(Reload, VanishedOrCutShortFileKeepsTheOldScene) {
    std::string good = WallSceneText(WallScene());
    Start(good);
    ASSERT_EQ(unlink("Hod.pro"), 0);
    EXPECT_FALSE(PressF5());
    EXPECT_NE(ReloadProblem().find("cannot be read"), std::string::npos) << ReloadProblem();
    EXPECT_FALSE(FileExists("Hod.pro")) << "a reload never creates the file";
    EXPECT_EQ(loaded->scene.texPolyVertexCount, 4);

    // An editor caught halfway through writing.
    ASSERT_TRUE(SaveTextFile("Hod.pro", good.substr(0, good.size() / 2)));
    EXPECT_FALSE(PressF5());
    EXPECT_NE(stderrText.find("error: the file ends early"), std::string::npos) << stderrText;
    EXPECT_EQ(loaded->scene.texPolyVertexCount, 4);
    EXPECT_EQ(loaded->scene.obstacleCount, 1);
    Frames(1);
    EXPECT_TRUE(IsMostly(FramePixel(2, 2), 0));
}

// The new scene is read beside the running one, so both must fit in the
// budget; one that does not leaves the running scene as it was.
TEST_F(Reload, SceneThatDoesNotFitBesideTheRunningOneKeepsIt) {
    std::string text = WallSceneText(WallScene());
    Start(text);
    const LoadedScene* running = loaded.get();
    uint64_t hash = HashScene(loaded->scene);
    size_t budget = sceneMemory.budget;
    sceneMemory.budget = sceneMemory.inUse + sceneMemory.inUse / 2;
    bool reloaded = PressF5();
    sceneMemory.budget = budget;
    EXPECT_FALSE(reloaded);
    EXPECT_NE(ReloadProblem().find("Out of memory."), std::string::npos) << ReloadProblem();
    EXPECT_NE(stderrText.find("Out of memory."), std::string::npos) << stderrText;
    EXPECT_EQ(loaded.get(), running);
    EXPECT_EQ(HashScene(loaded->scene), hash);
    Frames(1);
    EXPECT_TRUE(IsMostly(FramePixel(2, 2), 0)) << "the old scene is still drawn";

    EXPECT_TRUE(PressF5()) << "with room again the same file loads: " << stderrText;
    EXPECT_EQ(HashScene(loaded->scene), hash);
}

TEST_F(Reload, FailingTextureIsReportedOncePerReload) {
    WallScene three;
    three.texturedPolygons = 3;
    three.texture = "missing.bmp";
    Start(WallSceneText(three));
    for (int reload = 0; reload < 2; reload++) {
        ASSERT_TRUE(PressF5()) << stderrText;
        size_t count = 0;
        for (size_t at = 0; (at = stderrText.find("Failed to open DIB file", at)) != std::string::npos;
             at++)
            count++;
        EXPECT_EQ(count, 1u) << stderrText;
        Frames(3);  // and nothing more while frames run
    }
}

TEST_F(Reload, DrivingKeepsSpeedAndCameraOnlyInTheSameViewMode) {
    WallScene drive;
    drive.viewMode = 4;
    WallScene walk;
    std::string driveText = WallSceneText(drive), walkText = WallSceneText(walk);
    Start(driveText);
    Key(VK_UP);
    Frames(6);
    double speed = loaded->motion.viewer.forwardSpeed, ox = loaded->motion.camera.observerX, oz = loaded->motion.camera.observerZ;
    ASSERT_GT(speed, 0);
    ASSERT_TRUE(PressF5()) << stderrText;
    EXPECT_EQ(loaded->motion.viewer.forwardSpeed, speed);
    EXPECT_EQ(loaded->motion.camera.observerX, ox);
    EXPECT_EQ(loaded->motion.camera.observerZ, oz);

    SaveByRename("Hod.pro", walkText);
    double z = loaded->motion.viewer.viewerZ;
    ASSERT_TRUE(PressF5()) << stderrText;
    EXPECT_EQ(loaded->scene.viewMode, 1);
    EXPECT_EQ(loaded->motion.viewer.viewerZ, z) << "the position carries into the new mode";
    EXPECT_EQ(loaded->motion.viewer.forwardSpeed, 0) << "a driving speed does not carry into walking";
}

TEST_F(Reload, WatchSeesSavesInPlaceAndByRenameOnceTheyHoldStill) {
    WallScene red, green;
    green.clear[0] = 0;
    green.clear[1] = 1;  // same length as the red file: size alone would not tell
    std::string redText = WallSceneText(red), greenText = WallSceneText(green);
    ASSERT_EQ(redText.size(), greenText.size());
    Start(redText);
    EnableSceneWatch();
    RememberWatchedFiles();
    uint32_t t = tick;
    EXPECT_FALSE(PollSceneWatch(t));
    EXPECT_FALSE(PollSceneWatch(t += WATCH_INTERVAL_MS)) << "nothing changed";

    SaveByRename("Hod.pro", greenText);
    EXPECT_FALSE(PollSceneWatch(t += WATCH_INTERVAL_MS)) << "first sight: it may still be written";
    EXPECT_FALSE(PollSceneWatch(t + WATCH_INTERVAL_MS / 2)) << "polls come no closer than the interval";
    testing::internal::CaptureStderr();
    EXPECT_TRUE(PollSceneWatch(t += WATCH_INTERVAL_MS));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(loaded->scene.clearGreen, 1.0);
    EXPECT_LE(2 * WATCH_INTERVAL_MS, 500) << "a save is seen within half a second";

    // A texture the scene names, saved in place, reloads too.
    WriteTexture("wall.bmp", 0, 0, 255);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(PollSceneWatch(t += WATCH_INTERVAL_MS));
    EXPECT_TRUE(PollSceneWatch(t += WATCH_INTERVAL_MS));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(loaded->scene.texPolyTexFlag[0], 1);

    // A broken save is tried once, not at every poll.
    ASSERT_TRUE(SaveTextFile("Hod.pro", "12x\n"));
    testing::internal::CaptureStderr();
    PollSceneWatch(t += WATCH_INTERVAL_MS);
    EXPECT_TRUE(PollSceneWatch(t += WATCH_INTERVAL_MS));
    EXPECT_FALSE(PollSceneWatch(t += WATCH_INTERVAL_MS));
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Hod.pro:1:1: error"), std::string::npos) << errors;
    EXPECT_FALSE(ReloadProblem().empty());
    EXPECT_EQ(loaded->scene.clearGreen, 1.0);
}

}  // namespace
