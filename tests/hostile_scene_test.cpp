// hostile_scene_test.cpp -- scene files made to break the loader or the
// frame: truncations at every byte, counts at and one past each capacity,
// negative, huge, octal and hex counts, long names, wild joint numbers and
// texture flags, settings that could hang a frame or overflow a conversion,
// and standard-input sizes that disagree with the file. Each must load with
// every count inside its tables and draw frames that GL reports clean, with
// keys held, in every view mode. The sanitizer pass runs this too, so an
// out-of-bounds access anywhere on the way fails it.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "scene/scene.h"
#include "scene/scene_reader.h"
#include "scene/stdin_sizes.h"
#include "tests/support/headless_app.h"
#include "tests/support/hostile_scene.h"
#include "tests/support/temp_scene.h"
#include "tools/lib/bitmap_writer.h"

namespace {

class HostileScene : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        bitmapDir = new TempDir("hostile-bmp");
        const unsigned char rgb[4 * 4 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};  // then black
        textureFile = bitmapDir->File("t.bmp");
        ASSERT_TRUE(WriteBitmap24(textureFile.c_str(), rgb, 4, 4));
    }
    static void TearDownTestSuite() {
        delete bitmapDir;
        bitmapDir = nullptr;
    }
    void SetUp() override { StartHeadlessApp(""); }
    void TearDown() override { StopHeadlessApp(); }

    // A small complete scene whose textures name the test bitmap.
    SceneParts Base() const { return SceneParts(textureFile); }

    static TempDir* bitmapDir;
    static std::string textureFile;
};

TempDir* HostileScene::bitmapDir;
std::string HostileScene::textureFile;

// Every other case spoils this scene, so it must read whole as written.
TEST_F(HostileScene, BaseSceneReadsEveryRecord) {
    SceneParts parts = Base();
    parts.actorCount = 2;
    ASSERT_TRUE(ReadIntoModel(parts.Text(), ""));
    EXPECT_EQ(LastSceneRead().status, READ_OK);
    EXPECT_EQ(LastLoadedScene().scene.texPolyVertexCount, 4);
    EXPECT_EQ(LastLoadedScene().scene.flatPolyVertexCount, 4);
    EXPECT_EQ(LastLoadedScene().scene.avatarPolyVertexCount, 4);
    EXPECT_EQ(LastLoadedScene().scene.avatarJointCount, 1);
    EXPECT_EQ(LastLoadedScene().scene.actorLastIndex, 1);
    EXPECT_EQ(LastLoadedScene().scene.obstacleCount, 2);
    for (int i = 0; i <= 1; ++i) {
        EXPECT_EQ(LastLoadedScene().scene.actorWaypointCount[i], 2);
        EXPECT_EQ(LastLoadedScene().scene.actorPartVertexCount[i], 4);
        EXPECT_EQ(LastLoadedScene().scene.actorJointCount[i], 1);
    }
    EXPECT_EQ(LastLoadedScene().scene.actorStartX[1], 20);
    EXPECT_EQ(LastLoadedScene().scene.flatPolyEnd[4], 1);
    EXPECT_STREQ(SlotName(LastLoadedScene().scene, LastLoadedScene().scene.texPolyTexName[3]), textureFile.c_str());
    EXPECT_EQ(LastLoadedScene().scene.viewMode, 1);
    EXPECT_EQ(LastLoadedScene().scene.engineShake, 0.17) << "the last setting";
}

// ---- Truncation.

TEST_F(HostileScene, TruncatedAtEveryByteLoadsAndDraws) {
    std::string text = Base().Text();
    ASSERT_GT(text.size(), 1500u) << "the sweep should cross every record kind";
    for (size_t length = 0; length <= text.size(); ++length) {
        SCOPED_TRACE("truncated to " + std::to_string(length) + " bytes");
        ASSERT_TRUE(LoadIntoRunningApp(text.substr(0, length), ""));
        ASSERT_TRUE(DrawFramesHoldingKeys(2));
    }
    // The whole file is read to its end; with no byte nothing changes.
    EXPECT_EQ(loaded->read.status, READ_OK);
    EXPECT_EQ(loaded->scene.flatPolyVertexCount, 4);
    ASSERT_TRUE(LoadIntoRunningApp("", ""));
    EXPECT_EQ(loaded->scene.actorLastIndex, -1);
    EXPECT_EQ(loaded->scene.texPolyVertexCount, 0);
}

