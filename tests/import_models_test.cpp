// import_models_test.cpp -- ambler-import end to end: real models of every
// common format become scenes the checker accepts and the program shows;
// broken models, missing and far-away textures, huge pictures, bad
// coordinates, an existing folder and an over-capacity model.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>

#include "tools/lib/scene_writer.h"
#include "tests/import_support.h"
#include "tests/support/replay_harness.h"

namespace {

const std::string MODELS = "/usr/share/assimp/models";

struct RealModel {
    const char* path;
    bool textured;  // its textures are all there to be written
};

const RealModel REAL_MODELS[] = {
    {"OBJ/spider.obj", true},                                  // OBJ, MTL, JPEG textures
    {"glTF2/BoxTextured-glTF/BoxTextured.gltf", true},         // glTF text, PNG beside it
    {"glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", true},   // glTF binary, picture inside
    {"glTF2/BoxTextured-glTF-Embedded/BoxTextured.gltf", true},  // glTF with data URIs
    {"FBX/spider.fbx", false},  // names its textures by Windows paths that are not there
    {"Collada/duck.dae", true},  // COLLADA, a TGA texture and a camera
    {"PLY/Wuson.ply", false},
    // Its meshes are used many times over, past the plain list.
    {"glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb", false},
    // The largest: a Blender file of a quarter million triangles.
    {"BLEND/SuzanneSubdiv_252.blend", false},
};

// Share of a shot's pixels that are not the clear colour.
double ShareNotClear(const RgbImage& image, const double clear[3]) {
    long differ = 0;
    for (size_t k = 0; k + 2 < image.rgb.size(); k += 3)
        for (int c = 0; c < 3; c++)
            if (std::fabs(image.rgb[k + c] - clear[c] * 255) > 12) {
                differ++;
                break;
            }
    return (double)differ / (image.width * image.height);
}

// A written scene as the program's reader reads it.
SceneDescription WrittenScene(const std::string& dir) {
    const Scene& read = ReadSceneText(ReadWholeFile(dir + "/Hod.pro"));
    SceneDescription scene;
    DescribeLoadedScene(scene, read);
    return scene;
}

std::string Lower(std::string s) {
    for (char& c : s) c = (char)std::tolower((unsigned char)c);
    return s;
}

}  // namespace

TEST(ImportRealModels, EachImportsPassesTheCheckAndIsOnScreen) {
    if (!FileExists(MODELS + "/OBJ/spider.obj")) GTEST_SKIP() << "assimp-testmodels is not installed";
    TempDir temp("import-real");
    for (const RealModel& m : REAL_MODELS) {
        SCOPED_TRACE(m.path);
        std::string out = temp.File(std::string(m.path).substr(0, std::string(m.path).find('/')) +
                                    "-" + std::to_string(&m - REAL_MODELS));
        std::string report, check;
        ASSERT_EQ(RunImport(MODELS + "/" + m.path + " " + out, &report), 0) << report;
        EXPECT_EQ(RunBuiltTool("ambler-check", out, &check), 0) << check;
        long read = ReportNumber(report, "polygons read"), kept = ReportNumber(report, "triangles kept");
        EXPECT_GT(read, 0);
        if (report.find("list simplified") == std::string::npos)
            EXPECT_GE(kept, read) << "nothing is lost below the capacities (kept counts triangles)";
        else
            EXPECT_LE(kept * 3, 100001 + 300000);
        std::printf("%-56s polygons read %6ld, triangles kept %6ld,%s\n", m.path, read, kept,
                    ReportLine(report, "time").c_str());
        if (m.textured) {
            EXPECT_GE(ReportNumber(report, "textures written"), 1);
            EXPECT_EQ(report.find("warning: texture"), std::string::npos) << report;
        } else {
            EXPECT_EQ(ReportNumber(report, "textures written"), 0);
        }

        std::string shot = out + "-shot.png";
        ReplayResult run = RunReplayTool(out, 2, "", "--shot 1:" + shot + " --size 160x120");
        ASSERT_EQ(run.status, 0) << run.errors;
        RgbImage image;
        std::string error;
        ASSERT_TRUE(ReadPng(shot.c_str(), &image, &error)) << error;
        EXPECT_GT(ShareNotClear(image, WrittenScene(out).clear), 0.005) << "the model is in view from the start";
    }
}

