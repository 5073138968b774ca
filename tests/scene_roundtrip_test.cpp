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
    ResetSceneModel();
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

void ExpectTexturedList(const SceneDescription& scene) {
    ASSERT_EQ(texPolyVertexCount, (int)scene.texVertices.size());
    for (int v = 1; v <= texPolyVertexCount; ++v) {
        const SceneVertex& e = scene.texVertices[v - 1];
        SCOPED_TRACE("textured vertex " + std::to_string(v));
        EXPECT_EQ(texPolyColorR[v], e.red);
        EXPECT_EQ(texPolyColorG[v], e.green);
        EXPECT_EQ(texPolyColorB[v], e.blue);
        EXPECT_EQ(texPolyX[v], e.x);
        EXPECT_EQ(texPolyY[v], e.y);
        EXPECT_EQ(texPolyZ[v], e.z);
        EXPECT_EQ(texPolyEnd[v], v == texPolyVertexCount ? 1 : e.end);
        EXPECT_EQ(texPolyS[v], e.s);
        EXPECT_EQ(texPolyT[v], e.t);
        EXPECT_EQ(texPolyTexFlag[v - 1], e.texFlag);
        EXPECT_EQ(texPolyTexName[v - 1].text(), e.texName);
    }
}

void ExpectFlatList(const SceneDescription& scene) {
    ASSERT_EQ(flatPolyVertexCount, (int)scene.flatVertices.size());
    for (int v = 1; v <= flatPolyVertexCount; ++v) {
        const SceneFlatVertex& e = scene.flatVertices[v - 1];
        SCOPED_TRACE("plain vertex " + std::to_string(v));
        EXPECT_EQ(flatPolyColorR[v], e.red);
        EXPECT_EQ(flatPolyColorG[v], e.green);
        EXPECT_EQ(flatPolyColorB[v], e.blue);
        EXPECT_EQ(flatPolyX[v], e.x);
        EXPECT_EQ(flatPolyY[v], e.y);
        EXPECT_EQ(flatPolyZ[v], e.z);
        EXPECT_EQ(flatPolyEnd[v], e.end);
    }
}

void ExpectAvatar(const SceneDescription& scene) {
    ASSERT_EQ(avatarPolyVertexCount, (int)scene.avatarVertices.size());
    EXPECT_EQ(avatarHeadingOffset, scene.avatarHeadingOffset);
    for (int v = 1; v <= avatarPolyVertexCount; ++v) {
        const SceneVertex& e = scene.avatarVertices[v - 1];
        SCOPED_TRACE("avatar vertex " + std::to_string(v));
        EXPECT_EQ(avatarPolyColorR[v], StartsPolygon(scene.avatarVertices, v - 1) ? e.red : 0);
        EXPECT_EQ(avatarPolyJoint[v], e.joint);
        EXPECT_EQ(avatarPolyX[v], e.x);
        EXPECT_EQ(avatarPolyZ[v], e.z);
        EXPECT_EQ(avatarPolyEnd[v], v == avatarPolyVertexCount ? 1 : e.end);
        EXPECT_EQ(avatarPolyS[v], e.s);
        EXPECT_EQ(avatarPolyT[v], e.t);
        EXPECT_EQ(avatarPolyTexFlag[v - 1], e.texFlag);
        EXPECT_EQ(avatarPolyTexName[v - 1].text(), e.texName);
    }
    ASSERT_EQ(avatarJointCount, (int)scene.avatarJoints.size() - 1);
    for (int g = 0; g <= avatarJointCount; ++g) {
        for (int k = 0; k < POSE_COUNT; ++k) {
            const ScenePose& p = scene.avatarJoints[g].poses[k];
            SCOPED_TRACE("avatar joint " + std::to_string(g) + " pose " + std::to_string(k));
            EXPECT_EQ(avatarJointPivotX[g][k], p.pivot[0]);
            EXPECT_EQ(avatarJointPivotY[g][k], p.pivot[1]);
            EXPECT_EQ(avatarJointPivotZ[g][k], p.pivot[2]);
            EXPECT_EQ(avatarJointSwingZ[g][k], p.swing[0]);
            EXPECT_EQ(avatarJointSwingY[g][k], p.swing[1]);
            EXPECT_EQ(avatarJointSwingX[g][k], p.swing[2]);
            EXPECT_EQ(avatarJointTiltZ[g][k], p.tilt[0]);
            EXPECT_EQ(avatarJointTiltY[g][k], p.tilt[1]);
            EXPECT_EQ(avatarJointTiltX[g][k], p.tilt[2]);
            EXPECT_EQ(avatarJointStepZ[g][k], p.swing[0] / p.swingDivisor);
            EXPECT_EQ(avatarJointStepY[g][k], p.swing[1] / p.swingDivisor);
            EXPECT_EQ(avatarJointStepX[g][k], p.swing[2] / p.swingDivisor);
        }
    }
}

