// scene_pixels_test.cpp -- the static polygon lists on screen: small scenes
// run through ambler-replay, checked on its shot of the first frame.
//
// Every scene looks from the origin along -z (view mode 1, heading 0) with a
// 60-degree field of view at 200 x 150. The up vector is -y, so world +x
// shows on the left of the picture and world +y towards its bottom.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tests/support/replay_harness.h"
#include "tools/lib/bitmap_writer.h"
#include "tools/lib/png_image.h"

namespace {

constexpr int WIDTH = 200, HEIGHT = 150;
constexpr double HALF_FOV_TAN = 0.57735026918962573;  // tan(30 degrees)

struct Vertex {
    double x, y, z, s, t;
};

struct Polygon {
    double r, g, b;
    int flag;          // textured list only
    std::string name;  // textured list only
    std::vector<Vertex> vertices;
};

struct PixelScene {
    std::vector<Polygon> textured, flat;
    std::map<std::string, std::string> settings;  // overrides by field name

    std::string Setting(const std::string& name, const std::string& fallback) const {
        auto it = settings.find(name);
        return it == settings.end() ? fallback : it->second;
    }
};

// A square of side 2 * half at depth z, texture coordinates 0..1 with s
// growing with x and t with y.
std::vector<Vertex> Square(double cx, double cy, double z, double half) {
    return {{cx - half, cy - half, z, 0, 0}, {cx + half, cy - half, z, 1, 0},
            {cx + half, cy + half, z, 1, 1}, {cx - half, cy + half, z, 0, 1}};
}

std::string Num(double v) {
    char text[40];
    snprintf(text, sizeof text, "%.17g", v);
    return text;
}

// The whole "Hod.pro": no avatar, no actors, no obstacles.
std::string SceneText(const PixelScene& scene) {
    auto count = [](const std::vector<Polygon>& list) {
        size_t n = 0;
        for (const Polygon& p : list) n += p.vertices.size();
        return std::to_string(n);
    };
    std::string text = count(scene.textured) + " " + count(scene.flat) + " 0 -1 1\n";
    // displayModeIndex to light1Level.
    text += "1 " + scene.Setting("light0Enabled", "0") + " 0 0 60 0 0 1000 " +
            scene.Setting("cullDistance", "1000") + " " + scene.Setting("cullEnabled", "0") + " " +
            scene.Setting("linearMagFilter", "0") + " " + scene.Setting("light0Level", "0") + " 0\n";
    // Eye, target, heading, collision radius, view mode 1, camera steps,
    // observer and its target, side key mode.
    text += "0 0 0  0 0 -100  0  8  1  20 10  0 0 0  0 0 0  2\n";
    // Motion settings 37 to 62 at their defaults.
    text += "2 5 1 70 70 6 20 3 1.2 5 7 0.07 0.3 0.4 0.4 0.7 0.01 0.2 0.5 1.5 0.8 50 2 60 4 0.17\n";
    text += "0\n";      // obstacles
    text += "0 0 0\n";  // clear colour
    for (const Polygon& p : scene.textured)
        for (size_t i = 0; i < p.vertices.size(); i++) {
            const Vertex& v = p.vertices[i];
            if (i == 0) text += Num(p.r) + " " + Num(p.g) + " " + Num(p.b) + " ";
            text += Num(v.x) + " " + Num(v.y) + " " + Num(v.z) + " " +
                    (i + 1 == p.vertices.size() ? "1 " : "0 ") + Num(v.s) + " " + Num(v.t) + " " +
                    std::to_string(p.flag) + " #" + p.name + "\n";
        }
    for (const Polygon& p : scene.flat)
        for (size_t i = 0; i < p.vertices.size(); i++) {
            const Vertex& v = p.vertices[i];
            if (i == 0) text += Num(p.r) + " " + Num(p.g) + " " + Num(p.b) + " ";
            text += Num(v.x) + " " + Num(v.y) + " " + Num(v.z) + " " +
                    (i + 1 == p.vertices.size() ? "1" : "0") + "\n";
        }
    return text;
}

// Writes a bitmap of w x h pixels given bottom row first.
void WriteBitmap(const std::string& path, const std::vector<unsigned char>& rgb, int w, int h) {
    ASSERT_TRUE(WriteBitmap24(path.c_str(), rgb.data(), w, h)) << path;
}

struct Shot {
    RgbImage image;
    std::string errors;  // the tool's stderr
    std::vector<int> At(int x, int y) const {
        const unsigned char* p = image.rgb.data() + ((size_t)y * image.width + x) * 3;
        return {p[0], p[1], p[2]};
    }
    // The pixel where world point (x, y, z) shows.
    std::vector<int> Of(double x, double y, double z) const {
        double halfHeight = -z * HALF_FOV_TAN, halfWidth = halfHeight * WIDTH / HEIGHT;
        int px = (int)std::lround(WIDTH / 2.0 - x / halfWidth * (WIDTH / 2.0));
        int py = (int)std::lround(HEIGHT / 2.0 + y / halfHeight * (HEIGHT / 2.0));
        return At(px, py);
    }
};

// Runs one frame of the scene in dir (bitmaps already there) and reads the shot.
void TakeShot(const std::string& dir, const PixelScene& scene, Shot* shot) {
    WriteTextFile(dir + "/Hod.pro", SceneText(scene));
    std::string png = dir + "/shot.png";
    ReplayResult r = RunReplayTool(dir, 1, "", "--shot 0:" + png);
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 1u);
    ASSERT_TRUE(r.steps[0].ran);
    std::string error;
    ASSERT_TRUE(ReadPng(png.c_str(), &shot->image, &error)) << error;
    ASSERT_EQ(shot->image.width, WIDTH);
    ASSERT_EQ(shot->image.height, HEIGHT);
    shot->errors = r.errors;
}