TEST(ImportBadInput, BrokenModelsFailWithAssimpsMessageAndWriteNothing) {
    TempDir temp("import-broken");
    SaveTextFile(temp.File("broken.gltf"), "{ \"asset\": { \"version\": \"2.0\" }, \"meshes\": [ {");
    SaveTextFile(temp.File("noise.fbx"), std::string("Kaydara FBX Binary  \0\x1a\0", 23) + "\xff\xfe garbage");
    std::vector<std::string> models = {temp.File("broken.gltf"), temp.File("noise.fbx"), temp.File("absent.obj")};
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer build sets no memory cap
    // Made to make Assimp allocate hundreds of gigabytes: the cap stops it.
    if (FileExists(MODELS + "/invalid/OutOfMemory.off")) models.push_back(MODELS + "/invalid/OutOfMemory.off");
#endif
    std::vector<std::string> before = FolderNames(temp.path);
    for (const std::string& model : models) {
        SCOPED_TRACE(model);
        std::string report;
        EXPECT_EQ(RunImport(model + " " + temp.File("out"), &report), 2);
        EXPECT_NE(report.find(model + ":"), std::string::npos) << "names the file: " << report;
        EXPECT_EQ(FolderNames(temp.path), before) << "no folder left behind, temporary or not";
    }
}

TEST(ImportBadInput, AnExistingFolderIsReplacedOnlyWhenForced) {
    TempDir temp("import-force");
    SaveTextFile(temp.File("room.obj"), RoomObj());
    std::string report;
    {
        // Without OUT_DIR the scene is named after the model, in the working folder.
        ChdirGuard here(temp.path);
        ASSERT_EQ(RunImport("room.obj", &report), 0) << report;
    }
    ASSERT_TRUE(FileExists(temp.File("room/Hod.pro")));
    SaveTextFile(temp.File("room/mine.txt"), "keep me");
    EXPECT_EQ(RunImport(temp.File("room.obj") + " " + temp.File("room"), &report), 2);
    EXPECT_NE(report.find("--force"), std::string::npos) << report;
    EXPECT_TRUE(FileExists(temp.File("room/mine.txt")));
    EXPECT_EQ(RunImport(temp.File("room.obj") + " " + temp.File("room") + " --force", &report), 0) << report;
    EXPECT_FALSE(FileExists(temp.File("room/mine.txt")));
    EXPECT_TRUE(FileExists(temp.File("room/Hod.pro")));
    EXPECT_EQ(FolderNames(temp.path), (std::vector<std::string>{"room", "room.obj"}));
    // Even forced, a folder that is no scene, or that holds the model, stays.
    std::filesystem::create_directories(temp.File("papers"));
    SaveTextFile(temp.File("papers/letter.txt"), "dear");
    EXPECT_EQ(RunImport(temp.File("room.obj") + " " + temp.File("papers") + " --force", &report), 2);
    EXPECT_NE(report.find("not a scene folder"), std::string::npos) << report;
    EXPECT_TRUE(FileExists(temp.File("papers/letter.txt")));
    SaveTextFile(temp.File("room/inside.obj"), RoomObj());
    EXPECT_EQ(RunImport(temp.File("room/inside.obj") + " " + temp.File("room") + " --force", &report), 2);
    EXPECT_NE(report.find("holds the model"), std::string::npos) << report;
    EXPECT_TRUE(FileExists(temp.File("room/inside.obj")));
}

