// scene_reader_test.cpp -- the character-level rules of the scene file's
// integer, decimal and texture-name fields, and the reader's failed state.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "scene/scene_reader.h"

namespace {

// The text under test, with the zero bytes the reader relies on after it,
// and the reader over it.
struct Reading {
    std::string text;
    std::unique_ptr<Scene> scene = std::make_unique<Scene>();
    std::unique_ptr<SceneReader> reader;
};
Reading reading;

void Use(const std::string& text) {
    reading.text = text + std::string(TEXT_SLACK, '\0');
    reading.scene = std::make_unique<Scene>();
    reading.reader = std::make_unique<SceneReader>(*reading.scene, reading.text.data(), text.size());
}

SceneReader& R() { return *reading.reader; }

// Reads one integer field into a target that starts at `start`.
int Int(int start = 777) {
    int value = start;
    ReadInt(R(), value, FIELD_cullDistance);
    return value;
}

double Dec(double start = 7.5) {
    double value = start;
    ReadDecimal(R(), value, FIELD_farPlane);
    return value;
}

std::string Name(const char* start = "old") {
    TexName name{reading.scene->texNames.Intern(start, std::strlen(start))};
    ReadTextureName(R(), name, FIELD_texPolyTexName);
    return SlotName(*reading.scene, name);
}

TEST(SceneReaderInt, FollowsTheCPrefixRules) {
    Use("012 010 0x1F 0X1f -0x10 +5 -7 0 00");
    EXPECT_EQ(Int(), 10);
    EXPECT_EQ(Int(), 8);
    EXPECT_EQ(Int(), 31);
    EXPECT_EQ(Int(), 31);
    EXPECT_EQ(Int(), -16);
    EXPECT_EQ(Int(), 5);
    EXPECT_EQ(Int(), -7);
    EXPECT_EQ(Int(), 0);
    EXPECT_EQ(Int(), 0);
    EXPECT_EQ(R().status, READ_OK);
}

TEST(SceneReaderInt, LeavesTheByteThatEndsTheNumber) {
    Use("09 1.5 0x 08");
    EXPECT_EQ(Int(), 0);    // octal stops at 9 ...
    EXPECT_EQ(Int(), 9);    // ... which is the next field
    EXPECT_EQ(Int(), 1);    // 1.5 in an integer field reads 1 ...
    EXPECT_EQ(Dec(), 0.5);  // ... and .5 is the next field
    EXPECT_EQ(Int(), 0);    // "0x" without a hex digit is the number 0 ...
    EXPECT_EQ(Int(-1), 0);  // ... and the x is malformed
    EXPECT_EQ(R().status, READ_MALFORMED);
}

TEST(SceneReaderInt, TakesAtMostFifteenCharacters) {
    Use("000000000000000123 -00000000000009");
    EXPECT_EQ(Int(), 0);  // fifteen zeros
    EXPECT_EQ(Int(), 123);
    EXPECT_EQ(Int(), 0);  // "-00000000000000" is fifteen characters: octal -0 ...
    EXPECT_EQ(Int(), 9);  // ... then the 9
    EXPECT_EQ(R().status, READ_OK);
}

TEST(SceneReaderInt, ValuesBeyondThirtyTwoBitsAreMalformed) {
    Use("2147483647 -2147483648 2147483648");
    EXPECT_EQ(Int(), 2147483647);
    EXPECT_EQ(Int(), -2147483647 - 1);
    EXPECT_EQ(Int(), 0);
    EXPECT_EQ(R().status, READ_MALFORMED);
    for (const char* text : {"-2147483649", "0xFFFFFFFF", "040000000000", "99999999999999"}) {
        Use(text);
        EXPECT_EQ(Int(), 0) << text;
        EXPECT_EQ(R().status, READ_MALFORMED) << text;
    }
}

TEST(SceneReaderInt, MalformedTokensStoreZeroAndStopTheReader) {
    for (const char* text : {"x 5", "- 5", "+", ".5", "inf", "nan", "--1"}) {
        Use(text);
        EXPECT_EQ(Int(), 0) << text;
        EXPECT_EQ(R().status, READ_MALFORMED) << text;
        EXPECT_EQ(Int(), 777) << text << ": a later field changed";
    }
}

TEST(SceneReaderDecimal, ReadsSignPointAndExponent) {
    Use("1.5 .5 5. -2.5e3 1E-2 +.25 -0 7e+1 3");
    EXPECT_EQ(Dec(), 1.5);
    EXPECT_EQ(Dec(), 0.5);
    EXPECT_EQ(Dec(), 5.0);
    EXPECT_EQ(Dec(), -2500.0);
    EXPECT_EQ(Dec(), 0.01);
    EXPECT_EQ(Dec(), 0.25);
    double negativeZero = Dec();
    EXPECT_TRUE(negativeZero == 0.0 && std::signbit(negativeZero));
    EXPECT_EQ(Dec(), 70.0);
    EXPECT_EQ(Dec(), 3.0);
    EXPECT_EQ(R().status, READ_OK);
}

TEST(SceneReaderDecimal, StopsAtASecondPointOrAnIncompleteExponent) {
    Use("1.5.25 2e 1e+x");
    EXPECT_EQ(Dec(), 1.5);
    EXPECT_EQ(Dec(), 0.25);
    EXPECT_EQ(Dec(), 2.0);  // the e is left ...
    EXPECT_EQ(Dec(), 7.5);  // ... and is malformed
    EXPECT_EQ(R().status, READ_MALFORMED);
}

TEST(SceneReaderDecimal, TakesAtMostTwentyEightCharacters) {
    Use("1234567890123456789012345678901 -12345678901234567890.12345678e5");
    EXPECT_EQ(Dec(), 1234567890123456789012345678.0);
    EXPECT_EQ(Dec(), 901.0);
    EXPECT_EQ(Dec(), -12345678901234567890.123456);  // 28 characters ...
    EXPECT_EQ(Dec(), 78e5);                          // ... and the rest is the next field
    EXPECT_EQ(R().status, READ_OK);
}

TEST(SceneReaderDecimal, LoneSignOrPointGivesZeroOtherTokensKeepTheValue) {
    for (const char* text : {"-", "+", ".", "-.", "+.x", "-inf"}) {
        Use(text);
        EXPECT_EQ(Dec(), 0.0) << text;
        EXPECT_EQ(R().status, READ_MALFORMED) << text;
    }
    for (const char* text : {"inf", "nan", "INF", "x1", "e5", "#"}) {
        Use(text);
        EXPECT_EQ(Dec(), 7.5) << text;
        EXPECT_EQ(R().status, READ_MALFORMED) << text;
    }
}

TEST(SceneReaderDecimal, RoundsLikeStrtod) {
    const char* cases[] = {"0.1",
                           "2.2250738585072011e-308",
                           "4.9e-324",
                           "2.4703282292062327e-324",
                           "1.7976931348623157e308",
                           "1e400",
                           "-1e400",
                           "1e-400",
                           "9007199254740993",
                           "0.30000000000000004",
                           "123456789012345678901234567",
                           "1.00000000000000011102230246251565"};
    for (const char* text : cases) {
        Use(text);
        double expected =
            std::strtod(std::string(text).substr(0, DECIMAL_FIELD_WIDTH).c_str(), nullptr);
        double got = Dec();
        EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << text << " read as " << got;
    }
}

TEST(SceneReaderName, DropsTheMarkerAndTakesTheRestOfTheLine) {
    Use("1 #stone wall.bmp\n1 stone.bmp\n1\n  #on next line.bmp\r\n#\n# lead.bmp \n");
    EXPECT_EQ(Int(), 1);
    EXPECT_EQ(Name(), "stone wall.bmp");  // blank included
    EXPECT_EQ(Int(), 1);
    EXPECT_EQ(Name(), "tone.bmp");  // no marker: the s is taken for one
    EXPECT_EQ(Int(), 1);
    EXPECT_EQ(Name(), "on next line.bmp");  // line ends are skipped first; CRLF is one end
    EXPECT_EQ(Name(), "");
    EXPECT_EQ(Name(), " lead.bmp ");
    EXPECT_EQ(R().status, READ_OK);
    EXPECT_EQ(Name(), "old");
    EXPECT_EQ(R().status, READ_END_OF_FILE);
}

TEST(SceneReaderName, LoneCarriageReturnBelongsToTheName) {
    Use("#a\rb\n#c\r");
    EXPECT_EQ(Name(), "a\rb");
    EXPECT_EQ(Name(), "c\r");  // no line feed follows: not a line end
}

TEST(SceneReaderName, LongNamesAreCutAndTheLineConsumed) {
    std::string longName(300, 'n');
    Use("#" + longName + "\n42");
    std::string name = Name();
    EXPECT_EQ(name, std::string(TEX_NAME_LENGTH, 'n'));
    EXPECT_EQ(Int(), 42);
}

TEST(SceneReaderState, EndOfFileKeepsEveryField) {
    Use("  5 \r\n\t");
    EXPECT_EQ(Int(), 5);
    EXPECT_EQ(Int(), 777);
    EXPECT_EQ(R().status, READ_END_OF_FILE);
    EXPECT_EQ(Dec(), 7.5);
    EXPECT_EQ(Name(), "old");
    Use("");
    EXPECT_EQ(Dec(), 7.5);
    EXPECT_EQ(R().status, READ_END_OF_FILE);
}

TEST(SceneReaderState, NothingChangesAfterAFailure) {
    Use("abc 5 6.5 #name\n");
    EXPECT_EQ(Dec(), 7.5);
    EXPECT_EQ(Int(), 777);
    EXPECT_EQ(Dec(), 7.5);
    EXPECT_EQ(Name(), "old");
    EXPECT_EQ(R().status, READ_MALFORMED);
}

TEST(SceneReaderState, AZeroByteInTheFileIsMalformedNotTheEnd) {
    Use(std::string("5\0 6", 4));
    EXPECT_EQ(Int(), 5);
    EXPECT_EQ(Int(), 0);
    EXPECT_EQ(R().status, READ_MALFORMED);
}

TEST(SceneReaderState, OnlyTheFirstFailureIsReported) {
    Use("1 2\n  x 3");
    std::vector<SceneDiagnostic> diagnostics;
    R().diagnostics = &diagnostics;
    Int();
    Int();
    double d = 0;
    ReadDecimal(R(), d, FIELD_startEyeX);
    ReadDecimal(R(), d, FIELD_startEyeY);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0].kind, DIAG_MALFORMED);
    EXPECT_EQ(diagnostics[0].field, FIELD_startEyeX);
    EXPECT_EQ(diagnostics[0].line, 2);
    EXPECT_EQ(diagnostics[0].column, 3);
}

