// figure_drawing_test.cpp -- jointed figures drawn into a real (headless)
// GL context: the swing animation, the joint switch with the modelview
// around each list, the transforms polygons are drawn with (read back in
// feedback mode), texture flags, the actor placement and drawing range.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "app/app.h"
#include "motion/motion.h"
#include "render/figure_joints.h"
#include "render/render.h"
#include "scene/scene.h"
#include "tests/gl_test_context.h"

namespace {

// The test's scene with its (empty) texture objects, the viewer, and the
// moving state of actors 0..1 and the avatar, as the program holds them.
std::unique_ptr<Scene> sceneHolder = std::make_unique<Scene>();
Scene& scene = *sceneHolder;
SceneTextures textures;
ViewerState viewer;
ActorMotion actors[2];
AvatarJoints avatar;
ObstacleIndex obstacles;

FigureJoints Figure(int figure) {
    if (figure == AVATAR_FIGURE) return {scene, figure, viewer.avatarPose, nullptr, &avatar};
    return {scene, figure, actors[figure].actorPose, &actors[figure], nullptr};
}

void DrawPartList(int figure) {
    FrameDraw draw{scene, textures};
    DrawPartList(draw, Figure(figure));
}

void AnimateJoints(int i) { AnimateActor(scene, viewer, i, actors[i]); }
void AnimateAvatarJoints() { AnimateAvatarJoints(scene, viewer, avatar); }

void DrawAvatarPolygons() {
    FrameDraw draw{scene, textures};
    DrawAvatarPolygons(draw, viewer, avatar);
}

// Actor i's swing and drawing, as a frame does them.
void DrawActor(int i) {
    FrameDraw draw{scene, textures};
    AnimateActor(scene, viewer, i, actors[i]);
    DrawActor(draw, viewer, i, actors[i]);
}

void StepActor(int i) { StepActor(scene, obstacles, viewer, i, actors[i]); }

struct Vec {
    double x, y, z = 0;
};

// A polygon of a figure list: its corners in the figure's x-y plane, the
// joint on its last vertex and its texture flag.
struct Poly {
    std::vector<Vec> corners;
    int joint;
    int texFlag = 0;
};

// A triangle around (cx, cy); feedback reports every polygon as triangles,
// so one triangle per polygon keeps them one to one.
std::vector<Vec> Tri(double cx, double cy, double half) {
    return {{cx - half, cy - half}, {cx + half, cy - half}, {cx + half, cy + half}};
}

// Fills actor i's part list (actors 0..1 share tables of 64 rows).
void SetActorList(int i, const std::vector<Poly>& polys) {
    if (scene.partX.rows != 64) {
        for (Grid<double>* g : {&scene.partX, &scene.partY, &scene.partZ, &scene.partColorR, &scene.partColorG, &scene.partColorB,
                                &scene.partS, &scene.partT})
            g->Allocate(64, 2);
        for (Grid<int>* g : {&scene.partEnd, &scene.partJoint, &scene.partTexFlag}) g->Allocate(64, 2);
        scene.actorPartVertexCount.Allocate(2);
    }
    int p = 0;
    scene.partEnd(0, i) = 1;
    for (const Poly& poly : polys) {
        scene.partTexFlag(p, i) = poly.texFlag;
        scene.partColorR(p + 1, i) = 1;
        for (size_t k = 0; k < poly.corners.size(); k++) {
            p++;
            scene.partX(p, i) = poly.corners[k].x;
            scene.partY(p, i) = poly.corners[k].y;
            scene.partZ(p, i) = poly.corners[k].z;
            scene.partEnd(p, i) = k + 1 == poly.corners.size();
            scene.partJoint(p, i) = poly.joint;
        }
    }
    scene.actorPartVertexCount[i] = p;
}

void SetAvatarList(const std::vector<Poly>& polys) {
    int n = 0;
    for (const Poly& poly : polys) n += (int)poly.corners.size();
    for (Table<double>* t : {&scene.avatarPolyX, &scene.avatarPolyY, &scene.avatarPolyZ, &scene.avatarPolyColorR,
                             &scene.avatarPolyColorG, &scene.avatarPolyColorB, &scene.avatarPolyS, &scene.avatarPolyT})
        t->Allocate(n + 1);
    for (Table<int>* t : {&scene.avatarPolyEnd, &scene.avatarPolyJoint, &scene.avatarPolyTexFlag}) t->Allocate(n + 1);
    int p = 0;
    scene.avatarPolyEnd[0] = 1;
    for (const Poly& poly : polys) {
        scene.avatarPolyTexFlag[p] = poly.texFlag;
        for (size_t k = 0; k < poly.corners.size(); k++) {
            p++;
            scene.avatarPolyX[p] = poly.corners[k].x;
            scene.avatarPolyY[p] = poly.corners[k].y;
            scene.avatarPolyEnd[p] = k + 1 == poly.corners.size();
            scene.avatarPolyJoint[p] = poly.joint;
        }
    }
    scene.avatarPolyVertexCount = n;
}

// Clears every joint of actors 0..1 and the avatar, in every pose.
void ClearJoints() {
    for (ActorJointTable* t : {&scene.actorJointPivotX, &scene.actorJointPivotY,
                               &scene.actorJointPivotZ, &scene.actorJointSwingX,
                               &scene.actorJointSwingY, &scene.actorJointSwingZ,
                               &scene.actorJointStepX, &scene.actorJointStepY,
                               &scene.actorJointStepZ})
        memset(t, 0, sizeof *t);
    for (JointTable* t : {&scene.avatarJointPivotX, &scene.avatarJointPivotY,
                          &scene.avatarJointPivotZ, &scene.avatarJointSwingX,
                          &scene.avatarJointSwingY, &scene.avatarJointSwingZ,
                          &scene.avatarJointTiltX, &scene.avatarJointTiltY,
                          &scene.avatarJointTiltZ, &scene.avatarJointStepX,
                          &scene.avatarJointStepY, &scene.avatarJointStepZ})
        memset(t, 0, sizeof *t);
    for (ActorMotion& actor : actors) actor = ActorMotion();
    avatar = AvatarJoints();
}

// Identity projection and modelview: feedback coordinates are the figure's
// own x, y mapped to the 200 x 150 viewport.
void ResetMatrices() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
}