TEST(ImportTextures, AMissingPictureLeavesItsPolygonsInTheirBaseColour) {
    TempDir temp("import-missing");
    SaveTextFile(temp.File("wall.mtl"), "newmtl brick\nKd 0.8 0.2 0.1\nmap_Kd missing.png\n");
    SaveTextFile(temp.File("wall.obj"),
                 "mtllib wall.mtl\nv 0 0 0\nv 4 0 0\nv 4 3 0\nv 0 3 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                 "usemtl brick\nf 1/1 2/2 3/3 4/4\n");
    std::string report;
    // Unshaded, so the colour written is the material's own.
    ASSERT_EQ(RunImport(temp.File("wall.obj") + " " + temp.File("out") + " --shading none", &report), 0) << report;
    EXPECT_NE(report.find("warning: texture missing.png"), std::string::npos) << report;
    SceneDescription scene = WrittenScene(temp.File("out"));
    EXPECT_EQ(scene.texVertices.size(), 0u);
    ASSERT_EQ(scene.flatVertices.size(), 6u);  // the quad as two triangles
    for (size_t k = 0; k < scene.flatVertices.size(); k += 3) {  // a polygon's colour is its first vertex's
        EXPECT_DOUBLE_EQ(scene.flatVertices[k].red, 0.8);
        EXPECT_DOUBLE_EQ(scene.flatVertices[k].green, 0.2);
        EXPECT_DOUBLE_EQ(scene.flatVertices[k].blue, 0.1);
    }
    EXPECT_EQ(FolderNames(temp.File("out")), std::vector<std::string>{"Hod.pro"});
}

TEST(ImportTextures, PicturesFromAnywhereAreWrittenInsideTheSceneOnlyOnce) {
    TempDir temp("import-paths");
    RemoveTree(temp.File("model"));
    std::filesystem::create_directories(temp.File("model"));
    std::filesystem::create_directories(temp.File("pics"));
    ASSERT_TRUE(WriteFlatPng(temp.File("pics/wall.png"), 8, 4, 10, 200, 30));
    ASSERT_TRUE(WriteFlatPng(temp.File("pics/floor.png"), 4096, 16, 250, 250, 0));  // over the GL's limit
    SaveTextFile(temp.File("model/room.mtl"),
                 "newmtl wall\nmap_Kd ../pics/wall.png\nnewmtl floor\nmap_Kd " + temp.File("pics/floor.png") +
                     "\nnewmtl again\nmap_Kd ../pics/wall.png\n");
    SaveTextFile(temp.File("model/room.obj"),
                 "mtllib room.mtl\nv 0 0 0\nv 4 0 0\nv 4 3 0\nv 0 3 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                 "usemtl wall\nf 1/1 2/2 3/3 4/4\nusemtl floor\nf 1/1 2/2 3/3\nusemtl again\nf 1/1 3/3 4/4\n");
    std::vector<std::string> pics = FolderNames(temp.File("pics"));
    std::string report;
    ASSERT_EQ(RunImport(temp.File("model/room.obj") + " " + temp.File("out"), &report), 0) << report;
    EXPECT_EQ(FolderNames(temp.File("pics")), pics) << "nothing is written beside the pictures";
    EXPECT_EQ(FolderNames(temp.File("out")), (std::vector<std::string>{"Hod.pro", "floor.bmp", "wall.bmp"}));
    EXPECT_NE(report.find("scaled down from 4096x16 to 2048x8"), std::string::npos) << report;
    SceneDescription scene = WrittenScene(temp.File("out"));
    ASSERT_EQ(scene.texVertices.size(), 12u);
    for (const SceneVertex& v : scene.texVertices)
        EXPECT_TRUE(v.texName == "wall.bmp" || v.texName == "floor.bmp") << v.texName;
    // The bitmap shows the picture unchanged through the program's own decoder.
    std::string decoded = temp.File("wall-decoded.png"), check;
    ASSERT_EQ(RunBuiltTool("ambler-check", "--decode " + temp.File("out/wall.bmp") + " " + decoded, &check), 0) << check;
    RgbImage image;
    std::string error;
    ASSERT_TRUE(ReadPng(decoded.c_str(), &image, &error)) << error;
    ASSERT_EQ(image.width, 8);
    ASSERT_EQ(image.height, 4);
    for (size_t k = 0; k < image.rgb.size(); k += 3)
        ASSERT_EQ((std::vector<int>{image.rgb[k], image.rgb[k + 1], image.rgb[k + 2]}), (std::vector<int>{10, 200, 30}));
    EXPECT_EQ(RunBuiltTool("ambler-check", temp.File("out"), &check), 0) << check;
}

TEST(ImportBadInput, NonFiniteAndEnormousCoordinatesNeverReachTheScene) {
    TempDir temp("import-nan");
    SaveTextFile(temp.File("bad.obj"),
                 "v 0 0 0 nan 0.5 0.5\nv 4 0 0 1 inf 0\nv 4 0 4 0 0 1\nv 0 0 4 0 0 1\nv 1e30 0 0\nv nan 1 1\nv 2 inf 2\n"
                 "f 1 2 3 4\nf 1 2 5\nf 1 6 3\nf 7 2 3\n");
    std::string report;
    ASSERT_EQ(RunImport(temp.File("bad.obj") + " " + temp.File("out"), &report), 0) << report;
    EXPECT_NE(report.find("warning: 3 triangles dropped for NaN, infinite or enormous coordinates"),
              std::string::npos) << report;
    std::string text = Lower(ReadWholeFile(temp.File("out/Hod.pro")));
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);
    SceneDescription scene = WrittenScene(temp.File("out"));
    EXPECT_EQ(scene.flatVertices.size(), 6u);
    for (const SceneFlatVertex& v : scene.flatVertices)
        EXPECT_LE(std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}), 40);
}

