// scene_check_test.cpp -- diagnostics for scene authors: the loader's reports
// (field, record, line, column) and the ambler-check program's output and
// exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene/scene_diagnostics.h"
#include "scene/scene_file.h"
#include "tests/support/temp_scene.h"
#include "tests/support/tool_command.h"
#include "tools/lib/bitmap_writer.h"
#include "tools/lib/png_image.h"
#include "tools/lib/scene_writer.h"

namespace {

std::vector<SceneDiagnostic> collected;

// Reads text with the diagnostics hook set and returns what it reported.
std::vector<SceneDiagnostic> Diagnose(const std::string& text) {
    collected.clear();
    SceneReadOptions options;
    options.diagnostics = &collected;
    ReadSceneText(text, options);
    return collected;
}

void ExpectAt(const SceneDiagnostic& d, DiagnosticKind kind, SceneField field, int line,
              int column) {
    EXPECT_EQ(d.kind, kind);
    EXPECT_EQ(d.field, field) << sceneFieldInfo[d.field].name;
    EXPECT_EQ(d.line, line);
    EXPECT_EQ(d.column, column);
}

// Line 2 of every text below: the settings at their defaults.
const std::string SETTINGS =
    "1 0 0 0 0 0 0 0 1000 0 1 0 0 0 0 0 0 0 0 0 8 2 20 10 0 0 0 0 0 0 1 "
    "2 5 1 70 70 6 20 3 1.2 5 7 0.07 0.3 0.4 0.4 0.7 0.01 0.2 0.5 1.5 0.8 50 2 60 4 0.17\n";

TEST(SceneDiagnostics, CleanGeneratedSceneHasNone) {
    SceneShape shape;
    shape.texVertices = 50;
    shape.flatVertices = 40;
    shape.avatarVertices = 20;
    shape.avatarJoints = 5;
    shape.actors = 2;
    shape.partVertices = 12;
    shape.actorJoints = 3;
    shape.waypoints = 2;
    shape.obstacles = 3;
    SceneDescription scene;
    GenerateScene(scene, shape);
    EXPECT_TRUE(Diagnose(FormatScene(scene)).empty());
}

TEST(SceneDiagnostics, MalformedTokenNamesFieldRecordLineAndColumn) {
    std::string text = "2 0 0 -1 1\n" + SETTINGS + "0\n0 0 0\n" +
                       "1 1 1 0 0 0 0 0 0 0 #a\n"
                       "  4 5x 6 1 0 0 0 #a\n";
    auto found = Diagnose(text);
    ASSERT_EQ(found.size(), 1u);
    ExpectAt(found[0], DIAG_MALFORMED, FIELD_texPolyZ, 6, 6);  // "5x": y is 5, then x
    EXPECT_TRUE(found[0].error);
    EXPECT_EQ(found[0].record[0], 2);
    EXPECT_STREQ(found[0].token, "x");
}

TEST(SceneDiagnostics, EarlyEndNamesTheFieldItFellIn) {
    std::string text = "0 0 1 -1 1\n" + SETTINGS + "0\n0 0 0\n15\n1\n";
    for (int k = 0; k < POSE_COUNT; ++k) text += "1 2 3 4 5 6 7 8 9 1\n";
    text += "1 2 3 4 5 6 7";  // joint 1, pose 0 ends after its tilt about z
    auto found = Diagnose(text);
    ASSERT_EQ(found.size(), 1u);
    ExpectAt(found[0], DIAG_END_OF_FILE, FIELD_avatarJointTiltY, 14, 14);
    EXPECT_EQ(found[0].record[0], 1);  // joint
    EXPECT_EQ(found[0].record[1], 0);  // pose

    found = Diagnose("");
    ASSERT_EQ(found.size(), 1u);
    ExpectAt(found[0], DIAG_END_OF_FILE, FIELD_texPolyVertexCount, 1, 1);
}

TEST(SceneDiagnostics, CountsOutOfRangeGiveValueAndLimit) {
    auto found = Diagnose("0 0 6502 -1 1\n" + std::string(40000, ' '));
    ASSERT_EQ(found.size(), 1u);
    ExpectAt(found[0], DIAG_COUNT_RANGE, FIELD_avatarPolyVertexCount, 1, 5);
    EXPECT_EQ(found[0].value, 6502);
    EXPECT_EQ(found[0].limit, AVATAR_POLY_CAPACITY);

    found = Diagnose("0 0 0 0 1\n" + SETTINGS + "0\n1 1 1 5 0 5 400\n");
    ASSERT_EQ(found.size(), 1u);
    ExpectAt(found[0], DIAG_COUNT_RANGE, FIELD_actorWaypointCount, 4, 13);
    EXPECT_EQ(found[0].record[0], 0);
    EXPECT_EQ(found[0].limit, 0);  // nothing follows the count
}

TEST(SceneDiagnostics, SuspiciousValuesAreWarnings) {
    std::string text = "2 0 0 0 2\n" + SETTINGS + "0\n0 0 0 0 0 0 0\n0 0 0\n" +
                       "2 0 0 0 0 0 0 0 0\n"           // actor block 2
                       "1 1 1 -10 0 0 0 0 0 0 1 #p\n"  // joint -10: fine
                       "20 0 0 0 1 0 0 0 #p\n"         // joint 20
                       "1 1 -1\n"                      // actor block 3
                       "1 1 1 0 0 0 1 0 0 2 #t\n"      // texture flag 2
                       "1 1 1 0 0 0 1 0 0 1\n"         // the name is missing ...
                       "7 7 7 0 0 0 1 0 0 0 #t\n";     // ... so this line is taken
    auto found = Diagnose(text);
    ASSERT_EQ(found.size(), 3u);
    ExpectAt(found[0], DIAG_JOINT_NUMBER, FIELD_partJoint, 8, 1);
    EXPECT_EQ(found[0].value, 20);
    EXPECT_EQ(found[0].record[0], 0);  // actor 0
    EXPECT_EQ(found[0].record[1], 2);  // part vertex 2
    ExpectAt(found[1], DIAG_TEXTURE_FLAG, FIELD_texPolyTexFlag, 10, 19);
    EXPECT_EQ(found[1].value, 2);
    EXPECT_FALSE(found[1].error);
    ExpectAt(found[2], DIAG_NAME_MISSING, FIELD_texPolyTexName, 12, 1);
    EXPECT_EQ(found[2].record[0], 2);
    EXPECT_STREQ(found[2].token, "7 7 7 0 0 0 1 0 0 0 #t");
}

TEST(SceneDiagnostics, OpenPlainListAndTrailingContent) {
    std::string text =
        "0 2 0 -1 1\n" + SETTINGS + "0\n0 0 0\n" + "1 1 1 5 5 5 0 6 6 6 0\n" + "\n  stray\n";
    auto found = Diagnose(text);
    ASSERT_EQ(found.size(), 2u);
    ExpectAt(found[0], DIAG_FLAT_LIST_OPEN, FIELD_flatPolyEnd, 5, 21);
    EXPECT_EQ(found[0].record[0], 2);
    ExpectAt(found[1], DIAG_TRAILING_CONTENT, FIELD_AFTER_LAST, 7, 3);
    EXPECT_STREQ(found[1].token, "stray");
}

// The slot keeps 199 characters: a longer name is cut, and the program
// would look for a file of the cut name. Exactly 199 (with CRLF) is quiet.
TEST(SceneDiagnostics, TextureNamesLongerThanTheSlotAreWarnedAbout) {
    std::string fits(199, 'a'), cut(230, 'b');
    std::string text = "2 0 0 -1 1\n" + SETTINGS + "0\n0 0 0\n" +
                       "1 1 1 0 0 0 0 0 0 1 #" + fits + "\r\n" +
                       "0 0 0 1 0 0 1 #" + cut + "\r\n";
    auto found = Diagnose(text);
    ASSERT_EQ(found.size(), 1u);
    ExpectAt(found[0], DIAG_NAME_CUT, FIELD_texPolyTexName, 6, 16);
    EXPECT_EQ(found[0].value, 230);
    EXPECT_EQ(found[0].limit, 199);
    EXPECT_FALSE(found[0].error);
    EXPECT_EQ(found[0].record[0], 2);
}

TEST(SceneDiagnostics, JointNumbersInRangeAreQuiet) {
    std::string text = "0 0 4 -1 1\n" + SETTINGS + "0\n0 0 0\n0\n-1\n" +
                       "1 1 1 0 0 0 0 1 0 0 0 #a\n"
                       "1 1 1 19 0 0 0 1 0 0 0 #a\n"
                       "1 1 1 -1 0 0 0 1 0 0 0 #a\n"
                       "1 1 1 -10 0 0 0 1 0 0 0 #a\n";
    auto found = Diagnose(text);
    ASSERT_EQ(found.size(), 1u);
    ExpectAt(found[0], DIAG_JOINT_NUMBER, FIELD_avatarPolyJoint, 9, 7);
    EXPECT_EQ(found[0].value, -1);
}

// ---- The program.

struct CheckRun {
    int status;
    std::string output;
};

CheckRun RunCheck(const std::string& workDir, const std::string& argument) {
    std::string outFile = workDir + "/check-output.txt";
    std::string command = "cd '" + workDir + "' && " + ToolCommand("ambler-check") + " " +
                          argument + " > '" + outFile + "' 2>&1 < /dev/null";
    int raw = std::system(command.c_str());
    CheckRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(outFile)};
    RemoveTree(outFile);
    return run;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(AmblerCheck, CleanSceneWithItsTexturesExitsZero) {
    TempDir dir("check-clean");
    SceneShape shape;
    shape.texVertices = 30;
    shape.flatVertices = 12;
    shape.actors = 2;
    shape.partVertices = 7;
    shape.actorJoints = 2;
    shape.textureNames = 2;
    SceneDescription scene;
    GenerateScene(scene, shape);
    SetSetting(scene, FIELD_viewMode, 4);
    ASSERT_TRUE(WriteSceneFile(dir.File("Hod.pro"), scene));
    const unsigned char pixels[2 * 3 * 3] = {};
    ASSERT_TRUE(WriteBitmap24(dir.File(GeneratedTextureName(0)).c_str(), pixels, 3, 2));
    ASSERT_TRUE(WriteBitmap8(dir.File(GeneratedTextureName(1)).c_str(), pixels, 2, 3));
    CheckRun run = RunCheck(dir.path, ".");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "Textured list: 30 vertices")) << run.output;
    EXPECT_TRUE(Contains(run.output, "Actors: 2")) << run.output;
    EXPECT_TRUE(Contains(run.output, "actor 1: 7 part vertices")) << run.output;
    EXPECT_TRUE(Contains(run.output, "viewMode 4 (default 2)")) << run.output;
    EXPECT_TRUE(Contains(run.output, "\"texture0.bmp\": 3 x 2")) << run.output;
    EXPECT_TRUE(Contains(run.output, "\"texture1.bmp\": 2 x 3")) << run.output;
    EXPECT_TRUE(Contains(run.output, "0 errors, 0 warnings")) << run.output;
}

