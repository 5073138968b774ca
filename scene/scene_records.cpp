// scene_records.cpp -- the loader's record readers: obstacle points, the three
// actor blocks with waypoints, parts and joints, the avatar, and the vertex
// records of the four polygon lists, with the work done while reading.
#include "scene/scene_records.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "scene/scene.h"
#include "scene/scene_diagnostics.h"
#include "scene/scene_reader.h"

void ReadCount(SceneReader& r, int& count, SceneField field, long long lowest, long long highest,
               bool recordsFollow) {
    int value = count;
    ReadInt(r, value, field);
    if (r.status != READ_OK) {  // end of file keeps it; a malformed token gave 0
        count = value;
        return;
    }
    if (recordsFollow) highest = std::min(highest, (long long)BytesLeft(r) / MIN_RECORD_BYTES);
    if (value < lowest || value > highest) {
        FailRead(r, READ_OUT_OF_RANGE, field, r.tokenStart, value, highest);
        return;
    }
    count = value;
}

// ---- Warnings, made only while checking, about the token just read.

static void CheckJointNumber(SceneReader& r, int joint, SceneField field) {
    if (r.status == READ_OK && joint != NO_JOINT && (joint < 0 || joint >= JOINT_CAPACITY))
        ReportSceneDiagnostic(r, DIAG_JOINT_NUMBER, field, r.tokenStart, joint, 0);
}

static void CheckTextureFlag(SceneReader& r, int flag, SceneField field) {
    if (r.status == READ_OK && flag != 0 && flag != 1)
        ReportSceneDiagnostic(r, DIAG_TEXTURE_FLAG, field, r.tokenStart, flag, 0);
}

// A marker that could start a number means the vertex line had no name and
// the next line's numbers were taken for one. A name longer than its slot is
// cut, and the program then looks for a file that is not there.
static void CheckTextureName(SceneReader& r, SceneField field) {
    if (r.status != READ_OK) return;
    char marker = *r.tokenStart;
    if ((marker >= '0' && marker <= '9') || marker == '-' || marker == '+' || marker == '.')
        ReportSceneDiagnostic(r, DIAG_NAME_MISSING, field, r.tokenStart, 0, 0);
    const char* name = r.tokenStart + 1;
    const char* lineEnd = r.cursor;  // after the line end, or the end of the text
    if (lineEnd > name && lineEnd[-1] == '\n') --lineEnd;
    if (lineEnd > name && lineEnd[-1] == '\r') --lineEnd;
    if (lineEnd - name > TEX_NAME_LENGTH)
        ReportSceneDiagnostic(r, DIAG_NAME_CUT, field, name, lineEnd - name, TEX_NAME_LENGTH);
}

// ---- Obstacles and actors.

void ReadObstaclePoints(SceneReader& r) {
    Scene& s = r.scene;
    for (int w = 1; w <= s.obstacleCount; ++w) {
        r.at.obstacleIndex = w;
        ReadDecimal(r, s.obstacleX[w], FIELD_obstacleX);
        ReadDecimal(r, s.obstacleZ[w], FIELD_obstacleZ);
    }
}

void ReadActorBlock1(SceneReader& r) {
    Scene& s = r.scene;
    for (int i = 0; i <= s.actorLastIndex; ++i) {
        r.at.actorIndex = i;
        ReadInt(r, s.actorAvoidsObstacles[i], FIELD_actorAvoidsObstacles);
        ReadInt(r, s.actorUsesWaypoints[i], FIELD_actorUsesWaypoints);
        ReadInt(r, s.actorCullEnabled[i], FIELD_actorCullEnabled);
        ReadDecimal(r, s.actorCullDistance[i], FIELD_actorCullDistance);
        ReadInt(r, s.actorRangeLimited[i], FIELD_actorRangeLimited);
        ReadDecimal(r, s.actorActiveRange[i], FIELD_actorActiveRange);
        ReadCount(r, s.actorWaypointCount[i], FIELD_actorWaypointCount, INT32_MIN, INT32_MAX, true);
    }
}