TEST(ImportCapacity, AModelOverTheTexturedListIsSimplifiedToFit) {
    TempDir temp("import-big");
    ASSERT_TRUE(WriteFlatPng(temp.File("grass.png"), 16, 16, 40, 160, 40));
    // A textured ground of 190 by 190 squares: 36,100 quads, 72,200
    // triangles, over twice what the textured list holds.
    const int N = 190;
    std::string obj = "mtllib g.mtl\nusemtl grass\n";
    for (int i = 0; i <= N; i++)
        for (int j = 0; j <= N; j++)
            obj += "v " + std::to_string(i * 0.5) + " 0 " + std::to_string(j * 0.5) + "\nvt " +
                   std::to_string((double)i / N) + " " + std::to_string((double)j / N) + "\n";
    auto at = [&](int i, int j) { return std::to_string(i * (N + 1) + j + 1); };
    for (int i = 0; i < N; i++)
        for (int j = 0; j < N; j++)
            obj += "f " + at(i, j) + "/" + at(i, j) + " " + at(i + 1, j) + "/" + at(i + 1, j) + " " + at(i + 1, j + 1) +
                   "/" + at(i + 1, j + 1) + " " + at(i, j + 1) + "/" + at(i, j + 1) + "\n";
    SaveTextFile(temp.File("g.obj"), obj);
    SaveTextFile(temp.File("g.mtl"), "newmtl grass\nmap_Kd grass.png\n");
    std::string report, check;
    ASSERT_EQ(RunImport(temp.File("g.obj") + " " + temp.File("out"), &report), 0) << report;
    EXPECT_NE(report.find("warning: textured list simplified from 72200 to "), std::string::npos) << report;
    EXPECT_EQ(ReportNumber(report, "polygons read"), N * N);
    long vertices = (long)WrittenScene(temp.File("out")).texVertices.size();
    EXPECT_GT(vertices, 3);
    EXPECT_LE(vertices, 100001);
    EXPECT_EQ(vertices, 3 * ReportNumber(report, "triangles kept"));
    EXPECT_EQ(RunBuiltTool("ambler-check", temp.File("out"), &check), 0) << check;
}

TEST(ImportViewModes, TheFollowAndDrivingModesBringTheirFigures) {
    TempDir temp("import-modes");
    SaveTextFile(temp.File("room.obj"), RoomObj());
    for (int mode : {2, 3, 4}) {
        SCOPED_TRACE(mode);
        std::string out = temp.File("mode" + std::to_string(mode)), report, check;
        ASSERT_EQ(RunImport(temp.File("room.obj") + " " + out + " --view-mode " + std::to_string(mode), &report), 0)
            << report;
        EXPECT_EQ(RunBuiltTool("ambler-check", out, &check), 0) << check;
        SceneDescription scene = WrittenScene(out);
        EXPECT_EQ(GetSetting(scene, FIELD_viewMode), mode);
        EXPECT_GT(scene.avatarVertices.size(), 20u) << "the person or the car";
    }
    std::string report;
    EXPECT_EQ(RunImport(temp.File("room.obj") + " " + temp.File("x") + " --view-mode 5", &report), 2);
    EXPECT_FALSE(FileExists(temp.File("x")));
}

