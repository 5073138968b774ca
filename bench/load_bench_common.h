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
static Scene* bs;  // the scene the yardstick fills


// A plain reader keeps every slot's name in a fixed slot of the longest
// name's width; so does the yardstick, in tables of its own.
struct FixedName {
    char text[TEX_NAME_SIZE];
};
static Table<FixedName> baseTexPolyName, baseAvatarPolyName;
static Grid<FixedName> basePartName;
// The texture object and image slots a plain reader sizes with its lists.
static Table<unsigned> baseTexPolyTexId, baseAvatarPolyTexId;
static Table<TextureImage*> baseTexPolyImage, baseAvatarPolyImage;
static Grid<unsigned> basePartTexId;
static Grid<TextureImage*> basePartImage;

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
            BaseInt(bs->*slot.intValue);
        else
            BaseDec(bs->*slot.decimalValue);
    }
}

static void BaseActors() {
    int n = bs->actorLastIndex;
    for (int i = 0; i <= n; ++i) {
        BaseInt(bs->actorAvoidsObstacles[i]);
        BaseInt(bs->actorUsesWaypoints[i]);
        BaseInt(bs->actorCullEnabled[i]);
        BaseDec(bs->actorCullDistance[i]);
        BaseInt(bs->actorRangeLimited[i]);
        BaseDec(bs->actorActiveRange[i]);
        BaseInt(bs->actorWaypointCount[i]);
    }
    int longest = 0;
    for (int i = 0; i <= n; ++i) longest = std::max(longest, bs->actorWaypointCount[i]);
    SizeGrid(longest + 1, n + 1, bs->actorWaypointX, bs->actorWaypointZ);
    for (int i = 0; i <= n; ++i)
        for (int w = 1; w <= bs->actorWaypointCount[i]; ++w) {
            BaseDec(bs->actorWaypointX(w, i));
            BaseDec(bs->actorWaypointZ(w, i));
        }
}

static void BaseAvatar() {
    BaseDec(bs->clearRed);
    BaseDec(bs->clearGreen);
    BaseDec(bs->clearBlue);
    if (bs->avatarPolyVertexCount == 0) return;
    BaseDec(bs->avatarHeadingOffset);
    BaseInt(bs->avatarJointCount);
    for (int g = 0; g <= bs->avatarJointCount; ++g)
        for (int k = 0; k < POSE_COUNT; ++k) {
            BaseDec(bs->avatarJointPivotX[g][k]);
            BaseDec(bs->avatarJointPivotY[g][k]);
            BaseDec(bs->avatarJointPivotZ[g][k]);
            BaseDec(bs->avatarJointSwingZ[g][k]);
            BaseDec(bs->avatarJointSwingY[g][k]);
            BaseDec(bs->avatarJointSwingX[g][k]);
            BaseDec(bs->avatarJointTiltZ[g][k]);
            BaseDec(bs->avatarJointTiltY[g][k]);
            BaseDec(bs->avatarJointTiltX[g][k]);
            BaseDec(bs->swingDivisor);
            bs->avatarJointStepZ[g][k] = bs->avatarJointSwingZ[g][k] / bs->swingDivisor;
            bs->avatarJointStepY[g][k] = bs->avatarJointSwingY[g][k] / bs->swingDivisor;
            bs->avatarJointStepX[g][k] = bs->avatarJointSwingX[g][k] / bs->swingDivisor;
        }
    for (int v = 1; v <= bs->avatarPolyVertexCount; ++v) {
        auto end = [](int k) -> int& { return bs->avatarPolyEnd[k]; };
        auto r = [](int k) -> double& { return bs->avatarPolyColorR[k]; };
        auto g = [](int k) -> double& { return bs->avatarPolyColorG[k]; };
        auto b = [](int k) -> double& { return bs->avatarPolyColorB[k]; };
        auto x = [](int k) -> double& { return bs->avatarPolyX[k]; };
        auto y = [](int k) -> double& { return bs->avatarPolyY[k]; };
        auto z = [](int k) -> double& { return bs->avatarPolyZ[k]; };
        auto s = [](int k) -> double& { return bs->avatarPolyS[k]; };
        auto t = [](int k) -> double& { return bs->avatarPolyT[k]; };
        auto flag = [](int k) -> int& { return bs->avatarPolyTexFlag[k]; };
        auto name = [](int k) -> FixedName& { return baseAvatarPolyName[k]; };
        BASE_VERTEX(end, r, g, b, BaseInt(bs->avatarPolyJoint[v]), x, y, z, s, t, flag, name)
    }
}

