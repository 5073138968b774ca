// import.h -- ambler-import's stages: reading a model into scene units,
// decoding its textures, fitting it to the lists' capacities, finding walls
// and a place to start, and writing the scene folder.
//
// Scene conventions, as the demo generator uses them: 10 units to the
// metre, up is minus y, heading 0 walks toward minus z.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/lib/scene_writer.h"

constexpr double UNITS_PER_METRE = 10.0;  // the demos' scale: a 2 m door is 20 units

struct Point3 {
    double x = 0, y = 0, z = 0;
};

// One triangle of the model in scene units, with its texture coordinates
// (meaningful when texture >= 0) and its base colour.
struct Triangle {
    Point3 p[3];
    double s[3] = {}, t[3] = {};
    double colour[3] = {1, 1, 1};
    int texture = -1;  // index into ModelData::textures, or -1 for a plain polygon
    int mesh = 0;      // which source mesh it came from (kept together when simplifying)
};

// Decoded RGB pixels, rows bottom first as the bitmap loader returns them.
struct DecodedTexture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

// A texture the model names: where its pixels come from. Files are decoded
// later; embedded pictures are copied out of Assimp's scene while it lives.
struct TextureSource {
    std::string reference;  // the name inside the model (file path or "*N")
    std::string file;       // path on disk when it is a file, "" when embedded
    bool embedded = false;
    std::vector<unsigned char> compressed;  // an embedded PNG, JPEG, ... file
    DecodedTexture raw;                     // an embedded picture Assimp has as pixels
};

struct ModelCamera {
    Point3 position;  // scene units
    double heading = 0;  // the program's sense: degrees, 0 toward minus z, 90 toward plus x
};

// What a model holds once it is in scene units.
struct ModelData {
    std::vector<Triangle> triangles;
    std::vector<ModelCamera> cameras;
    int meshes = 0;
    long polygonsRead = 0;    // faces of three or more corners, before splitting into triangles
    long trianglesRead = 0;
    long pointsAndLines = 0;  // dropped: the scene has no points or lines
    long badTriangles = 0;    // dropped for NaN, infinite or enormous coordinates
    double scale = 1;         // scene units per model unit
    char up = 'y';            // the model's up axis as read
    std::string unitSource;   // where the scale came from
    bool smoothNormals = false;
    bool hasBackground = false;
    double background[3] = {};
};

// Most triangles the importer holds at once, every use of a mesh counted:
// beyond this a model is a bomb, not a building (about 1 GiB of triangles).
constexpr long MAX_PLACED_TRIANGLES = 7000000;
// Most obstacle points: some 150 km of wall at the walk's spacing, while a
// damaged model's one face from here to the far side of the earth would
// ask for a hundred million.
constexpr size_t MAX_WALL_POINTS = 1000000;

struct ImportOptions {
    std::string model;
    std::string outDir;
    bool force = false;
    double scale = 0;          // metres per model unit; 0: from the file or 1
    double eyeHeight = 1.7;    // metres
    bool startGiven = false;
    double start[3] = {};      // model units as given on the command line, converted on use
    bool headingGiven = false;
    double heading = 0;        // degrees, the program's sense
    int viewMode = 1;
    bool obstacles = true;
    char up = 0;               // 'y' or 'z'; 0: from the file or its format
    bool progress = true;
    std::string sourcesList;   // "": none; else the files the scene was made from are listed there
    bool shading = true;       // fold the fixed sun and sky into the colours (shading.cpp)
    double timeLimit = 60;     // seconds the model's read may take (reader_process.h)
    // The fuzz targets keep their runs short with less of these.
    long maxPlacedTriangles = MAX_PLACED_TRIANGLES;
    size_t maxWallPoints = MAX_WALL_POINTS;
};

// Warnings collected along the way, printed with the report.
struct ImportLog {
    std::vector<std::string> warnings;
    void Warn(const std::string& text) { warnings.push_back(text); }
};

// Progress of the slow stages, 0..1 each; shown only on a terminal.
using ProgressFn = std::function<void(const char* stage, double fraction)>;

// ---- model_convert.cpp (reading a model: model_source.h) ----
// Maps a point given in the model's own axes and units to scene units.
Point3 ModelToScene(const Point3& p, char up, double scale);
// Largest magnitude a coordinate may have once in scene units: beyond it
// the model is broken, not large (a 10,000 km model is nothing to walk).
constexpr double MAX_SCENE_COORDINATE = 1e8;
// Whether a point in scene units is finite and within that bound.
bool InSceneRange(const Point3& p);

