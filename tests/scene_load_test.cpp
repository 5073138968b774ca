// scene_load_test.cpp -- LoadScene on hand-written files: field order, the
// optional avatar fields, standard-input sizing, end of file and malformed
// tokens, rejected counts, timer seeds, derived values and sentinels.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "scene/scene_reader.h"
#include "tests/support/temp_scene.h"

namespace {

// The scene the last load read, and what moves in it.
Scene& S() { return LastLoadedScene().scene; }
SceneMotion& M() { return LastLoadedScene().motion; }

// The settings, displayModeIndex to engineShake, as the defaults give them.
const char* DEFAULT_SETTINGS =
    "1 0 0 0 0 0 0 0 1000 0 1 0 0 0 0 0 0 0 0 0 8 2 20 10 0 0 0 0 0 0 1 "
    "2 5 1 70 70 6 20 3 1.2 5 7 0.07 0.3 0.4 0.4 0.7 0.01 0.2 0.5 1.5 0.8 50 2 60 4 0.17";

// The settings line with some fields replaced by the given tokens.
std::string Settings(const std::vector<std::pair<SceneField, std::string>>& changes = {}) {
    std::istringstream in(DEFAULT_SETTINGS);
    std::vector<std::string> tokens;
    for (std::string token; in >> token;) tokens.push_back(token);
    EXPECT_EQ((int)tokens.size(), SCENE_SETTING_COUNT);
    for (const auto& change : changes)
        tokens[change.first - FIELD_displayModeIndex] = change.second;
    std::string line;
    for (const std::string& token : tokens) line += token + " ";
    return line + "\n";
}

// One actor (N = 0, M = 1) with one part vertex; avatarFields holds
// avatarHeadingOffset, the avatar joints and the avatar vertices when n_A is
// not 0.
std::string OneActorScene(int avatarCount, const std::string& avatarFields) {
    return "0 0 " + std::to_string(avatarCount) + " 0 1\n" + Settings() +
           "0\n"                                       // no obstacles
           "1 0 1 100 0 200 0\n"                       // actor block 1
           "0.1 0.2 0.3\n" +                           // clear colour
           avatarFields +                              // heading offset to the avatar list
           "1 10 0 20 11 0 21 45 90\n"                 // actor block 2
           "0.5 0.25 0.75 -10 1 2 3 1 0 1 1 #p.bmp\n"  // its part vertex
           "2.5 6 -1\n";                               // actor block 3, no joints
}

void ExpectActorZeroRead() {
    EXPECT_EQ(S().actorAvoidsObstacles[0], 1);
    EXPECT_EQ(S().actorCullEnabled[0], 1);
    EXPECT_EQ(S().actorCullDistance[0], 100);
    EXPECT_EQ(S().actorActiveRange[0], 200);
    EXPECT_EQ(S().clearRed, 0.1);
    EXPECT_EQ(S().clearBlue, 0.3);
    EXPECT_EQ(S().actorPartVertexCount[0], 1);
    EXPECT_EQ(S().actorStartX[0], 10);
    EXPECT_EQ(S().actorStartZ[0], 20);
    EXPECT_EQ(S().actorFrontZ[0], 21);
    EXPECT_EQ(S().actorModelHeadingOffset[0], 90);
    EXPECT_EQ(M().actors[0].actorHeading, -45);
    EXPECT_EQ(M().actors[0].actorX, 10);
    EXPECT_EQ(M().actors[0].actorZ, 20);
    EXPECT_EQ(S().partColorG(1, 0), 0.25);
    EXPECT_EQ(S().partJoint(1, 0), NO_JOINT);
    EXPECT_EQ(S().partZ(1, 0), 3);
    EXPECT_EQ(S().partT(1, 0), 1);
    EXPECT_EQ(S().partTexFlag(0, 0), 1);
    EXPECT_STREQ(SlotName(S(), S().partTexName(0, 0)), "p.bmp");
    EXPECT_EQ(S().actorMaxSpeed[0], 2.5);
    EXPECT_EQ(S().actorCollisionRadiusCopy[0], 6);
    EXPECT_EQ(S().actorJointCount[0], -1);
    // Only actor 0 exists.
    EXPECT_EQ(M().actors[1].actorState, 0);
    EXPECT_EQ(M().actors[1].actorActive, 0);
    EXPECT_EQ(LastSceneRead().status, READ_OK);
}

TEST(SceneLoad, EmptyFileKeepsEveryDefault) {
    LoadSceneText("");
    EXPECT_EQ(LastSceneRead().status, READ_END_OF_FILE);
    EXPECT_EQ(S().texPolyVertexCount, 0);
    EXPECT_EQ(S().flatPolyVertexCount, 0);
    EXPECT_EQ(S().actorLastIndex, -1);
    EXPECT_EQ(S().avatarJointCount, -1);
    EXPECT_EQ(S().obstacleCount, 0);
    EXPECT_EQ(S().viewMode, 2);
    EXPECT_EQ(S().cullDistance, 1000);
    EXPECT_EQ(S().collisionRadius, 8.0);
    EXPECT_EQ(S().sideKeyMode, 2);  // the standard build's statement runs right after the field, regardless
    EXPECT_EQ(S().texPolyEnd.size, 1u);
    EXPECT_EQ(S().texPolyEnd[0], 1);
    EXPECT_EQ(S().flatPolyEnd[0], 1);
    EXPECT_EQ(S().avatarPolyEnd[0], 1);
}

TEST(SceneLoad, SecondBuildKeepsTheFileSideKeyMode) {
    SceneReadOptions secondBuild;
    secondBuild.keepSideKeyMode = true;
    LoadSceneText("0 0 0 -1 1\n" + Settings({{FIELD_sideKeyMode, "1"}}), secondBuild);
    EXPECT_EQ(S().sideKeyMode, 1);
    LoadSceneText("0 0 0 -1 1\n" + Settings({{FIELD_sideKeyMode, "1"}}));
    EXPECT_EQ(S().sideKeyMode, 2);
}

TEST(SceneLoad, MissingFileCreatesAnEmptyOne) {
    TempDir dir("missing");
    ChdirGuard inside(dir.path);
    run.stdinText = "";
    LoadScene();
    ASSERT_TRUE(FileExists(dir.File("Hod.pro")));
    EXPECT_EQ(ReadWholeFile(dir.File("Hod.pro")), "");
    EXPECT_EQ(::loaded->scene.texPolyVertexCount, 0);
    EXPECT_EQ(::loaded->read.status, READ_END_OF_FILE);
    ::loaded.reset();
}

TEST(SceneLoad, WithoutAvatarTheClearColourIsFollowedByActorBlock2) {
    LoadSceneText(OneActorScene(0, ""));
    ExpectActorZeroRead();
    EXPECT_EQ(S().avatarHeadingOffset, 0);
    EXPECT_EQ(S().avatarJointCount, -1);
}

TEST(SceneLoad, WithAvatarFields70To73ComeBeforeActorBlock2) {
    std::string avatar = "15\n0\n";  // heading offset, one joint
    for (int k = 0; k < POSE_COUNT; ++k)
        avatar += "1 2 " + std::to_string(k) + " 8 -4 2 10 20 30 4\n";
    avatar += "0.5 0.5 0.5 0 1 1 1 1 0 0 0 #a.bmp\n";
    LoadSceneText(OneActorScene(1, avatar));
    ExpectActorZeroRead();
    EXPECT_EQ(S().avatarHeadingOffset, 15);
    EXPECT_EQ(S().avatarJointCount, 0);
    EXPECT_EQ(S().avatarJointPivotZ[0][6], 6);
    EXPECT_EQ(S().avatarJointTiltX[0][3], 30);
    EXPECT_EQ(S().avatarJointStepZ[0][2], 2.0);  // swing / swingDivisor
    EXPECT_EQ(S().avatarJointStepY[0][2], -1.0);
    EXPECT_EQ(S().avatarJointStepX[0][2], 0.5);
    EXPECT_EQ(S().swingDivisor, 4);
    EXPECT_EQ(S().avatarPolyJoint[1], 0);
    EXPECT_STREQ(SlotName(S(), S().avatarPolyTexName[0]), "a.bmp");
}

// An empty file through ReadSceneFile with the given standard input.
void ReadEmptyWithInput(const char* input) { ReadSceneText("", input); }

TEST(SceneLoadStdin, SizesThePreparedTables) {
    ReadEmptyWithInput("5 7");
    EXPECT_EQ(S().partX.cols, 5u);
    EXPECT_EQ(S().partX.rows, 8u);  // rows 0..7
    EXPECT_EQ(S().partTexName.cols, 5u);
    EXPECT_EQ(S().actorWaypointCount.size, 5u);
    EXPECT_EQ(S().actorWaypointX.cols, 5u);  // the column count carries to the second read
    EXPECT_EQ(S().actorWaypointX.rows, 3u);  // rows 0..2

    ReadEmptyWithInput("");
    EXPECT_EQ(S().partX.cols, 1u);
    EXPECT_EQ(S().partX.rows, 2u);
    EXPECT_EQ(S().actorWaypointCount.size, 1u);
    EXPECT_EQ(S().actorWaypointX.cols, 1u);
    EXPECT_EQ(S().actorWaypointX.rows, 3u);

    // Waypoint rows are also bounded by what the file could hold.
    ReadEmptyWithInput("2 3\n4 5");
    EXPECT_EQ(S().actorWaypointZ.cols, 4u);
    EXPECT_EQ(S().actorWaypointZ.rows, 3u);
    ReadSceneText(std::string(100, ' '), "2 3\n4 5");
    EXPECT_EQ(S().actorWaypointZ.rows, 6u);
}

TEST(SceneLoadStdin, AFailedReadLeavesItsValuesAndItsByte) {
    ReadEmptyWithInput("6 x 9 9");
    EXPECT_EQ(S().partX.cols, 6u);
    EXPECT_EQ(S().partX.rows, 2u);           // r stayed 1
    EXPECT_EQ(S().actorWaypointX.rows, 3u);  // the x stops the second read too
}

TEST(SceneLoadStdin, NeverShrinksBelowTheFileOrGrowsBeyondCapacity) {
    // N = 2, M = 10, actor 1 has 4 waypoints; standard input asks for less.
    std::string text = "0 0 0 2 10\n" + Settings() + "0\n" +
                       "0 0 0 0 0 0 0\n0 0 0 0 0 0 4\n0 0 0 0 0 0 0\n" + "1 2 3 4 5 6 7 8\n";
    ReadSceneText(text, "1 1 1 1 0 0 0 0");
    EXPECT_GE(S().partX.rows, 11u);
    EXPECT_GE(S().partX.cols, 3u);
    EXPECT_GE(S().actorWaypointX.rows, 5u);
    EXPECT_GE(S().actorWaypointX.cols, 3u);
    EXPECT_EQ(S().actorWaypointX(4, 1), 7);
    EXPECT_EQ(S().actorWaypointZ(4, 1), 8);

    ReadSceneText("0 0 0 1 3\n", "1000 100000 1000 100000 1000 100000");
    EXPECT_EQ(S().partX.cols, (size_t)ACTOR_CAPACITY);
    EXPECT_EQ(S().partX.rows, (size_t)PART_CAPACITY + 1);
    EXPECT_EQ(S().actorPartVertexCount.size, 2u);
    EXPECT_LE(S().actorWaypointX.rows, 3u);  // a ten-byte file holds no more waypoints
}

TEST(SceneLoadStdin, NegativeOrHugeNumbersAreClamped) {
    ReadEmptyWithInput("-5 -7 99999999999999999999 -1");
    EXPECT_EQ(S().partX.cols, 1u);
    EXPECT_EQ(S().partX.rows, 1u);
    EXPECT_EQ(S().actorWaypointX.cols, (size_t)ACTOR_CAPACITY);
    EXPECT_EQ(S().actorWaypointX.rows, 1u);
}

TEST(SceneLoadEnd, EndInsideARecordKeepsWhatWasRead) {
    std::string text = "2 0 0 -1 1\n" + Settings() + "0\n0.1 0.2 0.3\n" +
                       "1 0 0.5 1 2 3 0 0.25 0.75 1 #a.bmp\n4 5";
    LoadSceneText(text);
    EXPECT_EQ(LastSceneRead().status, READ_END_OF_FILE);
    EXPECT_EQ(S().texPolyColorB[1], 0.5);
    EXPECT_EQ(S().texPolyZ[1], 3);
    EXPECT_STREQ(SlotName(S(), S().texPolyTexName[0]), "a.bmp");
    EXPECT_EQ(S().texPolyX[2], 4);
    EXPECT_EQ(S().texPolyY[2], 5);
    EXPECT_EQ(S().texPolyZ[2], 0);  // fresh tables are zeroed
    EXPECT_EQ(S().texPolyEnd[2], 0);
    SetClosingSentinels(S());
    EXPECT_EQ(S().texPolyEnd[2], 1);
}

TEST(SceneLoadEnd, EndInsideTheSettingsLeavesLaterDefaults) {
    LoadSceneText("0 0 0 -1 1\n5 1 1");
    EXPECT_EQ(S().displayModeIndex, 5);
    EXPECT_EQ(S().light1Enabled, 1);
    EXPECT_EQ(S().smoothShading, 0);
    EXPECT_EQ(S().cullDistance, 1000);
    EXPECT_EQ(S().viewMode, 2);
    EXPECT_EQ(S().collisionRadius, 8);
    EXPECT_DOUBLE_EQ(S().followCollisionRadius, 20);
}

TEST(SceneLoadMalformed, StopsTheReadingAtTheToken) {
    // farPlane malformed: it keeps 0.0 and cullDistance keeps 1000.
    LoadSceneText("0 0 0 -1 1\n" +
                  Settings({{FIELD_farPlane, "abc"}, {FIELD_cullDistance, "500"}}));
    EXPECT_EQ(LastSceneRead().status, READ_MALFORMED);
    EXPECT_EQ(S().farPlane, 0.0);
    EXPECT_EQ(S().cullDistance, 1000);
    // An integer field receives 0.
    LoadSceneText("0 0 0 -1 1\n" +
                  Settings({{FIELD_viewMode, "x3"}, {FIELD_followCameraSteps, "5"}}));
    EXPECT_EQ(S().viewMode, 0);
    EXPECT_EQ(S().followCameraSteps, 20);
    // A lone sign in a decimal field gives 0.0.
    LoadSceneText("0 0 0 -1 1\n" + Settings({{FIELD_collisionRadius, "-"}}));
    EXPECT_EQ(S().collisionRadius, 0.0);
}

// Loads text, runs the closing sentinels, and expects the given failure.
void LoadRejected(const std::string& text) {
    LoadSceneText(text);
    SetClosingSentinels(S());
    EXPECT_EQ(LastSceneRead().status, READ_OUT_OF_RANGE) << text.substr(0, 40);
}

std::string Filler(size_t bytes) { return std::string(bytes, ' ') + "\n"; }

TEST(SceneLoadCounts, CountsAboveCapacityKeepTheirDefaults) {
    LoadRejected("100002 0 0 -1 1\n" + Filler(500000));
    EXPECT_EQ(S().texPolyVertexCount, 0);
    EXPECT_EQ(S().texPolyEnd.size, 1u);
    LoadRejected("0 0 6502 -1 1\n" + Filler(30000));
    EXPECT_EQ(S().avatarPolyVertexCount, 0);
    LoadRejected("0 0 0 50 1\n");
    EXPECT_EQ(S().actorLastIndex, -1);
    LoadRejected("0 0 0 0 2002\n");
    EXPECT_EQ(S().partCapacity, 1);
    EXPECT_EQ(S().actorLastIndex, 0);
}

TEST(SceneLoadCounts, CountsTheRestOfTheFileCannotHoldAreRejected) {
    LoadRejected("100001 0 0 -1 1\n" + Filler(1000));
    EXPECT_EQ(S().texPolyVertexCount, 0);
    LoadRejected("0 2000000000 0 -1 1\n" + Filler(1000));
    EXPECT_EQ(S().flatPolyVertexCount, 0);
    EXPECT_EQ(S().flatPolyEnd.size, 1u);  // no absurd allocation
    LoadRejected("0 0 0 -1 1\n" + Settings() + "300\n" + Filler(1000));
    EXPECT_EQ(S().obstacleCount, 0);
    LoadRejected("0 0 0 0 1\n" + Settings() + "0\n1 1 0 0 0 0 100000\n" + Filler(1000));
    EXPECT_EQ(S().actorWaypointCount[0], 0);
    EXPECT_EQ(S().actorWaypointX.rows, 3u);
}

TEST(SceneLoadCounts, PartAndJointCountsBeyondTheirTablesAreRejected) {
    std::string head = "0 0 0 0 2\n" + Settings() + "0\n0 0 0 0 0 0 0\n0 0 0\n";
    LoadRejected(head + "3 1 0 0 0 0 0 0 0\n" + Filler(1000));
    EXPECT_EQ(S().actorPartVertexCount[0], 0);
    EXPECT_EQ(S().partEnd(0, 0), 1);  // the work of the record still runs
    EXPECT_EQ(M().actors[0].actorState, 1);

    // M < 1 with actors that have no polygons: the prepared tables stay and
    // a count of 0 fits them, so both actors' starts are read.
    std::string noCapacity =
        "0 0 0 1 0\n" + Settings() + "0\n" + "0 0 0 0 0 0 0\n" + "0 0 0 0 0 0 0\n0 0 0\n";
    LoadSceneText(noCapacity + "0 1 0 0 0 0 0 0 0\n0 2 0 0 0 0 0 0 0\n");
    EXPECT_NE(LastSceneRead().status, READ_OUT_OF_RANGE);
    EXPECT_EQ(S().actorPartVertexCount.size, 2u);
    EXPECT_EQ(S().actorPartVertexCount[1], 0);
    EXPECT_EQ(S().actorStartX[1], 2);
    // ...and a count past the prepared rows is still refused.
    LoadRejected(noCapacity + "0 1 0 0 0 0 0 0 0\n9 2 0 0 0 0 0 0 0\n" + Filler(1000));

    LoadRejected(head + "0 1 0 0 0 0 0 0 0\n1 1 20\n");
    EXPECT_EQ(S().actorJointCount[0], 0);  // its value before this load

    std::string avatarHead = "0 0 1 -1 1\n" + Settings() + "0\n0 0 0\n15 20\n";
    LoadRejected(avatarHead);
    EXPECT_EQ(S().avatarJointCount, -1);
}

TEST(SceneLoadCounts, ListsBelowOneGetNoClosingFlag) {
    LoadSceneText("-5 -3 -2 -1 1\n" + Settings());
    SetClosingSentinels(S());  // index -5 would lie before the table
    EXPECT_EQ(S().texPolyVertexCount, -5);
    EXPECT_EQ(S().texPolyEnd.size, 1u);
    EXPECT_EQ(S().texPolyEnd[0], 1);
}

TEST(SceneLoadCounts, ALaterLoadDoesNotKeepTheEarlierCounts) {
    LoadSceneText("3 0 0 -1 1\n" + Settings() + "0\n0 0 0\n" +
                  "1 1 1 0 0 0 1 0 0 0 #a\n1 1 1 0 0 0 1 0 0 0 #b\n1 1 1 0 0 0 1 0 0 0 #c\n");
    EXPECT_EQ(S().texPolyVertexCount, 3);
    LoadSceneText("");  // into the same scene, which held three vertices
    SetClosingSentinels(S());
    EXPECT_EQ(S().texPolyVertexCount, 0);
    EXPECT_EQ(S().texPolyEnd.size, 1u);
}

TEST(SceneLoadNames, LongNamesAreCutAndTheNextRecordStillReads) {
    std::string text = "2 0 0 -1 1\n" + Settings() + "0\n0 0 0\n" + "1 1 1 0 0 0 1 0 0 1 #" +
                       std::string(250, 'w') + "\n1 1 1 7 8 9 1 0 0 0 #next.bmp\n";
    LoadSceneText(text);
    EXPECT_EQ(LastSceneRead().status, READ_OK);
    EXPECT_EQ(std::string(SlotName(S(), S().texPolyTexName[0])), std::string(199, 'w'));
    EXPECT_EQ(S().texPolyY[2], 8);
    EXPECT_STREQ(SlotName(S(), S().texPolyTexName[1]), "next.bmp");
}

TEST(SceneLoadSentinels, TexturedAndPartListsCloseThePlainListDoesNot) {
    std::string text = "1 2 0 0 1\n" + Settings() + "0\n0 0 0 0 0 0 0\n0 0 0\n" +
                       "1 0 0 0 0 0 0 0 0\n" + "1 1 1 -10 0 0 0 0 0 0 0 #p\n" + "1 1 -1\n" +
                       "1 1 1 0 0 0 0 0 0 0 #t\n" + "1 1 1 0 0 0 0 5 5 5 0\n";
    LoadSceneText(text);
    EXPECT_EQ(LastSceneRead().status, READ_OK);
    SetClosingSentinels(S());
    EXPECT_EQ(S().texPolyEnd[1], 1);
    EXPECT_EQ(S().partEnd(1, 0), 1);
    EXPECT_EQ(S().flatPolyEnd[2], 0);
    EXPECT_EQ(S().flatPolyX[2], 5);  // the second flat vertex had no colour
}

// N = 6 actors with the given start x, no parts, no joints.
std::string ActorsAt(const std::vector<std::string>& xs) {
    std::string text = "0 0 0 " + std::to_string(xs.size() - 1) + " 1\n" + Settings() + "0\n";
    for (size_t i = 0; i < xs.size(); ++i) text += "0 0 0 0 0 0 0\n";
    text += "0 0 0\n";
    for (const std::string& x : xs) text += "0 " + x + " 0 0 0 0 0 0 0\n";
    for (size_t i = 0; i < xs.size(); ++i) text += "1 1 -1\n";
    return text;
}

TEST(SceneLoadActors, TimerSeedsShrinkByEachActorsDivisor) {
    LoadSceneText(ActorsAt({"-1234.7", "1000", "1000", "1000", "1000", "1000", "1000", "430.9"}));
    EXPECT_EQ(LastSceneRead().status, READ_OK);
    EXPECT_EQ(M().actors[0].actorTimer, 246);  // 1234 / 5
    EXPECT_EQ(M().actors[1].actorTimer, 250);  // 1000 / 2 / 2
    EXPECT_EQ(M().actors[2].actorTimer, 166);  // 1000 / 6
    EXPECT_EQ(M().actors[3].actorTimer, 333);  // 1000 / 3
    EXPECT_EQ(M().actors[4].actorTimer, 250);  // divisor 4: / 2 / 2
    EXPECT_EQ(M().actors[5].actorTimer, 250);  // divisor 5: / 2 / 2
    EXPECT_EQ(M().actors[6].actorTimer, 333);  // divisor 6: / 3
    EXPECT_EQ(M().actors[7].actorTimer, 430);
    EXPECT_EQ(M().actors[7].actorState, 1);
    EXPECT_EQ(M().actors[7].actorAccelerating, 1);
    EXPECT_EQ(M().actors[7].actorBraking, 0);
}

TEST(SceneLoadActors, HugeStartPositionsSaturate) {
    LoadSceneText(ActorsAt({"1e300", "-1e300", "1e400"}));
    EXPECT_EQ(M().actors[0].actorTimer, 219);  // 2147483647 divided by 5 ten times
    EXPECT_EQ(M().actors[1].actorTimer, 255);  // ... by 2 twenty-three times
    EXPECT_EQ(M().actors[2].actorTimer, 213);  // ... by 6 nine times
}

TEST(SceneLoadDerived, ViewerStartsAtItsStartPositionAndHeading) {
    LoadSceneText("0 0 0 -1 1\n" + Settings({{FIELD_startEyeX, "3"},
                                             {FIELD_startEyeY, "-4"},
                                             {FIELD_startEyeZ, "7"},
                                             {FIELD_startTargetX, "6"},
                                             {FIELD_startTargetZ, "11"},
                                             {FIELD_startHeading, "30"},
                                             {FIELD_viewMode, "1"}}));
    EXPECT_EQ(M().viewer.heading, -30);
    EXPECT_EQ(M().viewer.followHeading, -30);
    EXPECT_EQ(M().viewer.viewerX, 3);
    EXPECT_EQ(M().viewer.viewerEyeY, -4);
    EXPECT_EQ(M().viewer.lookTargetX, 6);
    EXPECT_EQ(M().viewer.lookTargetZ, 11);
    EXPECT_EQ(S().lookDistance, 5);
    EXPECT_DOUBLE_EQ(M().viewer.viewAngle, (30.0 - 270.0) * 0.017453292519943295);
    EXPECT_EQ(S().engineShake, 0.17);  // divided only in view mode 2
    EXPECT_EQ(run.frameTick, run.lastFrameTime);
    EXPECT_EQ(M().viewer.forwardSpeed, 0);
}

}  // namespace

