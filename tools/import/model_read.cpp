// model_read.cpp -- reads a model with Assimp: its meshes as Assimp has
// them, where each is used, its materials, cameras and units, and then its
// pictures, decoded. This is the part of the import that reads the file's
// bytes; the importer runs it in a process of its own (reader_process.cpp).
#include <sys/stat.h>

#include <assimp/Importer.hpp>
#include <assimp/ProgressHandler.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <algorithm>
#include <cmath>
#include <map>

#include "tools/import/model_source.h"

namespace {

// Assimp's progress, forwarded to the importer's bar.
class ReadProgress : public Assimp::ProgressHandler {
  public:
    explicit ReadProgress(const ProgressFn& fn) : fn_(fn) {}
    bool Update(float percentage) override {
        if (fn_ && percentage >= 0) fn_("reading", std::min(1.0f, percentage));
        return true;  // never cancel
    }

  private:
    ProgressFn fn_;
};

std::string Lower(std::string s) {
    for (char& c : s) c = (char)std::tolower((unsigned char)c);
    return s;
}

std::string Extension(const std::string& path) {
    size_t dot = path.find_last_of('.');
    size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return Lower(path.substr(dot + 1));
}

bool IsFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Formats whose authoring tools keep z up and whose files do not say so.
bool ZUpByDefault(const std::string& ext) {
    return ext == "stl" || ext == "3ds" || ext == "blend" || ext == "max";
}

// The up axis from the file's metadata (FBX writes it), 0 when not given.
char UpFromMetadata(const aiScene* scene) {
    int axis = -1;
    if (scene->mMetaData && scene->mMetaData->Get("UpAxis", axis)) {
        if (axis == 2) return 'z';
        if (axis == 1) return 'y';
    }
    return 0;
}

// Metres per model unit from the file's metadata, 0 when not given. FBX
// gives centimetres per unit; COLLADA's unit Assimp has already applied;
// glTF is in metres by definition.
double MetresFromMetadata(const aiScene* scene, const std::string& ext) {
    if (ext != "fbx" || !scene->mMetaData) return 0;
    double cm = 0;
    float cmf = 0;
    if (scene->mMetaData->Get("UnitScaleFactor", cm) && cm > 0) return cm / 100;
    if (scene->mMetaData->Get("UnitScaleFactor", cmf) && cmf > 0) return cmf / 100.0;
    return 0;
}

// Where a texture file named inside the model lies on disk: as given
// (Windows separators turned, URL and Blender prefixes dropped), beside the model, or by its bare name
// beside the model. Returns the first candidate when none exists, so the
// warning names what the model asked for.
std::string ResolveTextureFile(const std::string& modelDir, std::string reference) {
    std::replace(reference.begin(), reference.end(), '\\', '/');
    if (reference.rfind("file://", 0) == 0) reference = reference.substr(7);
    else if (reference.rfind("//", 0) == 0) reference = reference.substr(2);  // Blender: beside the file
    std::vector<std::string> candidates;
    if (!reference.empty() && reference[0] == '/') candidates.push_back(reference);
    candidates.push_back(modelDir + "/" + reference);
    size_t slash = reference.find_last_of('/');
    if (slash != std::string::npos) candidates.push_back(modelDir + "/" + reference.substr(slash + 1));
    for (const std::string& c : candidates)
        if (IsFile(c)) return c;
    return candidates.front();
}

// An embedded picture's bytes: a whole image file when its height is 0,
// otherwise BGRA texels with the top row first.
void CopyEmbedded(const aiTexture* picture, TextureSource* source) {
    source->embedded = true;
    if (picture->mHeight == 0) {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(picture->pcData);
        source->compressed.assign(bytes, bytes + picture->mWidth);
        return;
    }
    DecodedTexture& raw = source->raw;
    raw.width = (int)picture->mWidth;
    raw.height = (int)picture->mHeight;
    raw.rgb.resize((size_t)raw.width * raw.height * 3);
    for (int y = 0; y < raw.height; y++)
        for (int x = 0; x < raw.width; x++) {
            const aiTexel& texel = picture->pcData[(size_t)(raw.height - 1 - y) * raw.width + x];
            unsigned char* out = &raw.rgb[((size_t)y * raw.width + x) * 3];
            out[0] = texel.r;
            out[1] = texel.g;
            out[2] = texel.b;
        }
}

// The base colour and base-colour texture of every material, each texture
// reference listed once.
void ReadMaterials(const aiScene* scene, const std::string& modelDir, RawModel* model,
                   std::vector<TextureSource>* sources) {
    model->materials.assign(scene->mNumMaterials, RawMaterial());
    std::map<std::string, int> byReference;
    for (unsigned m = 0; m < scene->mNumMaterials; m++) {
        const aiMaterial* material = scene->mMaterials[m];
        RawMaterial& look = model->materials[m];
        aiColor4D c;
        if (material->Get(AI_MATKEY_BASE_COLOR, c) == AI_SUCCESS ||
            material->Get(AI_MATKEY_COLOR_DIFFUSE, c) == AI_SUCCESS) {
            look.colour[0] = c.r;
            look.colour[1] = c.g;
            look.colour[2] = c.b;
        }
        aiString path;
        if (material->GetTexture(aiTextureType_BASE_COLOR, 0, &path) != AI_SUCCESS &&
            material->GetTexture(aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS)
            continue;
        std::string reference = path.C_Str();
        if (reference.empty()) continue;
        auto found = byReference.find(reference);
        if (found != byReference.end()) {
            look.texture = found->second;
            continue;
        }
        TextureSource source;
        source.reference = reference;
        const aiTexture* picture = scene->GetEmbeddedTexture(reference.c_str());
        if (picture) CopyEmbedded(picture, &source);
        else source.file = ResolveTextureFile(modelDir, reference);
        look.texture = (int32_t)sources->size();
        byReference[reference] = look.texture;
        model->textures.push_back(reference);
        sources->push_back(std::move(source));
    }
}

// Vertex normals that lean away from the face's own normal tell of
// smooth shading in the authoring tool.
uint8_t FaceShading(const aiMesh* mesh, const aiFace& face) {
    if (!mesh->HasNormals()) return FACE_NO_NORMALS;
    const aiVector3D& a = mesh->mVertices[face.mIndices[0]];
    aiVector3D n = (mesh->mVertices[face.mIndices[1]] - a) ^ (mesh->mVertices[face.mIndices[2]] - a);
    if (n.Length() <= 0) return FACE_NO_NORMALS;
    n.Normalize();
    for (int k = 0; k < 3; k++) {
        aiVector3D vn = mesh->mNormals[face.mIndices[k]];
        if (vn.Length() <= 0) continue;
        vn.Normalize();
        if (std::fabs(vn * n) < 0.996) return FACE_SMOOTH;  // more than about 5 degrees apart
    }
    return FACE_FLAT;
}

// One mesh's vertices and triangles as Assimp has them; texture
// coordinates only where a texture will use them.
void CopyMesh(const aiMesh* mesh, const RawModel& model, RawMesh* out) {
    out->material = mesh->mMaterialIndex;
    bool textured = mesh->mMaterialIndex < model.materials.size() &&
                    model.materials[mesh->mMaterialIndex].texture >= 0 && mesh->HasTextureCoords(0);
    out->positions.resize((size_t)mesh->mNumVertices * 3);
    for (unsigned v = 0; v < mesh->mNumVertices; v++) {
        out->positions[v * 3] = mesh->mVertices[v].x;
        out->positions[v * 3 + 1] = mesh->mVertices[v].y;
        out->positions[v * 3 + 2] = mesh->mVertices[v].z;
    }
    if (textured) {
        out->texCoords.resize((size_t)mesh->mNumVertices * 2);
        for (unsigned v = 0; v < mesh->mNumVertices; v++) {
            out->texCoords[v * 2] = mesh->mTextureCoords[0][v].x;
            out->texCoords[v * 2 + 1] = mesh->mTextureCoords[0][v].y;
        }
    }
    if (mesh->HasVertexColors(0)) {
        out->colours.resize((size_t)mesh->mNumVertices * 3);
        for (unsigned v = 0; v < mesh->mNumVertices; v++) {
            out->colours[v * 3] = mesh->mColors[0][v].r;
            out->colours[v * 3 + 1] = mesh->mColors[0][v].g;
            out->colours[v * 3 + 2] = mesh->mColors[0][v].b;
        }
    }
    for (unsigned f = 0; f < mesh->mNumFaces; f++) {
        const aiFace& face = mesh->mFaces[f];
        if (face.mNumIndices != 3) continue;  // points and lines were counted before
        out->corners.insert(out->corners.end(), face.mIndices, face.mIndices + 3);
        out->shading.push_back(FaceShading(mesh, face));
    }
}

// Every use of a mesh by a node, under the node's world transform.
void CollectInstances(const aiScene* scene, const aiNode* node, const aiMatrix4x4& parent,
                      std::vector<RawInstance>* out) {
    aiMatrix4x4 world = parent * node->mTransformation;
    for (unsigned k = 0; k < node->mNumMeshes; k++) {
        if (node->mMeshes[k] >= scene->mNumMeshes) continue;
        RawInstance instance;
        instance.mesh = node->mMeshes[k];
        std::copy(&world.a1, &world.a1 + 16, instance.world);
        out->push_back(instance);
    }
    for (unsigned k = 0; k < node->mNumChildren; k++) CollectInstances(scene, node->mChildren[k], world, out);
}

// The world transform of the node named name, identity when there is none.
bool FindNodeTransform(const aiNode* node, const aiMatrix4x4& parent, const aiString& name,
                       aiMatrix4x4* out) {
    aiMatrix4x4 world = parent * node->mTransformation;
    if (node->mName == name) {
        *out = world;
        return true;
    }
    for (unsigned k = 0; k < node->mNumChildren; k++)
        if (FindNodeTransform(node->mChildren[k], world, name, out)) return true;
    return false;
}

void ReadCameras(const aiScene* scene, char up, double scale, RawModel* model) {
    for (unsigned c = 0; c < scene->mNumCameras; c++) {
        const aiCamera* camera = scene->mCameras[c];
        aiMatrix4x4 world;
        FindNodeTransform(scene->mRootNode, aiMatrix4x4(), camera->mName, &world);
        // The position is relative to the camera's node; some importers
        // (glTF) copy the node's own translation into it as well, which
        // would count it twice.
        aiVector3D local = camera->mPosition;
        const aiNode* node = scene->mRootNode->FindNode(camera->mName);
        if (node) {
            const aiMatrix4x4& m = node->mTransformation;
            aiVector3D own(m.a4, m.b4, m.c4);
            if (own.Length() > 0 && (local - own).Length() <= 1e-6 * own.Length()) local = aiVector3D();
        }
        aiVector3D position = world * local;
        aiVector3D ahead = world * (local + camera->mLookAt);
        Point3 p = ModelToScene({position.x, position.y, position.z}, up, scale);
        Point3 a = ModelToScene({ahead.x, ahead.y, ahead.z}, up, scale);
        double dx = a.x - p.x, dz = a.z - p.z;
        if (!InSceneRange(p) || !std::isfinite(dx) || !std::isfinite(dz)) continue;
        ModelCamera mc;
        mc.position = p;
        // A camera looking straight down keeps heading 0.
        mc.heading = (dx == 0 && dz == 0) ? 0 : std::atan2(dx, -dz) * 180 / M_PI;
        model->cameras.push_back(mc);
    }
}

// An ambient light's colour stands for the model's environment.
void ReadBackground(const aiScene* scene, RawModel* model) {
    for (unsigned k = 0; k < scene->mNumLights; k++) {
        const aiLight* light = scene->mLights[k];
        if (light->mType != aiLightSource_AMBIENT) continue;
        aiColor3D c = light->mColorAmbient;
        double top = std::max({c.r, c.g, c.b});
        if (!(top > 0.05) || !std::isfinite(top)) continue;
        model->hasBackground = true;
        model->background[0] = c.r / std::max(1.0, top);
        model->background[1] = c.g / std::max(1.0, top);
        model->background[2] = c.b / std::max(1.0, top);
        return;
    }
}

// Adds perMesh[m] for every node that uses mesh m.
void CountUses(const aiNode* node, const std::vector<int64_t>& perMesh, int64_t* total) {
    for (unsigned k = 0; k < node->mNumMeshes; k++)
        if (node->mMeshes[k] < perMesh.size()) *total += perMesh[node->mMeshes[k]];
    for (unsigned k = 0; k < node->mNumChildren; k++) CountUses(node->mChildren[k], perMesh, total);
}

// The up axis and scale: the command line's, else the file's, else the
// format's habit.
void ReadUnits(const ImportOptions& options, const aiScene* scene, const std::string& ext, RawModel* model) {
    char up = options.up ? options.up : UpFromMetadata(scene);
    if (!up) up = ZUpByDefault(ext) ? 'z' : 'y';
    double metres = options.scale;
    model->unitSource = UNIT_GIVEN;
    if (!(metres > 0)) {
        metres = MetresFromMetadata(scene, ext);
        model->unitSource = UNIT_FROM_FILE;
    }
    if (!(metres > 0)) {
        metres = 1;
        model->unitSource = UNIT_ASSUMED;
    }
    model->scale = metres * UNITS_PER_METRE;
    model->up = up;
}

class AssimpSource : public ModelSource {
  public:
    AssimpSource(const ImportOptions& options, const ProgressFn& progress, const void* data, size_t size,
                 const char* hint)
        : options_(options), progress_(progress), data_(data), size_(size), hint_(hint) {}

    bool Model(RawModel* model, std::string* error) override;

    bool Texture(size_t index, RawTexture* texture, std::string* error) override {
        if (index >= sources_.size()) return *error = "no texture " + std::to_string(index), false;
        TextureSource source = std::move(sources_[index]);
        if (!DecodeTexture(source, &texture->picture, &texture->problem)) return true;
        texture->originalWidth = texture->picture.width;
        texture->originalHeight = texture->picture.height;
        ShrinkToFit(&texture->picture, MAX_TEXTURE_SIDE);
        return true;
    }

    bool Finish(std::string*) override { return true; }

  private:
    const aiScene* Read(Assimp::Importer* importer, std::string* error);

    ImportOptions options_;
    ProgressFn progress_;
    const void* data_;
    size_t size_;
    std::string hint_;
    std::vector<TextureSource> sources_;
};

const aiScene* AssimpSource::Read(Assimp::Importer* importer, std::string* error) {
    importer->SetProgressHandler(new ReadProgress(progress_));  // the importer owns it
    const unsigned readFlags = aiProcess_ValidateDataStructure | aiProcess_SortByPType;
    const aiScene* scene = data_ ? importer->ReadFileFromMemory(data_, size_, readFlags, hint_.c_str())
                                 : importer->ReadFile(options_.model, readFlags);
    if (!scene || !scene->mRootNode) {
        *error = options_.model + ": " + importer->GetErrorString();
        return nullptr;
    }
    if (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) {
        *error = options_.model + ": the model is incomplete (no geometry Assimp can use)";
        return nullptr;
    }
    return scene;
}

bool AssimpSource::Model(RawModel* model, std::string* error) {
    Assimp::Importer importer;
    const aiScene* scene = Read(&importer, error);
    if (!scene) return false;
    // Count what the file holds before polygons become triangles, once for
    // every place a mesh is used.
    std::vector<int64_t> polygons(scene->mNumMeshes), others(scene->mNumMeshes);
    for (unsigned m = 0; m < scene->mNumMeshes; m++) {
        const aiMesh* mesh = scene->mMeshes[m];
        for (unsigned f = 0; f < mesh->mNumFaces; f++)
            (mesh->mFaces[f].mNumIndices >= 3 ? polygons : others)[m]++;
    }
    CountUses(scene->mRootNode, polygons, &model->polygonsRead);
    CountUses(scene->mRootNode, others, &model->pointsAndLines);
    scene = importer.ApplyPostProcessing(aiProcess_Triangulate);
    if (!scene) {
        *error = options_.model + ": " + importer.GetErrorString();
        return false;
    }
    model->meshCount = (int32_t)scene->mNumMeshes;
    std::vector<int64_t> triangles(scene->mNumMeshes);
    for (unsigned m = 0; m < scene->mNumMeshes; m++)
        for (unsigned f = 0; f < scene->mMeshes[m]->mNumFaces; f++)
            if (scene->mMeshes[m]->mFaces[f].mNumIndices == 3) triangles[m]++;
    CountUses(scene->mRootNode, triangles, &model->trianglesRead);

    ReadUnits(options_, scene, data_ ? Lower(hint_) : Extension(options_.model), model);
    std::string modelDir = ".";
    size_t slash = options_.model.find_last_of('/');
    if (slash != std::string::npos) modelDir = slash == 0 ? "/" : options_.model.substr(0, slash);
    ReadMaterials(scene, modelDir, model, &sources_);
    model->meshes.resize(scene->mNumMeshes);
    for (unsigned m = 0; m < scene->mNumMeshes; m++) CopyMesh(scene->mMeshes[m], *model, &model->meshes[m]);
    CollectInstances(scene, scene->mRootNode, aiMatrix4x4(), &model->instances);
    ReadCameras(scene, model->up, model->scale, model);
    ReadBackground(scene, model);
    return true;
}

}  // namespace

std::unique_ptr<ModelSource> MakeAssimpSource(const ImportOptions& options, const ProgressFn& progress,
                                              const void* data, size_t size, const char* hint) {
    return std::make_unique<AssimpSource>(options, progress, data, size, hint);
}