TEST_F(HostileScene, TruncatedAtEveryLineInEveryViewMode) {
    for (int mode = 1; mode <= 4; ++mode) {
        SceneParts parts = Base();
        parts.Set(FIELD_viewMode, std::to_string(mode));
        std::string text = parts.Text();
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
            SCOPED_TRACE("view mode " + std::to_string(mode) + ", cut after byte " +
                         std::to_string(at));
            ASSERT_TRUE(LoadIntoRunningApp(text.substr(0, at), ""));
            ASSERT_TRUE(DrawFramesHoldingKeys(3));
        }
    }
}

// ---- Capacities.

TEST_F(HostileScene, ListCountsAtCapacityLoadAndOnePastAreRefused) {
    struct Case {
        const char* name;
        int SceneParts::*count;
        int capacity;
    };
    const Case cases[] = {
        {"textured vertices", &SceneParts::texCount, TEX_POLY_CAPACITY},
        {"avatar vertices", &SceneParts::avatarCount, AVATAR_POLY_CAPACITY},
    };
    for (const Case& c : cases) {
        for (int extra : {0, 1}) {
            SCOPED_TRACE(std::string(c.name) + (extra ? ", one past" : ", at capacity"));
            SceneParts parts = Base();
            parts.*c.count = c.capacity + extra;
            ASSERT_TRUE(LoadEveryViewMode(parts, "", 2));
            const Scene& scene = loaded->scene;
            int count = c.count == &SceneParts::texCount ? scene.texPolyVertexCount
                                                         : scene.avatarPolyVertexCount;
            EXPECT_EQ(count, extra ? 0 : c.capacity);
            EXPECT_EQ(loaded->read.status, extra ? READ_OUT_OF_RANGE : READ_OK);
        }
    }
}

TEST_F(HostileScene, ActorsAtCapacityLoadAndOnePastAreRefused) {
    for (int extra : {0, 1}) {
        SCOPED_TRACE(extra ? "51 actors" : "50 actors");
        SceneParts parts = Base();
        parts.actorCount = ACTOR_CAPACITY + extra;
        ASSERT_TRUE(LoadEveryViewMode(parts, "", 2));
        EXPECT_EQ(loaded->scene.actorLastIndex, extra ? -1 : ACTOR_CAPACITY - 1);
        EXPECT_EQ(loaded->read.status, extra ? READ_OUT_OF_RANGE : READ_OK);
    }
}

TEST_F(HostileScene, PartListsAtCapacityLoadAndLongerAreRefused) {
    {
        SCOPED_TRACE("M = 2001, a list of 2001");
        SceneParts parts = Base();
        parts.partCount = parts.partCapacity = PART_CAPACITY;
        ASSERT_TRUE(LoadEveryViewMode(parts, "", 2));
        EXPECT_EQ(loaded->scene.actorPartVertexCount[0], PART_CAPACITY);
        EXPECT_EQ(loaded->read.status, READ_OK);
    }
    {
        SCOPED_TRACE("M = 2002");
        SceneParts parts = Base();
        parts.partCount = parts.partCapacity = PART_CAPACITY + 1;
        ASSERT_TRUE(LoadEveryViewMode(parts, "", 2));
        EXPECT_EQ(loaded->scene.partCapacity, 1) << "the refused M keeps its preset";
        EXPECT_EQ(loaded->read.status, READ_OUT_OF_RANGE);
    }
    {
        SCOPED_TRACE("a list one longer than M");
        SceneParts parts = Base();
        parts.partCount = parts.partCapacity + 1;
        ASSERT_TRUE(LoadEveryViewMode(parts, "", 2));
        EXPECT_EQ(loaded->read.status, READ_OUT_OF_RANGE);
    }
}