void ExpectActorParts(const SceneActor& a, int i) {
    ASSERT_EQ(actorPartVertexCount[i], (int)a.parts.size());
    for (int p = 1; p <= actorPartVertexCount[i]; ++p) {
        const SceneVertex& e = a.parts[p - 1];
        SCOPED_TRACE("part vertex " + std::to_string(p));
        EXPECT_EQ(partColorR(p, i), e.red);
        EXPECT_EQ(partColorG(p, i), e.green);
        EXPECT_EQ(partColorB(p, i), e.blue);
        EXPECT_EQ(partJoint(p, i), e.joint);
        EXPECT_EQ(partX(p, i), e.x);
        EXPECT_EQ(partY(p, i), e.y);
        EXPECT_EQ(partZ(p, i), e.z);
        EXPECT_EQ(partEnd(p, i), p == actorPartVertexCount[i] ? 1 : e.end);
        EXPECT_EQ(partS(p, i), e.s);
        EXPECT_EQ(partT(p, i), e.t);
        EXPECT_EQ(partTexFlag(p - 1, i), e.texFlag);
        EXPECT_EQ(partTexName(p - 1, i).text(), e.texName);
    }
    EXPECT_EQ(partEnd(0, i), 1);
}

void ExpectActorJoints(const SceneActor& a, int i) {
    ASSERT_EQ(actorJointCount[i], (int)a.joints.size() - 1);
    for (int j = 0; j <= actorJointCount[i]; ++j) {
        for (int k = 0; k < POSE_COUNT; ++k) {
            const ScenePose& p = a.joints[j].poses[k];
            SCOPED_TRACE("joint " + std::to_string(j) + " pose " + std::to_string(k));
            EXPECT_EQ(actorJointPivotX[j][k][i], p.pivot[0]);
            EXPECT_EQ(actorJointPivotY[j][k][i], p.pivot[1]);
            EXPECT_EQ(actorJointPivotZ[j][k][i], p.pivot[2]);
            EXPECT_EQ(actorJointSwingZ[j][k][i], p.swing[0]);
            EXPECT_EQ(actorJointSwingY[j][k][i], p.swing[1]);
            EXPECT_EQ(actorJointSwingX[j][k][i], p.swing[2]);
            EXPECT_EQ(actorJointStepZ[j][k][i], p.swing[0] / p.swingDivisor);
            EXPECT_EQ(actorJointStepY[j][k][i], p.swing[1] / p.swingDivisor);
            EXPECT_EQ(actorJointStepX[j][k][i], p.swing[2] / p.swingDivisor);
        }
    }
}

void ExpectActors(const SceneDescription& scene) {
    ASSERT_EQ(actorLastIndex, (int)scene.actors.size() - 1);
    EXPECT_EQ(partCapacity, scene.partCapacity);
    EXPECT_GE(partX.rows, (size_t)scene.partCapacity + 1);
    for (int i = 0; i <= actorLastIndex; ++i) {
        const SceneActor& a = scene.actors[i];
        SCOPED_TRACE("actor " + std::to_string(i));
        EXPECT_EQ(actorAvoidsObstacles[i], a.avoidsObstacles);
        EXPECT_EQ(actorUsesWaypoints[i], a.usesWaypoints);
        EXPECT_EQ(actorCullEnabled[i], a.cullEnabled);
        EXPECT_EQ(actorCullDistance[i], a.cullDistance);
        EXPECT_EQ(actorRangeLimited[i], a.rangeLimited);
        EXPECT_EQ(actorActiveRange[i], a.activeRange);
        ASSERT_EQ(actorWaypointCount[i], (int)a.waypoints.size());
        for (int w = 1; w <= actorWaypointCount[i]; ++w) {
            EXPECT_EQ(actorWaypointX(w, i), a.waypoints[w - 1].x);
            EXPECT_EQ(actorWaypointZ(w, i), a.waypoints[w - 1].z);
        }
        EXPECT_EQ(actorStartX[i], a.start[0]);
        EXPECT_EQ(actorStartY[i], a.start[1]);
        EXPECT_EQ(actorStartZ[i], a.start[2]);
        EXPECT_EQ(actorFrontX[i], a.front[0]);
        EXPECT_EQ(actorFrontY[i], a.front[1]);
        EXPECT_EQ(actorFrontZ[i], a.front[2]);
        EXPECT_EQ(actorStartHeading[i], a.startHeading);
        EXPECT_EQ(actorModelHeadingOffset[i], a.modelHeadingOffset);
        EXPECT_EQ(actorHeading[i], -a.startHeading);
        EXPECT_EQ(actorX[i], a.start[0]);
        EXPECT_EQ(actorZ[i], a.start[2]);
        EXPECT_EQ(actorState[i], 1);
        EXPECT_EQ(actorActive[i], 1);
        EXPECT_EQ(actorAccelerating[i], 1);
        EXPECT_EQ(actorBraking[i], 0);
        EXPECT_LE(actorTimer[i], 430);
        EXPECT_EQ(actorMaxSpeed[i], a.maxSpeed);
        EXPECT_EQ(actorCollisionRadius[i], a.collisionRadius);
        EXPECT_EQ(actorCollisionRadiusCopy[i], a.collisionRadius);
        ExpectActorParts(a, i);
        ExpectActorJoints(a, i);
    }
}

