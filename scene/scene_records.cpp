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

bool sceneChecking;


void ReadCount(int& count, SceneField field, long long lowest, long long highest,
               bool recordsFollow) {
    int value = count;
    ReadInt(value, field);
    if (readStatus != READ_OK) {  // end of file keeps it; a malformed token gave 0
        count = value;
        return;
    }
    if (recordsFollow) highest = std::min(highest, (long long)BytesLeft() / MIN_RECORD_BYTES);
    if (value < lowest || value > highest) {
        FailRead(READ_OUT_OF_RANGE, field, readTokenStart, value, highest);
        return;
    }
    count = value;
}

// ---- Warnings, made only while checking, about the token just read.

static void CheckJointNumber(int joint, SceneField field) {
    if (readStatus == READ_OK && joint != NO_JOINT && (joint < 0 || joint >= JOINT_CAPACITY))
        ReportSceneDiagnostic(DIAG_JOINT_NUMBER, field, readTokenStart, joint, 0);
}

static void CheckTextureFlag(int flag, SceneField field) {
    if (readStatus == READ_OK && flag != 0 && flag != 1)
        ReportSceneDiagnostic(DIAG_TEXTURE_FLAG, field, readTokenStart, flag, 0);
}

// A marker that could start a number means the vertex line had no name and
// the next line's numbers were taken for one. A name longer than its slot is
// cut, and the program then looks for a file that is not there.
static void CheckTextureName(SceneField field) {
    if (readStatus != READ_OK) return;
    char marker = *readTokenStart;
    if ((marker >= '0' && marker <= '9') || marker == '-' || marker == '+' || marker == '.')
        ReportSceneDiagnostic(DIAG_NAME_MISSING, field, readTokenStart, 0, 0);
    const char* name = readTokenStart + 1;
    const char* lineEnd = readCursor;  // after the line end, or the end of the text
    if (lineEnd > name && lineEnd[-1] == '\n') --lineEnd;
    if (lineEnd > name && lineEnd[-1] == '\r') --lineEnd;
    if (lineEnd - name > TEX_NAME_LENGTH)
        ReportSceneDiagnostic(DIAG_NAME_CUT, field, name, lineEnd - name, TEX_NAME_LENGTH);
}

// ---- Obstacles and actors.

void ReadObstaclePoints() {
    for (int w = 1; w <= obstacleCount; ++w) {
        obstacleIndex = w;
        ReadDecimal(obstacleX[w], FIELD_obstacleX);
        ReadDecimal(obstacleZ[w], FIELD_obstacleZ);
    }
}

void ReadActorBlock1() {
    for (int i = 0; i <= actorLastIndex; ++i) {
        actorIndex = i;
        ReadInt(actorAvoidsObstacles[i], FIELD_actorAvoidsObstacles);
        ReadInt(actorUsesWaypoints[i], FIELD_actorUsesWaypoints);
        ReadInt(actorCullEnabled[i], FIELD_actorCullEnabled);
        ReadDecimal(actorCullDistance[i], FIELD_actorCullDistance);
        ReadInt(actorRangeLimited[i], FIELD_actorRangeLimited);
        ReadDecimal(actorActiveRange[i], FIELD_actorActiveRange);
        ReadCount(actorWaypointCount[i], FIELD_actorWaypointCount, INT32_MIN, INT32_MAX, true);
    }
}

void ReadWaypoints() {
    for (int i = 0; i <= actorLastIndex; ++i) {
        actorIndex = i;
        for (int w = 1; w <= actorWaypointCount[i]; ++w) {
            waypointIndex = w;
            ReadDecimal(actorWaypointX(w, i), FIELD_actorWaypointX);
            ReadDecimal(actorWaypointZ(w, i), FIELD_actorWaypointZ);
        }
    }
}

// Divides each swing of one avatar pose by the divisor just read.
static void SetAvatarSwingSteps(int g, int k) {
    avatarJointStepZ[g][k] = avatarJointSwingZ[g][k] / swingDivisor;
    avatarJointStepY[g][k] = avatarJointSwingY[g][k] / swingDivisor;
    avatarJointStepX[g][k] = avatarJointSwingX[g][k] / swingDivisor;
}

void ReadAvatarJoints() {
    ReadCount(avatarJointCount, FIELD_avatarJointCount, INT32_MIN, JOINT_CAPACITY - 1, false);
    for (int g = 0; g <= avatarJointCount; ++g) {
        jointIndex = g;
        for (int k = 0; k < POSE_COUNT; ++k) {
            poseIndex = k;
            ReadDecimal(avatarJointPivotX[g][k], FIELD_avatarJointPivotX);
            ReadDecimal(avatarJointPivotY[g][k], FIELD_avatarJointPivotY);
            ReadDecimal(avatarJointPivotZ[g][k], FIELD_avatarJointPivotZ);
            ReadDecimal(avatarJointSwingZ[g][k], FIELD_avatarJointSwingZ);
            ReadDecimal(avatarJointSwingY[g][k], FIELD_avatarJointSwingY);
            ReadDecimal(avatarJointSwingX[g][k], FIELD_avatarJointSwingX);
            ReadDecimal(avatarJointTiltZ[g][k], FIELD_avatarJointTiltZ);
            ReadDecimal(avatarJointTiltY[g][k], FIELD_avatarJointTiltY);
            ReadDecimal(avatarJointTiltX[g][k], FIELD_avatarJointTiltX);
            ReadDecimal(swingDivisor, FIELD_avatarSwingDivisor);
            SetAvatarSwingSteps(g, k);
        }
    }
}

