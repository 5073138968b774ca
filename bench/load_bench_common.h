// load_bench_common.h -- the yardstick reader: fscanf per field, fgets per
// name, the same field order and tables as the program's reader; and the
// full-capacity scene both are measured on, and the tables' payload.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "scene/scene.h"
#include "tools/lib/scene_writer.h"

static FILE* baseFile;

// A plain reader keeps every slot's name in a fixed slot of the longest
// name's width; so does the yardstick, in tables of its own.
struct FixedName {
    char text[TEX_NAME_SIZE];
};
static Table<FixedName> baseTexPolyName, baseAvatarPolyName;
static Grid<FixedName> basePartName;

static void BaseInt(int& v) { (void)std::fscanf(baseFile, "%i", &v); }
static void BaseDec(double& v) { (void)std::fscanf(baseFile, "%lf", &v); }
static void BaseName(FixedName& name) {
    char marker;
    if (std::fscanf(baseFile, " %c", &marker) != 1 ||
        !std::fgets(name.text, TEX_NAME_SIZE, baseFile))
        return;
    size_t length = std::strlen(name.text);
    if (length && name.text[length - 1] == '\n') {
        name.text[--length] = '\0';
    } else {  // a long name: the rest of its line goes
        int c;
        do c = std::fgetc(baseFile);
        while (c != EOF && c != '\n');
    }
    if (length && name.text[length - 1] == '\r') name.text[--length] = '\0';
}

template <typename T>
static void Size(size_t n, T& t) {
    t.Allocate(n);
}
template <typename T, typename... More>
static void Size(size_t n, T& t, More&... more) {
    t.Allocate(n);
    Size(n, more...);
}
template <typename T>
static void SizeGrid(size_t r, size_t c, T& g) {
    g.Allocate(r, c);
}
template <typename T, typename... More>
static void SizeGrid(size_t r, size_t c, T& g, More&... more) {
    g.Allocate(r, c);
    SizeGrid(r, c, more...);
}

// A textured, avatar or part vertex record through the given tables.
#define BASE_VERTEX(end, colourR, colourG, colourB, jointRead, x, y, z, s, t, flag, name) \
    if (end(v - 1) == 1) {                                                                \
        BaseDec(colourR(v));                                                              \
        BaseDec(colourG(v));                                                              \
        BaseDec(colourB(v));                                                              \
    }                                                                                     \
    jointRead;                                                                            \
    BaseDec(x(v));                                                                        \
    BaseDec(y(v));                                                                        \
    BaseDec(z(v));                                                                        \
    BaseInt(end(v));                                                                      \
    BaseDec(s(v));                                                                        \
    BaseDec(t(v));                                                                        \
    BaseInt(flag(v - 1));                                                                 \
    BaseName(name(v - 1));

static void BaseSettings() {
    for (int k = 0; k < SCENE_SETTING_COUNT; ++k) {
        const SettingSlot& slot = sceneSettingSlots[k];
        if (slot.intValue)
            BaseInt(*slot.intValue);
        else
            BaseDec(*slot.decimalValue);
    }
}

static void BaseActors() {
    int n = actorLastIndex;
    for (int i = 0; i <= n; ++i) {
        BaseInt(actorAvoidsObstacles[i]);
        BaseInt(actorUsesWaypoints[i]);
        BaseInt(actorCullEnabled[i]);
        BaseDec(actorCullDistance[i]);
        BaseInt(actorRangeLimited[i]);
        BaseDec(actorActiveRange[i]);
        BaseInt(actorWaypointCount[i]);
    }
    int longest = 0;
    for (int i = 0; i <= n; ++i) longest = std::max(longest, actorWaypointCount[i]);
    SizeGrid(longest + 1, n + 1, actorWaypointX, actorWaypointZ);
    for (int i = 0; i <= n; ++i)
        for (int w = 1; w <= actorWaypointCount[i]; ++w) {
            BaseDec(actorWaypointX(w, i));
            BaseDec(actorWaypointZ(w, i));
        }
}

