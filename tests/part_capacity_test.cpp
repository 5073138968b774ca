// part_capacity_test.cpp -- a scene whose actors have no polygons writes a
// part capacity below 1; its actors, and every record after them, must
// still be read, and the actors must walk their rounds unseen. A part count
// is measured against the tables the preparation left, as any other.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include "app/app.h"
#include "scene/scene.h"
#include "scene/scene_reader.h"
#include "tests/support/headless_app.h"
#include "tests/support/hostile_scene.h"
#include "tests/support/replay_harness.h"
#include "tests/support/temp_scene.h"
#include "tools/lib/bitmap_writer.h"

namespace {

class PartCapacity : public ::testing::Test {
  protected:
    void SetUp() override {
        const unsigned char rgb[2 * 2 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
        ASSERT_TRUE(WriteBitmap24(bitmaps.File("t.bmp").c_str(), rgb, 2, 2));
        StartHeadlessApp("");
    }
    void TearDown() override { StopHeadlessApp(); }

    // Three actors with part lists of count parts under capacity M = 0.
    SceneParts WithoutPolygons(int count) const {
        SceneParts parts(bitmaps.File("t.bmp"));
        parts.actorCount = 3;
        parts.partCapacity = 0;
        parts.partCount = count;
        return parts;
    }

    TempDir bitmaps{"part-capacity-bmp"};
};

TEST_F(PartCapacity, ActorsWithoutPolygonsAndEverythingAfterThemAreRead) {
    for (int count : {0, -3}) {
        SCOPED_TRACE("part count " + std::to_string(count));
        ASSERT_TRUE(ReadIntoModel(WithoutPolygons(count).Text(), ""));
        const Scene& s = LastLoadedScene().scene;
        EXPECT_EQ(LastSceneRead().status, READ_OK);
        EXPECT_EQ(s.partCapacity, 0);
        EXPECT_EQ(s.actorLastIndex, 2);
        for (int i = 0; i <= 2; i++) EXPECT_EQ(s.actorPartVertexCount[i], count);
        EXPECT_EQ(s.actorStartX[2], 40) << "the last actor's start";
        EXPECT_EQ(s.actorStartHeading[2], 74);
        EXPECT_EQ(s.actorJointCount[2], 1) << "the joint block after the parts";
        EXPECT_EQ(s.texPolyVertexCount, 4);
        EXPECT_EQ(s.flatPolyEnd[4], 1) << "the last record of the file";
    }
}

// The preparation's part tables hold rows 0..1 of one actor unless standard
// input asks for more; a count within them is read with its vertices.
TEST_F(PartCapacity, CountsAreMeasuredAgainstThePreparedTables) {
    SceneParts one = WithoutPolygons(1);
    one.actorCount = 1;
    ASSERT_TRUE(ReadIntoModel(one.Text(), ""));
    const Scene* s = &LastLoadedScene().scene;
    EXPECT_EQ(LastSceneRead().status, READ_OK);
    EXPECT_EQ(s->actorPartVertexCount[0], 1);
    EXPECT_EQ(s->flatPolyEnd[4], 1);

    one.partCount = 2;
    ASSERT_TRUE(ReadIntoModel(one.Text(), ""));
    EXPECT_EQ(LastSceneRead().status, READ_OUT_OF_RANGE) << "one row past the prepared tables";

    // Actor 1 has no column in the prepared tables: only counts below 1 fit.
    SceneParts all = WithoutPolygons(1);
    ASSERT_TRUE(ReadIntoModel(all.Text(), ""));
    EXPECT_EQ(LastSceneRead().status, READ_OUT_OF_RANGE);
    EXPECT_EQ(s->actorPartVertexCount[0], 1);

    // Standard input sizes the prepared tables: 3 actors, rows 0..5.
    all.partCount = 5;
    ASSERT_TRUE(ReadIntoModel(all.Text(), "3 5\n"));
    EXPECT_EQ(LastSceneRead().status, READ_OK);
    EXPECT_EQ(s->actorPartVertexCount[2], 5);
    EXPECT_EQ(s->flatPolyEnd[4], 1);
}

TEST_F(PartCapacity, ScenesWithoutPolygonsDrawCleanInEveryViewMode) {
    EXPECT_TRUE(LoadEveryViewMode(WithoutPolygons(0), "", 3));
    EXPECT_EQ(loaded->read.status, READ_OK);
}

// Played, the unseen actors start where the file puts them and walk.
TEST_F(PartCapacity, ActorsWithoutPolygonsWalkTheirRounds) {
    TempDir dir("part-capacity-replay");
    ASSERT_TRUE(SaveTextFile(dir.File("Hod.pro"), WithoutPolygons(0).Text()));
    ReplayResult r = RunReplayTool(dir.path, 60, "");
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 60u);
    ASSERT_EQ(r.steps[0].actors.size(), 3u);
    // Step 0 is after the first frame: one step at most the actor's speed.
    EXPECT_NEAR(r.steps[0].actors[2].at("actorX"), 40, 1.5) << "read from the file";
    double walked = 0;
    for (const auto& a : r.steps.back().actors)
        walked += std::abs(a.at("actorWalkedX")) + std::abs(a.at("actorWalkedZ"));
    EXPECT_GT(walked, 0);
}

// ambler-check names the limit the prepared tables set.
TEST_F(PartCapacity, CheckSaysHowManyFitUnderACapacityBelowOne) {
    TempDir dir("part-capacity-check");
    SceneParts two = WithoutPolygons(0);
    two.partCountToken = "2";
    ASSERT_TRUE(SaveTextFile(dir.File("Hod.pro"), two.Text()));
    std::string out = dir.File("out.txt");
    std::string command = "cd '" + dir.path + "' && '" AMBLER_BIN_DIR "/ambler-check' . > '" + out +
                          "' 2>&1 < /dev/null";
    int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_NE(WEXITSTATUS(raw), 0);
    std::string text = ReadWholeFile(out);
    EXPECT_NE(text.find("part count 2"), std::string::npos) << text;
    EXPECT_NE(text.find("partCapacity is below 1"), std::string::npos) << text;
    EXPECT_NE(text.find("at most 1 fit here"), std::string::npos) << text;
}

}  // namespace