// The timer seed of actor i: |start x| shrunk by a per-actor divisor until
// it is at most 430 frames.
static int ActorTimerSeed(int i, double startX) {
    static const int FIRST_DIVISORS[4] = {10, 5, 13, 7};  // actors 0..3; later actors use i
    int divisor = i < 4 ? FIRST_DIVISORS[i] : i;
    int t = SaturateToInt(std::fabs(std::trunc(startX)));
    while (t > 430) t /= divisor / 2;
    return t;
}

// An actor's motion state at its start position.
static void PlaceActorAtStart(int i) {
    actorHeading[i] = -actorStartHeading[i];
    actorX[i] = actorStartX[i];
    actorZ[i] = actorStartZ[i];
    actorState[i] = 1;
    actorActive[i] = 1;
    actorAccelerating[i] = 1;
    actorBraking[i] = 0;
    actorTimer[i] = ActorTimerSeed(i, actorStartX[i]);
}

// The longest part list actor i's column holds. With M < 1 the part tables
// keep the size the preparation gave them, and an actor with no polygons
// (a count of 0 or less) must still be read, or its start and everything
// after it would be lost.
static long long PartCountLimit(int i) {
    if (partCapacity >= 1) return partCapacity;
    if ((size_t)i >= partX.cols || partX.rows < 1) return 0;
    return (long long)partX.rows - 1;
}

void ReadActorBlock2() {
    for (int i = 0; i <= actorLastIndex; ++i) {
        actorIndex = i;
        ReadCount(actorPartVertexCount[i], FIELD_actorPartVertexCount, INT32_MIN,
                  PartCountLimit(i), true);
        if ((size_t)i < partEnd.cols) partEnd(0, i) = 1;
        ReadDecimal(actorStartX[i], FIELD_actorStartX);
        ReadDecimal(actorStartY[i], FIELD_actorStartY);
        ReadDecimal(actorStartZ[i], FIELD_actorStartZ);
        ReadDecimal(actorFrontX[i], FIELD_actorFrontX);
        ReadDecimal(actorFrontY[i], FIELD_actorFrontY);
        ReadDecimal(actorFrontZ[i], FIELD_actorFrontZ);
        ReadDecimal(actorStartHeading[i], FIELD_actorStartHeading);
        ReadDecimal(actorModelHeadingOffset[i], FIELD_actorModelHeadingOffset);
        PlaceActorAtStart(i);
    }
}

// Divides each swing of one actor pose by the divisor just read.
static void SetActorSwingSteps(int j, int k, int i) {
    actorJointStepZ[j][k][i] = actorJointSwingZ[j][k][i] / swingDivisor;
    actorJointStepY[j][k][i] = actorJointSwingY[j][k][i] / swingDivisor;
    actorJointStepX[j][k][i] = actorJointSwingX[j][k][i] / swingDivisor;
}

void ReadActorBlock3() {
    for (int i = 0; i <= actorLastIndex; ++i) {
        actorIndex = i;
        ReadDecimal(actorMaxSpeed[i], FIELD_actorMaxSpeed);
        ReadDecimal(actorCollisionRadius[i], FIELD_actorCollisionRadius);
        actorCollisionRadiusCopy[i] = actorCollisionRadius[i];
        ReadCount(actorJointCount[i], FIELD_actorJointCount, INT32_MIN, JOINT_CAPACITY - 1, false);
        for (int j = 0; j <= actorJointCount[i]; ++j) {
            jointIndex = j;
            for (int k = 0; k < POSE_COUNT; ++k) {
                poseIndex = k;
                ReadDecimal(actorJointPivotX[j][k][i], FIELD_actorJointPivotX);
                ReadDecimal(actorJointPivotY[j][k][i], FIELD_actorJointPivotY);
                ReadDecimal(actorJointPivotZ[j][k][i], FIELD_actorJointPivotZ);
                ReadDecimal(actorJointSwingZ[j][k][i], FIELD_actorJointSwingZ);
                ReadDecimal(actorJointSwingY[j][k][i], FIELD_actorJointSwingY);
                ReadDecimal(actorJointSwingX[j][k][i], FIELD_actorJointSwingX);
                ReadDecimal(swingDivisor, FIELD_actorSwingDivisor);
                SetActorSwingSteps(j, k, i);
            }
        }
    }
}