static void BaseActorParts() {
    for (int i = 0; i <= bs->actorLastIndex; ++i) {
        BaseInt(bs->actorPartVertexCount[i]);
        bs->partEnd(0, i) = 1;
        BaseDec(bs->actorStartX[i]);
        BaseDec(bs->actorStartY[i]);
        BaseDec(bs->actorStartZ[i]);
        BaseDec(bs->actorFrontX[i]);
        BaseDec(bs->actorFrontY[i]);
        BaseDec(bs->actorFrontZ[i]);
        BaseDec(bs->actorStartHeading[i]);
        BaseDec(bs->actorModelHeadingOffset[i]);
    }
    for (int i = 0; i <= bs->actorLastIndex; ++i) {
        for (int v = 1; v <= bs->actorPartVertexCount[i]; ++v) {
            auto end = [i](int k) -> int& { return bs->partEnd(k, i); };
            auto r = [i](int k) -> double& { return bs->partColorR(k, i); };
            auto g = [i](int k) -> double& { return bs->partColorG(k, i); };
            auto b = [i](int k) -> double& { return bs->partColorB(k, i); };
            auto x = [i](int k) -> double& { return bs->partX(k, i); };
            auto y = [i](int k) -> double& { return bs->partY(k, i); };
            auto z = [i](int k) -> double& { return bs->partZ(k, i); };
            auto s = [i](int k) -> double& { return bs->partS(k, i); };
            auto t = [i](int k) -> double& { return bs->partT(k, i); };
            auto flag = [i](int k) -> int& { return bs->partTexFlag(k, i); };
            auto name = [i](int k) -> FixedName& { return basePartName(k, i); };
            BASE_VERTEX(end, r, g, b, BaseInt(bs->partJoint(v, i)), x, y, z, s, t, flag, name)
        }
    }
    for (int i = 0; i <= bs->actorLastIndex; ++i) {
        BaseDec(bs->actorMaxSpeed[i]);
        BaseDec(bs->actorCollisionRadius[i]);
        BaseInt(bs->actorJointCount[i]);
        for (int j = 0; j <= bs->actorJointCount[i]; ++j)
            for (int k = 0; k < POSE_COUNT; ++k) {
                BaseDec(bs->actorJointPivotX[j][k][i]);
                BaseDec(bs->actorJointPivotY[j][k][i]);
                BaseDec(bs->actorJointPivotZ[j][k][i]);
                BaseDec(bs->actorJointSwingZ[j][k][i]);
                BaseDec(bs->actorJointSwingY[j][k][i]);
                BaseDec(bs->actorJointSwingX[j][k][i]);
                BaseDec(bs->swingDivisor);
                bs->actorJointStepZ[j][k][i] = bs->actorJointSwingZ[j][k][i] / bs->swingDivisor;
                bs->actorJointStepY[j][k][i] = bs->actorJointSwingY[j][k][i] / bs->swingDivisor;
                bs->actorJointStepX[j][k][i] = bs->actorJointSwingX[j][k][i] / bs->swingDivisor;
            }
    }
}

static void BasePolygonLists() {
    for (int v = 1; v <= bs->texPolyVertexCount; ++v) {
        auto end = [](int k) -> int& { return bs->texPolyEnd[k]; };
        auto r = [](int k) -> double& { return bs->texPolyColorR[k]; };
        auto g = [](int k) -> double& { return bs->texPolyColorG[k]; };
        auto b = [](int k) -> double& { return bs->texPolyColorB[k]; };
        auto x = [](int k) -> double& { return bs->texPolyX[k]; };
        auto y = [](int k) -> double& { return bs->texPolyY[k]; };
        auto z = [](int k) -> double& { return bs->texPolyZ[k]; };
        auto s = [](int k) -> double& { return bs->texPolyS[k]; };
        auto t = [](int k) -> double& { return bs->texPolyT[k]; };
        auto flag = [](int k) -> int& { return bs->texPolyTexFlag[k]; };
        auto name = [](int k) -> FixedName& { return baseTexPolyName[k]; };
        BASE_VERTEX(end, r, g, b, (void)0, x, y, z, s, t, flag, name)
    }
    for (int v = 1; v <= bs->flatPolyVertexCount; ++v) {
        if (bs->flatPolyEnd[v - 1] == 1) {
            BaseDec(bs->flatPolyColorR[v]);
            BaseDec(bs->flatPolyColorG[v]);
            BaseDec(bs->flatPolyColorB[v]);
        }
        BaseDec(bs->flatPolyX[v]);
        BaseDec(bs->flatPolyY[v]);
        BaseDec(bs->flatPolyZ[v]);
        BaseInt(bs->flatPolyEnd[v]);
    }
}

