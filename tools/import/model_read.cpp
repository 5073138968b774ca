// model_read.cpp -- reads a model with Assimp and brings every triangle,
// texture reference and camera into scene units and axes.
#include <sys/stat.h>

#include <assimp/Importer.hpp>
#include <assimp/ProgressHandler.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <algorithm>
#include <cmath>
#include <map>

#include "tools/import/import.h"

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
    const ProgressFn& fn_;
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

bool Finite(const Point3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) &&
           std::fabs(p.x) <= MAX_SCENE_COORDINATE && std::fabs(p.y) <= MAX_SCENE_COORDINATE &&
           std::fabs(p.z) <= MAX_SCENE_COORDINATE;
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

// A colour channel from the file within 0..1; a NaN takes Assimp's grey,
// so no NaN reaches the scene file.
double ColourChannel(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.8; }

struct MaterialLook {
    double colour[3] = {0.8, 0.8, 0.8};  // Assimp's own default grey
    int texture = -1;
};

// The base colour and base-colour texture of every material, each texture
// reference listed once in model->textures.
std::vector<MaterialLook> ReadMaterials(const aiScene* scene, const std::string& modelDir,
                                        ModelData* model) {
    std::vector<MaterialLook> looks(scene->mNumMaterials);
    std::map<std::string, int> byReference;
    for (unsigned m = 0; m < scene->mNumMaterials; m++) {
        const aiMaterial* material = scene->mMaterials[m];
        aiColor4D c;
        if (material->Get(AI_MATKEY_BASE_COLOR, c) == AI_SUCCESS ||
            material->Get(AI_MATKEY_COLOR_DIFFUSE, c) == AI_SUCCESS) {
            looks[m].colour[0] = c.r;
            looks[m].colour[1] = c.g;
            looks[m].colour[2] = c.b;
        }
        aiString path;
        if (material->GetTexture(aiTextureType_BASE_COLOR, 0, &path) != AI_SUCCESS &&
            material->GetTexture(aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS)
            continue;
        std::string reference = path.C_Str();
        if (reference.empty()) continue;
        auto found = byReference.find(reference);
        if (found != byReference.end()) {
            looks[m].texture = found->second;
            continue;
        }
        TextureSource source;
        source.reference = reference;
        const aiTexture* picture = scene->GetEmbeddedTexture(reference.c_str());
        if (picture) CopyEmbedded(picture, &source);
        else source.file = ResolveTextureFile(modelDir, reference);
        looks[m].texture = (int)model->textures.size();
        byReference[reference] = looks[m].texture;
        model->textures.push_back(source);
    }
    return looks;
}

struct Walker {
    const aiScene* scene;
    const std::vector<MaterialLook>* looks;
    char up;
    double scale;
    ModelData* model;
    long smoothTriangles = 0, normalTriangles = 0;

    // One mesh under the node's world transform.
    void AddMesh(const aiMesh* mesh, const aiMatrix4x4& world, int meshIndex) {
        const MaterialLook& look = (*looks)[mesh->mMaterialIndex];
        bool textured = look.texture >= 0 && mesh->HasTextureCoords(0);
        for (unsigned f = 0; f < mesh->mNumFaces; f++) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3) continue;  // points and lines were counted before
            Triangle tri;
            tri.mesh = meshIndex;
            tri.texture = textured ? look.texture : -1;
            bool good = true;
            double rgb[3] = {0, 0, 0};
            for (int k = 0; k < 3; k++) {
                unsigned v = face.mIndices[k];
                aiVector3D p = world * mesh->mVertices[v];
                tri.p[k] = ModelToScene({p.x, p.y, p.z}, up, scale);
                good = good && Finite(tri.p[k]);
                if (textured) {
                    tri.s[k] = mesh->mTextureCoords[0][v].x;
                    tri.t[k] = mesh->mTextureCoords[0][v].y;
                    good = good && std::isfinite(tri.s[k]) && std::isfinite(tri.t[k]) &&
                           std::fabs(tri.s[k]) < 1e6 && std::fabs(tri.t[k]) < 1e6;
                }
                if (mesh->HasVertexColors(0)) {
                    rgb[0] += mesh->mColors[0][v].r / 3;
                    rgb[1] += mesh->mColors[0][v].g / 3;
                    rgb[2] += mesh->mColors[0][v].b / 3;
                }
            }
            if (!good) {
                model->badTriangles++;
                continue;
            }
            // The base colour, or the vertex colour where there is one: what a
            // plain polygon shows, and a textured one whose picture is missing.
            for (int k = 0; k < 3; k++)
                tri.colour[k] = ColourChannel(mesh->HasVertexColors(0) ? rgb[k] : look.colour[k]);
            if (mesh->HasNormals()) CountSmooth(mesh, face);
            model->triangles.push_back(tri);
        }
    }

    // Vertex normals that lean away from the face's own normal tell of
    // smooth shading in the authoring tool.
    void CountSmooth(const aiMesh* mesh, const aiFace& face) {
        const aiVector3D& a = mesh->mVertices[face.mIndices[0]];
        aiVector3D n = (mesh->mVertices[face.mIndices[1]] - a) ^ (mesh->mVertices[face.mIndices[2]] - a);
        if (n.Length() <= 0) return;
        n.Normalize();
        normalTriangles++;
        for (int k = 0; k < 3; k++) {
            aiVector3D vn = mesh->mNormals[face.mIndices[k]];
            if (vn.Length() <= 0) continue;
            vn.Normalize();
            if (std::fabs(vn * n) < 0.996) {  // more than about 5 degrees apart
                smoothTriangles++;
                return;
            }
        }
    }

    void Walk(const aiNode* node, const aiMatrix4x4& parent) {
        aiMatrix4x4 world = parent * node->mTransformation;
        for (unsigned k = 0; k < node->mNumMeshes; k++)
            AddMesh(scene->mMeshes[node->mMeshes[k]], world, (int)node->mMeshes[k]);
        for (unsigned k = 0; k < node->mNumChildren; k++) Walk(node->mChildren[k], world);
    }
};

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