void ReadWaypoints(SceneReader& r) {
    Scene& s = r.scene;
    for (int i = 0; i <= s.actorLastIndex; ++i) {
        r.at.actorIndex = i;
        for (int w = 1; w <= s.actorWaypointCount[i]; ++w) {
            r.at.waypointIndex = w;
            ReadDecimal(r, s.actorWaypointX(w, i), FIELD_actorWaypointX);
            ReadDecimal(r, s.actorWaypointZ(w, i), FIELD_actorWaypointZ);
        }
    }
}

// Divides each swing of one avatar pose by the divisor just read.
static void SetAvatarSwingSteps(Scene& s, int g, int k) {
    s.avatarJointStepZ[g][k] = s.avatarJointSwingZ[g][k] / s.swingDivisor;
    s.avatarJointStepY[g][k] = s.avatarJointSwingY[g][k] / s.swingDivisor;
    s.avatarJointStepX[g][k] = s.avatarJointSwingX[g][k] / s.swingDivisor;
}

void ReadAvatarJoints(SceneReader& r) {
    Scene& s = r.scene;
    ReadCount(r, s.avatarJointCount, FIELD_avatarJointCount, INT32_MIN, JOINT_CAPACITY - 1, false);
    for (int g = 0; g <= s.avatarJointCount; ++g) {
        r.at.jointIndex = g;
        for (int k = 0; k < POSE_COUNT; ++k) {
            r.at.poseIndex = k;
            ReadDecimal(r, s.avatarJointPivotX[g][k], FIELD_avatarJointPivotX);
            ReadDecimal(r, s.avatarJointPivotY[g][k], FIELD_avatarJointPivotY);
            ReadDecimal(r, s.avatarJointPivotZ[g][k], FIELD_avatarJointPivotZ);
            ReadDecimal(r, s.avatarJointSwingZ[g][k], FIELD_avatarJointSwingZ);
            ReadDecimal(r, s.avatarJointSwingY[g][k], FIELD_avatarJointSwingY);
            ReadDecimal(r, s.avatarJointSwingX[g][k], FIELD_avatarJointSwingX);
            ReadDecimal(r, s.avatarJointTiltZ[g][k], FIELD_avatarJointTiltZ);
            ReadDecimal(r, s.avatarJointTiltY[g][k], FIELD_avatarJointTiltY);
            ReadDecimal(r, s.avatarJointTiltX[g][k], FIELD_avatarJointTiltX);
            ReadDecimal(r, s.swingDivisor, FIELD_avatarSwingDivisor);
            SetAvatarSwingSteps(s, g, k);
        }
    }
}

// The longest part list actor i's column holds. With M < 1 the part tables
// keep the size the preparation gave them, and an actor with no polygons
// (a count of 0 or less) must still be read, or its start and everything
// after it would be lost.
static long long PartCountLimit(const Scene& s, int i) {
    if (s.partCapacity >= 1) return s.partCapacity;
    if ((size_t)i >= s.partX.cols || s.partX.rows < 1) return 0;
    return (long long)s.partX.rows - 1;
}

void ReadActorBlock2(SceneReader& r) {
    Scene& s = r.scene;
    for (int i = 0; i <= s.actorLastIndex; ++i) {
        r.at.actorIndex = i;
        ReadCount(r, s.actorPartVertexCount[i], FIELD_actorPartVertexCount, INT32_MIN,
                  PartCountLimit(s, i), true);
        if ((size_t)i < s.partEnd.cols) s.partEnd(0, i) = 1;
        ReadDecimal(r, s.actorStartX[i], FIELD_actorStartX);
        ReadDecimal(r, s.actorStartY[i], FIELD_actorStartY);
        ReadDecimal(r, s.actorStartZ[i], FIELD_actorStartZ);
        ReadDecimal(r, s.actorFrontX[i], FIELD_actorFrontX);
        ReadDecimal(r, s.actorFrontY[i], FIELD_actorFrontY);
        ReadDecimal(r, s.actorFrontZ[i], FIELD_actorFrontZ);
        ReadDecimal(r, s.actorStartHeading[i], FIELD_actorStartHeading);
        ReadDecimal(r, s.actorModelHeadingOffset[i], FIELD_actorModelHeadingOffset);
    }
}

