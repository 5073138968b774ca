// gl_test_context.h -- one headless window with a real GL context for a
// whole test program, started in an empty folder (the loader creates an
// empty scene there), so tests can call drawing code and read GL state.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/app.h"
#include "tests/support/replay_harness.h"

class GlTestContext : public ::testing::Environment {
   public:
    void SetUp() override {
        dir = MakeTempDir();
        ASSERT_EQ(chdir(dir.c_str()), 0);
        ASSERT_TRUE(Plat_Init(PLAT_HEADLESS, 200, 150));
        ASSERT_TRUE(StartApplication(PLAT_SHOW_NORMAL));
    }
    void TearDown() override {
        std::string command = "rm -rf '" + dir + "'";
        if (chdir("/") != 0 || system(command.c_str()) != 0) ADD_FAILURE() << "cannot remove " << dir;
    }

   private:
    std::string dir;
};

inline ::testing::Environment* const glTestContext =
    ::testing::AddGlobalTestEnvironment(new GlTestContext);