// The polygons drawn by draw(), each as its corners back in the -1..1
// square (from window coordinates).
template <typename F>
std::vector<std::vector<Vec>> DrawnPolygons(F draw) {
    static GLfloat buffer[1 << 16];
    glFeedbackBuffer(sizeof buffer / sizeof buffer[0], GL_3D, buffer);
    glRenderMode(GL_FEEDBACK);
    draw();
    int n = glRenderMode(GL_RENDER);
    std::vector<std::vector<Vec>> polys;
    for (int k = 0; k < n;) {
        EXPECT_EQ(buffer[k], GL_POLYGON_TOKEN);
        if (buffer[k] != GL_POLYGON_TOKEN) break;
        int count = (int)buffer[k + 1];
        k += 2;
        polys.emplace_back();
        for (int v = 0; v < count; v++, k += 3)
            polys.back().push_back({buffer[k] / 100.0 - 1, buffer[k + 1] / 75.0 - 1});
    }
    return polys;
}

// Feedback may start a polygon at another corner: corners match as a set.
void ExpectCorners(const std::vector<Vec>& got, const std::vector<Vec>& want, const char* what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t k = 0; k < want.size(); k++) {
        bool found = false;
        for (const Vec& g : got)
            found = found || (fabs(g.x - want[k].x) < 1e-4 && fabs(g.y - want[k].y) < 1e-4);
        EXPECT_TRUE(found) << what << ": no corner at (" << want[k].x << ", " << want[k].y
                           << "); first drawn corner (" << got[0].x << ", " << got[0].y << ")";
    }
}

std::vector<Vec> Turned(const std::vector<Vec>& corners, Vec (*f)(Vec)) {
    std::vector<Vec> out;
    for (Vec v : corners) out.push_back(f(v));
    return out;
}