static void BaseAvatar() {
    BaseDec(clearRed);
    BaseDec(clearGreen);
    BaseDec(clearBlue);
    if (avatarPolyVertexCount == 0) return;
    BaseDec(avatarHeadingOffset);
    BaseInt(avatarJointCount);
    for (int g = 0; g <= avatarJointCount; ++g)
        for (int k = 0; k < POSE_COUNT; ++k) {
            BaseDec(avatarJointPivotX[g][k]);
            BaseDec(avatarJointPivotY[g][k]);
            BaseDec(avatarJointPivotZ[g][k]);
            BaseDec(avatarJointSwingZ[g][k]);
            BaseDec(avatarJointSwingY[g][k]);
            BaseDec(avatarJointSwingX[g][k]);
            BaseDec(avatarJointTiltZ[g][k]);
            BaseDec(avatarJointTiltY[g][k]);
            BaseDec(avatarJointTiltX[g][k]);
            BaseDec(swingDivisor);
            avatarJointStepZ[g][k] = avatarJointSwingZ[g][k] / swingDivisor;
            avatarJointStepY[g][k] = avatarJointSwingY[g][k] / swingDivisor;
            avatarJointStepX[g][k] = avatarJointSwingX[g][k] / swingDivisor;
        }
    for (int v = 1; v <= avatarPolyVertexCount; ++v) {
        auto end = [](int k) -> int& { return avatarPolyEnd[k]; };
        auto r = [](int k) -> double& { return avatarPolyColorR[k]; };
        auto g = [](int k) -> double& { return avatarPolyColorG[k]; };
        auto b = [](int k) -> double& { return avatarPolyColorB[k]; };
        auto x = [](int k) -> double& { return avatarPolyX[k]; };
        auto y = [](int k) -> double& { return avatarPolyY[k]; };
        auto z = [](int k) -> double& { return avatarPolyZ[k]; };
        auto s = [](int k) -> double& { return avatarPolyS[k]; };
        auto t = [](int k) -> double& { return avatarPolyT[k]; };
        auto flag = [](int k) -> int& { return avatarPolyTexFlag[k]; };
        auto name = [](int k) -> FixedName& { return baseAvatarPolyName[k]; };
        BASE_VERTEX(end, r, g, b, BaseInt(avatarPolyJoint[v]), x, y, z, s, t, flag, name)
    }
}

static void BaseActorParts() {
    for (int i = 0; i <= actorLastIndex; ++i) {
        BaseInt(actorPartVertexCount[i]);
        partEnd(0, i) = 1;
        BaseDec(actorStartX[i]);
        BaseDec(actorStartY[i]);
        BaseDec(actorStartZ[i]);
        BaseDec(actorFrontX[i]);
        BaseDec(actorFrontY[i]);
        BaseDec(actorFrontZ[i]);
        BaseDec(actorStartHeading[i]);
        BaseDec(actorModelHeadingOffset[i]);
    }
    for (int i = 0; i <= actorLastIndex; ++i) {
        for (int v = 1; v <= actorPartVertexCount[i]; ++v) {
            auto end = [i](int k) -> int& { return partEnd(k, i); };
            auto r = [i](int k) -> double& { return partColorR(k, i); };
            auto g = [i](int k) -> double& { return partColorG(k, i); };
            auto b = [i](int k) -> double& { return partColorB(k, i); };
            auto x = [i](int k) -> double& { return partX(k, i); };
            auto y = [i](int k) -> double& { return partY(k, i); };
            auto z = [i](int k) -> double& { return partZ(k, i); };
            auto s = [i](int k) -> double& { return partS(k, i); };
            auto t = [i](int k) -> double& { return partT(k, i); };
            auto flag = [i](int k) -> int& { return partTexFlag(k, i); };
            auto name = [i](int k) -> FixedName& { return basePartName(k, i); };
            BASE_VERTEX(end, r, g, b, BaseInt(partJoint(v, i)), x, y, z, s, t, flag, name)
        }
    }
    for (int i = 0; i <= actorLastIndex; ++i) {
        BaseDec(actorMaxSpeed[i]);
        BaseDec(actorCollisionRadius[i]);
        BaseInt(actorJointCount[i]);
        for (int j = 0; j <= actorJointCount[i]; ++j)
            for (int k = 0; k < POSE_COUNT; ++k) {
                BaseDec(actorJointPivotX[j][k][i]);
                BaseDec(actorJointPivotY[j][k][i]);
                BaseDec(actorJointPivotZ[j][k][i]);
                BaseDec(actorJointSwingZ[j][k][i]);
                BaseDec(actorJointSwingY[j][k][i]);
                BaseDec(actorJointSwingX[j][k][i]);
                BaseDec(swingDivisor);
                actorJointStepZ[j][k][i] = actorJointSwingZ[j][k][i] / swingDivisor;
                actorJointStepY[j][k][i] = actorJointSwingY[j][k][i] / swingDivisor;
                actorJointStepX[j][k][i] = actorJointSwingX[j][k][i] / swingDivisor;
            }
    }
}

static void BasePolygonLists() {
    for (int v = 1; v <= texPolyVertexCount; ++v) {
        auto end = [](int k) -> int& { return texPolyEnd[k]; };
        auto r = [](int k) -> double& { return texPolyColorR[k]; };
        auto g = [](int k) -> double& { return texPolyColorG[k]; };
        auto b = [](int k) -> double& { return texPolyColorB[k]; };
        auto x = [](int k) -> double& { return texPolyX[k]; };
        auto y = [](int k) -> double& { return texPolyY[k]; };
        auto z = [](int k) -> double& { return texPolyZ[k]; };
        auto s = [](int k) -> double& { return texPolyS[k]; };
        auto t = [](int k) -> double& { return texPolyT[k]; };
        auto flag = [](int k) -> int& { return texPolyTexFlag[k]; };
        auto name = [](int k) -> FixedName& { return baseTexPolyName[k]; };
        BASE_VERTEX(end, r, g, b, (void)0, x, y, z, s, t, flag, name)
    }
    for (int v = 1; v <= flatPolyVertexCount; ++v) {
        if (flatPolyEnd[v - 1] == 1) {
            BaseDec(flatPolyColorR[v]);
            BaseDec(flatPolyColorG[v]);
            BaseDec(flatPolyColorB[v]);
        }
        BaseDec(flatPolyX[v]);
        BaseDec(flatPolyY[v]);
        BaseDec(flatPolyZ[v]);
        BaseInt(flatPolyEnd[v]);
    }
}