void ExpectSettingsAsInFile(const SceneDescription& scene, bool derivedApplied) {
    for (int k = 0; k < SCENE_SETTING_COUNT; ++k) {
        const SettingSlot& slot = sceneSettingSlots[k];
        SceneField f = slot.field;
        bool changedAtLoad = f == FIELD_maxDeflection || f == FIELD_driveMaxDeflection ||
                             f == FIELD_collisionTurnDivisor || f == FIELD_engineShake;
        if (derivedApplied && changedAtLoad) continue;
        if (f == FIELD_sideKeyMode && !keepSideKeyMode) continue;  // forced to 2
        double got = slot.intValue ? *slot.intValue : *slot.decimalValue;
        EXPECT_EQ(got, scene.settings[k]) << sceneFieldInfo[f].name;
    }
    EXPECT_EQ(clearRed, scene.clear[0]);
    EXPECT_EQ(clearGreen, scene.clear[1]);
    EXPECT_EQ(clearBlue, scene.clear[2]);
}

void ExpectWholeScene(const SceneDescription& scene) {
    EXPECT_EQ(readStatus, READ_OK);
    ExpectTexturedList(scene);
    ExpectFlatList(scene);
    ExpectAvatar(scene);
    ExpectActors(scene);
    ASSERT_EQ(obstacleCount, (int)scene.obstacles.size());
    for (int w = 1; w <= obstacleCount; ++w) {
        EXPECT_EQ(obstacleX[w], scene.obstacles[w - 1].x);
        EXPECT_EQ(obstacleZ[w], scene.obstacles[w - 1].z);
    }
}

double Setting(const SceneDescription& scene, SceneField field) { return GetSetting(scene, field); }

TEST(SceneRoundTrip, EveryTableAndSettingReadsBackEqual) {
    SceneDescription scene = EveryFeature();
    keepSideKeyMode = 1;
    LoadSceneText(FormatScene(scene));
    SetClosingSentinels();
    ExpectWholeScene(scene);
    ExpectSettingsAsInFile(scene, true);
    keepSideKeyMode = 0;
}

TEST(SceneRoundTrip, CrLfLineEndsReadTheSame) {
    SceneDescription scene = EveryFeature();
    SceneWriteOptions crlf;
    crlf.crlf = true;
    keepSideKeyMode = 1;
    LoadSceneText(FormatScene(scene, crlf));
    SetClosingSentinels();
    keepSideKeyMode = 0;
    ExpectWholeScene(scene);
}