TEST(AmblerCheck, WarningsOnlyExitOne) {
    TempDir dir("check-warn");
    SaveTextFile(dir.File("scene.txt"),
                 "1 0 0 -1 1\n" + SETTINGS + "0\n0 0 0\n1 1 1 0 0 0 1 0 0 1 #gone.bmp\n");
    CheckRun run = RunCheck(dir.path, "scene.txt");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(Contains(run.output, "\"gone.bmp\": warning: missing")) << run.output;
}

TEST(AmblerCheck, UndecodableTextureGetsTheProgramsMessage) {
    TempDir dir("check-undecodable");
    SaveTextFile(dir.File("Hod.pro"),
                 "1 0 0 -1 1\n" + SETTINGS + "0\n0 0 0\n1 1 1 0 0 0 1 0 0 1 #bad.bmp\n");
    SaveTextFile(dir.File("bad.bmp"), std::string("BM") + std::string(12, '\0') + "\x6c" +
                                          std::string(200, '\0'));
    CheckRun run = RunCheck(dir.path, ".");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(Contains(run.output, "\"bad.bmp\": warning: the program would show "
                                     "\"Unknown DIB file format.\""))
        << run.output;
}

TEST(AmblerCheck, DecodeWritesTheImageUprightOrRefusesWithTheMessage) {
    TempDir dir("check-decode");
    // Bottom row red, top row blue, as the loader orders rows.
    const unsigned char pixels[] = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255};
    ASSERT_TRUE(WriteBitmap24(dir.File("in.bmp").c_str(), pixels, 2, 2));
    CheckRun run = RunCheck(dir.path, "--decode in.bmp out.png");
    EXPECT_EQ(run.status, 0) << run.output;
    RgbImage png;
    std::string error;
    ASSERT_TRUE(ReadPng(dir.File("out.png").c_str(), &png, &error)) << error;
    ASSERT_EQ(png.width, 2);
    ASSERT_EQ(png.height, 2);
    EXPECT_EQ(png.rgb[2], 255) << "the top row of the picture is blue";
    EXPECT_EQ(png.rgb[6 + 0], 255) << "the bottom row of the picture is red";

    SaveTextFile(dir.File("short.bmp"), "BM");
    run = RunCheck(dir.path, "--decode short.bmp out2.png");
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Contains(run.output, "Unknown DIB file format.")) << run.output;
    EXPECT_FALSE(FileExists(dir.File("out2.png")));
}