void ExpectModelviewIdentity(const char* what) {
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    for (int k = 0; k < 16; k++) EXPECT_NEAR(m[k], k % 5 == 0 ? 1 : 0, 1e-6) << what << " " << k;
}

// ---- Joint animation.

std::vector<double> Swing(double amplitude, double step, int frames) {
    ClearJoints();
    scene.actorJointCount[0] = 0;
    actors[0].actorPose = 1;
    scene.actorJointSwingX[0][1][0] = amplitude;
    actors[0].actorJointStepX[0][1] = step;
    std::vector<double> angles;
    for (int f = 0; f < frames; f++) {
        AnimateJoints(0);
        angles.push_back(actors[0].actorJointAngleX[0][1]);
    }
    return angles;
}

TEST(JointAnimation, BouncesBetweenZeroAndTheAmplitude) {
    EXPECT_EQ(Swing(30, 10, 8), (std::vector<double>{10, 20, 30, 20, 10, 0, 10, 20}));
    EXPECT_EQ(Swing(30, 7, 11), (std::vector<double>{7, 14, 21, 28, 23, 16, 9, 2, 7, 14, 21}));
    EXPECT_EQ(Swing(-30, -10, 8), (std::vector<double>{-10, -20, -30, -20, -10, 0, -10, -20}));
    EXPECT_EQ(Swing(-30, -7, 9), (std::vector<double>{-7, -14, -21, -28, -23, -16, -9, -2, -7}));
    EXPECT_EQ(Swing(0, 0, 3), (std::vector<double>{0, 0, 0}));
}

TEST(JointAnimation, OnlyTheCurrentPoseAdvancesOnEveryAxisAndJoint) {
    ClearJoints();
    scene.actorJointCount[0] = 2;
    for (int j = 0; j <= 3; j++)
        for (int k = 0; k < POSE_COUNT; k++) {
            scene.actorJointSwingY[j][k][0] = scene.actorJointSwingZ[j][k][0] = 30;
            actors[0].actorJointStepY[j][k] = actors[0].actorJointStepZ[j][k] = 10;
        }
    actors[0].actorPose = 0;
    AnimateJoints(0);
    AnimateJoints(0);
    actors[0].actorPose = 3;
    for (int f = 0; f < 5; f++) AnimateJoints(0);
    EXPECT_EQ(actors[0].actorJointAngleY[2][0], 20);  // frozen while pose 3 ran
    EXPECT_EQ(actors[0].actorJointAngleZ[0][3], 10);  // 10, 20, 30, 20, 10
    EXPECT_EQ(actors[0].actorJointAngleY[3][3], 0);   // beyond the actor's last joint
    actors[0].actorPose = 0;
    AnimateJoints(0);
    EXPECT_EQ(actors[0].actorJointAngleY[2][0], 30);  // resumes where it stopped
    EXPECT_EQ(actors[0].actorJointAngleZ[1][3], 10);
}

TEST(JointAnimation, AvatarFollowsAvatarPoseAndIgnoresPosesOutsideTheTables) {
    ClearJoints();
    scene.avatarJointCount = 0;
    scene.avatarJointSwingX[0][2] = 30;
    avatar.avatarJointStepX[0][2] = 10;
    viewer.avatarPose = 2;
    AnimateAvatarJoints();
    EXPECT_EQ(avatar.avatarJointAngleX[0][2], 10);
    viewer.avatarPose = 9;  // no such pose: nothing moves, nothing outside the tables is read
    AnimateAvatarJoints();
    viewer.avatarPose = -1;
    AnimateAvatarJoints();
    EXPECT_EQ(avatar.avatarJointAngleX[0][2], 10);
    viewer.avatarPose = 0;
}

// ---- The joint switch.

// Joint 2 of actor 0 in pose 1: a quarter turn about z at the origin.
void QuarterTurnJoint2() {
    ClearJoints();
    scene.actorJointCount[0] = 2;
    actors[0].actorPose = 1;
    scene.actorJointSwingZ[2][1][0] = 90;
    actors[0].actorJointAngleZ[2][1] = 90;
}

Vec QuarterTurn(Vec v) { return {v.y, -v.x}; }  // glRotatef(-90, 0, 0, 1)

