// scene_polygons_gl_test.cpp -- the GL calls of the static polygon lists
// and of the texture step, recorded at the GL boundary: this program is
// linked with the GL entry points wrapped (see the end of CMakeLists.txt),
// so every call the drawing code makes lands in the recorder below and no
// GL context is needed.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "motion/motion.h"
#include "render/render.h"
#include "scene/bitmap.h"
#include "scene/scene.h"
#include "scene/textures.h"
#include "tools/lib/bitmap_writer.h"

namespace {

std::vector<std::string> calls;
unsigned nextTextureName = 1;

void Record(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Record(const char* format, ...) {
    char text[160];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    calls.push_back(text);
}

const char* CapName(GLenum cap) { return cap == GL_TEXTURE_2D ? "TEX" : "OTHER"; }

}  // namespace

extern "C" {
void __wrap_glBegin(GLenum mode) { Record("Begin %s", mode == GL_POLYGON ? "POLYGON" : "?"); }
void __wrap_glEnd() { Record("End"); }
void __wrap_glColor3d(double r, double g, double b) { Record("Color %g %g %g", r, g, b); }
void __wrap_glTexCoord2d(double s, double t) { Record("Tex %g %g", s, t); }
void __wrap_glVertex3d(double x, double y, double z) { Record("Vertex %g %g %g", x, y, z); }
void __wrap_glEnable(GLenum cap) { Record("Enable %s", CapName(cap)); }
void __wrap_glDisable(GLenum cap) { Record("Disable %s", CapName(cap)); }
void __wrap_glBindTexture(GLenum target, GLuint name) {
    Record("Bind%s %u", target == GL_TEXTURE_2D ? "" : "?", name);
}
void __wrap_glGenTextures(GLsizei n, GLuint* names) {
    for (GLsizei i = 0; i < n; i++) names[i] = nextTextureName++;
    Record("Gen %u", names[0]);
}
void __wrap_glPixelStorei(GLenum name, GLint value) {
    Record("PixelStore %s %d", name == GL_UNPACK_ALIGNMENT ? "UNPACK_ALIGNMENT" : "?", value);
}
void __wrap_glTexParameteri(GLenum target, GLenum name, GLint value) {
    const char* which = name == GL_TEXTURE_MIN_FILTER ? "MIN" : name == GL_TEXTURE_MAG_FILTER ? "MAG" : "?";
    const char* filter = value == GL_NEAREST ? "NEAREST" : value == GL_LINEAR ? "LINEAR" : "?";
    Record("Param%s %s %s", target == GL_TEXTURE_2D ? "" : "?", which, filter);
}
GLint __wrap_gluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height,
                               GLenum format, GLenum type, const void* pixels) {
    const unsigned char* p = static_cast<const unsigned char*>(pixels);
    bool ok = target == GL_TEXTURE_2D && format == GL_RGB && type == GL_UNSIGNED_BYTE;
    Record("Build%s %d %dx%d first %d,%d,%d", ok ? "" : "?", components, width, height, p[0], p[1], p[2]);
    return 0;
}
}