TEST_F(HostileScene, JointCountsAtCapacityLoadAndOnePastAreRefused) {
    for (int extra : {0, 1}) {
        for (bool avatar : {true, false}) {
            SCOPED_TRACE(std::string(avatar ? "avatar" : "actor") + (extra ? ", 21 joints" : ", 20 joints"));
            SceneParts parts = Base();
            (avatar ? parts.avatarJoints : parts.actorJoints) = JOINT_CAPACITY + extra;
            ASSERT_TRUE(LoadEveryViewMode(parts, "", 2));
            EXPECT_EQ(loaded->read.status, extra ? READ_OUT_OF_RANGE : READ_OK);
            if (!extra) {
                EXPECT_EQ(avatar ? loaded->scene.avatarJointCount : loaded->scene.actorJointCount[0], JOINT_CAPACITY - 1);
            }
        }
    }
}

// Lists with no fixed capacity are bounded by the records the file holds.
TEST_F(HostileScene, CountsOnePastTheRecordsPresentLoadAndDraw) {
    struct Case {
        const char* name;
        std::string SceneParts::*token;
        int SceneParts::*count;
    };
    const Case cases[] = {
        {"obstacles", &SceneParts::obstacleCountToken, &SceneParts::obstacleCount},
        {"waypoints", &SceneParts::waypointCountToken, &SceneParts::waypointCount},
        {"plain vertices", &SceneParts::flatCountToken, &SceneParts::flatCount},
        {"part vertices", &SceneParts::partCountToken, &SceneParts::partCount},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SceneParts parts = Base();
        parts.*c.token = std::to_string(parts.*c.count + 1);
        ASSERT_TRUE(LoadEveryViewMode(parts, "", 2));
    }
}

// ---- Count forms.

TEST_F(HostileScene, NegativeHugeOctalAndHexCountsLoadAndDraw) {
    const std::pair<const char*, std::string SceneParts::*> tokens[] = {
        {"textured count", &SceneParts::texCountToken},
        {"plain count", &SceneParts::flatCountToken},
        {"avatar count", &SceneParts::avatarCountToken},
        {"actor last index", &SceneParts::actorLastToken},
        {"part capacity", &SceneParts::partCapacityToken},
        {"obstacle count", &SceneParts::obstacleCountToken},
        {"waypoint count", &SceneParts::waypointCountToken},
        {"part count", &SceneParts::partCountToken},
        {"avatar joint last index", &SceneParts::avatarJointLastToken},
        {"actor joint last index", &SceneParts::actorJointLastToken},
    };
    const char* forms[] = {"-1",     "-2",    "-2147483648", "2147483647", "99999999999",
                           "0x7FFFFFFF", "-0x10", "077777", "0x", "-", "0"};
    for (const auto& token : tokens) {
        for (const char* form : forms) {
            SCOPED_TRACE(std::string(token.first) + " written as " + form);
            SceneParts parts = Base();
            parts.*token.second = form;
            ASSERT_TRUE(LoadEveryViewMode(parts, "", 2));
        }
    }
}

TEST_F(HostileScene, OctalAndHexCountsReadAsTheirValues) {
    SceneParts decimal = Base();
    std::string expected = LoadedSceneText(decimal.Text(), "");
    ASSERT_NE(expected, "");
    // The base scene has 4 textured, 4 plain and 4 avatar vertices, one actor
    // (last index 0), part capacity 4 and 2 obstacles.
    SceneParts octal = Base();
    octal.texCountToken = "04";
    octal.flatCountToken = "004";
    octal.partCapacityToken = "0004";
    EXPECT_EQ(LoadedSceneText(octal.Text(), ""), expected);
    SceneParts hex = Base();
    hex.avatarCountToken = "0x4";
    hex.actorLastToken = "0X0";
    hex.obstacleCountToken = "0x02";
    EXPECT_EQ(LoadedSceneText(hex.Text(), ""), expected);
}