TEST(SceneReaderPosition, CountsLinesAndColumnsInBytes) {
    Use("ab\r\ncd\n\nxyz");
    int line = 0, column = 0;
    TextPosition(R(), R().text + 1, &line, &column);
    EXPECT_EQ(line, 1);
    EXPECT_EQ(column, 2);
    TextPosition(R(), R().text + 5, &line, &column);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(column, 2);
    TextPosition(R(), R().text + 9, &line, &column);
    EXPECT_EQ(line, 4);
    EXPECT_EQ(column, 2);
    TextPosition(R(), R().text + 2, &line, &column);  // backwards: counted again from the start
    EXPECT_EQ(line, 1);
    EXPECT_EQ(column, 3);
    TextPosition(R(), R().end, &line, &column);
    EXPECT_EQ(line, 4);
    EXPECT_EQ(column, 4);
}

TEST(SceneReaderConversion, SaturatesDoublesToInt) {
    EXPECT_EQ(SaturateToInt(1e300), 2147483647);
    EXPECT_EQ(SaturateToInt(-1e300), -2147483647 - 1);
    EXPECT_EQ(SaturateToInt(NAN), 0);
    EXPECT_EQ(SaturateToInt(INFINITY), 2147483647);
    EXPECT_EQ(SaturateToInt(-1234.7), -1234);
    EXPECT_EQ(SaturateToInt(2147483646.9), 2147483646);
}

}  // namespace