TEST(AmblerCheck, ErrorsExitTwoWithFileLineColumnAndField) {
    TempDir dir("check-error");
    SaveTextFile(dir.File("Hod.pro"), "0 0 0 -1 1\n" + SETTINGS + "0\n0 0");
    CheckRun run = RunCheck(dir.path, dir.path);
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_TRUE(
        Contains(run.output, dir.path + "/Hod.pro:4:4: error: the file ends early, in clearBlue"))
        << run.output;
    SaveTextFile(dir.File("Hod.pro"), "0 0 0 -1 1\n" + SETTINGS + "0\n0 0 .x\n");
    run = RunCheck(dir.path, "Hod.pro");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_TRUE(Contains(run.output, "Hod.pro:4:5: error: malformed number \".x\" in clearBlue"))
        << run.output;
}

TEST(AmblerCheck, MissingSceneIsAnErrorAndNothingIsCreated) {
    TempDir dir("check-missing");
    CheckRun run = RunCheck(dir.path, ".");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_FALSE(FileExists(dir.File("Hod.pro")));
    run = RunCheck(dir.path, "a b c");
    EXPECT_EQ(run.status, 2);
}

TEST(AmblerCheck, FolderNamedLikeTheSceneIsNamedSoAndLeftAlone) {
    // Windows opens no folder as a file: the refusal must still read as a
    // folder, not as a file that cannot be read.
    TempDir dir("check-folder");
    std::filesystem::create_directory(dir.File("Hod.pro"));
    CheckRun run = RunCheck(dir.path, ".");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_TRUE(Contains(run.output, "Hod.pro: error: a folder, not a file")) << run.output;
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Hod.pro")));
}

TEST(AmblerCheck, CarriageReturnsAreBytesOfTheLine) {
    // Read byte for byte everywhere: a CR LF file puts its error in the same
    // column on every system, and no Ctrl+Z ends the text early.
    TempDir dir("check-crlf");
    SaveTextFile(dir.File("Hod.pro"), "0 0 0 -1 1\r\n\x1a" + SETTINGS + "0\r\n0 0 .x\r\n");
    CheckRun run = RunCheck(dir.path, "Hod.pro");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_TRUE(Contains(run.output, "Hod.pro:2:1: error: malformed number")) << run.output;
}

}  // namespace
