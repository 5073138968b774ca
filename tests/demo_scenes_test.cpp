// demo_scenes_test.cpp -- the demo scenes: the committed folders are what
// ambler-scenegen writes; each loads with the features its view mode shows
// off; and, played, they keep their promises: the walkers stay on the
// square, walls let the viewer slide, the follow camera's boom shortens
// before the houses, and the barriers keep the car on the circuit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>

#include "app/app.h"
#include "scene/bitmap.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "tests/support/desktop.h"
#include "tests/support/replay_harness.h"
#include "tests/support/temp_scene.h"

namespace fs = std::filesystem;

namespace {

const char* const DEMOS[] = {"walk", "follow", "drive", "chase"};

std::string DemoDir(const std::string& name) { return std::string(AMBLER_SOURCE_DIR) + "/scenes/" + name; }

std::set<std::string> FilesIn(const std::string& dir) {
    std::set<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

// Loads a demo's scene file through the real loader, as the given build.
LoadedScene& LoadDemo(const std::string& name, bool keepSideKeys = false) {
    SceneReadOptions options;
    options.keepSideKeyMode = keepSideKeys;
    return LoadSceneText(ReadWholeFile(DemoDir(name) + "/Hod.pro"), options);
}

// The walk and follow demos' houses stand in a ring from 240 to 310 units
// out on each side, broken by four streets 60 wide through the middle.
bool InsideAHouse(double x, double z) {
    double ring = std::max(std::fabs(x), std::fabs(z));
    bool street = std::fabs(x) < 30 || std::fabs(z) < 30;
    return ring > 240 && ring < 310 && !street;
}

// The demos are textured: their replays skip the sanitizer's leak check.
class DemoScenes : public testing::Test {
protected:
};

}  // namespace

TEST_F(DemoScenes, CommittedScenesAreWhatTheGeneratorWrites) {
    TempDir out("scenegen");
    ASSERT_FALSE(out.path.empty());
    int status = -1;
    std::string output = Shell("'" + std::string(AMBLER_BIN_DIR) + "/ambler-scenegen' '" + out.path + "' 2>&1", &status);
    ASSERT_EQ(status, 0) << output;
    for (const char* demo : DEMOS) {
        std::string made = out.path + "/" + demo, committed = DemoDir(demo);
        ASSERT_TRUE(fs::is_directory(committed)) << committed << " is missing (make scenes)";
        std::set<std::string> madeFiles = FilesIn(made), committedFiles = FilesIn(committed);
        EXPECT_EQ(madeFiles, committedFiles) << demo << ": the files differ (make scenes)";
        for (const std::string& file : FilesIn(made))
            EXPECT_TRUE(ReadWholeFile(made + "/" + file) == ReadWholeFile(committed + "/" + file))
                << "scenes/" << demo << "/" << file << " differs from the generator's output (make scenes)";
    }
}

TEST_F(DemoScenes, WalkIsALitTownWithCulledOutskirtsAndTenWalkers) {
    const Scene& s = LoadDemo("walk").scene;
    EXPECT_EQ(s.viewMode, 1);
    EXPECT_EQ(s.light0Enabled, 1);
    EXPECT_EQ(s.light1Enabled, 1);
    EXPECT_EQ(s.cullEnabled, 1);
    EXPECT_EQ(s.avatarPolyVertexCount, 0) << "no figure in front of the first-person eye";
    ASSERT_EQ(s.actorLastIndex, 9);
    int waypoints = 0, ranged = 0, culled = 0;
    for (int i = 0; i <= s.actorLastIndex; i++) {
        waypoints += s.actorUsesWaypoints[i] == 1 && s.actorWaypointCount[i] > 0;
        ranged += s.actorRangeLimited[i] != 0;
        culled += s.actorCullEnabled[i] != 0;
        EXPECT_EQ(s.actorAvoidsObstacles[i], 1) << "actor " << i;
        EXPECT_GE(s.actorJointCount[i], 3) << "actor " << i << " swings arms and legs";
        double swing = 0;
        for (int j = 0; j <= s.actorJointCount[i]; j++) swing += std::fabs(s.actorJointSwingX[j][1][i]);
        EXPECT_GT(swing, 0) << "actor " << i << " swings its limbs in the walking pose";
    }
    EXPECT_GT(waypoints, 0);
    EXPECT_LT(waypoints, 10);
    EXPECT_GT(ranged, 0);
    EXPECT_LT(ranged, 10);
    EXPECT_GT(culled, 0);
    EXPECT_LT(culled, 10);
    // Some textured polygons lie farther out than the culling distance.
    double farthest = 0;
    for (int v = 1; v <= s.texPolyVertexCount; v++)
        farthest = std::max({farthest, std::fabs(s.texPolyX[v] - s.startEyeX), std::fabs(s.texPolyZ[v] - s.startEyeZ)});
    EXPECT_GT(farthest, s.cullDistance);
}

TEST_F(DemoScenes, SideKeysSidestepInTheSecondBuildAndTurnInTheStandardOne) {
    const Scene& s = LoadDemo("walk", true).scene;
    EXPECT_EQ(s.sideKeyMode, 1);
    LoadDemo("walk", false);
    EXPECT_EQ(s.sideKeyMode, 2);
}

TEST_F(DemoScenes, FollowAvatarHasAPoseForEachKeyState) {
    const Scene& s = LoadDemo("follow").scene;
    EXPECT_EQ(s.viewMode, 3);
    ASSERT_GT(s.avatarPolyVertexCount, 0);
    ASSERT_GE(s.avatarJointCount, 3);
    // Standing is still; walking forward, back, turning and sidestepping
    // each move the limbs, and no two of those poses move them alike.
    auto motion = [&s](int pose) {
        std::string m;
        for (int g = 0; g <= s.avatarJointCount; g++)
            m += std::to_string(s.avatarJointSwingX[g][pose]) + "," + std::to_string(s.avatarJointSwingZ[g][pose]) + "," +
                 std::to_string(s.avatarJointTiltZ[g][pose]) + "," + std::to_string(s.avatarJointStepX[g][pose]) + ";";
        return m;
    };
    for (int g = 0; g <= s.avatarJointCount; g++) {
        EXPECT_EQ(s.avatarJointSwingX[g][0], 0) << "joint " << g;
        EXPECT_EQ(s.avatarJointSwingZ[g][0], 0) << "joint " << g;
    }
    std::set<std::string> poses;
    for (int pose = 1; pose <= 4; pose++) poses.insert(motion(pose));
    EXPECT_EQ(poses.size(), 4u);
    EXPECT_GT(s.observerDistance, 40) << "the camera trails well behind";
}

TEST_F(DemoScenes, DrivingDemosHaveACarBarriersAndAFinish) {
    for (const char* demo : {"drive", "chase"}) {
        const Scene& s = LoadDemo(demo).scene;
        EXPECT_EQ(s.viewMode, std::string(demo) == "drive" ? 2 : 4) << demo;
        EXPECT_GT(s.avatarPolyVertexCount, 0) << demo;
        EXPECT_GT(s.obstacleCount, 500) << demo << ": barrier points on both sides";
        bool finish = false, road = false;
        for (int k = 0; k < s.texPolyVertexCount; k++) {
            std::string name(SlotName(s, s.texPolyTexName[k]));
            finish = finish || name == "finish.bmp";
            road = road || name == "road.bmp";
        }
        EXPECT_TRUE(finish && road) << demo;
    }
}

TEST_F(DemoScenes, TexturesAreOurOwnBitmapsOfBothKinds) {
    std::set<std::string> kinds;
    std::set<int> depths;
    for (const char* demo : DEMOS)
        for (const std::string& file : FilesIn(DemoDir(demo))) {
            if (fs::path(file).extension() != ".bmp") continue;
            std::string path = DemoDir(demo) + "/" + file;
            std::string bytes = ReadWholeFile(path);
            ASSERT_GT(bytes.size(), 30u) << path;
            depths.insert((unsigned char)bytes[28]);
            char message[BITMAP_MESSAGE_CAPACITY] = "";
            TextureImage* image = ReadBitmapFile(path.c_str(), message, sizeof message);
            ASSERT_NE(image, nullptr) << path << ": " << message;
            EXPECT_GE(image->width, 64);
            FreeTextureImage(image);
            kinds.insert(fs::path(file).stem().string());
        }
    EXPECT_EQ(depths, (std::set<int>{8, 24}));
    for (const char* kind : {"brick", "grass", "planks", "stone", "road", "skin", "cloth"})
        EXPECT_TRUE(kinds.count(kind)) << kind;
}

TEST_F(DemoScenes, WalkersStayOnTheSquareAndKeepWalking) {
    const long steps = 800;
    ReplayResult r = RunReplayTool(DemoDir("walk"), steps, "");
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ((long)r.steps.size(), steps);
    const Scene& s = LoadDemo("walk").scene;
    size_t actors = r.steps[0].actors.size();
    ASSERT_EQ(actors, 10u);
    std::vector<double> path(actors, 0);
    for (long step = 0; step < steps; step++)
        for (size_t i = 0; i < actors; i++) {
            const auto& a = r.steps[step].actors[i];
            double x = a.at("actorX"), z = a.at("actorZ");
            ASSERT_LT(std::max(std::fabs(x), std::fabs(z)), 240) << "actor " << i << " left the square at step " << step;
            if (step > 0) {
                const auto& b = r.steps[step - 1].actors[i];
                path[i] += std::hypot(x - b.at("actorX"), z - b.at("actorZ"));
            }
        }
    // The viewer stands at the start: walkers limited to a range that does
    // not reach it stand still, the others keep going.
    for (size_t i = 0; i < actors; i++) {
        bool reaches = std::fabs(s.actorStartX[i] - s.startEyeX) < s.actorActiveRange[i] &&
                       std::fabs(s.actorStartZ[i] - s.startEyeZ) < s.actorActiveRange[i];
        if (!s.actorRangeLimited[i]) EXPECT_GT(path[i], 200) << "actor " << i << " walked only " << path[i];
        else if (!reaches) EXPECT_EQ(path[i], 0) << "actor " << i;
        else EXPECT_GT(path[i], 20) << "actor " << i << " walks while the viewer is in its range";
    }
}

TEST_F(DemoScenes, WalkingIntoTheHousesSlidesAlongThem) {
    // Turn to heading 60 (east-north-east) and keep walking: the viewer
    // meets the east houses at a slant and slides north along them.
    ReplayResult r = RunReplayTool(DemoDir("walk"), 260, "0 down left\n15 up left\n15 down up\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    double contactZ = 0, slidZ = 0;
    bool reached = false;
    for (const TraceStep& s : r.steps) {
        double x = s["viewerX"], z = s["viewerZ"];
        ASSERT_FALSE(InsideAHouse(x, z)) << "step " << s.step << " at " << x << ", " << z;
        // Against the wall the viewer stays its radius (6) short of x = 240.
        bool atWall = x > 228 && x <= 234 + 1e-9;
        if (atWall && !reached) contactZ = slidZ = z;
        if (atWall) slidZ = std::min(slidZ, z);
        reached = reached || atWall;
    }
    ASSERT_TRUE(reached) << "the walk reaches the east houses";
    EXPECT_LT(slidZ, contactZ - 15) << "and slides north along them";
}

TEST_F(DemoScenes, FollowBoomShortensBeforeTheHousesAndGrowsBack) {
    std::string events = ReadWholeFile(std::string(AMBLER_SOURCE_DIR) + "/tests/golden/follow.events");
    ReplayResult r = RunReplayTool(DemoDir("follow"), 200, events);
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.steps.size(), 200u);
    const Scene& s = LoadDemo("follow").scene;
    EXPECT_DOUBLE_EQ(r.steps[40]["boomLength"], s.observerDistance) << "full length in the open";
    double shortest = s.observerDistance;
    for (long step = 100; step < 160; step++)
        shortest = std::min(shortest, r.steps[step]["boomLength"]);
    EXPECT_LT(shortest, s.observerDistance / 4) << "backing up to the houses shortens the boom";
    EXPECT_DOUBLE_EQ(r.steps[199]["boomLength"], s.observerDistance) << "turned away, it grows back";
}

TEST_F(DemoScenes, BarriersKeepTheCarOnTheCircuit) {
    for (const char* demo : {"drive", "chase"}) {
        // Flat out and never steering: the first corner's barrier has to
        // catch the car and turn it.
        ReplayResult r = RunReplayTool(DemoDir(demo), 400, "0 down up\n");
        ASSERT_EQ(r.status, 0) << r.errors;
        for (const TraceStep& s : r.steps) {
            // The centre line's box is 1000 by 600 half sizes; the barriers
            // stand 69 outside it.
            ASSERT_LT(std::fabs(s["viewerX"]), 1069) << demo << " step " << s.step;
            ASSERT_LT(std::fabs(s["viewerZ"]), 669) << demo << " step " << s.step;
        }
        EXPECT_LT(r.steps.back()["heading"], 80) << demo << ": the barrier turned the car";
    }
}