// Each channel within 1 of the expected (colours go through 8-bit rounding).
void ExpectColour(const std::vector<int>& got, const std::vector<int>& want, const char* what) {
    ASSERT_EQ(got.size(), 3u);
    for (int c = 0; c < 3; c++)
        EXPECT_LE(std::abs(got[c] - want[c]), 1)
            << what << ": got " << got[0] << "," << got[1] << "," << got[2] << " want " << want[0]
            << "," << want[1] << "," << want[2];
}

const std::vector<int> BLACK = {0, 0, 0};

// A scene folder removed when the test ends.
struct SceneFolder {
    std::string dir = MakeTempDir();
    ~SceneFolder() {
        std::string command = "rm -rf '" + dir + "'";
        EXPECT_EQ(system(command.c_str()), 0);
    }
};

TEST(ScenePixels, FlatSquareBeforeTheStartCameraShowsItsPlainColour) {
    SceneFolder folder;
    const std::string& dir = folder.dir;
    PixelScene scene;
    scene.flat.push_back({0.2, 0.6, 1.0, 0, "", Square(0, 0, -50, 10)});
    Shot shot;
    ASSERT_NO_FATAL_FAILURE(TakeShot(dir, scene, &shot));
    ExpectColour(shot.At(WIDTH / 2, HEIGHT / 2), {51, 153, 255}, "centre");
    ExpectColour(shot.At(5, 5), BLACK, "corner");
    ExpectColour(shot.Of(12, 0, -50), BLACK, "beside the square");

    // The same with a light on is no longer the plain colour, which shows
    // that the check above can tell.
    scene.settings = {{"light0Enabled", "1"}, {"light0Level", "0.3"}};
    Shot lit;
    ASSERT_NO_FATAL_FAILURE(TakeShot(dir, scene, &lit));
    std::vector<int> centre = lit.At(WIDTH / 2, HEIGHT / 2);
    EXPECT_GT(std::abs(centre[0] - 51) + std::abs(centre[1] - 153) + std::abs(centre[2] - 255), 10)
        << centre[0] << "," << centre[1] << "," << centre[2];
}

TEST(ScenePixels, TexturedQuadShowsItsTexture) {
    SceneFolder folder;
    const std::string& dir = folder.dir;
    // 2 x 2, bottom row first: red, green / blue, white.
    WriteBitmap(dir + "/quad.bmp", {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}, 2, 2);
    PixelScene scene;
    scene.textured.push_back({1, 1, 1, 1, "quad.bmp", Square(0, 0, -50, 10)});
    Shot shot;
    ASSERT_NO_FATAL_FAILURE(TakeShot(dir, scene, &shot));
    ExpectColour(shot.Of(-5, -5, -50), {255, 0, 0}, "s < 1/2, t < 1/2");
    ExpectColour(shot.Of(5, -5, -50), {0, 255, 0}, "s > 1/2, t < 1/2");
    ExpectColour(shot.Of(-5, 5, -50), {0, 0, 255}, "s < 1/2, t > 1/2");
    ExpectColour(shot.Of(5, 5, -50), {255, 255, 255}, "s > 1/2, t > 1/2");
    // The polygon's colour modulates the texture.
    scene.textured[0].g = 0;
    Shot tinted;
    ASSERT_NO_FATAL_FAILURE(TakeShot(dir, scene, &tinted));
    ExpectColour(tinted.Of(5, 5, -50), {255, 0, 255}, "white texel, magenta polygon");
}

