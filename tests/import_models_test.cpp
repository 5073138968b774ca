// import_models_test.cpp -- ambler-import end to end: real models of every
// common format become scenes the checker accepts and the program shows;
// broken models, missing and far-away textures, huge pictures, bad
// coordinates, an existing folder and an over-capacity model.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>

#include "scene/scene.h"
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

// Reads a written scene into the model (no derived values).
void ReadScene(const std::string& dir) { ReadSceneText(ReadWholeFile(dir + "/Hod.pro")); }

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
        EXPECT_GE(kept, read) << "nothing is lost below the capacities (kept counts triangles)";
        std::printf("%-52s polygons read %6ld, triangles kept %6ld\n", m.path, read, kept);
        if (m.textured) {
            EXPECT_GE(ReportNumber(report, "textures written"), 1);
            EXPECT_EQ(report.find("warning"), std::string::npos) << report;
        } else {
            EXPECT_EQ(ReportNumber(report, "textures written"), 0);
        }

        std::string shot = out + "-shot.png";
        ReplayResult run = RunReplayTool(out, 2, "", "--shot 1:" + shot + " --size 160x120");
        ASSERT_EQ(run.status, 0) << run.errors;
        RgbImage image;
        std::string error;
        ASSERT_TRUE(ReadPng(shot.c_str(), &image, &error)) << error;
        ReadScene(out);
        double clear[3] = {clearRed, clearGreen, clearBlue};
        EXPECT_GT(ShareNotClear(image, clear), 0.02) << "the model is in view from the start";
    }
}

TEST(ImportBadInput, BrokenModelsFailWithAssimpsMessageAndWriteNothing) {
    TempDir temp("import-broken");
    SaveTextFile(temp.File("broken.gltf"), "{ \"asset\": { \"version\": \"2.0\" }, \"meshes\": [ {");
    SaveTextFile(temp.File("noise.fbx"), std::string("Kaydara FBX Binary  \0\x1a\0", 23) + "\xff\xfe garbage");
    std::vector<std::string> before = FolderNames(temp.path);
    for (const char* name : {"broken.gltf", "noise.fbx", "absent.obj"}) {
        SCOPED_TRACE(name);
        std::string report;
        EXPECT_EQ(RunImport(temp.File(name) + " " + temp.File("out"), &report), 2);
        EXPECT_NE(report.find(temp.File(name) + ":"), std::string::npos) << "names the file: " << report;
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
}

TEST(ImportTextures, AMissingPictureLeavesItsPolygonsInTheirBaseColour) {
    TempDir temp("import-missing");
    SaveTextFile(temp.File("wall.mtl"), "newmtl brick\nKd 0.8 0.2 0.1\nmap_Kd missing.png\n");
    SaveTextFile(temp.File("wall.obj"),
                 "mtllib wall.mtl\nv 0 0 0\nv 4 0 0\nv 4 3 0\nv 0 3 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                 "usemtl brick\nf 1/1 2/2 3/3 4/4\n");
    std::string report;
    ASSERT_EQ(RunImport(temp.File("wall.obj") + " " + temp.File("out"), &report), 0) << report;
    EXPECT_NE(report.find("warning: texture missing.png"), std::string::npos) << report;
    ReadScene(temp.File("out"));
    EXPECT_EQ(texPolyVertexCount, 0);
    ASSERT_EQ(flatPolyVertexCount, 6);  // the quad as two triangles
    EXPECT_DOUBLE_EQ(flatPolyColorR[1], 0.8);
    EXPECT_DOUBLE_EQ(flatPolyColorG[1], 0.2);
    EXPECT_DOUBLE_EQ(flatPolyColorB[1], 0.1);
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
    ReadScene(temp.File("out"));
    ASSERT_EQ(texPolyVertexCount, 12);
    for (int v = 1; v <= texPolyVertexCount; v += 3) {
        std::string name = texPolyTexName[v - 1].text;
        EXPECT_TRUE(name == "wall.bmp" || name == "floor.bmp") << name;
    }
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
                 "v 0 0 0\nv 4 0 0\nv 4 0 4\nv 0 0 4\nv 1e30 0 0\nv nan 1 1\nv 2 inf 2\n"
                 "f 1 2 3 4\nf 1 2 5\nf 1 6 3\nf 7 2 3\n");
    std::string report;
    ASSERT_EQ(RunImport(temp.File("bad.obj") + " " + temp.File("out"), &report), 0) << report;
    EXPECT_NE(report.find("warning: 3 triangles dropped for NaN, infinite or enormous coordinates"),
              std::string::npos) << report;
    std::string text = Lower(ReadWholeFile(temp.File("out/Hod.pro")));
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);
    ReadScene(temp.File("out"));
    EXPECT_EQ(flatPolyVertexCount, 6);
    for (int v = 1; v <= flatPolyVertexCount; v++)
        EXPECT_LE(std::max({std::fabs(flatPolyX[v]), std::fabs(flatPolyY[v]), std::fabs(flatPolyZ[v])}), 40);
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
    ReadScene(temp.File("out"));
    EXPECT_GT(texPolyVertexCount, 3);
    EXPECT_LE(texPolyVertexCount, 100001);
    EXPECT_EQ(texPolyVertexCount, 3 * ReportNumber(report, "triangles kept"));
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
        ReadScene(out);
        EXPECT_EQ(viewMode, mode);
        EXPECT_GT(avatarPolyVertexCount, 20) << "the person or the car";
    }
    std::string report;
    EXPECT_EQ(RunImport(temp.File("room.obj") + " " + temp.File("x") + " --view-mode 5", &report), 2);
    EXPECT_FALSE(FileExists(temp.File("x")));
}