TEST(JointSwitch, TheJointChosenAtAPolygonEndMovesThePolygonsAfterIt) {
    QuarterTurnJoint2();
    std::vector<Vec> a = Tri(-0.5, 0.5, 0.1), b = Tri(0.5, 0.5, 0.1), c = Tri(0.5, -0.5, 0.1);
    SetActorList(0, {{a, NO_JOINT}, {b, 2}, {c, 2}});
    ResetMatrices();
    auto drawn = DrawnPolygons([] { DrawPartList(0); });
    ASSERT_EQ(drawn.size(), 3u);
    ExpectCorners(drawn[0], a, "A");
    ExpectCorners(drawn[1], b, "B");  // its own end switches joint 2 on
    ExpectCorners(drawn[2], Turned(c, QuarterTurn), "C");
    // The list ends on joint 2: the transform is taken back there.
    ExpectModelviewIdentity("after the list");
}

TEST(JointSwitch, ARunOnOneJointAppliesItOnceAndAnotherJointReplacesIt) {
    QuarterTurnJoint2();
    scene.actorJointSwingZ[1][1][0] = 180;
    actors[0].actorJointAngleZ[1][1] = 180;
    std::vector<Vec> s = Tri(0.5, 0.5, 0.1);
    SetActorList(0, {{s, 2}, {s, 2}, {s, 2}, {s, 1}, {s, NO_JOINT}, {s, NO_JOINT}});
    ResetMatrices();
    auto drawn = DrawnPolygons([] { DrawPartList(0); });
    ASSERT_EQ(drawn.size(), 6u);
    ExpectCorners(drawn[0], s, "first");
    ExpectCorners(drawn[1], Turned(s, QuarterTurn), "second");
    ExpectCorners(drawn[3], Turned(s, QuarterTurn), "fourth");
    ExpectCorners(drawn[4], Turned(s, [](Vec v) { return Vec{-v.x, -v.y}; }), "fifth, joint 1");
    ExpectCorners(drawn[5], s, "sixth, after -10");
    ExpectModelviewIdentity("after the list");
}

TEST(JointSwitch, AnAllUnjointedListIsDrawnRigid) {
    QuarterTurnJoint2();
    std::vector<Vec> s = Tri(0.3, 0.2, 0.1);
    SetActorList(0, {{s, NO_JOINT}, {s, NO_JOINT}, {s, NO_JOINT}});
    ResetMatrices();
    auto drawn = DrawnPolygons([] { DrawPartList(0); });
    ASSERT_EQ(drawn.size(), 3u);
    for (const auto& poly : drawn) ExpectCorners(poly, s, "rigid");
    ExpectModelviewIdentity("after the list");
}

TEST(JointSwitch, NoTransformLeaksIntoTheNextFigureOrFrame) {
    QuarterTurnJoint2();
    scene.actorJointSwingZ[2][1][1] = 90;
    actors[1].actorJointAngleZ[2][1] = 45;
    std::vector<Vec> s = Tri(0.5, 0.5, 0.1);
    SetActorList(0, {{s, NO_JOINT}, {s, 2}});
    SetActorList(1, {{s, NO_JOINT}, {s, NO_JOINT}});
    actors[1].actorPose = 1;
    ResetMatrices();
    auto drawn = DrawnPolygons([] {
        DrawPartList(0);
        DrawPartList(1);
        DrawPartList(0);
    });
    ASSERT_EQ(drawn.size(), 6u);
    ExpectCorners(drawn[2], s, "actor 1, first polygon");
    ExpectCorners(drawn[3], s, "actor 1, second polygon");
    ExpectCorners(drawn[4], s, "actor 0 again, first polygon");
    ExpectModelviewIdentity("after the lists");
}