namespace {

// Every count the loader left must fit the table it indexes; drawing and
// motion walk these lists by their counts.
void ExpectCountsInsideTables(const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_LT((size_t)std::max(S().texPolyVertexCount, 0), S().texPolyEnd.size);
    ASSERT_LT((size_t)std::max(S().flatPolyVertexCount, 0), S().flatPolyEnd.size);
    ASSERT_LT((size_t)std::max(S().avatarPolyVertexCount, 0), S().avatarPolyEnd.size);
    ASSERT_LT((size_t)std::max(S().obstacleCount, 0), S().obstacleX.size);
    ASSERT_LT(S().avatarJointCount, JOINT_CAPACITY);
    ASSERT_LT(S().actorLastIndex, ACTOR_CAPACITY);
    if (S().actorLastIndex < 0) return;
    ASSERT_GE(S().actorPartVertexCount.size, (size_t)S().actorLastIndex + 1);
    ASSERT_GE(S().actorWaypointCount.size, (size_t)S().actorLastIndex + 1);
    for (int i = 0; i <= S().actorLastIndex; ++i) {
        ASSERT_LT(S().actorJointCount[i], JOINT_CAPACITY);
        if (S().actorPartVertexCount[i] >= 1) {
            ASSERT_LT((size_t)S().actorPartVertexCount[i], S().partEnd.rows);
            ASSERT_LT((size_t)i, S().partEnd.cols);
        }
        if (S().actorWaypointCount[i] >= 1) {
            ASSERT_LT((size_t)S().actorWaypointCount[i], S().actorWaypointX.rows);
            ASSERT_LT((size_t)i, S().actorWaypointX.cols);
        }
    }
}

// Deterministic damage: one token of the text replaced by a hostile one.
std::string Damage(const std::string& text, unsigned& seed) {
    static const char* HOSTILE[] = {"-1",     "0",     "20",         "50",          "2002", "6502",
                                    "100002", "99999", "2147483647", "-2147483648", "x",    "-",
                                    ".",      "1e9",   "0x7F",       "#",           ""};
    seed = seed * 1103515245u + 12345u;
    size_t at = (seed >> 4) % text.size();
    while (at < text.size() && text[at] != ' ' && text[at] != '\n') ++at;
    size_t end = at + 1;
    while (end < text.size() && text[end] != ' ' && text[end] != '\n') ++end;
    seed = seed * 1103515245u + 12345u;
    std::string token = HOSTILE[(seed >> 8) % (sizeof HOSTILE / sizeof *HOSTILE)];
    if (at >= text.size()) return text.substr(0, text.size() / 2);  // cut short instead
    return text.substr(0, at + 1) + token + text.substr(std::min(end, text.size()));
}

TEST(SceneLoadDamage, DamagedFilesNeverLeaveACountBeyondItsTable) {
    std::string valid = "2 3 2 1 3\n" + Settings() + "2\n1 1\n2 2\n" +
                        "1 1 0 5 0 5 2\n0 0 0 5 0 5 1\n" + "1 1 2 2\n3 3\n" + "0.1 0.2 0.3\n" +
                        "5\n0\n";
    for (int k = 0; k < POSE_COUNT; ++k) valid += "1 2 3 4 5 6 7 8 9 2\n";
    valid += "1 1 1 0 0 0 0 0 0 0 0 #a\n0 1 1 1 1 0 0 1 #a\n";
    valid += "3 0 0 0 0 0 0 0 0\n2 0 0 0 0 0 0 0 0\n";
    valid += "1 1 1 0 0 0 0 0 0 0 1 #p\n0 1 1 1 0 0 0 1 #p\n1 1 1 1 0 0 0 1 #p\n";
    valid += "1 1 1 -10 0 0 0 1 0 0 0 #q\n1 1 1 -10 0 0 0 1 0 0 0 #q\n";
    valid += "1 5 0\n";
    for (int k = 0; k < POSE_COUNT; ++k) valid += "1 2 3 4 5 6 2\n";
    valid += "1 5 -1\n";
    valid += "1 1 1 0 0 0 0 0 0 1 #t\n1 1 1 1 0 0 0 #t\n";
    valid += "1 1 1 0 0 0 0 1 1 1 0 2 2 2 1\n";
    LoadSceneText(valid);
    ASSERT_EQ(LastSceneRead().status, READ_OK);
    ExpectCountsInsideTables("valid");
    unsigned seed = 2024;
    for (int round = 0; round < 400; ++round) {
        std::string damaged = valid;
        for (int edits = 1 + round % 3; edits > 0; --edits) damaged = Damage(damaged, seed);
        for (const char* input : {"", "3 9 7 7 40 40 2 2"}) {
            LoadSceneText(damaged, input);
            ExpectCountsInsideTables("round " + std::to_string(round) + ":\n" + damaged);
            SetClosingSentinels(S());
        }
    }
}

}  // namespace
