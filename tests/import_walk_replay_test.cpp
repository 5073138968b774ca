// import_walk_replay_test.cpp -- walking in an imported room: its walls
// stop the walker, who slides along them, and its doorway lets the walker
// through. The room is 10 by 8 m; in the scene its back wall is z = -80,
// its right wall x = 100, and the front wall z = 0 has a door from x = 40
// to x = 50.
#include <gtest/gtest.h>

#include "tests/import_support.h"
#include "tests/support/replay_harness.h"

namespace {

// Imports the room with extra options and walks forward for steps frames.
ReplayResult WalkInRoom(const TempDir& temp, const std::string& name, const std::string& options,
                        long steps) {
    std::string out = temp.File(name), report;
    if (!FileExists(temp.File("room.obj"))) SaveTextFile(temp.File("room.obj"), RoomObj());
    EXPECT_EQ(RunImport(temp.File("room.obj") + " " + out + " " + options, &report), 0) << report;
    return RunReplayTool(out, steps, "0 down up\n");
}

}  // namespace

TEST(ImportedWalls, WalkingAtAWallSlantwiseSlidesAlongItAndNeverCrosses) {
    TempDir temp("import-walk");
    // From (20, -50) heading 30 degrees: toward the back wall and to the right.
    ReplayResult run = WalkInRoom(temp, "slant", "--start 2,0,5 --heading 30", 150);
    ASSERT_EQ(run.status, 0) << run.errors;
    ASSERT_EQ(run.steps.size(), 150u);
    // The walker meets the wall where it comes within a collision radius
    // (2.5) of it, and from there on slides along it.
    double contactX = 0;
    bool met = false;
    for (const TraceStep& s : run.steps) {
        ASSERT_GT(s["viewerZ"], -80) << "crossed the back wall at step " << s.step;
        ASSERT_LT(s["viewerX"], 100) << "crossed the right wall at step " << s.step;
        if (met) {
            EXPECT_LT(s["viewerZ"], -75) << "kept to the wall at step " << s.step;
        }
        if (!met && s["viewerZ"] < -77) met = true, contactX = s["viewerX"];
    }
    ASSERT_TRUE(met) << "the walker reached the wall";
    EXPECT_GT(run.steps.back()["viewerX"] - contactX, 20) << "slid two metres and more along it";
}

TEST(ImportedWalls, WalkingStraightAtAWallStops) {
    TempDir temp("import-wall");
    // From (20, -30) heading 180: straight at the front wall, left of the door.
    ReplayResult run = WalkInRoom(temp, "straight", "--start 2,0,3 --heading 180", 80);
    ASSERT_EQ(run.status, 0) << run.errors;
    for (const TraceStep& s : run.steps) ASSERT_LT(s["viewerZ"], 0) << "crossed at step " << s.step;
    EXPECT_GT(run.steps.back()["viewerZ"], -5) << "walked up to the wall";
}

TEST(ImportedWalls, WalkingAtTheDoorwayPassesThrough) {
    TempDir temp("import-door");
    // From the middle of the door's width, 3 m inside, straight out.
    ReplayResult run = WalkInRoom(temp, "door", "--start 4.5,0,3 --heading 180", 80);
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_GT(run.steps.back()["viewerZ"], 20) << "two metres out of the room";
    // In the follow view the avatar's wider obstacle square still fits.
    ReplayResult follow = WalkInRoom(temp, "door3", "--start 4.5,0,3 --heading 180 --view-mode 3", 120);
    ASSERT_EQ(follow.status, 0) << follow.errors;
    EXPECT_GT(follow.steps.back()["viewerZ"], 20);
}

TEST(ImportedWalls, WithoutObstaclesTheWalkerPassesTheWall) {
    TempDir temp("import-nowalls");
    ReplayResult run = WalkInRoom(temp, "free", "--start 2,0,3 --heading 180 --no-obstacles", 80);
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_GT(run.steps.back()["viewerZ"], 20);
}