namespace {

// The test's scene with its texture objects, the viewer, and the frame
// being drawn, as the program holds them.
std::unique_ptr<Scene> sceneHolder = std::make_unique<Scene>();
Scene& scene = *sceneHolder;
SceneTextures textures;
ViewerState viewer;
FrameDraw frame{scene, textures};

void DrawTexturedPolygons() { DrawTexturedPolygons(frame, viewer); }
void DrawFlatPolygons() { DrawFlatPolygons(scene); }
void BindTextureIfChanged(unsigned name) { BindTextureIfChanged(frame, name); }
bool IsNearViewer(int v) { return IsNearViewer(scene, viewer, v); }
void CreateSceneTextures() { CreateSceneTextures(scene, textures); }

// Slot (p, i) of the part lists' texture objects or images.
template <typename T>
T& PartSlot(std::vector<T>& slots, size_t p, size_t i) {
    return slots[i * textures.partRows + p];
}

int Count(const std::string& call) { return (int)std::count(calls.begin(), calls.end(), call); }

int CountPrefix(const std::string& prefix) {
    return (int)std::count_if(calls.begin(), calls.end(),
                              [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}

// ---- Scene set-up: lists built directly in the tables.

struct Poly {
    int flag;        // texture flag of the polygon's slot
    unsigned tex;    // its texture object
    double x, z;     // where its square of four vertices sits
    int ends = 1;    // end mark of its last vertex
};

void SetTexturedList(const std::vector<Poly>& polys) {
    int n = 4 * (int)polys.size();
    scene.texPolyVertexCount = n;
    size_t size = (size_t)n + 10;
    for (Table<double>* t : {&scene.texPolyColorR, &scene.texPolyColorG, &scene.texPolyColorB, &scene.texPolyX, &scene.texPolyY,
                             &scene.texPolyZ, &scene.texPolyS, &scene.texPolyT})
        t->Allocate(size);
    scene.texPolyEnd.Allocate(size);
    scene.texPolyTexFlag.Allocate(size);
    textures.texPolyTexId.assign(size, 0);
    scene.texPolyEnd[0] = 1;
    for (int p = 0; p < (int)polys.size(); p++) {
        int f = 4 * p + 1;
        scene.texPolyColorR[f] = p + 1;  // the polygon's number, to tell them apart
        scene.texPolyColorG[f] = 0.5;
        scene.texPolyColorB[f] = 0.25;
        scene.texPolyTexFlag[f - 1] = polys[p].flag;
        textures.texPolyTexId[f - 1] = polys[p].tex;
        for (int i = 0; i < 4; i++) {
            scene.texPolyX[f + i] = polys[p].x + (i == 1 || i == 2 ? 1 : 0);
            scene.texPolyY[f + i] = i;
            scene.texPolyZ[f + i] = polys[p].z + (i >= 2 ? 1 : 0);
            scene.texPolyS[f + i] = i;
            scene.texPolyT[f + i] = -i;
            scene.texPolyEnd[f + i] = i == 3 ? polys[p].ends : 0;
        }
    }
}

// The calls one drawn polygon p of SetTexturedList makes from glBegin on,
// with the colour placed before glBegin (or after it, for a first textured
// polygon).
std::vector<std::string> PolygonCalls(const std::vector<Poly>& polys, int p, bool colourAfter) {
    char colour[64];
    snprintf(colour, sizeof colour, "Color %d 0.5 0.25", p + 1);
    std::vector<std::string> out;
    if (!colourAfter) out.push_back(colour);
    out.push_back("Begin POLYGON");
    if (colourAfter) out.push_back(colour);
    for (int i = 0; i < 4; i++) {
        char text[96];
        if (polys[p].flag == 1) {
            snprintf(text, sizeof text, "Tex %d %d", i, -i);
            out.push_back(text);
        }
        snprintf(text, sizeof text, "Vertex %g %d %g", polys[p].x + (i == 1 || i == 2 ? 1 : 0), i,
                 polys[p].z + (i >= 2 ? 1 : 0));
        out.push_back(text);
    }
    out.push_back("End");
    return out;
}

void Append(std::vector<std::string>& to, const std::vector<std::string>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

// Which polygons of the list were drawn, by the colours sent.
std::vector<int> DrawnPolygons() {
    std::vector<int> drawn;
    for (const std::string& c : calls) {
        int p;
        if (sscanf(c.c_str(), "Color %d", &p) == 1) drawn.push_back(p - 1);
    }
    return drawn;
}

class PolygonDrawing : public testing::Test {
protected:
    void SetUp() override {
        ResetScene(scene);
        textures = SceneTextures();
        calls.clear();
        frame.boundTexture = 0;
        viewer.viewerX = viewer.viewerZ = 0;
    }
};

// ---- The textured list.

TEST_F(PolygonDrawing, OneTextureBindsOncePerFrameAndEnablesOnce) {
    std::vector<Poly> polys = {{1, 7, 0, 0}, {1, 7, 5, 0}, {1, 7, 10, 0}};
    SetTexturedList(polys);
    DrawTexturedPolygons();
    std::vector<std::string> expected = {"Enable TEX", "Bind 7"};
    Append(expected, PolygonCalls(polys, 0, true));
    Append(expected, PolygonCalls(polys, 1, false));
    Append(expected, PolygonCalls(polys, 2, false));
    EXPECT_EQ(calls, expected);
    // The next frame starts with the cache reset and binds once again.
    calls.clear();
    frame.boundTexture = 0;
    DrawTexturedPolygons();
    EXPECT_EQ(Count("Bind 7"), 1);
    EXPECT_EQ(Count("Enable TEX"), 1);
}

TEST_F(PolygonDrawing, AlternatingKindsToggleTexturingBeforeEachPolygon) {
    std::vector<Poly> polys = {{0, 0, 0, 0}, {1, 3, 5, 0}, {0, 0, 10, 0}, {1, 4, 15, 0}, {1, 3, 20, 0}};
    SetTexturedList(polys);
    DrawTexturedPolygons();
    std::vector<std::string> expected = {"Disable TEX"};
    Append(expected, PolygonCalls(polys, 0, false));
    expected.insert(expected.end(), {"Enable TEX", "Bind 3"});
    Append(expected, PolygonCalls(polys, 1, false));
    expected.push_back("Disable TEX");
    Append(expected, PolygonCalls(polys, 2, false));
    expected.insert(expected.end(), {"Enable TEX", "Bind 4"});
    Append(expected, PolygonCalls(polys, 3, false));
    expected.push_back("Bind 3");  // same kind: no enable, but a new texture
    Append(expected, PolygonCalls(polys, 4, false));
    EXPECT_EQ(calls, expected);
}

TEST_F(PolygonDrawing, BindTextureIfChangedSkipsTheBoundName) {
    BindTextureIfChanged(5);
    BindTextureIfChanged(5);
    BindTextureIfChanged(6);
    BindTextureIfChanged(5);
    EXPECT_EQ(calls, (std::vector<std::string>{"Bind 5", "Bind 6", "Bind 5"}));
    EXPECT_EQ(frame.boundTexture, 5u);
    // Name 0 is already "bound" at the start of a frame.
    calls.clear();
    frame.boundTexture = 0;
    BindTextureIfChanged(0);
    EXPECT_TRUE(calls.empty());
}

TEST_F(PolygonDrawing, FlagsOtherThanZeroAndOneDrawPlainAndTheListGoesOn) {
    std::vector<Poly> polys = {{2, 9, 0, 0}, {1, 3, 5, 0}, {-1, 9, 10, 0}};
    SetTexturedList(polys);
    DrawTexturedPolygons();
    std::vector<std::string> expected = {"Disable TEX"};
    Append(expected, PolygonCalls(polys, 0, false));
    expected.insert(expected.end(), {"Enable TEX", "Bind 3"});
    Append(expected, PolygonCalls(polys, 1, false));
    expected.push_back("Disable TEX");
    Append(expected, PolygonCalls(polys, 2, false));
    EXPECT_EQ(calls, expected);
}

TEST_F(PolygonDrawing, CountsBelowOneDrawNothing) {
    SetTexturedList({{1, 3, 0, 0}});
    for (int n : {0, -1, -100}) {
        scene.texPolyVertexCount = n;
        scene.flatPolyVertexCount = n;
        DrawTexturedPolygons();
        DrawFlatPolygons();
    }
    EXPECT_TRUE(calls.empty());
}

TEST_F(PolygonDrawing, ALastPolygonWithoutItsEndMarkEndsAtTheListsEnd) {
    std::vector<Poly> polys = {{1, 3, 0, 0}, {1, 3, 5, 0, 0}};
    SetTexturedList(polys);
    DrawTexturedPolygons();
    EXPECT_EQ(Count("Begin POLYGON"), 2);
    EXPECT_EQ(Count("End"), 2);
    EXPECT_EQ(CountPrefix("Vertex"), 8);
}

// ---- Near-viewer culling.

TEST_F(PolygonDrawing, CullingSkipsFarPolygonsOnlyAfterADrawnTexturedOne) {
    scene.cullEnabled = 1;
    scene.cullDistance = 100;
    // far textured (first: drawn), far textured (skipped), near plain
    // (drawn), far textured (after plain: drawn), far plain (skipped), near
    // textured (drawn), far textured (skipped), last polygon far.
    std::vector<Poly> polys = {{1, 3, 500, 0},  {1, 3, 500, 0}, {0, 0, 10, 10}, {1, 4, 0, 500},
                               {0, 0, -500, 0}, {1, 3, 50, 50}, {1, 3, 0, -500}, {1, 3, 500, 500}};
    SetTexturedList(polys);
    DrawTexturedPolygons();
    EXPECT_EQ(DrawnPolygons(), (std::vector<int>{0, 2, 3, 5}));
    // The skipped plain polygon switched nothing: the near textured one
    // after it follows a drawn textured one and needs no enable.
    EXPECT_EQ(Count("Enable TEX"), 2);
    EXPECT_EQ(Count("Disable TEX"), 1);

    scene.cullEnabled = 2;  // only 1 turns culling on
    calls.clear();
    DrawTexturedPolygons();
    EXPECT_EQ(DrawnPolygons().size(), polys.size());
}

TEST_F(PolygonDrawing, OneNearVertexDrawsTheWholePolygonButNotTheListsLastVertex) {
    scene.cullEnabled = 1;
    scene.cullDistance = 100;
    // Polygon 1's third vertex is its only near one; the last polygon's only
    // near vertex is the list's last vertex.
    std::vector<Poly> polys = {{1, 3, 0, 0}, {1, 3, 98.5, 200}, {1, 3, 300, 0}};
    SetTexturedList(polys);
    scene.texPolyZ[7] = 99;  // polygon 1, vertex 3 of 4: x 99.5, z 99 -> near
    scene.texPolyX[12] = 0;  // polygon 2, last vertex of the list: near, never examined
    scene.texPolyZ[12] = 0;
    DrawTexturedPolygons();
    EXPECT_EQ(DrawnPolygons(), (std::vector<int>{0, 1}));
    EXPECT_EQ(CountPrefix("Vertex"), 8);  // polygon 1 whole
}

TEST_F(PolygonDrawing, NearnessIsStrictOnBothAxesAndIgnoresHeight) {
    scene.cullDistance = 10;
    viewer.viewerX = 100;
    viewer.viewerZ = -50;
    SetTexturedList({{1, 3, 0, 0}});
    auto nearAt = [](double x, double y, double z) {
        scene.texPolyX[1] = x, scene.texPolyY[1] = y, scene.texPolyZ[1] = z;
        return IsNearViewer(1);
    };
    EXPECT_TRUE(nearAt(109.9, 1e9, -59.9));
    EXPECT_FALSE(nearAt(110, 0, -50));
    EXPECT_FALSE(nearAt(90, 0, -50));
    EXPECT_FALSE(nearAt(100, 0, -40));
    EXPECT_FALSE(nearAt(100, 0, -60));
    EXPECT_TRUE(nearAt(90.5, 0, -40.5));
}

// ---- The flat list.

void SetFlatList(const std::vector<int>& ends) {
    int n = (int)ends.size();
    scene.flatPolyVertexCount = n;
    for (Table<double>* t : {&scene.flatPolyColorR, &scene.flatPolyColorG, &scene.flatPolyColorB, &scene.flatPolyX,
                             &scene.flatPolyY, &scene.flatPolyZ})
        t->Allocate((size_t)n + 10);
    scene.flatPolyEnd.Allocate((size_t)n + 10);
    scene.flatPolyEnd[0] = 1;
    for (int v = 1; v <= n; v++) {
        scene.flatPolyColorR[v] = v;
        scene.flatPolyX[v] = 10 * v;
        scene.flatPolyEnd[v] = ends[v - 1];
    }
}

TEST_F(PolygonDrawing, FlatListSetsEachPolygonsColourAndLeavesTexturingAlone) {
    SetFlatList({0, 1, 0, 0, 1});
    DrawFlatPolygons();
    std::vector<std::string> expected = {
        "Color 1 0 0", "Begin POLYGON", "Vertex 10 0 0", "Vertex 20 0 0", "End",
        "Color 3 0 0", "Begin POLYGON", "Vertex 30 0 0", "Vertex 40 0 0", "Vertex 50 0 0", "End"};
    EXPECT_EQ(calls, expected);
}

TEST_F(PolygonDrawing, FlatListWithoutAFinalEndMarkStillEndsItsPolygon) {
    SetFlatList({1, 0, 0});
    DrawFlatPolygons();
    EXPECT_EQ(Count("Begin POLYGON"), 2);
    EXPECT_EQ(Count("End"), 2);
    EXPECT_EQ(calls.back(), "End");
}

// ---- Texture objects.

struct TempFolder {
    std::string path;
    std::string previous;
    TempFolder() {
        char pattern[] = "/tmp/ambler_textures_XXXXXX";
        path = mkdtemp(pattern);
        char cwd[4096];
        previous = getcwd(cwd, sizeof cwd);
        EXPECT_EQ(chdir(path.c_str()), 0);
    }
    ~TempFolder() {
        EXPECT_EQ(chdir(previous.c_str()), 0);
        std::string command = "rm -rf '" + path + "'";
        EXPECT_EQ(system(command.c_str()), 0);
    }
};

// A 2 x 1 bitmap whose first pixel is (r, 0, 0).
void WriteTestBitmap(const char* name, unsigned char r) {
    const unsigned char rgb[6] = {r, 0, 0, 9, 9, 9};
    ASSERT_TRUE(WriteBitmap24(name, rgb, 2, 1));
}

void SetName(TexName& slot, const char* name) {
    slot.offset = scene.texNames.Intern(name, strlen(name));
}

// Slots of the three lists: (flag, name) per slot; part slots of actor 0.
void SetTextureSlots(const std::vector<std::pair<int, const char*>>& textured,
                     const std::vector<std::pair<int, const char*>>& avatar,
                     const std::vector<std::vector<std::pair<int, const char*>>>& actors) {
    scene.texPolyVertexCount = (int)textured.size();
    scene.avatarPolyVertexCount = (int)avatar.size();
    scene.actorLastIndex = (int)actors.size() - 1;
    scene.texPolyTexFlag.Allocate(textured.size() + 10);
    scene.texPolyTexName.Allocate(textured.size() + 10);
    scene.avatarPolyTexFlag.Allocate(avatar.size() + 1);
    scene.avatarPolyTexName.Allocate(avatar.size() + 1);
    size_t rows = 1;
    for (const auto& a : actors) rows = std::max(rows, a.size() + 1);
    size_t cols = std::max<size_t>(actors.size(), 1);
    scene.partTexFlag.Allocate(rows, cols);
    scene.partTexName.Allocate(rows, cols);
    scene.actorPartVertexCount.Allocate(cols);
    for (size_t k = 0; k < textured.size(); k++) {
        scene.texPolyTexFlag[k] = textured[k].first;
        SetName(scene.texPolyTexName[k], textured[k].second);
    }
    for (size_t k = 0; k < avatar.size(); k++) {
        scene.avatarPolyTexFlag[k] = avatar[k].first;
        SetName(scene.avatarPolyTexName[k], avatar[k].second);
    }
    for (size_t i = 0; i < actors.size(); i++) {
        scene.actorPartVertexCount[i] = (int)actors[i].size();
        for (size_t p = 0; p < actors[i].size(); p++) {
            scene.partTexFlag(p, i) = actors[i][p].first;
            SetName(scene.partTexName(p, i), actors[i][p].second);
        }
    }
}

// Frees the images the texture step made (the program keeps them for the
// whole run; here each test makes its own). No GL context holds objects.
void FreeSceneImages() {
    std::set<TextureImage*> images;
    for (const auto* list : {&textures.texPolyImage, &textures.avatarPolyImage, &textures.partImage})
        images.insert(list->begin(), list->end());
    for (TextureImage* image : images) FreeTextureImage(image);
    textures = SceneTextures();
    scene.texPolyVertexCount = scene.avatarPolyVertexCount = 0;
    scene.actorLastIndex = -1;
}

class TextureObjects : public PolygonDrawing {
protected:
    TempFolder folder;
    void TearDown() override { FreeSceneImages(); }
    void SetUp() override {
        PolygonDrawing::SetUp();
        nextTextureName = 1;
        WriteTestBitmap("Brick.bmp", 10);
        WriteTestBitmap("brick.bmp", 20);
        WriteTestBitmap("wood.bmp", 30);
    }
};

TEST_F(TextureObjects, OneObjectPerDistinctNameWithItsSettingsInOrder) {
    SetTextureSlots({{1, "Brick.bmp"}, {1, "wood.bmp"}, {1, "Brick.bmp"}, {1, "brick.bmp"}}, {}, {});
    scene.linearMagFilter = 1;
    CreateSceneTextures();
    std::vector<std::string> oneObject = {"PixelStore UNPACK_ALIGNMENT 1", "Gen 1", "Bind 1",
                                          "Build 3 2x1 first 10,0,0", "Param MIN NEAREST",
                                          "Param MAG LINEAR"};
    ASSERT_GE(calls.size(), oneObject.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 6), oneObject);
    EXPECT_EQ(CountPrefix("Build"), 3);
    EXPECT_EQ(textures.texPolyTexId[0], 1u);
    EXPECT_EQ(textures.texPolyTexId[1], 2u);
    EXPECT_EQ(textures.texPolyTexId[2], 1u);  // shares the first Brick.bmp
    EXPECT_EQ(textures.texPolyTexId[3], 3u);  // a different name in another case
    EXPECT_NE(textures.texPolyImage[0], nullptr);
    EXPECT_EQ(textures.texPolyImage[2], nullptr);
    EXPECT_EQ(textures.texPolyImage[3]->pixels[0], 20);
}

TEST_F(TextureObjects, MagnificationFilterFollowsTheSetting) {
    for (int setting : {0, 2}) {
        FreeSceneImages();
        calls.clear();
        SetTextureSlots({{1, "wood.bmp"}}, {}, {});
        scene.linearMagFilter = setting;
        CreateSceneTextures();
        EXPECT_EQ(Count("Param MAG NEAREST"), 1) << setting;
        EXPECT_EQ(Count("Param MIN NEAREST"), 1) << setting;
    }
}

TEST_F(TextureObjects, LaterListsSearchTheirOwnThenAvatarThenTexturedSlots) {
    // The part names wood.bmp, which the textured list names after its
    // Brick.bmp; the avatar names Brick.bmp only.
    SetTextureSlots({{0, "wood.bmp"}, {1, "Brick.bmp"}, {1, "wood.bmp"}},
                    {{1, "Brick.bmp"}, {1, "brick.bmp"}},
                    {{{1, "wood.bmp"}, {1, "brick.bmp"}}, {{1, "Brick.bmp"}, {1, "brick.bmp"}}});
    CreateSceneTextures();
    EXPECT_EQ(CountPrefix("Build"), 3);
    unsigned brick = textures.texPolyTexId[1], wood = textures.texPolyTexId[2], lower = textures.avatarPolyTexId[1];
    EXPECT_EQ(textures.texPolyTexId[0], 0u);  // flag 0 takes no part
    EXPECT_EQ(textures.avatarPolyTexId[0], brick);
    EXPECT_EQ(textures.avatarPolyImage[0], nullptr);
    EXPECT_NE(textures.avatarPolyImage[1], nullptr);
    EXPECT_EQ(PartSlot(textures.partTexId, 0, 0), wood);
    EXPECT_EQ(PartSlot(textures.partTexId, 1, 0), lower);
    EXPECT_EQ(PartSlot(textures.partTexId, 0, 1), brick);
    EXPECT_EQ(PartSlot(textures.partTexId, 1, 1), lower);
    EXPECT_EQ(PartSlot(textures.partImage, 0, 0), nullptr);
}

TEST_F(TextureObjects, AFailedFileShowsOneMessageAndItsSlotsDrawPlain) {
    SetTextureSlots({{1, "missing.bmp"}, {1, "wood.bmp"}, {1, "missing.bmp"}, {2, "gone.bmp"}},
                    {{1, "missing.bmp"}}, {{{1, "missing.bmp"}}});
    testing::internal::CaptureStderr();
    CreateSceneTextures();
    std::string shown = testing::internal::GetCapturedStderr();
    const std::string message = "Failed to open DIB file missing.bmp.";
    size_t first = shown.find(message);
    EXPECT_NE(first, std::string::npos) << shown;
    EXPECT_EQ(shown.find("missing.bmp", first + message.size()), std::string::npos) << shown;
    EXPECT_EQ(shown.find("gone.bmp"), std::string::npos) << shown;
    EXPECT_EQ(CountPrefix("Gen"), 1);
    for (int k : {0, 2}) {
        EXPECT_EQ(scene.texPolyTexFlag[k], 0);
        EXPECT_EQ(textures.texPolyTexId[k], 0u);
    }
    EXPECT_EQ(scene.texPolyTexFlag[3], 2);
    EXPECT_EQ(scene.avatarPolyTexFlag[0], 0);
    EXPECT_EQ(scene.partTexFlag(0, 0), 0);
    EXPECT_EQ(scene.texPolyTexFlag[1], 1);
}

// The design's plain scan, slot by slot, as a reference for the index.
struct ScanResult {
    std::vector<unsigned> textured, avatar;
    std::vector<std::vector<unsigned>> parts;
    int loads = 0;
};

ScanResult ReferenceScan(const std::vector<std::pair<int, const char*>>& t,
                         const std::vector<std::pair<int, const char*>>& a,
                         const std::vector<std::vector<std::pair<int, const char*>>>& parts) {
    ScanResult r;
    unsigned next = 1;
    auto find = [](const std::vector<std::pair<int, const char*>>& slots,
                   const std::vector<unsigned>& ids, size_t end, const char* name, unsigned* id) {
        for (size_t x = 0; x < end; x++)
            if (slots[x].first == 1 && strcmp(slots[x].second, name) == 0) return *id = ids[x], true;
        return false;
    };
    r.textured.assign(t.size(), 0);
    for (size_t k = 0; k < t.size(); k++)
        if (t[k].first == 1 && !find(t, r.textured, k, t[k].second, &r.textured[k]))
            r.textured[k] = next++, r.loads++;
    r.avatar.assign(a.size(), 0);
    for (size_t k = 0; k < a.size(); k++)
        if (a[k].first == 1 && !find(a, r.avatar, k, a[k].second, &r.avatar[k]) &&
            !find(t, r.textured, t.size(), a[k].second, &r.avatar[k]))
            r.avatar[k] = next++, r.loads++;
    std::vector<std::pair<int, const char*>> seen;
    std::vector<unsigned> seenIds;
    for (size_t i = 0; i < parts.size(); i++) {
        r.parts.emplace_back(parts[i].size(), 0);
        for (size_t p = 0; p < parts[i].size(); p++) {
            unsigned& id = r.parts[i][p];
            const char* name = parts[i][p].second;
            if (parts[i][p].first == 1 && !find(seen, seenIds, seen.size(), name, &id) &&
                !find(a, r.avatar, a.size(), name, &id) && !find(t, r.textured, t.size(), name, &id))
                id = next++, r.loads++;
            seen.push_back(parts[i][p]);
            seenIds.push_back(id);
        }
    }
    return r;
}

TEST_F(TextureObjects, IndexGivesWhatThePlainScanGives) {
    const char* names[] = {"Brick.bmp", "brick.bmp", "wood.bmp"};
    unsigned seed = 12345;
    auto random = [&](int n) { return (int)((seed = seed * 1103515245u + 12345u) >> 16) % n; };
    for (int round = 0; round < 40; round++) {
        auto slots = [&](int n) {
            std::vector<std::pair<int, const char*>> s;
            for (int k = 0; k < n; k++) s.push_back({random(3) == 0 ? 0 : 1, names[random(3)]});
            return s;
        };
        auto t = slots(random(6)), a = slots(random(4));
        std::vector<std::vector<std::pair<int, const char*>>> parts;
        for (int i = random(3); i > 0; i--) parts.push_back(slots(1 + random(4)));
        ScanResult expected = ReferenceScan(t, a, parts);
        FreeSceneImages();
        SetTextureSlots(t, a, parts);
        calls.clear();
        nextTextureName = 1;
        CreateSceneTextures();
        EXPECT_EQ(CountPrefix("Build"), expected.loads);
        for (size_t k = 0; k < t.size(); k++) EXPECT_EQ(textures.texPolyTexId[k], expected.textured[k]);
        for (size_t k = 0; k < a.size(); k++) EXPECT_EQ(textures.avatarPolyTexId[k], expected.avatar[k]);
        for (size_t i = 0; i < parts.size(); i++)
            for (size_t p = 0; p < parts[i].size(); p++)
                EXPECT_EQ(PartSlot(textures.partTexId, p, i), expected.parts[i][p]) << round << " " << i << " " << p;
    }
}

}  // namespace