// ---- texture_files.cpp ----
// Largest side written: textures beyond it are scaled down. Every driver
// still in use takes 2048 texels a side.
constexpr int MAX_TEXTURE_SIDE = 2048;
// Decodes a texture file, or the compressed bytes of an embedded one, with
// stb_image. False with *error set when it cannot.
bool DecodeTextureFile(const std::string& path, DecodedTexture* out, std::string* error);
bool DecodeTextureMemory(const unsigned char* data, size_t size, DecodedTexture* out,
                         std::string* error);
// The pixels of a texture source; false with *error set when there are none.
bool DecodeTexture(const TextureSource& source, DecodedTexture* out, std::string* error);
// Scales a picture down, keeping its shape, until both sides fit within
// maxSide. True when it had to.
bool ShrinkToFit(DecodedTexture* texture, int maxSide);
// A file name for a texture that is safe to write under the output folder:
// letters, digits, '-', '_' and '.', ending in ".bmp", at most 60
// characters, unique among taken (which it extends).
std::string SafeTextureName(const std::string& reference, std::vector<std::string>* taken);

// ---- capacity.cpp ----
// Vertex capacities of the lists the importer fills.
constexpr long TEXTURED_VERTEX_LIMIT = 100001;  // the reader's textured-list capacity
// The reader takes any plain list, but every vertex is sent in immediate
// mode each frame; this keeps a frame's work near the textured list's.
constexpr long FLAT_VERTEX_LIMIT = 300000;
struct FitResult {
    long trianglesBefore = 0, trianglesAfter = 0;
    bool simplified = false;
    bool fits = true;
};
// Simplifies the triangles of one list (all textured or all plain) until
// three vertices each fit within limit vertices. fits is false when even
// the coarsest simplification does not.
FitResult FitToCapacity(std::vector<Triangle>* triangles, long limit);

// ---- walls.cpp ----
struct WallOptions {
    double floorY = 0;         // scene y of the walking floor
    double kneeHeight = 5;     // units above the floor: lower faces give no points
    double headHeight = 18;    // units above the floor: higher faces give no points
    double spacing = 1.5;      // units between points along a wall
    size_t maxPoints = MAX_WALL_POINTS;
};
// Obstacle points along the footprint of every near-vertical face that
// reaches between knee and head height above the floor, one per spacing,
// up to options.maxPoints (*capped is set when the walls had more).
std::vector<ScenePoint> WallPoints(const std::vector<Triangle>& triangles, const WallOptions& options,
                                   bool* capped = nullptr);

// ---- placement.cpp ----
struct StartPlace {
    double x = 0, z = 0, floorY = 0;
    double heading = 0;
    double floorArea = 0;  // square units of the floor it stands on
    std::string how;       // for the report
};
// The floor heights of upward-facing surfaces; the walking floor is the
// lowest one that holds at least half the largest one's area.
double FindWalkingFloor(const std::vector<Triangle>& triangles);
// The highest upward-facing surface under (x, z) no higher than aboveY
// (scene y grows downward); fallback when there is none.
double FloorBelow(const std::vector<Triangle>& triangles, double x, double z, double aboveY,
                  double fallback);
// A point on the walking floor at least clearance from every obstacle
// point, as open as the floor allows, and the heading along the longest
// open direction from it.
StartPlace ChooseStart(const std::vector<Triangle>& triangles, const std::vector<ScenePoint>& walls,
                       double floorY, double clearance);
// The heading (degrees, the program's sense) from (x, z) along which the
// nearest wall point is farthest, looking no farther than reach.
double LongestOpenHeading(const std::vector<ScenePoint>& walls, double x, double z,
                          double radius, double reach);

// ---- shading.cpp ----
// The brightness, at most 1, of a face lit by a fixed sun high overhead
// and by the sky; it multiplies the face's colour.
double ShadeLevel(const Triangle& t);

// ---- scene_build.cpp ----
struct BuildReport {
    long texturedKept = 0, flatKept = 0;
    long texturedSimplifiedFrom = 0, flatSimplifiedFrom = 0;
    int texturesWritten = 0;
    long obstaclePoints = 0;
    StartPlace start;
    double eyeY = 0;
};
// Settings, lights, start, walls, figures and the polygon lists of the
// scene. textureNames[k] is the bitmap written for texture k, "" when it
// was not written (its polygons go to the plain list).
bool BuildScene(const ImportOptions& options, const ModelData& model,
                const std::vector<std::string>& textureNames, SceneDescription* scene,
                BuildReport* report, ImportLog* log, const ProgressFn& progress, std::string* error);
