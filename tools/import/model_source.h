// model_source.h -- a model as Assimp read it, in Assimp's own numbers, and
// the sources that deliver it: Assimp itself, or the reading process that
// runs Assimp apart from the importer (reader_process.h). What a source
// delivers is checked before use (model_wire.h), then converted to scene
// units here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/import/import.h"

// How a triangle's vertex normals compare with its face: the importer
// turns smooth shading on when most triangles lean.
enum : uint8_t { FACE_NO_NORMALS = 0, FACE_FLAT = 1, FACE_SMOOTH = 2, FACE_SHADING_COUNT };

// One mesh in model units and axes.
struct RawMesh {
    uint32_t material = 0;
    std::vector<float> positions;   // x, y, z per vertex
    std::vector<float> texCoords;   // s, t per vertex; empty when there are none or no texture uses them
    std::vector<float> colours;     // r, g, b per vertex; empty when the mesh has none
    std::vector<uint32_t> corners;  // three vertex indices per triangle
    std::vector<uint8_t> shading;   // FACE_* per triangle
};

// One use of a mesh by a node, with the node's world transform (row-major,
// as Assimp keeps it).
struct RawInstance {
    uint32_t mesh = 0;
    float world[16] = {};
};

struct RawMaterial {
    float colour[3] = {0.8f, 0.8f, 0.8f};  // Assimp's own default grey
    int32_t texture = -1;                  // index into RawModel::textures, or -1
};

enum UnitSource : uint8_t { UNIT_GIVEN, UNIT_FROM_FILE, UNIT_ASSUMED, UNIT_SOURCE_COUNT };

// Everything the importer needs of a model but its pictures, which follow
// one by one (RawTexture).
struct RawModel {
    int64_t polygonsRead = 0, trianglesRead = 0, pointsAndLines = 0;  // counted once per use
    int32_t meshCount = 0;     // meshes in the file
    double scale = 1;          // scene units per model unit
    char up = 'y';
    uint8_t unitSource = UNIT_ASSUMED;
    bool hasBackground = false;
    double background[3] = {};
    std::vector<ModelCamera> cameras;        // already in scene units
    std::vector<RawMaterial> materials;
    std::vector<std::string> textures;       // each texture's reference in the model
    std::vector<RawMesh> meshes;
    std::vector<RawInstance> instances;
};

// A texture's pixels, decoded and scaled to fit MAX_TEXTURE_SIDE, or why
// there are none.
struct RawTexture {
    DecodedTexture picture;
    int originalWidth = 0, originalHeight = 0;
    std::string problem;  // "" when picture holds the pixels
};

// Where a read model comes from. The calls come in order: Model once, then
// Texture for each of the model's textures, then Finish. A false return
// ends the import with *error (the model's name and why).
class ModelSource {
  public:
    virtual ~ModelSource() = default;
    virtual bool Model(RawModel* model, std::string* error) = 0;
    virtual bool Texture(size_t index, RawTexture* texture, std::string* error) = 0;
    virtual bool Finish(std::string* error) = 0;
};

// ---- model_read.cpp ----
// Assimp in this process, reading the file options.model, or bytes in
// memory when data is given (hint: the format's file extension). The
// progress function sees Assimp's read.
std::unique_ptr<ModelSource> MakeAssimpSource(const ImportOptions& options, const ProgressFn& progress,
                                              const void* data = nullptr, size_t size = 0,
                                              const char* hint = "");

// ---- model_convert.cpp ----
// The model's triangles in scene units, each mesh placed by each node that
// uses it. Triangles with non-finite or enormous coordinates are dropped
// and counted. False with *error when there is nothing to walk among or
// more than maxPlaced triangles.
bool ConvertModel(const RawModel& raw, const std::string& name, ModelData* model, ImportLog* log,
                  std::string* error, long maxPlaced = MAX_PLACED_TRIANGLES);