// The whole file through stdio, sizing the tables from its counts.
inline void BaselineLoad(const char* path) {
    baseFile = std::fopen(path, "r");
    if (!baseFile) return;
    BaseInt(texPolyVertexCount);
    BaseInt(flatPolyVertexCount);
    BaseInt(avatarPolyVertexCount);
    BaseInt(actorLastIndex);
    BaseInt(partCapacity);
    size_t nt = texPolyVertexCount + 10, nf = flatPolyVertexCount + 10,
           na = avatarPolyVertexCount + 1;
    Size(nt, texPolyColorR, texPolyColorG, texPolyColorB, texPolyX, texPolyY, texPolyZ, texPolyS,
         texPolyT, texPolyEnd, texPolyTexFlag, baseTexPolyName, texPolyTexId, texPolyImage);
    Size(nf, flatPolyColorR, flatPolyColorG, flatPolyColorB, flatPolyX, flatPolyY, flatPolyZ,
         flatPolyEnd);
    Size(na, avatarPolyColorR, avatarPolyColorG, avatarPolyColorB, avatarPolyX, avatarPolyY,
         avatarPolyZ, avatarPolyS, avatarPolyT, avatarPolyJoint, avatarPolyEnd, avatarPolyTexFlag,
         baseAvatarPolyName, avatarPolyTexId, avatarPolyImage);
    texPolyEnd[0] = flatPolyEnd[0] = avatarPolyEnd[0] = 1;
    size_t rows = partCapacity + 1, cols = actorLastIndex + 1;
    Size(cols, actorPartVertexCount, actorWaypointCount);
    SizeGrid(rows, cols, partColorR, partColorG, partColorB, partX, partY, partZ, partS, partT,
             partJoint, partEnd, partTexFlag, basePartName, partTexId, partImage);
    BaseSettings();
    BaseInt(obstacleCount);
    Size(obstacleCount + 1, obstacleX, obstacleZ);
    for (int w = 1; w <= obstacleCount; ++w) {
        BaseDec(obstacleX[w]);
        BaseDec(obstacleZ[w]);
    }
    BaseActors();
    BaseAvatar();
    BaseActorParts();
    BasePolygonLists();
    std::fclose(baseFile);
}

// Writes the full-capacity scene the load benchmarks share.
inline void WriteBenchScene(const std::string& path) {
    ResetSceneModel();
    SceneShape shape;
    shape.texVertices = 100001;
    shape.flatVertices = 1000000;
    shape.avatarVertices = 1000;
    shape.avatarJoints = JOINT_CAPACITY;
    shape.actors = ACTOR_CAPACITY;
    shape.partVertices = PART_CAPACITY;
    shape.actorJoints = JOINT_CAPACITY;
    shape.waypoints = 100;  // 5,000 in all
    shape.obstacles = 10000;
    shape.textureNames = 64;
    SceneDescription scene;
    GenerateScene(scene, shape);
    if (!WriteSceneFile(path, scene)) std::fprintf(stderr, "cannot write %s\n", path.c_str());
}


template <typename T>
inline size_t Bytes(const Table<T>& t) {
    return t.size * sizeof(T);
}
template <typename T>
inline size_t Bytes(const Grid<T>& g) {
    return g.rows * g.cols * sizeof(T);
}

// Bytes of every table the loader fills: the dynamic tables as allocated,
// the name pool, and the static joint and actor tables.
inline size_t TablesPayload() {
    size_t bytes = Bytes(texPolyColorR) * 8 + Bytes(texPolyEnd) + Bytes(texPolyTexFlag) +
                   Bytes(texPolyTexName) + Bytes(texPolyTexId) + Bytes(texPolyImage);
    bytes += Bytes(flatPolyColorR) * 6 + Bytes(flatPolyEnd);
    bytes += Bytes(avatarPolyColorR) * 8 + Bytes(avatarPolyJoint) + Bytes(avatarPolyEnd) +
             Bytes(avatarPolyTexFlag) + Bytes(avatarPolyTexName) + Bytes(avatarPolyTexId) +
             Bytes(avatarPolyImage);
    bytes += Bytes(partColorR) * 8 + Bytes(partJoint) + Bytes(partEnd) + Bytes(partTexFlag) +
             Bytes(partTexName) + Bytes(partTexId) + Bytes(partImage);
    bytes += Bytes(actorWaypointX) * 2 + Bytes(obstacleX) * 2 + Bytes(actorWaypointCount) +
             Bytes(actorPartVertexCount);
    bytes += texNamePool.capacity + texNamePool.indexSize * sizeof *texNamePool.index;
    bytes += sizeof(JointTable) * 12 + sizeof(ActorJointTable) * 9;
    return bytes;
}