TEST(JointSwitch, JointNumbersAndPosesOutsideTheTablesDrawWithoutATransform) {
    QuarterTurnJoint2();
    std::vector<Vec> s = Tri(0.5, 0.5, 0.1);
    SetActorList(0, {{s, 2}, {s, 25}, {s, -3}, {s, 20}, {s, NO_JOINT}});
    ResetMatrices();
    auto drawn = DrawnPolygons([] { DrawPartList(0); });
    ASSERT_EQ(drawn.size(), 5u);
    ExpectCorners(drawn[1], Turned(s, QuarterTurn), "after joint 2");
    ExpectCorners(drawn[2], s, "after joint 25");
    ExpectCorners(drawn[3], s, "after joint -3");
    ExpectCorners(drawn[4], s, "after joint 20");
    ExpectModelviewIdentity("after the list");
    actors[0].actorPose = 7;
    SetActorList(0, {{s, 2}, {s, 2}});
    drawn = DrawnPolygons([] { DrawPartList(0); });
    ASSERT_EQ(drawn.size(), 2u);
    ExpectCorners(drawn[1], s, "pose 7");
    ExpectModelviewIdentity("after the pose-7 list");
}

TEST(JointSwitch, AvatarTiltsComeBeforeTheSwingAndAreUndoneInReverse) {
    ClearJoints();
    scene.avatarJointCount = 1;
    viewer.avatarPose = 2;
    scene.avatarJointTiltZ[1][2] = 90;
    scene.avatarJointSwingX[1][2] = 180;
    avatar.avatarJointAngleX[1][2] = 180;
    std::vector<Vec> s = Tri(0.5, 0.25, 0.1);
    SetAvatarList({{s, 1}, {s, 1}, {s, NO_JOINT}, {s, NO_JOINT}});
    ResetMatrices();
    auto drawn = DrawnPolygons([] { DrawAvatarPolygons(); });
    ASSERT_EQ(drawn.size(), 4u);
    ExpectCorners(drawn[0], s, "first");
    // Tilt about z by -90 applied outside the swing about x by -180:
    // (x, y) -> (x, -y) -> (-y, -x).
    ExpectCorners(drawn[1], Turned(s, [](Vec v) { return Vec{-v.y, -v.x}; }), "tilted");
    ExpectCorners(drawn[3], s, "after -10");
    ExpectModelviewIdentity("after the avatar list");
    // The same pair called on their own, as the list walk uses them.
    JointPose pose = LookupJoint(Figure(AVATAR_FIGURE), 1);
    ApplyJointPose(pose);
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    EXPECT_NEAR(m[0], 0, 1e-6);  // x turned onto -y
    UndoJointPose(pose);
    ExpectModelviewIdentity("after ApplyJointPose and UndoJointPose");
    viewer.avatarPose = 0;
}

// ---- Texture flags.

TEST(FigureTextures, OnlyFlagOneTexturesAndOtherFlagsDrawPlain) {
    ClearJoints();
    std::vector<Vec> s = Tri(0, 0, 0.1);
    ResetMatrices();
    glEnable(GL_TEXTURE_2D);
    SetActorList(0, {{s, NO_JOINT, 2}, {s, NO_JOINT, 2}});
    auto drawn = DrawnPolygons([] { DrawPartList(0); });
    EXPECT_EQ(drawn.size(), 2u);  // drawn, as plain polygons
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    SetActorList(0, {{s, NO_JOINT, 0}, {s, NO_JOINT, 1}});
    drawn = DrawnPolygons([] { DrawPartList(0); });
    EXPECT_EQ(drawn.size(), 2u);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    SetActorList(0, {{s, NO_JOINT, 1}, {s, NO_JOINT, -1}});
    drawn = DrawnPolygons([] { DrawPartList(0); });
    EXPECT_EQ(drawn.size(), 2u);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));  // -1 after a textured polygon: plain
}

// ---- Actor placement and drawing range.

void PlaceActorZero(double x, double y, double z, double heading, double offset) {
    scene.actorStartX[0] = x;
    scene.actorStartY[0] = y;
    scene.actorStartZ[0] = z;
    actors[0].actorWalkedX = actors[0].actorWalkedZ = 0;
    actors[0].actorHeading = heading;
    scene.actorModelHeadingOffset[0] = offset;
    scene.actorCullEnabled[0] = 0;
}