// The whole file through stdio into scene, sizing the tables from its counts.
inline void BaselineLoad(Scene& scene, const char* path) {
    bs = &scene;
    baseFile = std::fopen(path, "r");
    if (!baseFile) return;
    BaseInt(bs->texPolyVertexCount);
    BaseInt(bs->flatPolyVertexCount);
    BaseInt(bs->avatarPolyVertexCount);
    BaseInt(bs->actorLastIndex);
    BaseInt(bs->partCapacity);
    size_t nt = bs->texPolyVertexCount + 10, nf = bs->flatPolyVertexCount + 10,
           na = bs->avatarPolyVertexCount + 1;
    Size(nt, bs->texPolyColorR, bs->texPolyColorG, bs->texPolyColorB, bs->texPolyX, bs->texPolyY, bs->texPolyZ, bs->texPolyS,
         bs->texPolyT, bs->texPolyEnd, bs->texPolyTexFlag, baseTexPolyName, baseTexPolyTexId,
         baseTexPolyImage);
    Size(nf, bs->flatPolyColorR, bs->flatPolyColorG, bs->flatPolyColorB, bs->flatPolyX, bs->flatPolyY, bs->flatPolyZ,
         bs->flatPolyEnd);
    Size(na, bs->avatarPolyColorR, bs->avatarPolyColorG, bs->avatarPolyColorB, bs->avatarPolyX, bs->avatarPolyY,
         bs->avatarPolyZ, bs->avatarPolyS, bs->avatarPolyT, bs->avatarPolyJoint, bs->avatarPolyEnd, bs->avatarPolyTexFlag,
         baseAvatarPolyName, baseAvatarPolyTexId, baseAvatarPolyImage);
    bs->texPolyEnd[0] = bs->flatPolyEnd[0] = bs->avatarPolyEnd[0] = 1;
    size_t rows = bs->partCapacity + 1, cols = bs->actorLastIndex + 1;
    Size(cols, bs->actorPartVertexCount, bs->actorWaypointCount);
    SizeGrid(rows, cols, bs->partColorR, bs->partColorG, bs->partColorB, bs->partX, bs->partY, bs->partZ, bs->partS, bs->partT,
             bs->partJoint, bs->partEnd, bs->partTexFlag, basePartName, basePartTexId,
             basePartImage);
    BaseSettings();
    BaseInt(bs->obstacleCount);
    Size(bs->obstacleCount + 1, bs->obstacleX, bs->obstacleZ);
    for (int w = 1; w <= bs->obstacleCount; ++w) {
        BaseDec(bs->obstacleX[w]);
        BaseDec(bs->obstacleZ[w]);
    }
    BaseActors();
    BaseAvatar();
    BaseActorParts();
    BasePolygonLists();
    std::fclose(baseFile);
}

// Writes the full-capacity scene the load benchmarks share.
inline void WriteBenchScene(const std::string& path) {
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
inline size_t TablesPayload(const Scene& s) {
    size_t bytes = Bytes(s.texPolyColorR) * 8 + Bytes(s.texPolyEnd) + Bytes(s.texPolyTexFlag) +
                   Bytes(s.texPolyTexName);
    bytes += Bytes(s.flatPolyColorR) * 6 + Bytes(s.flatPolyEnd);
    bytes += Bytes(s.avatarPolyColorR) * 8 + Bytes(s.avatarPolyJoint) + Bytes(s.avatarPolyEnd) +
             Bytes(s.avatarPolyTexFlag) + Bytes(s.avatarPolyTexName);
    bytes += Bytes(s.partColorR) * 8 + Bytes(s.partJoint) + Bytes(s.partEnd) +
             Bytes(s.partTexFlag) + Bytes(s.partTexName);
    bytes += Bytes(s.actorWaypointX) * 2 + Bytes(s.obstacleX) * 2 + Bytes(s.actorWaypointCount) +
             Bytes(s.actorPartVertexCount);
    bytes += s.texNames.capacity + s.texNames.indexSize * sizeof *s.texNames.index;
    bytes += sizeof(JointTable) * 12 + sizeof(ActorJointTable) * 9;
    return bytes;
}
