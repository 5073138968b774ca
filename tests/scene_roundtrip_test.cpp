// scene_roundtrip_test.cpp -- a generated scene that uses every feature of the
// file is written, read back and compared table by table, derived values
// included; and a loaded model written back gives the same file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/app.h"
#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "scene/scene_reader.h"
#include "tests/support/temp_scene.h"
#include "tools/lib/scene_writer.h"

namespace {

// Every list, an avatar with all 20 joints, actors with parts, joints and
// waypoints (one actor with none), obstacles, and every setting changed.
SceneDescription EveryFeature() {
    SceneShape shape;
    shape.texVertices = 40;
    shape.flatVertices = 31;
    shape.avatarVertices = 25;
    shape.avatarJoints = JOINT_CAPACITY;
    shape.actors = 3;
    shape.partVertices = 17;
    shape.actorJoints = 4;
    shape.waypoints = 5;
    shape.obstacles = 6;
    shape.textureNames = 3;
    shape.seed = 7;
    SceneDescription scene;
    GenerateScene(scene, shape);
    for (int k = 0; k < SCENE_SETTING_COUNT; ++k)
        scene.settings[k] = sceneSettingSlots[k].intValue ? k + 3 : (k + 1) * 1.25 - 0.001;
    SetSetting(scene, FIELD_viewMode, 3);
    SetSetting(scene, FIELD_sideKeyMode, 1);
    scene.clear[0] = 0.25;
    scene.clear[1] = 0.5;
    scene.clear[2] = 0.125;
    scene.avatarHeadingOffset = -12.5;
    scene.partCapacity = 20;  // more rows than the longest part list
    scene.actors[2].parts.clear();
    scene.actors[2].joints.clear();
    scene.actors[2].waypoints.clear();
    scene.actors[1].parts[0].joint = 25;  // kept as read
    scene.texVertices[0].texName = "stone wall.bmp";
    scene.texVertices[1].texName = std::string(TEX_NAME_LENGTH, 'n');
    scene.texVertices[2].texFlag = 1;
    scene.flatVertices.back().end = 0;  // the plain list may stay open
    return scene;
}

bool StartsPolygon(const std::vector<SceneVertex>& list, size_t index) {
    return index == 0 || list[index - 1].end == 1;
}

void ExpectTexturedList(const Scene& s, const SceneDescription& scene) {
    ASSERT_EQ(s.texPolyVertexCount, (int)scene.texVertices.size());
    for (int v = 1; v <= s.texPolyVertexCount; ++v) {
        const SceneVertex& e = scene.texVertices[v - 1];
        SCOPED_TRACE("textured vertex " + std::to_string(v));
        EXPECT_EQ(s.texPolyColorR[v], e.red);
        EXPECT_EQ(s.texPolyColorG[v], e.green);
        EXPECT_EQ(s.texPolyColorB[v], e.blue);
        EXPECT_EQ(s.texPolyX[v], e.x);
        EXPECT_EQ(s.texPolyY[v], e.y);
        EXPECT_EQ(s.texPolyZ[v], e.z);
        EXPECT_EQ(s.texPolyEnd[v], v == s.texPolyVertexCount ? 1 : e.end);
        EXPECT_EQ(s.texPolyS[v], e.s);
        EXPECT_EQ(s.texPolyT[v], e.t);
        EXPECT_EQ(s.texPolyTexFlag[v - 1], e.texFlag);
        EXPECT_EQ(SlotName(s, s.texPolyTexName[v - 1]), e.texName);
    }
}

void ExpectFlatList(const Scene& s, const SceneDescription& scene) {
    ASSERT_EQ(s.flatPolyVertexCount, (int)scene.flatVertices.size());
    for (int v = 1; v <= s.flatPolyVertexCount; ++v) {
        const SceneFlatVertex& e = scene.flatVertices[v - 1];
        SCOPED_TRACE("plain vertex " + std::to_string(v));
        EXPECT_EQ(s.flatPolyColorR[v], e.red);
        EXPECT_EQ(s.flatPolyColorG[v], e.green);
        EXPECT_EQ(s.flatPolyColorB[v], e.blue);
        EXPECT_EQ(s.flatPolyX[v], e.x);
        EXPECT_EQ(s.flatPolyY[v], e.y);
        EXPECT_EQ(s.flatPolyZ[v], e.z);
        EXPECT_EQ(s.flatPolyEnd[v], e.end);
    }
}

void ExpectAvatar(const Scene& s, const SceneDescription& scene) {
    ASSERT_EQ(s.avatarPolyVertexCount, (int)scene.avatarVertices.size());
    EXPECT_EQ(s.avatarHeadingOffset, scene.avatarHeadingOffset);
    for (int v = 1; v <= s.avatarPolyVertexCount; ++v) {
        const SceneVertex& e = scene.avatarVertices[v - 1];
        SCOPED_TRACE("avatar vertex " + std::to_string(v));
        EXPECT_EQ(s.avatarPolyColorR[v], StartsPolygon(scene.avatarVertices, v - 1) ? e.red : 0);
        EXPECT_EQ(s.avatarPolyJoint[v], e.joint);
        EXPECT_EQ(s.avatarPolyX[v], e.x);
        EXPECT_EQ(s.avatarPolyZ[v], e.z);
        EXPECT_EQ(s.avatarPolyEnd[v], v == s.avatarPolyVertexCount ? 1 : e.end);
        EXPECT_EQ(s.avatarPolyS[v], e.s);
        EXPECT_EQ(s.avatarPolyT[v], e.t);
        EXPECT_EQ(s.avatarPolyTexFlag[v - 1], e.texFlag);
        EXPECT_EQ(SlotName(s, s.avatarPolyTexName[v - 1]), e.texName);
    }
    ASSERT_EQ(s.avatarJointCount, (int)scene.avatarJoints.size() - 1);
    for (int g = 0; g <= s.avatarJointCount; ++g) {
        for (int k = 0; k < POSE_COUNT; ++k) {
            const ScenePose& p = scene.avatarJoints[g].poses[k];
            SCOPED_TRACE("avatar joint " + std::to_string(g) + " pose " + std::to_string(k));
            EXPECT_EQ(s.avatarJointPivotX[g][k], p.pivot[0]);
            EXPECT_EQ(s.avatarJointPivotY[g][k], p.pivot[1]);
            EXPECT_EQ(s.avatarJointPivotZ[g][k], p.pivot[2]);
            EXPECT_EQ(s.avatarJointSwingZ[g][k], p.swing[0]);
            EXPECT_EQ(s.avatarJointSwingY[g][k], p.swing[1]);
            EXPECT_EQ(s.avatarJointSwingX[g][k], p.swing[2]);
            EXPECT_EQ(s.avatarJointTiltZ[g][k], p.tilt[0]);
            EXPECT_EQ(s.avatarJointTiltY[g][k], p.tilt[1]);
            EXPECT_EQ(s.avatarJointTiltX[g][k], p.tilt[2]);
            EXPECT_EQ(s.avatarJointStepZ[g][k], p.swing[0] / p.swingDivisor);
            EXPECT_EQ(s.avatarJointStepY[g][k], p.swing[1] / p.swingDivisor);
            EXPECT_EQ(s.avatarJointStepX[g][k], p.swing[2] / p.swingDivisor);
        }
    }
}

void ExpectActorParts(const Scene& s, const SceneActor& a, int i) {
    ASSERT_EQ(s.actorPartVertexCount[i], (int)a.parts.size());
    for (int p = 1; p <= s.actorPartVertexCount[i]; ++p) {
        const SceneVertex& e = a.parts[p - 1];
        SCOPED_TRACE("part vertex " + std::to_string(p));
        EXPECT_EQ(s.partColorR(p, i), e.red);
        EXPECT_EQ(s.partColorG(p, i), e.green);
        EXPECT_EQ(s.partColorB(p, i), e.blue);
        EXPECT_EQ(s.partJoint(p, i), e.joint);
        EXPECT_EQ(s.partX(p, i), e.x);
        EXPECT_EQ(s.partY(p, i), e.y);
        EXPECT_EQ(s.partZ(p, i), e.z);
        EXPECT_EQ(s.partEnd(p, i), p == s.actorPartVertexCount[i] ? 1 : e.end);
        EXPECT_EQ(s.partS(p, i), e.s);
        EXPECT_EQ(s.partT(p, i), e.t);
        EXPECT_EQ(s.partTexFlag(p - 1, i), e.texFlag);
        EXPECT_EQ(SlotName(s, s.partTexName(p - 1, i)), e.texName);
    }
    EXPECT_EQ(s.partEnd(0, i), 1);
}

void ExpectActorJoints(const Scene& s, const SceneActor& a, int i) {
    ASSERT_EQ(s.actorJointCount[i], (int)a.joints.size() - 1);
    for (int j = 0; j <= s.actorJointCount[i]; ++j) {
        for (int k = 0; k < POSE_COUNT; ++k) {
            const ScenePose& p = a.joints[j].poses[k];
            SCOPED_TRACE("joint " + std::to_string(j) + " pose " + std::to_string(k));
            EXPECT_EQ(s.actorJointPivotX[j][k][i], p.pivot[0]);
            EXPECT_EQ(s.actorJointPivotY[j][k][i], p.pivot[1]);
            EXPECT_EQ(s.actorJointPivotZ[j][k][i], p.pivot[2]);
            EXPECT_EQ(s.actorJointSwingZ[j][k][i], p.swing[0]);
            EXPECT_EQ(s.actorJointSwingY[j][k][i], p.swing[1]);
            EXPECT_EQ(s.actorJointSwingX[j][k][i], p.swing[2]);
            EXPECT_EQ(s.actorJointStepZ[j][k][i], p.swing[0] / p.swingDivisor);
            EXPECT_EQ(s.actorJointStepY[j][k][i], p.swing[1] / p.swingDivisor);
            EXPECT_EQ(s.actorJointStepX[j][k][i], p.swing[2] / p.swingDivisor);
        }
    }
}

void ExpectActors(const Scene& s, const SceneDescription& scene) {
    ASSERT_EQ(s.actorLastIndex, (int)scene.actors.size() - 1);
    EXPECT_EQ(s.partCapacity, scene.partCapacity);
    EXPECT_GE(s.partX.rows, (size_t)scene.partCapacity + 1);
    for (int i = 0; i <= s.actorLastIndex; ++i) {
        const SceneActor& a = scene.actors[i];
        SCOPED_TRACE("actor " + std::to_string(i));
        EXPECT_EQ(s.actorAvoidsObstacles[i], a.avoidsObstacles);
        EXPECT_EQ(s.actorUsesWaypoints[i], a.usesWaypoints);
        EXPECT_EQ(s.actorCullEnabled[i], a.cullEnabled);
        EXPECT_EQ(s.actorCullDistance[i], a.cullDistance);
        EXPECT_EQ(s.actorRangeLimited[i], a.rangeLimited);
        EXPECT_EQ(s.actorActiveRange[i], a.activeRange);
        ASSERT_EQ(s.actorWaypointCount[i], (int)a.waypoints.size());
        for (int w = 1; w <= s.actorWaypointCount[i]; ++w) {
            EXPECT_EQ(s.actorWaypointX(w, i), a.waypoints[w - 1].x);
            EXPECT_EQ(s.actorWaypointZ(w, i), a.waypoints[w - 1].z);
        }
        EXPECT_EQ(s.actorStartX[i], a.start[0]);
        EXPECT_EQ(s.actorStartY[i], a.start[1]);
        EXPECT_EQ(s.actorStartZ[i], a.start[2]);
        EXPECT_EQ(s.actorFrontX[i], a.front[0]);
        EXPECT_EQ(s.actorFrontY[i], a.front[1]);
        EXPECT_EQ(s.actorFrontZ[i], a.front[2]);
        EXPECT_EQ(s.actorStartHeading[i], a.startHeading);
        EXPECT_EQ(s.actorModelHeadingOffset[i], a.modelHeadingOffset);
        EXPECT_EQ(LastLoadedScene().motion.actors[i].actorHeading, -a.startHeading);
        EXPECT_EQ(LastLoadedScene().motion.actors[i].actorX, a.start[0]);
        EXPECT_EQ(LastLoadedScene().motion.actors[i].actorZ, a.start[2]);
        EXPECT_EQ(LastLoadedScene().motion.actors[i].actorState, 1);
        EXPECT_EQ(LastLoadedScene().motion.actors[i].actorActive, 1);
        EXPECT_EQ(LastLoadedScene().motion.actors[i].actorAccelerating, 1);
        EXPECT_EQ(LastLoadedScene().motion.actors[i].actorBraking, 0);
        EXPECT_LE(LastLoadedScene().motion.actors[i].actorTimer, 430);
        EXPECT_EQ(s.actorMaxSpeed[i], a.maxSpeed);
        EXPECT_EQ(s.actorCollisionRadius[i], a.collisionRadius);
        EXPECT_EQ(s.actorCollisionRadiusCopy[i], a.collisionRadius);
        ExpectActorParts(s, a, i);
        ExpectActorJoints(s, a, i);
    }
}

void ExpectSettingsAsInFile(const Scene& s, const SceneDescription& scene, bool derivedApplied,
                            bool keepSideKeyMode) {
    for (int k = 0; k < SCENE_SETTING_COUNT; ++k) {
        const SettingSlot& slot = sceneSettingSlots[k];
        SceneField f = slot.field;
        bool changedAtLoad = f == FIELD_maxDeflection || f == FIELD_driveMaxDeflection ||
                             f == FIELD_collisionTurnDivisor || f == FIELD_engineShake;
        if (derivedApplied && changedAtLoad) continue;
        if (f == FIELD_sideKeyMode && !keepSideKeyMode) continue;  // forced to 2
        double got = slot.intValue ? s.*slot.intValue : s.*slot.decimalValue;
        EXPECT_EQ(got, scene.settings[k]) << sceneFieldInfo[f].name;
    }
    EXPECT_EQ(s.clearRed, scene.clear[0]);
    EXPECT_EQ(s.clearGreen, scene.clear[1]);
    EXPECT_EQ(s.clearBlue, scene.clear[2]);
}

void ExpectWholeScene(const Scene& s, const SceneDescription& scene) {
    EXPECT_EQ(LastSceneRead().status, READ_OK);
    ExpectTexturedList(s, scene);
    ExpectFlatList(s, scene);
    ExpectAvatar(s, scene);
    ExpectActors(s, scene);
    ASSERT_EQ(s.obstacleCount, (int)scene.obstacles.size());
    for (int w = 1; w <= s.obstacleCount; ++w) {
        EXPECT_EQ(s.obstacleX[w], scene.obstacles[w - 1].x);
        EXPECT_EQ(s.obstacleZ[w], scene.obstacles[w - 1].z);
    }
}

double Setting(const SceneDescription& scene, SceneField field) { return GetSetting(scene, field); }

// Read as the second build reads: sideKeyMode as the file gives it.
SceneReadOptions KeepingSideKeys() {
    SceneReadOptions options;
    options.keepSideKeyMode = true;
    return options;
}

TEST(SceneRoundTrip, EveryTableAndSettingReadsBackEqual) {
    SceneDescription scene = EveryFeature();
    Scene& s = LoadSceneText(FormatScene(scene), KeepingSideKeys()).scene;
    SetClosingSentinels(s);
    ExpectWholeScene(s, scene);
    ExpectSettingsAsInFile(s, scene, true, true);
}

TEST(SceneRoundTrip, CrLfLineEndsReadTheSame) {
    SceneDescription scene = EveryFeature();
    SceneWriteOptions crlf;
    crlf.crlf = true;
    Scene& s = LoadSceneText(FormatScene(scene, crlf), KeepingSideKeys()).scene;
    SetClosingSentinels(s);
    ExpectWholeScene(s, scene);
}

TEST(SceneRoundTrip, DerivedValuesFollowTheFileValues) {
    SceneDescription scene = EveryFeature();
    const LoadedScene& loaded = LoadSceneText(FormatScene(scene));
    const Scene& s = loaded.scene;
    const SceneMotion& motion = loaded.motion;
    const double rad = 0.017453292519943295;
    double startHeadingValue = Setting(scene, FIELD_startHeading);
    EXPECT_EQ(s.sideKeyMode, 2);
    EXPECT_EQ(motion.viewer.heading, -startHeadingValue);
    EXPECT_EQ(motion.viewer.followHeading, motion.viewer.heading);
    // View mode 3: the observer starts at its position, the viewer looks at itself.
    EXPECT_EQ(motion.camera.observerX, Setting(scene, FIELD_observerStartX));
    EXPECT_EQ(motion.camera.observerY, Setting(scene, FIELD_observerStartY));
    EXPECT_EQ(motion.camera.observerZ, Setting(scene, FIELD_observerStartZ));
    EXPECT_EQ(motion.viewer.viewerX, Setting(scene, FIELD_startEyeX));
    EXPECT_EQ(motion.viewer.viewerEyeY, Setting(scene, FIELD_startEyeY));
    EXPECT_EQ(motion.viewer.viewerZ, Setting(scene, FIELD_startEyeZ));
    EXPECT_EQ(motion.viewer.lookTargetX, motion.viewer.viewerX);
    EXPECT_EQ(motion.viewer.lookTargetY, motion.viewer.viewerEyeY);
    EXPECT_EQ(motion.viewer.lookTargetZ, motion.viewer.viewerZ);
    double dx = Setting(scene, FIELD_startEyeX) - Setting(scene, FIELD_startTargetX);
    double dz = Setting(scene, FIELD_startEyeZ) - Setting(scene, FIELD_startTargetZ);
    EXPECT_EQ(s.lookDistance, std::sqrt(dx * dx + dz * dz));
    double ox = Setting(scene, FIELD_observerStartX) - Setting(scene, FIELD_observerTargetX);
    double oz = Setting(scene, FIELD_observerStartZ) - Setting(scene, FIELD_observerTargetZ);
    EXPECT_EQ(s.observerDistance, std::sqrt(ox * ox + oz * oz));
    EXPECT_EQ(motion.camera.boomRestLength, s.observerDistance);
    EXPECT_EQ(s.degToRad, rad);
    EXPECT_EQ(motion.viewer.viewAngle, (startHeadingValue - 270) * rad);
    EXPECT_EQ(s.followCameraStep,
              Setting(scene, FIELD_maxWalkSpeed) / Setting(scene, FIELD_followCameraSteps));
    EXPECT_EQ(s.followCameraFastStep, 10 * s.followCameraStep);
    EXPECT_EQ(s.driveCameraStep,
              Setting(scene, FIELD_maxDriveSpeed) / Setting(scene, FIELD_driveCameraSteps));
    EXPECT_EQ(s.driveCameraFastStep, 3 * s.driveCameraStep);
    EXPECT_EQ(s.followCollisionRadius, 2.5 * Setting(scene, FIELD_collisionRadius));
    EXPECT_EQ(motion.viewer.engineShake, Setting(scene, FIELD_engineShake));  // not view mode 2
    EXPECT_EQ(run.frameTick, run.lastFrameTime);
    EXPECT_EQ(s.jumpStep, Setting(scene, FIELD_jumpHeight) / 8);
    EXPECT_EQ(motion.viewer.currentAcceleration, Setting(scene, FIELD_driveAcceleration));
    EXPECT_EQ(s.collisionProbeSpeed, Setting(scene, FIELD_collisionRadius));
    EXPECT_EQ(s.maxDeflection, Setting(scene, FIELD_maxDeflection) * rad);
    EXPECT_EQ(s.driveMaxDeflection, Setting(scene, FIELD_driveMaxDeflection) * rad);
    EXPECT_EQ(s.collisionTurnDivisor, 1 / Setting(scene, FIELD_collisionTurnDivisor) * 100);
    ExpectSettingsAsInFile(s, scene, true, false);
}

TEST(SceneRoundTrip, ViewMode2LooksAtTheTargetAndCalmsTheEngine) {
    SceneDescription scene = EveryFeature();
    SetSetting(scene, FIELD_viewMode, 2);
    const SceneMotion& motion = LoadSceneText(FormatScene(scene)).motion;
    EXPECT_EQ(motion.viewer.lookTargetX, Setting(scene, FIELD_startTargetX));
    EXPECT_EQ(motion.viewer.lookTargetY, Setting(scene, FIELD_startTargetY));
    EXPECT_EQ(motion.viewer.lookTargetZ, Setting(scene, FIELD_startTargetZ));
    EXPECT_EQ(motion.camera.observerX, 0);  // only view modes 3 and 4 place the observer
    EXPECT_EQ(motion.viewer.engineShake, Setting(scene, FIELD_engineShake) / 2.4);
}

TEST(SceneRoundTrip, ALoadedModelWritesBackTheSameFile) {
    SceneDescription scene = EveryFeature();
    std::string text = FormatScene(scene);
    const Scene& read = ReadSceneText(text, KeepingSideKeys());
    SceneDescription described;
    DescribeLoadedScene(described, read);
    EXPECT_EQ(FormatScene(described), text);
}

TEST(SceneRoundTrip, WrittenFileEqualsFormattedText) {
    SceneDescription scene = EveryFeature();
    TempDir dir("writer");
    ASSERT_TRUE(WriteSceneFile(dir.File("Hod.pro"), scene));
    EXPECT_EQ(ReadWholeFile(dir.File("Hod.pro")), FormatScene(scene));
}

}  // namespace