// Divides each swing of one actor pose by the divisor just read.
static void SetActorSwingSteps(Scene& s, int j, int k, int i) {
    s.actorJointStepZ[j][k][i] = s.actorJointSwingZ[j][k][i] / s.swingDivisor;
    s.actorJointStepY[j][k][i] = s.actorJointSwingY[j][k][i] / s.swingDivisor;
    s.actorJointStepX[j][k][i] = s.actorJointSwingX[j][k][i] / s.swingDivisor;
}

void ReadActorBlock3(SceneReader& r) {
    Scene& s = r.scene;
    for (int i = 0; i <= s.actorLastIndex; ++i) {
        r.at.actorIndex = i;
        ReadDecimal(r, s.actorMaxSpeed[i], FIELD_actorMaxSpeed);
        ReadDecimal(r, s.actorCollisionRadius[i], FIELD_actorCollisionRadius);
        s.actorCollisionRadiusCopy[i] = s.actorCollisionRadius[i];
        ReadCount(r, s.actorJointCount[i], FIELD_actorJointCount, INT32_MIN, JOINT_CAPACITY - 1, false);
        for (int j = 0; j <= s.actorJointCount[i]; ++j) {
            r.at.jointIndex = j;
            for (int k = 0; k < POSE_COUNT; ++k) {
                r.at.poseIndex = k;
                ReadDecimal(r, s.actorJointPivotX[j][k][i], FIELD_actorJointPivotX);
                ReadDecimal(r, s.actorJointPivotY[j][k][i], FIELD_actorJointPivotY);
                ReadDecimal(r, s.actorJointPivotZ[j][k][i], FIELD_actorJointPivotZ);
                ReadDecimal(r, s.actorJointSwingZ[j][k][i], FIELD_actorJointSwingZ);
                ReadDecimal(r, s.actorJointSwingY[j][k][i], FIELD_actorJointSwingY);
                ReadDecimal(r, s.actorJointSwingX[j][k][i], FIELD_actorJointSwingX);
                ReadDecimal(r, s.swingDivisor, FIELD_actorSwingDivisor);
                SetActorSwingSteps(s, j, k, i);
            }
        }
    }
}

// ---- Vertex records. A colour precedes a vertex only when the vertex
// before it ended a polygon; figure vertices carry a joint number, textured
// ones a texture slot at v-1.

void ReadAvatarVertices(SceneReader& r) {
    Scene& s = r.scene;
    for (int v = 1; v <= s.avatarPolyVertexCount; ++v) {
        r.at.avatarPolyIndex = v;
        if (s.avatarPolyEnd[v - 1] == 1) {
            ReadDecimal(r, s.avatarPolyColorR[v], FIELD_avatarPolyColorR);
            ReadDecimal(r, s.avatarPolyColorG[v], FIELD_avatarPolyColorG);
            ReadDecimal(r, s.avatarPolyColorB[v], FIELD_avatarPolyColorB);
        }
        ReadInt(r, s.avatarPolyJoint[v], FIELD_avatarPolyJoint);
        if (r.Checking()) CheckJointNumber(r, s.avatarPolyJoint[v], FIELD_avatarPolyJoint);
        ReadDecimal(r, s.avatarPolyX[v], FIELD_avatarPolyX);
        ReadDecimal(r, s.avatarPolyY[v], FIELD_avatarPolyY);
        ReadDecimal(r, s.avatarPolyZ[v], FIELD_avatarPolyZ);
        ReadInt(r, s.avatarPolyEnd[v], FIELD_avatarPolyEnd);
        ReadDecimal(r, s.avatarPolyS[v], FIELD_avatarPolyS);
        ReadDecimal(r, s.avatarPolyT[v], FIELD_avatarPolyT);
        ReadInt(r, s.avatarPolyTexFlag[v - 1], FIELD_avatarPolyTexFlag);
        if (r.Checking()) CheckTextureFlag(r, s.avatarPolyTexFlag[v - 1], FIELD_avatarPolyTexFlag);
        ReadTextureName(r, s.avatarPolyTexName[v - 1], FIELD_avatarPolyTexName);
        if (r.Checking()) CheckTextureName(r, FIELD_avatarPolyTexName);
    }
}

