// scene_hash.cpp -- the scene's fingerprint for the tests.
#include "tests/support/scene_hash.h"

#include <cstring>
#include <type_traits>

#include "scene/scene.h"
#include "scene/scene_fields.h"

namespace {

struct Fnv {
    uint64_t h = 1469598103934665603ull;
    void Bytes(const void* data, size_t n) {
        const unsigned char* p = static_cast<const unsigned char*>(data);
        for (size_t k = 0; k < n; k++) h = (h ^ p[k]) * 1099511628211ull;
    }
    template <typename T>
    void Value(const T& v) { Bytes(&v, sizeof v); }
};

// Texture name slots hash by the name they hold: the pool's offsets depend
// on the order names were first met, which the text fixes anyway.
template <typename T>
void Entries(Fnv& fnv, const Scene& scene, const T* data, size_t n) {
    if constexpr (std::is_same_v<T, TexName>) {
        for (size_t k = 0; k < n; k++) {
            const char* name = SlotName(scene, data[k]);
            fnv.Bytes(name, std::strlen(name) + 1);
        }
    } else {
        fnv.Bytes(data, n * sizeof(T));
    }
}

}  // namespace

uint64_t HashScene(const Scene& scene) {
    Fnv fnv;
    Scene& s = const_cast<Scene&>(scene);  // the walk below only reads
    ForEachSceneTable(s, [&](auto& table) {
        if constexpr (requires { table.rows; }) {
            fnv.Value(table.rows), fnv.Value(table.cols);
            Entries(fnv, scene, table.data, table.rows * table.cols);
        } else {
            fnv.Value(table.size);
            Entries(fnv, scene, table.data, table.size);
        }
    });
    for (const SettingSlot& slot : sceneSettingSlots) {
        if (slot.intValue) fnv.Value(scene.*slot.intValue);
        if (slot.decimalValue) fnv.Value(scene.*slot.decimalValue);
    }
    const int counts[] = {scene.texPolyVertexCount, scene.flatPolyVertexCount,
                          scene.avatarPolyVertexCount, scene.actorLastIndex,
                          scene.partCapacity, scene.obstacleCount, scene.avatarJointCount};
    fnv.Value(counts);
    const double rest[] = {scene.clearRed, scene.clearGreen, scene.clearBlue,
                           scene.avatarHeadingOffset, scene.degToRad, scene.lookDistance,
                           scene.observerDistance, scene.followCameraStep,
                           scene.followCameraFastStep, scene.driveCameraStep,
                           scene.driveCameraFastStep, scene.followCollisionRadius,
                           scene.jumpStep, scene.collisionProbeSpeed};
    fnv.Value(rest);
    fnv.Value(scene.swingDivisor);
    for (const JointTable* t :
         {&scene.avatarJointPivotX, &scene.avatarJointPivotY, &scene.avatarJointPivotZ,
          &scene.avatarJointSwingZ, &scene.avatarJointSwingY, &scene.avatarJointSwingX,
          &scene.avatarJointTiltZ, &scene.avatarJointTiltY, &scene.avatarJointTiltX,
          &scene.avatarJointStepZ, &scene.avatarJointStepY, &scene.avatarJointStepX})
        fnv.Value(*t);
    for (const ActorJointTable* t :
         {&scene.actorJointPivotX, &scene.actorJointPivotY, &scene.actorJointPivotZ,
          &scene.actorJointSwingZ, &scene.actorJointSwingY, &scene.actorJointSwingX,
          &scene.actorJointStepZ, &scene.actorJointStepY, &scene.actorJointStepX})
        fnv.Value(*t);
    for (const int* a : {scene.actorAvoidsObstacles, scene.actorUsesWaypoints, scene.actorCullEnabled,
                         scene.actorRangeLimited, scene.actorJointCount})
        fnv.Bytes(a, ACTOR_CAPACITY * sizeof(int));
    for (const double* a : {scene.actorCullDistance, scene.actorActiveRange, scene.actorStartX,
                            scene.actorStartY, scene.actorStartZ, scene.actorFrontX,
                            scene.actorFrontY, scene.actorFrontZ, scene.actorStartHeading,
                            scene.actorModelHeadingOffset, scene.actorMaxSpeed,
                            scene.actorCollisionRadius, scene.actorCollisionRadiusCopy})
        fnv.Bytes(a, ACTOR_CAPACITY * sizeof(double));
    return fnv.h;
}