// ---- Names, joints and texture flags.

TEST_F(HostileScene, NamesOfZero199And500CharactersKeepTheFieldsAfterThem) {
    SceneParts parts = Base();
    parts.texNames = {"", std::string(199, 'n'), std::string(500, 'x')};
    ASSERT_TRUE(LoadEveryViewMode(parts, "", 2));
    ASSERT_TRUE(ReadIntoModel(parts.Text(), ""));
    EXPECT_EQ(std::string(SlotName(loaded->scene, loaded->scene.texPolyTexName[0])), "");
    EXPECT_EQ(std::string(SlotName(loaded->scene, loaded->scene.texPolyTexName[1])), std::string(199, 'n'));
    EXPECT_EQ(std::string(SlotName(loaded->scene, loaded->scene.texPolyTexName[2])), std::string(199, 'x'));
    EXPECT_EQ(std::string(SlotName(loaded->scene, loaded->scene.texPolyTexName[3])), textureFile);
    EXPECT_EQ(loaded->read.status, READ_OK) << "the rest of the long line was consumed";
    EXPECT_EQ(loaded->scene.flatPolyVertexCount, 4);
}

TEST_F(HostileScene, WildJointNumbersLoadAndDraw) {
    for (const char* joint : {"-11", "20", "2147483647", "-2147483648", "-1", "19"}) {
        SCOPED_TRACE(std::string("joint ") + joint);
        SceneParts parts = Base();
        parts.avatarJointToken = joint;
        parts.partJointToken = joint;
        ASSERT_TRUE(LoadEveryViewMode(parts, "", 4));
    }
}

TEST_F(HostileScene, TextureFlagSevenOnTheFirstPolygonDrawsIt) {
    SceneParts parts = Base();
    parts.firstTexFlagToken = "7";
    ASSERT_TRUE(LoadEveryViewMode(parts, "", 2));
    EXPECT_EQ(loaded->scene.texPolyTexFlag[0], 7);
    EXPECT_EQ(loaded->textures.texPolyTexId[0], 0u) << "only flag 1 makes a texture object";
    EXPECT_NE(loaded->textures.texPolyTexId[2], 0u) << "the other textured polygon keeps its texture";
}

// ---- Settings that could hang a frame or overflow a conversion.