void ReadCameras(const aiScene* scene, char up, double scale, ModelData* model) {
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
        if (!Finite(p) || !std::isfinite(dx) || !std::isfinite(dz)) continue;
        ModelCamera mc;
        mc.position = p;
        // A camera looking straight down keeps heading 0.
        mc.heading = (dx == 0 && dz == 0) ? 0 : std::atan2(dx, -dz) * 180 / M_PI;
        model->cameras.push_back(mc);
    }
}

// An ambient light's colour stands for the model's environment.
void ReadBackground(const aiScene* scene, ModelData* model) {
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
void CountUses(const aiNode* node, const std::vector<long>& perMesh, long* total) {
    for (unsigned k = 0; k < node->mNumMeshes; k++) *total += perMesh[node->mMeshes[k]];
    for (unsigned k = 0; k < node->mNumChildren; k++) CountUses(node->mChildren[k], perMesh, total);
}

}  // namespace

Point3 ModelToScene(const Point3& p, char up, double scale) {
    // z-up models turn to y-up first; then y-up right-handed axes turn half
    // a turn about x, which puts up on minus y without mirroring the model.
    Point3 yUp = up == 'z' ? Point3{p.x, p.z, -p.y} : p;
    return {yUp.x * scale, -yUp.y * scale, -yUp.z * scale};
}

bool ReadModel(const ImportOptions& options, ModelData* model, ImportLog* log,
               const ProgressFn& progress, std::string* error) {
    Assimp::Importer importer;
    importer.SetProgressHandler(new ReadProgress(progress));  // the importer owns it
    const unsigned readFlags = aiProcess_ValidateDataStructure | aiProcess_SortByPType;
    const aiScene* scene = importer.ReadFile(options.model, readFlags);
    if (!scene || !scene->mRootNode) {
        *error = options.model + ": " + importer.GetErrorString();
        return false;
    }
    if (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) {
        *error = options.model + ": the model is incomplete (no geometry Assimp can use)";
        return false;
    }
    // Count what the file holds before polygons become triangles, once for
    // every place a mesh is used.
    std::vector<long> polygons(scene->mNumMeshes), others(scene->mNumMeshes);
    for (unsigned m = 0; m < scene->mNumMeshes; m++) {
        const aiMesh* mesh = scene->mMeshes[m];
        for (unsigned f = 0; f < mesh->mNumFaces; f++)
            (mesh->mFaces[f].mNumIndices >= 3 ? polygons : others)[m]++;
    }
    CountUses(scene->mRootNode, polygons, &model->polygonsRead);
    CountUses(scene->mRootNode, others, &model->pointsAndLines);
    scene = importer.ApplyPostProcessing(aiProcess_Triangulate);
    if (!scene) {
        *error = options.model + ": " + importer.GetErrorString();
        return false;
    }
    model->meshes = (int)scene->mNumMeshes;
    std::vector<long> triangles(scene->mNumMeshes);
    for (unsigned m = 0; m < scene->mNumMeshes; m++)
        for (unsigned f = 0; f < scene->mMeshes[m]->mNumFaces; f++)
            if (scene->mMeshes[m]->mFaces[f].mNumIndices == 3) triangles[m]++;
    CountUses(scene->mRootNode, triangles, &model->trianglesRead);

    std::string ext = Extension(options.model);
    char up = options.up ? options.up : UpFromMetadata(scene);
    if (!up) up = ZUpByDefault(ext) ? 'z' : 'y';
    double metres = options.scale;
    model->unitSource = "--scale";
    if (!(metres > 0)) {
        metres = MetresFromMetadata(scene, ext);
        model->unitSource = "the file's unit";
    }
    if (!(metres > 0)) {
        metres = 1;
        model->unitSource = "metres assumed";
    }
    model->scale = metres * UNITS_PER_METRE;
    model->up = up;

    std::string modelDir = ".";
    size_t slash = options.model.find_last_of('/');
    if (slash != std::string::npos) modelDir = slash == 0 ? "/" : options.model.substr(0, slash);
    std::vector<MaterialLook> looks = ReadMaterials(scene, modelDir, model);
    Walker walker{scene, &looks, up, model->scale, model};
    walker.Walk(scene->mRootNode, aiMatrix4x4());
    model->smoothNormals =
        walker.normalTriangles > 0 && walker.smoothTriangles * 4 > walker.normalTriangles;
    ReadCameras(scene, up, model->scale, model);
    ReadBackground(scene, model);

    if (model->pointsAndLines > 0)
        log->Warn(std::to_string(model->pointsAndLines) + " points and lines dropped (the scene has only polygons)");
    if (model->badTriangles > 0)
        log->Warn(std::to_string(model->badTriangles) +
                  " triangles dropped for NaN, infinite or enormous coordinates");
    if (model->triangles.empty()) {
        *error = options.model + ": no polygons to walk among";
        return false;
    }
    return true;
}
