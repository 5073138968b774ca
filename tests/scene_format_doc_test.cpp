// scene_format_doc_test.cpp -- the scene author's guide, docs/scene-format.md,
// held to the program: its field tables name every field the reader reads,
// in the reader's order, with the kind and default an early end leaves; and
// its worked scene checks clean and runs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene/scene_fields.h"
#include "scene/scene_file.h"
#include "tests/support/replay_harness.h"
#include "tests/support/temp_scene.h"
#include "tests/support/tool_command.h"
#include "tools/lib/png_image.h"

namespace {

const std::string GUIDE_PATH = std::string(AMBLER_SOURCE_DIR) + "/docs/scene-format.md";
// The guide tells authors to take the worked scene's bitmaps from this demo.
const std::string BITMAP_DIR = std::string(AMBLER_SOURCE_DIR) + "/scenes/walk";
const char FIELD_SECTION[] = "## Every field in file order";
const char WORKED_SCENE_MARKER[] = "<!-- worked-scene:";

std::string Guide() {
    std::string text = ReadWholeFile(GUIDE_PATH);
    EXPECT_FALSE(text.empty()) << "cannot read " << GUIDE_PATH;
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The lines under a level-2 heading, up to the next level-2 heading.
std::vector<std::string> SectionLines(const std::string& text, const std::string& heading) {
    std::vector<std::string> section;
    bool inside = false;
    for (const std::string& line : Lines(text)) {
        if (line.rfind("## ", 0) == 0) {
            if (inside) break;
            inside = line == heading;
            continue;
        }
        if (inside) section.push_back(line);
    }
    return section;
}

std::string Trim(const std::string& s) {
    size_t first = s.find_first_not_of(' '), last = s.find_last_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

// The cells of a table row ("| a | b |"); empty for any other line.
std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    if (line.size() < 2 || line[0] != '|') return cells;
    size_t start = 1;
    for (size_t bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
        cells.push_back(Trim(line.substr(start, bar - start)));
    return cells;
}

// The words in backticks.
std::vector<std::string> CodeSpans(const std::string& text) {
    std::vector<std::string> spans;
    for (size_t open = text.find('`'); open != std::string::npos; open = text.find('`', open)) {
        size_t close = text.find('`', open + 1);
        if (close == std::string::npos) break;
        spans.push_back(text.substr(open + 1, close - open - 1));
        open = close + 1;
    }
    return spans;
}

// One row of a field table: the fields it names, their kind and default.
struct FieldRow {
    std::vector<std::string> names;
    std::string kind, byDefault;
};

// The rows of every "| # | Field | Kind | Default | ..." table in the section.
std::vector<FieldRow> FieldRows(const std::vector<std::string>& section) {
    std::vector<FieldRow> rows;
    for (const std::string& line : section) {
        std::vector<std::string> cells = Cells(line);
        if (cells.size() < 4 || cells[0] == "#" || cells[0].rfind("---", 0) == 0) continue;
        rows.push_back({CodeSpans(cells[1]), cells[2], cells[3]});
    }
    return rows;
}

// The fenced block that follows the worked scene's marker.
std::string WorkedScene(const std::string& text) {
    std::vector<std::string> lines = Lines(text);
    size_t k = 0;
    while (k < lines.size() && lines[k].rfind(WORKED_SCENE_MARKER, 0) != 0) ++k;
    while (k < lines.size() && lines[k].rfind("```", 0) != 0) ++k;
    std::string scene;
    for (++k; k < lines.size() && lines[k].rfind("```", 0) != 0; ++k) scene += lines[k] + "\n";
    return k < lines.size() ? scene : "";
}

// Where a single scalar of the file is held, for the fields outside the
// settings table.
struct Scalar {
    SceneField field;
    int Scene::*intValue;
    double Scene::*decimalValue;
};

Scalar ScalarOf(SceneField field) {
    for (const SettingSlot& slot : sceneSettingSlots)
        if (slot.field == field) return {field, slot.intValue, slot.decimalValue};
    const Scalar others[] = {
        {FIELD_texPolyVertexCount, &Scene::texPolyVertexCount, nullptr},
        {FIELD_flatPolyVertexCount, &Scene::flatPolyVertexCount, nullptr},
        {FIELD_avatarPolyVertexCount, &Scene::avatarPolyVertexCount, nullptr},
        {FIELD_actorLastIndex, &Scene::actorLastIndex, nullptr},
        {FIELD_partCapacity, &Scene::partCapacity, nullptr},
        {FIELD_obstacleCount, &Scene::obstacleCount, nullptr},
        {FIELD_clearRed, nullptr, &Scene::clearRed},
        {FIELD_clearGreen, nullptr, &Scene::clearGreen},
        {FIELD_clearBlue, nullptr, &Scene::clearBlue},
        {FIELD_avatarHeadingOffset, nullptr, &Scene::avatarHeadingOffset},
        {FIELD_avatarJointCount, &Scene::avatarJointCount, nullptr},
    };
    for (const Scalar& s : others)
        if (s.field == field) return s;
    return {field, nullptr, nullptr};
}

// The names of the texture files the loaded scene's flagged slots name.
std::set<std::string> LoadedTextureNames(const Scene& scene) {
    std::set<std::string> names;
    for (int k = 0; k < scene.texPolyVertexCount; ++k)
        if (scene.texPolyTexFlag[k] == 1) names.insert(SlotName(scene, scene.texPolyTexName[k]));
    for (int k = 0; k < scene.avatarPolyVertexCount; ++k)
        if (scene.avatarPolyTexFlag[k] == 1) names.insert(SlotName(scene, scene.avatarPolyTexName[k]));
    for (int i = 0; i <= scene.actorLastIndex; ++i)
        for (int p = 0; p < scene.actorPartVertexCount[i]; ++p)
            if (scene.partTexFlag(p, i) == 1) names.insert(SlotName(scene, scene.partTexName(p, i)));
    return names;
}

struct CheckRun {
    int status;
    std::string output;
};

CheckRun RunCheck(const std::string& dir) {
    std::string out = dir + ".check.txt";
    std::string command =
        ToolCommand("ambler-check") + " '" + dir + "' > '" + out + "' 2>&1 < /dev/null";
    int raw = std::system(command.c_str());
    CheckRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(out)};
    RemoveTree(out);
    return run;
}

TEST(SceneFormatGuide, FieldTablesNameEveryFieldInTheReadersOrder) {
    std::vector<std::string> documented;
    for (const FieldRow& row : FieldRows(SectionLines(Guide(), FIELD_SECTION)))
        documented.insert(documented.end(), row.names.begin(), row.names.end());
    std::vector<std::string> read;
    for (int f = 0; f < FIELD_AFTER_LAST; ++f) read.push_back(sceneFieldInfo[f].name);
    EXPECT_EQ(documented, read);
}

// A scene file that ends at once leaves every field at its default, which
// is what the guide's Default column promises. The build that keeps the
// side-key mode is the one for which the file's default means anything
// (the standard build forces 2 whatever the file holds).
TEST(SceneFormatGuide, KindsAndDefaultsOfTheSettingsAreWhatAnEmptyFileLeaves) {
    std::vector<FieldRow> rows = FieldRows(SectionLines(Guide(), FIELD_SECTION));
    SceneReadOptions options;
    options.keepSideKeyMode = true;
    options.stdinText = "";
    const Scene& scene = ReadSceneText("", options);
    int next = 0, checked = 0, scalars = 0;
    for (int f = 0; f < FIELD_AFTER_LAST; ++f) {
        Scalar scalar = ScalarOf((SceneField)f);
        scalars += scalar.intValue || scalar.decimalValue;
    }
    for (const FieldRow& row : rows) {
        for (const std::string& name : row.names) {
            ASSERT_LT(next, (int)FIELD_AFTER_LAST) << "the tables name more fields than the reader";
            SceneField field = (SceneField)next++;
            ASSERT_EQ(name, sceneFieldInfo[field].name) << "the tables are out of order";
            Scalar scalar = ScalarOf(field);
            if (!scalar.intValue && !scalar.decimalValue) continue;
            ++checked;
            EXPECT_EQ(row.kind, scalar.intValue ? "int" : "dec") << name;
            char* end = nullptr;
            double documented = std::strtod(row.byDefault.c_str(), &end);
            ASSERT_TRUE(end != row.byDefault.c_str() && *end == '\0')
                << name << ": default \"" << row.byDefault << "\" is not a number";
            double held = scalar.intValue ? scene.*scalar.intValue : scene.*scalar.decimalValue;
            EXPECT_EQ(documented, held) << name;
        }
    }
    EXPECT_EQ(checked, scalars) << "every single value of the file has a documented default";
}

// The worked scene, with the demo bitmaps it names beside it: ambler-check
// finds nothing to report, and the replay tool walks it with the actors
// moving and the textures drawn.
TEST(SceneFormatGuide, WorkedSceneChecksCleanAndRuns) {
    std::string scene = WorkedScene(Guide());
    ASSERT_FALSE(scene.empty()) << "no fenced block after " << WORKED_SCENE_MARKER;
    TempDir dir("worked-scene");
    ASSERT_TRUE(SaveTextFile(dir.File("Hod.pro"), scene));

    const Scene& read = ReadSceneText(scene);
    std::set<std::string> textures = LoadedTextureNames(read);
    EXPECT_FALSE(textures.empty()) << "the worked scene shows no texture";
    EXPECT_GE(read.actorLastIndex, 0) << "the worked scene has no actor";
    EXPECT_GE(read.obstacleCount, 1) << "the worked scene has no obstacle points";
    double clear[3] = {read.clearRed, read.clearGreen, read.clearBlue};
    int actors = read.actorLastIndex + 1;
    for (const std::string& name : textures) {
        std::error_code error;
        std::filesystem::copy_file(BITMAP_DIR + "/" + name, dir.File(name), error);
        ASSERT_FALSE(error) << name << " is not among the bitmaps of " << BITMAP_DIR;
    }

    CheckRun check = RunCheck(dir.path);
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_NE(check.output.find("\n0 errors, 0 warnings\n"), std::string::npos) << check.output;

    const long steps = 40;
    std::string shot = dir.File("start.png");
    ReplayResult run =
        RunReplayTool(dir.path, steps, "0 down up\n", "--size 160x120 --shot 0:'" + shot + "'");
    ASSERT_EQ(run.status, 0) << run.errors;
    ASSERT_EQ((long)run.steps.size(), steps);
    for (const TraceStep& step : run.steps) EXPECT_TRUE(step.ran) << "step " << step.step;
    const TraceStep& last = run.steps.back();
    EXPECT_GT(std::hypot(last["walkedX"], last["walkedZ"]), 0) << "Up did not walk";
    ASSERT_EQ((int)last.actors.size(), actors);
    for (int i = 0; i < actors; ++i) {
        const std::map<std::string, double>& actor = last.actors[i];
        EXPECT_GT(std::hypot(actor.at("actorWalkedX"), actor.at("actorWalkedZ")), 0)
            << "actor " << i << " did not move";
    }

    // The start view holds the scene, textures included, not just the sky:
    // flat colours alone give a few dozen shades at most.
    RgbImage image;
    std::string error;
    ASSERT_TRUE(ReadPng(shot.c_str(), &image, &error)) << error;
    size_t pixels = (size_t)image.width * image.height, sky = 0;
    std::set<unsigned> shades;
    for (size_t p = 0; p < pixels; ++p) {
        const unsigned char* c = &image.rgb[3 * p];
        bool isSky = true;
        for (int k = 0; k < 3; ++k) isSky = isSky && std::abs(c[k] - clear[k] * 255) <= 2;
        sky += isSky;
        shades.insert((unsigned)c[0] << 16 | (unsigned)c[1] << 8 | c[2]);
    }
    EXPECT_LT(sky, pixels * 3 / 4) << "the start view is mostly background";
    EXPECT_GT(shades.size(), 64u) << "the start view shows no texture";
}

}  // namespace