TEST_F(HostileScene, ExtremeMotionSettingsDrawInEveryViewMode) {
    struct Case {
        const char* name;
        std::vector<std::pair<SceneField, std::string>> settings;
    };
    const Case cases[] = {
        {"maxDeflection 1e999", {{FIELD_maxDeflection, "1e999"}}},
        {"driveMaxDeflection 1e999", {{FIELD_driveMaxDeflection, "1e999"}}},
        {"both deflections 1e999",
         {{FIELD_maxDeflection, "1e999"}, {FIELD_driveMaxDeflection, "1e999"}}},
        {"followCameraSteps 1e9", {{FIELD_followCameraSteps, "1000000000"}}},
        {"driveCameraSteps 1e9", {{FIELD_driveCameraSteps, "1000000000"}}},
        {"maxWalkSpeed 0, followCameraSteps 0",
         {{FIELD_maxWalkSpeed, "0"}, {FIELD_followCameraSteps, "0"}}},
        {"maxDriveSpeed 0, driveCameraSteps 0",
         {{FIELD_maxDriveSpeed, "0"}, {FIELD_driveCameraSteps, "0"}}},
        {"turnStep 1e300", {{FIELD_turnStep, "1e300"}}},
        {"speeds 1e300",
         {{FIELD_maxWalkSpeed, "1e300"}, {FIELD_walkAcceleration, "1e300"},
          {FIELD_maxDriveSpeed, "1e300"}, {FIELD_driveAcceleration, "1e300"}}},
        {"start 1e300", {{FIELD_startEyeX, "1e300"}, {FIELD_startHeading, "-1e300"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SceneParts parts = Base();
        for (const auto& s : c.settings) parts.Set(s.first, s.second);
        ASSERT_TRUE(LoadEveryViewMode(parts, "", 4));
    }
}

TEST_F(HostileScene, ActorStartX1e300LoadsWithABoundedTimer) {
    SceneParts parts = Base();
    parts.actorStartXToken = "1e300";
    ASSERT_TRUE(LoadEveryViewMode(parts, "", 4));
    EXPECT_EQ(loaded->scene.actorStartX[0], 1e300);
    EXPECT_GE(loaded->motion.actors[0].actorTimer, 0);
    EXPECT_LE(loaded->motion.actors[0].actorTimer, 430);
}

TEST_F(HostileScene, TurnStep1e300InViewModeThree) {
    SceneParts parts = Base();
    parts.Set(FIELD_turnStep, "1e300");
    parts.Set(FIELD_viewMode, "3");
    ASSERT_TRUE(LoadIntoRunningApp(parts.Text(), ""));
    EXPECT_EQ(loaded->scene.viewMode, 3);
    ASSERT_TRUE(DrawFramesHoldingKeys(12));
}

TEST_F(HostileScene, ViewModesOutsideOneToFourDraw) {
    for (const char* mode : {"0", "5", "-1", "2147483647"}) {
        SCOPED_TRACE(std::string("view mode ") + mode);
        SceneParts parts = Base();
        parts.Set(FIELD_viewMode, mode);
        ASSERT_TRUE(LoadIntoRunningApp(parts.Text(), ""));
        EXPECT_EQ(loaded->scene.viewMode, std::stoi(mode));
        ASSERT_TRUE(DrawFramesHoldingKeys(8));
    }
}

// ---- Standard-input sizes.

TEST_F(HostileScene, StdinSizesNeverChangeWhatIsRead) {
    SceneParts parts = Base();
    parts.actorCount = 3;
    parts.waypointCountToken = "3";
    std::string expected = LoadedSceneText(parts.Text(), "");
    ASSERT_NE(expected, "");
    const char* inputs[] = {
        "0 0 0 0 0 0 0 0",  // smaller than every count of the file
        "1 1 1 1 1 1 1 1",
        "-5 -5 -5 -5 -5 -5 -5 -5",
        "2147483647 2147483647 2147483647 2147483647 2147483647 2147483647 2147483647 "
        "2147483647",
        "99999999999999999999 99999999999999999999 -99999999999999999999 "
        "99999999999999999999 99999999999999999999 99999999999999999999",
        "49 2001 49 100000 49 2001 49 100000",
        "x y",
        "7",
        "+ - 12",
    };
    for (const char* input : inputs) {
        SCOPED_TRACE(std::string("stdin \"") + input + "\"");
        EXPECT_EQ(LoadedSceneText(parts.Text(), input), expected);
        ASSERT_TRUE(LoadIntoRunningApp(parts.Text(), input));
        ASSERT_TRUE(DrawFramesHoldingKeys(2));
    }
}

// The whole program started on a hostile file from the start, as a user
// would: the window creation path, not a reload.
TEST_F(HostileScene, ProgramStartsOnAHostileFile) {
    StopHeadlessApp();
    SceneParts parts = Base();
    parts.Set(FIELD_viewMode, "-1");
    parts.Set(FIELD_maxDeflection, "1e999");
    parts.Set(FIELD_followCameraSteps, "0");
    parts.avatarJointToken = "2147483647";
    parts.texNames = {std::string(500, 'x')};
    StartHeadlessApp(parts.Text(), 200, 150, 1000, "2147483647 -1");
    EXPECT_TRUE(TablesHoldTheirCounts(loaded->scene));
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_TRUE(DrawFramesHoldingKeys(4));
}

}  // namespace