// ---- Vertex records. A colour precedes a vertex only when the vertex
// before it ended a polygon; figure vertices carry a joint number, textured
// ones a texture slot at v-1.

void ReadAvatarVertices() {
    for (int v = 1; v <= avatarPolyVertexCount; ++v) {
        avatarPolyIndex = v;
        if (avatarPolyEnd[v - 1] == 1) {
            ReadDecimal(avatarPolyColorR[v], FIELD_avatarPolyColorR);
            ReadDecimal(avatarPolyColorG[v], FIELD_avatarPolyColorG);
            ReadDecimal(avatarPolyColorB[v], FIELD_avatarPolyColorB);
        }
        ReadInt(avatarPolyJoint[v], FIELD_avatarPolyJoint);
        if (sceneChecking) CheckJointNumber(avatarPolyJoint[v], FIELD_avatarPolyJoint);
        ReadDecimal(avatarPolyX[v], FIELD_avatarPolyX);
        ReadDecimal(avatarPolyY[v], FIELD_avatarPolyY);
        ReadDecimal(avatarPolyZ[v], FIELD_avatarPolyZ);
        ReadInt(avatarPolyEnd[v], FIELD_avatarPolyEnd);
        ReadDecimal(avatarPolyS[v], FIELD_avatarPolyS);
        ReadDecimal(avatarPolyT[v], FIELD_avatarPolyT);
        ReadInt(avatarPolyTexFlag[v - 1], FIELD_avatarPolyTexFlag);
        if (sceneChecking) CheckTextureFlag(avatarPolyTexFlag[v - 1], FIELD_avatarPolyTexFlag);
        ReadTextureName(avatarPolyTexName[v - 1], FIELD_avatarPolyTexName);
        if (sceneChecking) CheckTextureName(FIELD_avatarPolyTexName);
    }
}

// Part vertices of actor i, on that actor's rows of the part grids.
static void ReadActorParts(int i) {
    double *red = partColorR.Column(i), *green = partColorG.Column(i), *blue = partColorB.Column(i);
    double *x = partX.Column(i), *y = partY.Column(i), *z = partZ.Column(i);
    double *s = partS.Column(i), *t = partT.Column(i);
    int *joint = partJoint.Column(i), *end = partEnd.Column(i), *flag = partTexFlag.Column(i);
    TexName* name = partTexName.Column(i);
    for (int p = 1; p <= actorPartVertexCount[i]; ++p) {
        partIndex = p;
        if (end[p - 1] == 1) {
            ReadDecimal(red[p], FIELD_partColorR);
            ReadDecimal(green[p], FIELD_partColorG);
            ReadDecimal(blue[p], FIELD_partColorB);
        }
        ReadInt(joint[p], FIELD_partJoint);
        if (sceneChecking) CheckJointNumber(joint[p], FIELD_partJoint);
        ReadDecimal(x[p], FIELD_partX);
        ReadDecimal(y[p], FIELD_partY);
        ReadDecimal(z[p], FIELD_partZ);
        ReadInt(end[p], FIELD_partEnd);
        ReadDecimal(s[p], FIELD_partS);
        ReadDecimal(t[p], FIELD_partT);
        ReadInt(flag[p - 1], FIELD_partTexFlag);
        if (sceneChecking) CheckTextureFlag(flag[p - 1], FIELD_partTexFlag);
        ReadTextureName(name[p - 1], FIELD_partTexName);
        if (sceneChecking) CheckTextureName(FIELD_partTexName);
    }
}

void ReadPartVertices() {
    for (int i = 0; i <= actorLastIndex; ++i) {
        actorIndex = i;
        if (actorPartVertexCount[i] >= 1) ReadActorParts(i);
    }
}

void ReadTexturedVertices() {
    for (int v = 1; v <= texPolyVertexCount; ++v) {
        texPolyIndex = v;
        if (texPolyEnd[v - 1] == 1) {
            ReadDecimal(texPolyColorR[v], FIELD_texPolyColorR);
            ReadDecimal(texPolyColorG[v], FIELD_texPolyColorG);
            ReadDecimal(texPolyColorB[v], FIELD_texPolyColorB);
        }
        ReadDecimal(texPolyX[v], FIELD_texPolyX);
        ReadDecimal(texPolyY[v], FIELD_texPolyY);
        ReadDecimal(texPolyZ[v], FIELD_texPolyZ);
        ReadInt(texPolyEnd[v], FIELD_texPolyEnd);
        ReadDecimal(texPolyS[v], FIELD_texPolyS);
        ReadDecimal(texPolyT[v], FIELD_texPolyT);
        ReadInt(texPolyTexFlag[v - 1], FIELD_texPolyTexFlag);
        if (sceneChecking) CheckTextureFlag(texPolyTexFlag[v - 1], FIELD_texPolyTexFlag);
        ReadTextureName(texPolyTexName[v - 1], FIELD_texPolyTexName);
        if (sceneChecking) CheckTextureName(FIELD_texPolyTexName);
    }
}
