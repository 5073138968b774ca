// scene_value_test.cpp -- scenes as values: two read side by side in one
// process stay apart and compare equal when their text is, and a second
// scene that would pass the memory budget beside the first leaves the first
// as it was.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "scene/memory_budget.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "tests/support/scene_hash.h"

namespace {

std::string DemoScene(const std::string& name) {
    return std::string(AMBLER_SOURCE_DIR) + "/scenes/" + name + "/" + SCENE_FILE_NAME;
}

std::unique_ptr<Scene> ReadDemo(const std::string& name, SceneReadResult* result = nullptr,
                                std::vector<SceneDiagnostic>* diagnostics = nullptr) {
    auto scene = std::make_unique<Scene>();
    SceneReadOptions options;
    options.diagnostics = diagnostics;
    SceneReadResult read = ReadSceneFile(*scene, DemoScene(name).c_str(), false, options);
    if (result) *result = read;
    return scene;
}

// Puts the budget back whatever a test did to it.
class SceneValue : public testing::Test {
protected:
    size_t budget = sceneMemory.budget;
    void TearDown() override { sceneMemory.budget = budget; }
};

TEST_F(SceneValue, TwoScenesReadSideBySideStayApartAndCompare) {
    size_t before = sceneMemory.inUse;
    std::unique_ptr<Scene> walk = ReadDemo("walk");
    uint64_t walkHash = HashScene(*walk);
    ASSERT_GT(walk->texPolyVertexCount, 0);
    ASSERT_GE(walk->actorLastIndex, 0);

    std::unique_ptr<Scene> drive = ReadDemo("drive");
    EXPECT_EQ(HashScene(*walk), walkHash) << "reading a second scene changed the first";
    EXPECT_NE(HashScene(*drive), walkHash);
    EXPECT_NE(drive->viewMode, walk->viewMode);

    // The same text read again, this time with the checker's diagnostics
    // (as a reload reads it): the very same scene.
    std::vector<SceneDiagnostic> diagnostics;
    SceneReadResult read;
    std::unique_ptr<Scene> again = ReadDemo("walk", &read, &diagnostics);
    EXPECT_EQ(read.outcome, SCENE_READ);
    EXPECT_TRUE(diagnostics.empty());
    EXPECT_EQ(HashScene(*again), walkHash);
    EXPECT_NE(again->texPolyX.data, walk->texPolyX.data) << "the tables must be the scene's own";

    // Each scene gives back its own share of the budget.
    size_t withAll = sceneMemory.inUse;
    again.reset();
    EXPECT_LT(sceneMemory.inUse, withAll);
    drive.reset();
    walk.reset();
    EXPECT_EQ(sceneMemory.inUse, before);
}

TEST_F(SceneValue, ASecondSceneBeyondTheBudgetLeavesTheFirstAsItWas) {
    std::unique_ptr<Scene> walk = ReadDemo("walk");
    uint64_t walkHash = HashScene(*walk);
    size_t walkBytes = sceneMemory.inUse;
    ASSERT_GT(walkBytes, 0u);
    // Room for the first and half of it again: the same file cannot fit.
    sceneMemory.budget = walkBytes + walkBytes / 2;
    SceneReadResult read;
    std::unique_ptr<Scene> second = ReadDemo("walk", &read);
    EXPECT_EQ(read.outcome, SCENE_OUT_OF_MEMORY);
    EXPECT_STREQ(SceneFileMessage(read.outcome), SCENE_OUT_OF_MEMORY_MESSAGE);
    EXPECT_EQ(second->texPolyVertexCount, 0) << "nothing of the partial scene stays";
    EXPECT_EQ(HashScene(*walk), walkHash);
    second.reset();
    EXPECT_EQ(sceneMemory.inUse, walkBytes) << "the failed read gave back all it took";
}

}  // namespace
