// model_convert.cpp -- a read model's meshes placed by their nodes and
// brought into scene units and axes, one triangle at a time, with its
// texture coordinates and colour. Runs in the importer on a model whose
// counts and indices have been checked (model_wire.cpp).
#include <algorithm>
#include <cmath>

#include "tools/import/model_source.h"

namespace {

// A colour channel from the file within 0..1; a NaN takes Assimp's grey,
// so no NaN reaches the scene file.
double ColourChannel(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.8; }

// Assimp's matrix times a point, in its single precision and its order of
// operations, so the scene is the same whichever process read the model.
void Transform(const float m[16], const float* v, float out[3]) {
    for (int r = 0; r < 3; r++) out[r] = m[r * 4] * v[0] + m[r * 4 + 1] * v[1] + m[r * 4 + 2] * v[2] + m[r * 4 + 3];
}

const char* UnitSourceText(uint8_t source) {
    switch (source) {
        case UNIT_GIVEN: return "--scale";
        case UNIT_FROM_FILE: return "the file's unit";
        default: return "metres assumed";
    }
}

struct Placer {
    const RawModel& raw;
    ModelData* model;
    long smoothTriangles = 0, normalTriangles = 0;

    // One mesh under one node's transform.
    void Place(const RawMesh& mesh, const RawInstance& use) {
        const RawMaterial& look = raw.materials[mesh.material];
        bool textured = look.texture >= 0 && !mesh.texCoords.empty();
        bool coloured = !mesh.colours.empty();
        for (size_t f = 0; f * 3 < mesh.corners.size(); f++) {
            Triangle tri;
            tri.mesh = (int)use.mesh;
            tri.texture = textured ? look.texture : -1;
            bool good = true;
            double rgb[3] = {0, 0, 0};
            for (int k = 0; k < 3; k++) {
                size_t v = mesh.corners[f * 3 + k];
                float p[3];
                Transform(use.world, &mesh.positions[v * 3], p);
                tri.p[k] = ModelToScene({p[0], p[1], p[2]}, raw.up, raw.scale);
                good = good && InSceneRange(tri.p[k]);
                if (textured) {
                    tri.s[k] = mesh.texCoords[v * 2];
                    tri.t[k] = mesh.texCoords[v * 2 + 1];
                    good = good && std::isfinite(tri.s[k]) && std::isfinite(tri.t[k]) &&
                           std::fabs(tri.s[k]) < 1e6 && std::fabs(tri.t[k]) < 1e6;
                }
                if (coloured)
                    for (int c = 0; c < 3; c++) rgb[c] += mesh.colours[v * 3 + c] / 3;
            }
            if (!good) {
                model->badTriangles++;
                continue;
            }
            // The base colour, or the vertex colour where there is one: what a
            // plain polygon shows, and a textured one whose picture is missing.
            for (int k = 0; k < 3; k++) tri.colour[k] = ColourChannel(coloured ? rgb[k] : look.colour[k]);
            if (mesh.shading[f] != FACE_NO_NORMALS) normalTriangles++;
            if (mesh.shading[f] == FACE_SMOOTH) smoothTriangles++;
            model->triangles.push_back(tri);
        }
    }
};

}  // namespace

Point3 ModelToScene(const Point3& p, char up, double scale) {
    // z-up models turn to y-up first; then y-up right-handed axes turn half
    // a turn about x, which puts up on minus y without mirroring the model.
    Point3 yUp = up == 'z' ? Point3{p.x, p.z, -p.y} : p;
    return {yUp.x * scale, -yUp.y * scale, -yUp.z * scale};
}

bool InSceneRange(const Point3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) &&
           std::fabs(p.x) <= MAX_SCENE_COORDINATE && std::fabs(p.y) <= MAX_SCENE_COORDINATE &&
           std::fabs(p.z) <= MAX_SCENE_COORDINATE;
}

bool ConvertModel(const RawModel& raw, const std::string& name, ModelData* model, ImportLog* log,
                  std::string* error, long maxPlaced) {
    model->meshes = raw.meshCount;
    model->polygonsRead = (long)raw.polygonsRead;
    model->trianglesRead = (long)raw.trianglesRead;
    model->pointsAndLines = (long)raw.pointsAndLines;
    model->scale = raw.scale;
    model->up = raw.up;
    model->unitSource = UnitSourceText(raw.unitSource);
    model->cameras = raw.cameras;
    model->hasBackground = raw.hasBackground;
    std::copy(raw.background, raw.background + 3, model->background);

    // A file of a few kilobytes can place one mesh a million times over.
    long long placed = 0;
    for (const RawInstance& use : raw.instances) placed += (long long)raw.meshes[use.mesh].corners.size() / 3;
    if (placed > maxPlaced) {
        *error = name + ": the model places " + std::to_string(placed) + " triangles, more than the " +
                 std::to_string(maxPlaced) + " the importer can hold";
        return false;
    }
    model->triangles.reserve((size_t)placed);
    Placer placer{raw, model};
    for (const RawInstance& use : raw.instances) placer.Place(raw.meshes[use.mesh], use);
    model->smoothNormals = placer.normalTriangles > 0 && placer.smoothTriangles * 4 > placer.normalTriangles;

    if (model->pointsAndLines > 0)
        log->Warn(std::to_string(model->pointsAndLines) + " points and lines dropped (the scene has only polygons)");
    if (model->badTriangles > 0)
        log->Warn(std::to_string(model->badTriangles) +
                  " triangles dropped for NaN, infinite or enormous coordinates");
    if (model->triangles.empty()) {
        *error = name + ": no polygons to walk among";
        return false;
    }
    return true;
}
