// trace_compare_test.cpp -- the comparison the Windows pass applies to the
// traces of the two builds: where it must forgive the C libraries' last
// bits, and where it must still catch a real difference.
#include <gtest/gtest.h>

#include "tools/lib/trace_compare.h"

namespace {

const char LINE[] =
    "{\"step\": 3, \"ran\": true, \"viewerX\": -30.000000000000018, \"blocked\": 0, "
    "\"actors\": [{\"actorX\": 12.5, \"actorPose\": 2}], \"modelview\": [1, 0, -0, NaN]}\n";

std::string With(const std::string& from, const std::string& to) {
    std::string s = LINE;
    size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return s.replace(at, from.size(), to);
}

TEST(TraceCompare, LastBitsOfDoublesAreForgiven) {
    std::string where;
    EXPECT_TRUE(TracesAgree(LINE, LINE, &where)) << where;
    // One unit in the last place, and a difference just inside 1e-9 relative.
    EXPECT_TRUE(TracesAgree(LINE, With("-30.000000000000018", "-30.000000000000014"), &where))
        << where;
    EXPECT_TRUE(TracesAgree(LINE, With("12.5", "12.500000012"), &where)) << where;
    // NaN matches NaN: the trace's own spelling.
    EXPECT_TRUE(TracesAgree(With("NaN", "Infinity"), With("NaN", "Infinity"), &where)) << where;
}

TEST(TraceCompare, RealDifferencesAreCaught) {
    std::string where;
    EXPECT_FALSE(TracesAgree(LINE, With("12.5", "12.500000013"), &where));
    EXPECT_NE(where.find("line 1"), std::string::npos) << where;
    // Integers are compared exactly, flags and poses included.
    EXPECT_FALSE(TracesAgree(LINE, With("\"actorPose\": 2", "\"actorPose\": 3"), nullptr));
    EXPECT_FALSE(TracesAgree(LINE, With("\"step\": 3", "\"step\": 4"), nullptr));
    // An integer written as a double is a different trace.
    EXPECT_FALSE(TracesAgree(LINE, With("\"blocked\": 0", "\"blocked\": 0.0"), nullptr));
    EXPECT_FALSE(TracesAgree(LINE, With("NaN", "0.5"), nullptr));
    EXPECT_FALSE(TracesAgree(With("NaN", "Infinity"), With("NaN", "-Infinity"), nullptr));
    EXPECT_FALSE(TracesAgree(LINE, With("true", "false"), nullptr));
    EXPECT_FALSE(TracesAgree(LINE, With("viewerX", "viewerZ"), nullptr));
}

TEST(TraceCompare, AMissingOrExtraLineIsADifference) {
    std::string two = std::string(LINE) + LINE;
    std::string where;
    EXPECT_FALSE(TracesAgree(LINE, two, &where));
    EXPECT_NE(where.find("line 2"), std::string::npos) << where;
    EXPECT_FALSE(TracesAgree(two, LINE, nullptr));
    EXPECT_FALSE(TracesAgree("", LINE, nullptr));
    EXPECT_TRUE(TracesAgree("", "", nullptr));
}

// A GL that keeps the camera in floats: the modelview's numbers only need
// to agree to single precision, integers or not; the rest stays as strict.
TEST(TraceCompare, FloatModelviewForgivesOnlyTheCamera) {
    const double tol = TRACE_FLOAT_MODELVIEW_TOLERANCE;
    std::string where;
    std::string camera = With("[1, 0, -0, NaN]", "[0.99999997, 1.2e-08, 0, NaN]");
    EXPECT_FALSE(TracesAgree(LINE, camera, nullptr));
    EXPECT_TRUE(TracesAgree(LINE, camera, &where, tol)) << where;
    EXPECT_FALSE(TracesAgree(LINE, With("[1, 0,", "[1.001, 0,"), nullptr, tol));
    EXPECT_FALSE(TracesAgree(LINE, With("NaN]", "0]"), nullptr, tol));
    // Outside the modelview the double and integer rules still hold.
    EXPECT_FALSE(TracesAgree(LINE, With("12.5", "12.500001"), nullptr, tol));
    EXPECT_FALSE(TracesAgree(LINE, With("\"step\": 3", "\"step\": 3.0"), nullptr, tol));
}

}  // namespace