TEST(SceneRoundTrip, DerivedValuesFollowTheFileValues) {
    SceneDescription scene = EveryFeature();
    LoadSceneText(FormatScene(scene));
    const double rad = 0.017453292519943295;
    double startHeadingValue = Setting(scene, FIELD_startHeading);
    EXPECT_EQ(sideKeyMode, 2);
    EXPECT_EQ(viewer.heading, -startHeadingValue);
    EXPECT_EQ(viewer.followHeading, viewer.heading);
    // View mode 3: the observer starts at its position, the viewer looks at itself.
    EXPECT_EQ(observerX, Setting(scene, FIELD_observerStartX));
    EXPECT_EQ(observerY, Setting(scene, FIELD_observerStartY));
    EXPECT_EQ(observerZ, Setting(scene, FIELD_observerStartZ));
    EXPECT_EQ(viewer.viewerX, Setting(scene, FIELD_startEyeX));
    EXPECT_EQ(viewer.viewerEyeY, Setting(scene, FIELD_startEyeY));
    EXPECT_EQ(viewer.viewerZ, Setting(scene, FIELD_startEyeZ));
    EXPECT_EQ(viewer.lookTargetX, viewer.viewerX);
    EXPECT_EQ(viewer.lookTargetY, viewer.viewerEyeY);
    EXPECT_EQ(viewer.lookTargetZ, viewer.viewerZ);
    double dx = Setting(scene, FIELD_startEyeX) - Setting(scene, FIELD_startTargetX);
    double dz = Setting(scene, FIELD_startEyeZ) - Setting(scene, FIELD_startTargetZ);
    EXPECT_EQ(lookDistance, std::sqrt(dx * dx + dz * dz));
    double ox = Setting(scene, FIELD_observerStartX) - Setting(scene, FIELD_observerTargetX);
    double oz = Setting(scene, FIELD_observerStartZ) - Setting(scene, FIELD_observerTargetZ);
    EXPECT_EQ(observerDistance, std::sqrt(ox * ox + oz * oz));
    EXPECT_EQ(boomRestLength, observerDistance);
    EXPECT_EQ(degToRad, rad);
    EXPECT_EQ(viewer.viewAngle, (startHeadingValue - 270) * rad);
    EXPECT_EQ(followCameraStep,
              Setting(scene, FIELD_maxWalkSpeed) / Setting(scene, FIELD_followCameraSteps));
    EXPECT_EQ(followCameraFastStep, 10 * followCameraStep);
    EXPECT_EQ(driveCameraStep,
              Setting(scene, FIELD_maxDriveSpeed) / Setting(scene, FIELD_driveCameraSteps));
    EXPECT_EQ(driveCameraFastStep, 3 * driveCameraStep);
    EXPECT_EQ(followCollisionRadius, 2.5 * Setting(scene, FIELD_collisionRadius));
    EXPECT_EQ(engineShake, Setting(scene, FIELD_engineShake));  // not view mode 2
    EXPECT_EQ(frameTick, lastFrameTime);
    EXPECT_EQ(jumpStep, Setting(scene, FIELD_jumpHeight) / 8);
    EXPECT_EQ(viewer.currentAcceleration, Setting(scene, FIELD_driveAcceleration));
    EXPECT_EQ(collisionProbeSpeed, Setting(scene, FIELD_collisionRadius));
    EXPECT_EQ(maxDeflection, Setting(scene, FIELD_maxDeflection) * rad);
    EXPECT_EQ(driveMaxDeflection, Setting(scene, FIELD_driveMaxDeflection) * rad);
    EXPECT_EQ(collisionTurnDivisor, 1 / Setting(scene, FIELD_collisionTurnDivisor) * 100);
    ExpectSettingsAsInFile(scene, true);
}

TEST(SceneRoundTrip, ViewMode2LooksAtTheTargetAndCalmsTheEngine) {
    SceneDescription scene = EveryFeature();
    SetSetting(scene, FIELD_viewMode, 2);
    observerX = observerY = observerZ = -99;
    LoadSceneText(FormatScene(scene));
    EXPECT_EQ(viewer.lookTargetX, Setting(scene, FIELD_startTargetX));
    EXPECT_EQ(viewer.lookTargetY, Setting(scene, FIELD_startTargetY));
    EXPECT_EQ(viewer.lookTargetZ, Setting(scene, FIELD_startTargetZ));
    EXPECT_EQ(observerX, -99);  // only view modes 3 and 4 place the observer
    EXPECT_EQ(engineShake, Setting(scene, FIELD_engineShake) / 2.4);
}

TEST(SceneRoundTrip, ALoadedModelWritesBackTheSameFile) {
    SceneDescription scene = EveryFeature();
    std::string text = FormatScene(scene);
    keepSideKeyMode = 1;
    ReadSceneText(text);
    keepSideKeyMode = 0;
    SceneDescription described;
    DescribeLoadedScene(described);
    EXPECT_EQ(FormatScene(described), text);
}

TEST(SceneRoundTrip, WrittenFileEqualsFormattedText) {
    SceneDescription scene = EveryFeature();
    TempDir dir("writer");
    ASSERT_TRUE(WriteSceneFile(dir.File("Hod.pro"), scene));
    EXPECT_EQ(ReadWholeFile(dir.File("Hod.pro")), FormatScene(scene));
}

}  // namespace