TEST(ScenePixels, CullingDropsFarPolygonsOnlyAfterADrawnTexturedOne) {
    SceneFolder folder;
    const std::string& dir = folder.dir;
    WriteBitmap(dir + "/red.bmp", {255, 0, 0}, 1, 1);
    WriteBitmap(dir + "/green.bmp", {0, 255, 0}, 1, 1);
    // Far squares (150 away, cull distance 100) side by side; a near plain
    // one lower down.
    PixelScene scene;
    scene.textured = {
        {1, 1, 1, 1, "red.bmp", Square(60, 0, -150, 8)},     // the list's first: drawn
        {1, 1, 1, 1, "green.bmp", Square(20, 0, -150, 8)},   // after a textured one: culled
        {0, 0, 1, 0, "red.bmp", Square(0, 20, -50, 3)},      // near plain: drawn
        {1, 1, 1, 1, "green.bmp", Square(-20, 0, -150, 8)},  // after a plain one: drawn
        {1, 1, 1, 1, "red.bmp", Square(-60, 0, -150, 8)},    // after a textured one: culled
        {1, 1, 1, 1, "red.bmp", Square(0, -60, -150, 8)},    // ends the list
    };
    scene.settings = {{"cullEnabled", "1"}, {"cullDistance", "100"}};
    Shot culled;
    ASSERT_NO_FATAL_FAILURE(TakeShot(dir, scene, &culled));
    ExpectColour(culled.Of(60, 0, -150), {255, 0, 0}, "first polygon");
    ExpectColour(culled.Of(20, 0, -150), BLACK, "far polygon after a textured one");
    ExpectColour(culled.Of(0, 20, -50), {0, 0, 255}, "near plain polygon");
    ExpectColour(culled.Of(-20, 0, -150), {0, 255, 0}, "far polygon after a plain one");
    ExpectColour(culled.Of(-60, 0, -150), BLACK, "second far polygon after a textured one");

    scene.settings["cullEnabled"] = "0";
    Shot all;
    ASSERT_NO_FATAL_FAILURE(TakeShot(dir, scene, &all));
    ExpectColour(all.Of(20, 0, -150), {0, 255, 0}, "culling off");
    ExpectColour(all.Of(-60, 0, -150), {255, 0, 0}, "culling off");
    ExpectColour(all.Of(0, -60, -150), {255, 0, 0}, "culling off");
}

TEST(ScenePixels, NamesDifferingInCaseAreTwoTextures) {
    SceneFolder folder;
    const std::string& dir = folder.dir;
    WriteBitmap(dir + "/Brick.bmp", {255, 0, 0}, 1, 1);
    WriteBitmap(dir + "/brick.bmp", {0, 0, 255}, 1, 1);
    PixelScene scene;
    scene.textured = {{1, 1, 1, 1, "Brick.bmp", Square(15, 0, -50, 5)},
                      {1, 1, 1, 1, "brick.bmp", Square(-15, 0, -50, 5)},
                      {1, 1, 1, 1, "Brick.bmp", Square(0, 15, -50, 5)}};
    Shot shot;
    ASSERT_NO_FATAL_FAILURE(TakeShot(dir, scene, &shot));
    ExpectColour(shot.Of(15, 0, -50), {255, 0, 0}, "Brick.bmp");
    ExpectColour(shot.Of(-15, 0, -50), {0, 0, 255}, "brick.bmp");
    ExpectColour(shot.Of(0, 15, -50), {255, 0, 0}, "Brick.bmp again");
}

TEST(ScenePixels, APolygonWhoseImageFailedIsDrawnPlainAfterOneMessage) {
    SceneFolder folder;
    const std::string& dir = folder.dir;
    WriteBitmap(dir + "/green.bmp", {0, 255, 0}, 1, 1);
    PixelScene scene;
    scene.textured = {{1, 1, 0, 1, "missing.bmp", Square(15, 0, -50, 5)},
                      {1, 1, 1, 1, "green.bmp", Square(0, 0, -50, 5)},
                      {0, 1, 1, 1, "missing.bmp", Square(-15, 0, -50, 5)}};
    Shot shot;
    ASSERT_NO_FATAL_FAILURE(TakeShot(dir, scene, &shot));
    ExpectColour(shot.Of(15, 0, -50), {255, 255, 0}, "failed texture: plain colour");
    ExpectColour(shot.Of(0, 0, -50), {0, 255, 0}, "working texture");
    ExpectColour(shot.Of(-15, 0, -50), {0, 255, 255}, "same failed name: plain colour");
    std::string message = "Failed to open DIB file missing.bmp.";
    size_t first = shot.errors.find(message);
    EXPECT_NE(first, std::string::npos) << shot.errors;
    EXPECT_EQ(shot.errors.find(message, first + 1), std::string::npos) << shot.errors;
}

}  // namespace