// Part vertices of actor i, on that actor's rows of the part grids.
static void ReadActorParts(SceneReader& r, int i) {
    Scene& sc = r.scene;
    double *red = sc.partColorR.Column(i), *green = sc.partColorG.Column(i),
           *blue = sc.partColorB.Column(i);
    double *x = sc.partX.Column(i), *y = sc.partY.Column(i), *z = sc.partZ.Column(i);
    double *s = sc.partS.Column(i), *t = sc.partT.Column(i);
    int *joint = sc.partJoint.Column(i), *end = sc.partEnd.Column(i),
        *flag = sc.partTexFlag.Column(i);
    TexName* name = sc.partTexName.Column(i);
    int count = sc.actorPartVertexCount[i];
    for (int p = 1; p <= count; ++p) {
        r.at.partIndex = p;
        if (end[p - 1] == 1) {
            ReadDecimal(r, red[p], FIELD_partColorR);
            ReadDecimal(r, green[p], FIELD_partColorG);
            ReadDecimal(r, blue[p], FIELD_partColorB);
        }
        ReadInt(r, joint[p], FIELD_partJoint);
        if (r.Checking()) CheckJointNumber(r, joint[p], FIELD_partJoint);
        ReadDecimal(r, x[p], FIELD_partX);
        ReadDecimal(r, y[p], FIELD_partY);
        ReadDecimal(r, z[p], FIELD_partZ);
        ReadInt(r, end[p], FIELD_partEnd);
        ReadDecimal(r, s[p], FIELD_partS);
        ReadDecimal(r, t[p], FIELD_partT);
        ReadInt(r, flag[p - 1], FIELD_partTexFlag);
        if (r.Checking()) CheckTextureFlag(r, flag[p - 1], FIELD_partTexFlag);
        ReadTextureName(r, name[p - 1], FIELD_partTexName);
        if (r.Checking()) CheckTextureName(r, FIELD_partTexName);
    }
}

void ReadPartVertices(SceneReader& r) {
    Scene& s = r.scene;
    for (int i = 0; i <= s.actorLastIndex; ++i) {
        r.at.actorIndex = i;
        if (s.actorPartVertexCount[i] >= 1) ReadActorParts(r, i);
    }
}

void ReadTexturedVertices(SceneReader& r) {
    Scene& s = r.scene;
    for (int v = 1; v <= s.texPolyVertexCount; ++v) {
        r.at.texPolyIndex = v;
        if (s.texPolyEnd[v - 1] == 1) {
            ReadDecimal(r, s.texPolyColorR[v], FIELD_texPolyColorR);
            ReadDecimal(r, s.texPolyColorG[v], FIELD_texPolyColorG);
            ReadDecimal(r, s.texPolyColorB[v], FIELD_texPolyColorB);
        }
        ReadDecimal(r, s.texPolyX[v], FIELD_texPolyX);
        ReadDecimal(r, s.texPolyY[v], FIELD_texPolyY);
        ReadDecimal(r, s.texPolyZ[v], FIELD_texPolyZ);
        ReadInt(r, s.texPolyEnd[v], FIELD_texPolyEnd);
        ReadDecimal(r, s.texPolyS[v], FIELD_texPolyS);
        ReadDecimal(r, s.texPolyT[v], FIELD_texPolyT);
        ReadInt(r, s.texPolyTexFlag[v - 1], FIELD_texPolyTexFlag);
        if (r.Checking()) CheckTextureFlag(r, s.texPolyTexFlag[v - 1], FIELD_texPolyTexFlag);
        ReadTextureName(r, s.texPolyTexName[v - 1], FIELD_texPolyTexName);
        if (r.Checking()) CheckTextureName(r, FIELD_texPolyTexName);
    }
}
