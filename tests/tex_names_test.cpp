// tex_names_test.cpp -- the pool of texture names: one entry per distinct
// name, names that stay readable as the pool grows, the empty name for
// fresh slots, and the scene memory budget.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/memory_budget.h"
#include "scene/scene.h"

namespace {

TexNamePool pool;  // the pool of one scene

uint32_t Intern(const std::string& name) { return pool.Intern(name.data(), name.size()); }

TEST(TexNames, OneEntryPerDistinctName) {
    pool.Reset();
    uint32_t a = Intern("a.bmp"), b = Intern("b.bmp");
    EXPECT_NE(a, b);
    EXPECT_EQ(Intern("a.bmp"), a);  // after another name, not only in a run
    EXPECT_EQ(Intern("b.bmp"), b);
    EXPECT_NE(Intern("a.bm"), a);   // a prefix is a name of its own
    EXPECT_NE(Intern("a.bmpx"), a);
    EXPECT_STREQ(pool.Text(a), "a.bmp");
    EXPECT_STREQ(pool.Text(b), "b.bmp");
    // The empty name, and what a zeroed slot holds, are offset 0.
    EXPECT_EQ(Intern(""), 0u);
    TexName fresh{};
    EXPECT_STREQ(pool.Text(fresh.offset), "");
}

TEST(TexNames, ZeroByteEndsTheName) {
    pool.Reset();
    uint32_t plain = Intern("wall.bmp");
    EXPECT_EQ(Intern(std::string("wall.bmp\0junk", 13)), plain);
    EXPECT_EQ(Intern(std::string("\0junk", 5)), 0u);
    EXPECT_STREQ(pool.Text(Intern(std::string("x\0y", 3))), "x");
}

TEST(TexNames, ManyNamesSurviveGrowth) {
    pool.Reset();
    std::vector<uint32_t> offsets;
    for (int k = 0; k < 20000; ++k) offsets.push_back(Intern("texture" + std::to_string(k) + ".bmp"));
    for (int k = 0; k < 20000; k += 7) {
        EXPECT_EQ(pool.Text(offsets[k]), "texture" + std::to_string(k) + ".bmp");
        EXPECT_EQ(Intern("texture" + std::to_string(k) + ".bmp"), offsets[k]);
    }
    EXPECT_EQ(pool.names, 20000u);
    pool.Reset();
    EXPECT_STREQ(pool.Text(0), "");
    EXPECT_EQ(pool.names, 0u);
}

TEST(TexNames, PoolIsChargedToTheSceneBudget) {
    pool.Reset();
    size_t before = sceneMemory.inUse;
    Intern("one.bmp");
    EXPECT_GT(sceneMemory.inUse, before);
    size_t budget = sceneMemory.budget;
    sceneMemory.budget = sceneMemory.inUse + 1000;
    bool refused = false;
    try {
        for (int k = 0; k < 100000; ++k) Intern(std::string(150, 'a') + std::to_string(k));
    } catch (const SceneOutOfMemory&) {
        refused = true;
    }
    sceneMemory.budget = budget;
    EXPECT_TRUE(refused);
    pool.Reset();
    EXPECT_EQ(sceneMemory.inUse, before);
}

}  // namespace
