// view_creep_test.cpp -- a view left alone stays put: each demo, untouched in
// each view mode, keeps the modelview it came to rest with, while its
// actors walk and swing their limbs in front of it. The full ten-minute
// run is tools/creep-report.py; a few hundred frames already show a creep,
// since the rounding of one frame's placements is never zero.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/replay_harness.h"
#include "tests/support/temp_scene.h"

namespace fs = std::filesystem;

namespace {

const char* const DEMOS[] = {"walk", "follow", "drive", "chase"};
constexpr int VIEW_MODE_FIELD = 27;  // the view mode is the 27th number, before any name
constexpr long REST_STEP = 100;      // the follow boom eases out from 0 within 80 frames
constexpr long STEPS = 300;          // 200 frames at rest

// A copy of the demo folder whose file asks for the given view mode.
void CopyDemoInViewMode(const std::string& demo, int mode, const std::string& dir) {
    fs::copy(std::string(AMBLER_SOURCE_DIR) + "/scenes/" + demo, dir,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::string text = ReadWholeFile(dir + "/Hod.pro");
    std::regex number("\\S+");
    auto token = std::sregex_iterator(text.begin(), text.end(), number);
    std::advance(token, VIEW_MODE_FIELD - 1);
    text.replace(token->position(), token->length(), std::to_string(mode));
    ASSERT_TRUE(SaveTextFile(dir + "/Hod.pro", text));
}

// The modelview of every step of an untouched run of the demo in the mode.
std::vector<std::vector<double>> RestingModelviews(const std::string& demo, int mode) {
    TempDir dir("creep");
    std::vector<std::vector<double>> out;
    CopyDemoInViewMode(demo, mode, dir.File("scene"));
    ReplayResult r = RunReplayTool(dir.File("scene"), STEPS, "", "--size 32x24");
    EXPECT_EQ(r.status, 0) << r.errors;
    for (const TraceStep& s : r.steps) out.emplace_back(s.modelview, s.modelview + 16);
    EXPECT_EQ(out.size(), (size_t)STEPS);
    return out;
}

double LargestDifference(const std::vector<double>& a, const std::vector<double>& b) {
    double d = 0;
    for (size_t k = 0; k < 16; k++) d = std::max(d, std::fabs(a[k] - b[k]));
    return d;
}

// Modes 1 and 3 carry nothing from frame to frame: at rest the matrix must
// come back bit for bit, whatever the figures drawn in between did to it.
TEST(ViewAtRest, WalkingModesKeepTheRestMatrixElementForElement) {
    for (const char* demo : DEMOS) {
        for (int mode : {1, 3}) {
            SCOPED_TRACE(std::string(demo) + " in view mode " + std::to_string(mode));
            auto m = RestingModelviews(demo, mode);
            if (m.size() != (size_t)STEPS) continue;
            for (long s = REST_STEP + 1; s < STEPS; s++) {
                for (int k = 0; k < 16; k++) {
                    ASSERT_EQ(m[s][k], m[REST_STEP][k]) << "step " << s << " element " << k;
                }
            }
        }
    }
}

// Modes 2 and 4 carry the body's sway on purpose; at rest it may rock, but
// no further in the second half of the run than in the first.
TEST(ViewAtRest, DrivingModesSwayWithoutDrift) {
    for (const char* demo : DEMOS) {
        for (int mode : {2, 4}) {
            SCOPED_TRACE(std::string(demo) + " in view mode " + std::to_string(mode));
            auto m = RestingModelviews(demo, mode);
            if (m.size() != (size_t)STEPS) continue;
            long half = (REST_STEP + STEPS) / 2;
            double first = 0, second = 0;
            for (long s = REST_STEP; s < half; s++) first = std::max(first, LargestDifference(m[s], m[REST_STEP]));
            for (long s = half; s < STEPS; s++) second = std::max(second, LargestDifference(m[s], m[REST_STEP]));
            EXPECT_LE(second, first);
            EXPECT_LT(second, 1e-9);  // a car standing still hardly rocks at all
        }
    }
}

}  // namespace