TEST(ActorPlacement, TheFigureStandsAtItsPointTurnedByItsHeadingAndIsTakenBack) {
    ClearJoints();
    scene.actorJointCount[0] = -1;
    SetActorList(0, {{{{0, 0, 0.1}, {0, 0, 0.2}, {0, 0.1, 0.2}}, NO_JOINT}});
    PlaceActorZero(0.25, -0.5, 0, 60, 30);  // turned by -90 about y: z goes to -x
    ResetMatrices();
    auto drawn = DrawnPolygons([] { DrawActor(0); });
    ASSERT_EQ(drawn.size(), 1u);
    ExpectCorners(drawn[0], {{0.15, -0.5}, {0.05, -0.5}, {0.05, -0.4}}, "placed");
    ExpectModelviewIdentity("after the actor");
}

TEST(ActorPlacement, OutsideItsDrawingRangeAnActorIsNotDrawnAndItsLimbsStop) {
    ClearJoints();
    scene.actorJointCount[0] = 0;
    actors[0].actorPose = 1;
    scene.actorJointSwingX[0][1][0] = 30;
    actors[0].actorJointStepX[0][1] = 10;
    SetActorList(0, {{Tri(0, 0, 0.1), NO_JOINT}});
    PlaceActorZero(0.5, 0, 0, 0, 0);
    scene.actorCullEnabled[0] = 1;
    scene.actorCullDistance[0] = 50;
    scene.startEyeX = scene.startEyeZ = 0;
    viewer.walkedX = -100;  // 100.5 away along x: out of range
    viewer.walkedZ = 0;
    ResetMatrices();
    EXPECT_TRUE(DrawnPolygons([] { DrawActor(0); }).empty());
    EXPECT_TRUE(DrawnPolygons([] { DrawActor(0); }).empty());
    EXPECT_EQ(actors[0].actorJointAngleX[0][1], 0);
    viewer.walkedX = -49;  // 49.5 away: drawn, and the limbs move on
    EXPECT_EQ(DrawnPolygons([] { DrawActor(0); }).size(), 1u);
    EXPECT_EQ(actors[0].actorJointAngleX[0][1], 10);
    viewer.walkedX = 50.5;  // 50 away on the other side: the range is strict
    EXPECT_TRUE(DrawnPolygons([] { DrawActor(0); }).empty());
    viewer.walkedX = 0.5;
    viewer.walkedZ = -49.9;
    EXPECT_EQ(DrawnPolygons([] { DrawActor(0); }).size(), 1u);
    EXPECT_EQ(actors[0].actorJointAngleX[0][1], 20);  // resumed where it stopped
    viewer.walkedX = viewer.walkedZ = 0;
    ExpectModelviewIdentity("after the actor");
}

TEST(ActorPlacement, ARangeLimitedActorOutOfRangeStandsButSwingsItsLimbs) {
    ClearJoints();
    scene.actorLastIndex = 0;
    scene.actorJointCount[0] = 0;
    actors[0].actorPose = 1;
    scene.actorJointSwingX[0][1][0] = 30;
    actors[0].actorJointStepX[0][1] = 10;
    SetActorList(0, {{Tri(0, 0, 0.1), NO_JOINT}});
    PlaceActorZero(100, 0, 0, 0, 0);
    actors[0].actorX = 100;
    actors[0].actorZ = 0;
    scene.actorRangeLimited[0] = 1;
    scene.actorActiveRange[0] = 20;
    actors[0].actorActive = actors[0].actorAccelerating = 1;
    scene.actorMaxSpeed[0] = 5;
    actors[0].actorTimer = 7;
    viewer.walkedX = viewer.walkedZ = 0;
    ResetMatrices();
    for (int f = 0; f < 3; f++) {
        StepActor(0);
        DrawActor(0);
    }
    EXPECT_EQ(actors[0].actorTimer, 7);
    EXPECT_EQ(actors[0].actorX, 100);
    EXPECT_EQ(actors[0].actorWalkedZ, 0);
    EXPECT_EQ(actors[0].actorJointAngleX[0][1], 30);
    scene.actorRangeLimited[0] = 0;
    scene.actorLastIndex = -1;
}

}  // namespace