namespace {

std::string Base64(const std::vector<unsigned char>& bytes) {
    static const char* ALPHABET = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t k = 0; k < bytes.size(); k += 3) {
        size_t n = std::min<size_t>(3, bytes.size() - k);
        unsigned v = bytes[k] << 16 | (n > 1 ? bytes[k + 1] << 8 : 0) | (n > 2 ? bytes[k + 2] : 0);
        out += ALPHABET[v >> 18 & 63];
        out += ALPHABET[v >> 12 & 63];
        out += n > 1 ? ALPHABET[v >> 6 & 63] : '=';
        out += n > 2 ? ALPHABET[v & 63] : '=';
    }
    return out;
}

// A glTF with a 20 by 20 m floor at y = 0 and a camera 10 m up at (2, 3)
// turned a quarter left, so it looks along minus x.
std::string GltfWithCameraInTheAir() {
    std::vector<unsigned char> bytes;
    auto put = [&](const void* p, size_t n) {
        const unsigned char* b = static_cast<const unsigned char*>(p);
        bytes.insert(bytes.end(), b, b + n);
    };
    const float corners[12] = {-10, 0, -10, 10, 0, -10, 10, 0, 10, -10, 0, 10};
    const unsigned short indices[6] = {0, 2, 1, 0, 3, 2};
    put(corners, sizeof corners);
    put(indices, sizeof indices);
    return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0,1]}],
"nodes":[{"mesh":0},{"camera":0,"translation":[2,10,3],"rotation":[0,0.70710678,0,0.70710678]}],
"cameras":[{"type":"perspective","perspective":{"yfov":0.8,"znear":0.1}}],
"meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1}]}],
"buffers":[{"byteLength":60,"uri":"data:application/octet-stream;base64,)" +
           Base64(bytes) + R"("}],
"bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":48},{"buffer":0,"byteOffset":48,"byteLength":12}],
"accessors":[{"bufferView":0,"componentType":5126,"count":4,"type":"VEC3","min":[-10,0,-10],"max":[10,0,10]},
{"bufferView":1,"componentType":5123,"count":6,"type":"SCALAR"}]})";
}

}  // namespace

TEST(ImportStart, AModelsCameraGivesTheStartWithTheEyeDroppedToTheFloor) {
    TempDir temp("import-camera");
    SaveTextFile(temp.File("camera.gltf"), GltfWithCameraInTheAir());
    std::string report;
    ASSERT_EQ(RunImport(temp.File("camera.gltf") + " " + temp.File("out") + " --eye-height 1.5", &report), 0)
        << report;
    EXPECT_NE(report.find("at the model's first camera"), std::string::npos) << report;
    SceneDescription scene = WrittenScene(temp.File("out"));
    EXPECT_NEAR(GetSetting(scene, FIELD_startEyeX), 20, 1e-9);
    EXPECT_NEAR(GetSetting(scene, FIELD_startEyeZ), -30, 1e-9);
    EXPECT_NEAR(GetSetting(scene, FIELD_startEyeY), -15, 1e-9) << "1.5 m above the floor, not 10 m up where the camera hangs";
    // Looking along the model's minus x, which is the scene's minus x (the
    // file holds minus the heading).
    EXPECT_NEAR(std::sin(-GetSetting(scene, FIELD_startHeading) * M_PI / 180), -1, 1e-6);
    // --start and --heading win over the camera.
    ASSERT_EQ(RunImport(temp.File("camera.gltf") + " " + temp.File("out2") + " --start -5,4,6 --heading 45", &report), 0)
        << report;
    scene = WrittenScene(temp.File("out2"));
    EXPECT_NEAR(GetSetting(scene, FIELD_startEyeX), -50, 1e-9);
    EXPECT_NEAR(GetSetting(scene, FIELD_startEyeZ), -60, 1e-9);
    EXPECT_NEAR(GetSetting(scene, FIELD_startEyeY), -17, 1e-9);
    EXPECT_NEAR(GetSetting(scene, FIELD_startHeading), -45, 1e-9);
}

