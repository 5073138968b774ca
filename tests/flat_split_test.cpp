// flat_split_test.cpp -- the plain list read by two threads: whatever the
// text, the tables, the reader's end state and the diagnostics are those of
// one thread, and the second thread's half is kept when the text has the
// usual one-record-a-line layout.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/flat_snapshot.h"
#include "tools/lib/scene_writer.h"

namespace {

constexpr int FLAT_VERTICES = 3000;

// A generated scene with a long plain list, one record to a line.
std::string SceneText(bool crlf = false) {
    SceneShape shape;
    shape.texVertices = 40;
    shape.flatVertices = FLAT_VERTICES;
    shape.avatarVertices = 10;
    shape.avatarJoints = 2;
    shape.actors = 1;
    shape.partVertices = 8;
    shape.actorJoints = 2;
    SceneDescription scene;
    GenerateScene(scene, shape);
    SceneWriteOptions options;
    options.crlf = crlf;
    return FormatScene(scene, options);
}

// Where each of the plain list's record lines starts: the text's last lines.
std::vector<size_t> FlatLines(const std::string& text) {
    std::vector<size_t> starts{0};
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '\n') starts.push_back(i + 1);
    return std::vector<size_t>(starts.end() - FLAT_VERTICES, starts.end());
}

// Reads the text both ways; they must agree. Returns the two-thread read.
FlatSnapshot ExpectSameAsOneThread(const std::string& text) {
    FlatSnapshot one = ReadFlatSnapshot(text.data(), text.size(), INT_MAX);
    FlatSnapshot two = ReadFlatSnapshot(text.data(), text.size(), 2);
    EXPECT_FALSE(one.kept);
    EXPECT_EQ(one.status, two.status);
    EXPECT_EQ(one.count, two.count);
    EXPECT_TRUE(one.tables == two.tables) << "the plain list's tables differ";
    EXPECT_EQ(one.diagnostics.size(), two.diagnostics.size());
    EXPECT_TRUE(one.diagnostics == two.diagnostics) << "the diagnostics differ";
    return two;
}

bool SecondCore() { return std::thread::hardware_concurrency() > 1; }

TEST(FlatSplit, UsualLayoutKeepsTheSecondHalf) {
    for (bool crlf : {false, true}) {
        std::string text = SceneText(crlf);
        FlatSnapshot two = ExpectSameAsOneThread(text);
        EXPECT_EQ(two.status, READ_OK);
        if (SecondCore()) {
            EXPECT_TRUE(two.kept) << (crlf ? "CRLF" : "LF");
        }
        // Something after the last field is still found where it starts.
        two = ExpectSameAsOneThread(text + "  junk\n");
        if (SecondCore()) {
            EXPECT_TRUE(two.kept);
        }
    }
}

TEST(FlatSplit, OtherLayoutsFallBackToOneThread) {
    std::string text = SceneText();
    std::vector<size_t> lines = FlatLines(text);
    // Two records to a line from the middle on: the guessed start is wrong.
    std::string joined = text;
    for (int k = FLAT_VERTICES / 2 - 10; k < FLAT_VERTICES; k += 2) joined[lines[k] - 1] = ' ';
    EXPECT_FALSE(ExpectSameAsOneThread(joined).kept);
    // Records split over two lines in the first half shift every later line:
    // the second thread, starting a record or more early, reads to its count.
    std::string split = text;
    for (int k = 100; k < 104; ++k) {
        split[split.find(' ', lines[k])] = '\n';
        EXPECT_FALSE(ExpectSameAsOneThread(split).kept) << k - 99 << " split";
    }
    // Blank lines and extra spaces change no record.
    std::string spaced = text;
    spaced.insert(lines[FLAT_VERTICES - 5], "   \n\t\n");
    spaced.insert(lines[200], "\n");
    ExpectSameAsOneThread(spaced);
}

TEST(FlatSplit, NumbersOffThePlainPathAreReadInFull) {
    std::string text = SceneText();
    std::vector<size_t> lines = FlatLines(text);
    size_t late = lines[FLAT_VERTICES - 100];
    // Valid numbers that the second thread leaves to the full reader: an
    // exponent, a long fraction, a decimal field read as far as it goes.
    for (const char* token : {"12e1", "0.123456789", "0x10", "5.5.5"}) {
        std::string changed = text;
        size_t end = changed.find(' ', late);
        changed.replace(late, end - late, token);
        FlatSnapshot two = ExpectSameAsOneThread(changed);
        EXPECT_FALSE(two.kept) << token;
    }
}

TEST(FlatSplit, FailuresInEitherHalfAreReportedAlike) {
    std::string text = SceneText();
    std::vector<size_t> lines = FlatLines(text);
    for (int k : {10, FLAT_VERTICES / 2 - 1, FLAT_VERTICES / 2, FLAT_VERTICES - 3}) {
        std::string bad = text;
        bad.replace(lines[k], 1, "x");
        FlatSnapshot two = ExpectSameAsOneThread(bad);
        EXPECT_EQ(two.status, READ_MALFORMED) << "record " << k;
        EXPECT_FALSE(two.kept);
    }
    // Cut short in the second half, or in the middle of its last record.
    ExpectSameAsOneThread(text.substr(0, lines[FLAT_VERTICES - 40] + 3));
    ExpectSameAsOneThread(text.substr(0, text.size() - 3));
    // An open last polygon is reported at the same end flag.
    std::string open = text;
    open[open.size() - 2] = '0';
    ExpectSameAsOneThread(open);
}

TEST(FlatSplit, EndFlagBeforeTheHalfDecidesItsColour) {
    // Every end flag of the first half's last record is tried, whatever the
    // second half assumed from its own reading of that flag.
    std::string text = SceneText();
    std::vector<size_t> lines = FlatLines(text);
    size_t before = lines[FLAT_VERTICES / 2] - 2;  // the flag that ends the line before
    for (char flag : {'0', '1', '2'}) {
        std::string changed = text;
        changed[before] = flag;
        ExpectSameAsOneThread(changed);
    }
}

}  // namespace
