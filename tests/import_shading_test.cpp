// import_shading_test.cpp -- the light the importer folds into colours:
// an untextured model shows its form on screen, and a textured one keeps
// its pictures under the shading.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>

#include "tools/lib/scene_writer.h"
#include "tests/import_support.h"
#include "tests/support/replay_harness.h"

namespace {

const std::string MODELS = "/usr/share/assimp/models";

struct ShotFigures {
    double luminanceDeviation = 0;  // of the pixels that are not the clear colour, 0..255
    long colours = 0;               // distinct colours in the whole shot
    long modelPixels = 0;
};

// The first frame of a freshly imported model, as the replay tool shows it.
ShotFigures ImportAndShoot(const TempDir& temp, const std::string& model, const std::string& name,
                           const std::string& options, std::string* report) {
    std::string out = temp.File(name);
    EXPECT_EQ(RunImport(model + " " + out + " " + options, report), 0) << *report;
    std::string shot = out + ".png";
    ReplayResult run = RunReplayTool(out, 1, "", "--shot 0:" + shot + " --size 320x240");
    EXPECT_EQ(run.status, 0) << run.errors;
    RgbImage image;
    std::string error;
    EXPECT_TRUE(ReadPng(shot.c_str(), &image, &error)) << error;
    // The clear colour is in the corner: the walker starts outside the model.
    const unsigned char* clear = image.rgb.data();
    ShotFigures f;
    std::set<long> colours;
    double sum = 0, squares = 0;
    for (size_t k = 0; k + 2 < image.rgb.size(); k += 3) {
        const unsigned char* p = &image.rgb[k];
        colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
        if (p[0] == clear[0] && p[1] == clear[1] && p[2] == clear[2]) continue;
        double y = 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
        sum += y;
        squares += y * y;
        f.modelPixels++;
    }
    f.colours = (long)colours.size();
    if (f.modelPixels > 0) {
        double mean = sum / f.modelPixels;
        f.luminanceDeviation = std::sqrt(std::max(0.0, squares / f.modelPixels - mean * mean));
    }
    return f;
}

}  // namespace

TEST(ImportShading, AnUntexturedModelShowsItsFormAndNoneKeepsThePlainColours) {
    if (!FileExists(MODELS + "/PLY/Wuson.ply")) GTEST_SKIP() << "assimp-testmodels is not installed";
    TempDir temp("import-shading");
    for (const char* model : {"PLY/Wuson.ply", "STL/Spider_ascii.stl"}) {
        SCOPED_TRACE(model);
        if (!FileExists(MODELS + "/" + model)) continue;
        std::string shadedReport, plainReport;
        ShotFigures shaded = ImportAndShoot(temp, MODELS + "/" + model, "shaded", "--force", &shadedReport);
        ShotFigures plain = ImportAndShoot(temp, MODELS + "/" + model, "plain", "--force --shading none", &plainReport);
        EXPECT_NE(ReportLine(shadedReport, "shading").find("sun and sky"), std::string::npos) << shadedReport;
        EXPECT_NE(ReportLine(plainReport, "shading").find("none"), std::string::npos) << plainReport;
        ASSERT_GT(plain.modelPixels, 1000) << "the model is in view";
        std::printf("%-24s luminance deviation %.1f shaded, %.1f plain; colours %ld shaded, %ld plain\n",
                    model, shaded.luminanceDeviation, plain.luminanceDeviation, shaded.colours, plain.colours);
        EXPECT_GT(shaded.luminanceDeviation, 1.5 * plain.luminanceDeviation);
        EXPECT_GT(shaded.colours, plain.colours);
        // The same polygons in the same order: the shaded colour is the
        // plain one darkened, never brightened nor changed in hue.
        SceneDescription shadedScene, plainScene;
        DescribeLoadedScene(shadedScene, ReadSceneText(ReadWholeFile(temp.File("shaded/Hod.pro"))));
        DescribeLoadedScene(plainScene, ReadSceneText(ReadWholeFile(temp.File("plain/Hod.pro"))));
        ASSERT_EQ(shadedScene.flatVertices.size(), plainScene.flatVertices.size());
        for (size_t k = 0; k < plainScene.flatVertices.size(); k++) {
            const SceneFlatVertex &a = shadedScene.flatVertices[k], &b = plainScene.flatVertices[k];
            ASSERT_LE(a.red, b.red + 0.001);
            ASSERT_GE(a.red, b.red * 0.4 - 0.001);
            if (b.red > 0.05) {
                ASSERT_NEAR(a.green / a.red, b.green / b.red, 0.05 + 0.01 / a.red) << k;
            }
        }
    }
}

TEST(ImportShading, ATexturedModelKeepsItsPicturesUnderTheShading) {
    const std::string model = MODELS + "/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb";
    if (!FileExists(model)) GTEST_SKIP() << "assimp-testmodels is not installed";
    TempDir temp("import-shading-tex");
    std::string shadedReport, plainReport;
    ShotFigures shaded = ImportAndShoot(temp, model, "shaded", "", &shadedReport);
    ShotFigures plain = ImportAndShoot(temp, model, "plain", "--shading none", &plainReport);
    EXPECT_EQ(ReportNumber(shadedReport, "textures written"), 1);
    EXPECT_EQ(ReportNumber(shadedReport, "triangles kept"), ReportNumber(plainReport, "triangles kept"));
    SceneDescription scene;
    DescribeLoadedScene(scene, ReadSceneText(ReadWholeFile(temp.File("shaded/Hod.pro"))));
    ASSERT_FALSE(scene.texVertices.empty());
    std::set<double> levels;
    for (const SceneVertex& v : scene.texVertices) {
        EXPECT_EQ(v.texFlag, 1);
        EXPECT_FALSE(v.texName.empty());
        EXPECT_TRUE(v.red == v.green && v.green == v.blue) << "grey: the picture keeps its hues";
        EXPECT_LE(v.red, 1.0);
        levels.insert(v.red);
    }
    EXPECT_GE(levels.size(), 2u) << "the box's sides differ";
    EXPECT_GT(shaded.colours, 20) << "the picture is on screen, not a flat grey";
    EXPECT_GT(plain.modelPixels, 1000);
    std::printf("textured box: colours %ld shaded, %ld plain\n", shaded.colours, plain.colours);
}