TEST(ImportUnits, ScaleAndUpAxisComeFromTheFileOrTheCommandLine) {
    TempDir temp("import-units");
    // One upright triangle 2 units high along the model's y, 4 along its z.
    SaveTextFile(temp.File("t.obj"), "v 0 0 0\nv 1 2 0\nv 0 0 4\nf 1 2 3\n");
    struct Case {
        const char* options;
        double lowestY;  // scene y of the corner that is highest in the model
    } cases[] = {{"", -20}, {"--scale 0.01", -0.2}, {"--up z", -40}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        std::string out = temp.File("out" + std::to_string(&c - cases)), report;
        ASSERT_EQ(RunImport(temp.File("t.obj") + " " + out + " " + c.options, &report), 0) << report;
        SceneDescription scene = WrittenScene(out);
        ASSERT_EQ(scene.flatVertices.size(), 3u);
        const std::vector<SceneFlatVertex>& v = scene.flatVertices;
        EXPECT_NEAR(std::min({v[0].y, v[1].y, v[2].y}), c.lowestY, 1e-9);
    }
    // With z up, the model's y runs along the ground.
    std::vector<SceneFlatVertex> v = WrittenScene(temp.File("out2")).flatVertices;
    ASSERT_EQ(v.size(), 3u);
    EXPECT_NEAR(std::max({v[0].y, v[1].y, v[2].y}), 0, 1e-9);
    EXPECT_NEAR(std::max({v[0].z, v[1].z, v[2].z}), 20, 1e-9);
    if (FileExists(MODELS + "/FBX/spider.fbx")) {
        // FBX gives its unit: this one is in centimetres.
        std::string report;
        ASSERT_EQ(RunImport(MODELS + "/FBX/spider.fbx " + temp.File("fbx"), &report), 0) << report;
        EXPECT_NE(report.find("0.1 units per model unit (the file's unit"), std::string::npos) << report;
    }
}

TEST(ImportCapacity, AModelThatCannotFitFailsAndWritesNothing) {
    TempDir temp("import-loose");
    ASSERT_TRUE(WriteFlatPng(temp.File("grass.png"), 4, 4, 40, 160, 40));
    // 34,000 separate textured triangles, each its own object: no corner can
    // go without losing a triangle, and the list holds 33,333.
    std::string obj = "mtllib g.mtl\n";
    for (int k = 0; k < 34000; k++) {
        std::string x = std::to_string(k % 200 * 2), z = std::to_string(k / 200 * 2);
        std::string x1 = std::to_string(k % 200 * 2 + 1), z1 = std::to_string(k / 200 * 2 + 1);
        std::string a = std::to_string(3 * k + 1), b = std::to_string(3 * k + 2), c = std::to_string(3 * k + 3);
        obj += "o t" + std::to_string(k) + "\nusemtl grass\nv " + x + " 0 " + z + "\nv " + x1 + " 0 " + z + "\nv " + x +
               " 0 " + z1 + "\nvt 0 0\nvt 1 0\nvt 0 1\nf " + a + "/" + a + " " + b + "/" + b + " " + c + "/" + c + "\n";
    }
    SaveTextFile(temp.File("loose.obj"), obj);
    SaveTextFile(temp.File("g.mtl"), "newmtl grass\nmap_Kd grass.png\n");
    std::vector<std::string> before = FolderNames(temp.path);
    std::string report;
    EXPECT_EQ(RunImport(temp.File("loose.obj") + " " + temp.File("out"), &report), 2);
    EXPECT_NE(report.find("the textured list cannot be made to fit: 34000 triangles"), std::string::npos) << report;
    EXPECT_EQ(FolderNames(temp.path), before);
}
