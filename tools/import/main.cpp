// main.cpp -- ambler-import MODEL [OUT_DIR] [options]: turns a 3D model
// into a scene folder (Hod.pro and its bitmaps) that ambler opens.
// Exit status: 0 written; 2 a model that cannot be read or made to fit, a
// wrong command line, or an output folder that may not be used; 1 the
// scene cannot be written.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "scene/scene.h"
#include "scene/scene_file.h"
#include "tools/import/import.h"
#include "tools/import/scene_folder.h"
#include "tools/lib/bitmap_writer.h"
#include "tools/lib/textures_procedural.h"

static const char USAGE[] =
    "usage: ambler-import MODEL [OUT_DIR] [options]\n"
    "Writes a scene folder (default: named after the model) that ambler opens.\n"
    "  --force             replace an existing OUT_DIR\n"
    "  --scale M           metres per model unit (default: the file's unit, or 1)\n"
    "  --up y|z            the model's up axis (default: from the file or its format)\n"
    "  --eye-height M      eye height in metres (default 1.7)\n"
    "  --start X,Y,Z       start here (model units and axes), on the floor below\n"
    "  --heading DEG       start heading in degrees (0 looks along the scene's -z)\n"
    "  --view-mode 1..4    1 walk (default), 3 follow, 2 drive, 4 chase\n"
    "  --no-obstacles      no walls to stop the walker\n"
    "  --no-progress       no progress bar on a terminal\n";

namespace {

enum { EXIT_WRITTEN = 0, EXIT_WRITE_FAILED = 1, EXIT_BAD_INPUT = 2 };

bool ParseNumber(const char* text, double* out) {
    char* end = nullptr;
    double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

// The command line into options; false with a message when it is wrong.
bool ParseArguments(int argc, char** argv, ImportOptions* o, std::string* error) {
    std::vector<std::string> positional;
    for (int k = 1; k < argc; k++) {
        std::string a = argv[k];
        auto value = [&](double* out) {
            if (k + 1 >= argc || !ParseNumber(argv[k + 1], out)) {
                *error = a + " needs a number";
                return false;
            }
            k++;
            return true;
        };
        if (a == "--force") o->force = true;
        else if (a == "--no-obstacles") o->obstacles = false;
        else if (a == "--no-progress") o->progress = false;
        else if (a == "--scale") {
            if (!value(&o->scale)) return false;
            if (!(o->scale > 0)) return *error = "--scale must be above 0", false;
        } else if (a == "--eye-height") {
            if (!value(&o->eyeHeight)) return false;
            if (!(o->eyeHeight > 0.1 && o->eyeHeight <= 10))
                return *error = "--eye-height must lie between 0.1 and 10 metres", false;
        } else if (a == "--heading") {
            if (!value(&o->heading)) return false;
            o->headingGiven = true;
        } else if (a == "--view-mode") {
            double m;
            if (!value(&m)) return false;
            if (m != 1 && m != 2 && m != 3 && m != 4) return *error = "--view-mode is 1, 2, 3 or 4", false;
            o->viewMode = (int)m;
        } else if (a == "--up") {
            if (k + 1 >= argc || (std::strcmp(argv[k + 1], "y") && std::strcmp(argv[k + 1], "z")))
                return *error = "--up is y or z", false;
            o->up = argv[++k][0];
        } else if (a == "--start") {
            double* s = o->start;
            char tail;
            if (k + 1 >= argc || std::sscanf(argv[k + 1], "%lf,%lf,%lf%c", &s[0], &s[1], &s[2], &tail) != 3 ||
                !std::isfinite(s[0]) || !std::isfinite(s[1]) || !std::isfinite(s[2]))
                return *error = "--start needs X,Y,Z", false;
            k++;
            o->startGiven = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return *error = "unknown option " + a, false;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.empty() || positional.size() > 2) return *error = "one MODEL and at most one OUT_DIR", false;
    o->model = positional[0];
    if (positional.size() == 2) {
        o->outDir = positional[1];
    } else {
        // The model's name without folder or extension, in the working folder.
        std::string base = o->model.substr(o->model.find_last_of('/') + 1);
        size_t dot = base.find_last_of('.');
        o->outDir = dot == std::string::npos || dot == 0 ? base + "-scene" : base.substr(0, dot);
    }
    while (o->outDir.size() > 1 && o->outDir.back() == '/') o->outDir.pop_back();
    return true;
}

// A bar on standard error for imports that take more than a second, only
// on a terminal.
struct ProgressBar {
    bool enabled;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    bool shown = false;
    void Show(const char* stage, double fraction) {
        if (!enabled || std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) return;
        const int WIDTH = 30;
        int filled = (int)(std::clamp(fraction, 0.0, 1.0) * WIDTH);
        std::fprintf(stderr, "\r[%-*s] %3d%% %-10s", WIDTH, std::string(filled, '#').c_str(),
                     (int)(fraction * 100), stage);
        std::fflush(stderr);
        shown = true;
    }
    void Clear() {
        if (shown) std::fprintf(stderr, "\r%*s\r", 50, "");
    }
};

// Decodes and writes every texture once; names[k] stays "" for a texture
// that could not be had (its polygons then go to the plain list).
bool WriteTextures(const ModelData& model, const std::string& dir, std::vector<std::string>* names,
                   int* written, ImportLog* log, ProgressBar* bar, std::string* error) {
    // The figures' own pictures keep their names.
    std::vector<std::string> taken;
    for (int t = 0; t < PTEX_COUNT; t++) taken.push_back(ProceduralTextureFile((ProceduralTexture)t));
    names->assign(model.textures.size(), "");
    for (size_t k = 0; k < model.textures.size(); k++) {
        bar->Show("textures", (double)k / model.textures.size());
        const TextureSource& source = model.textures[k];
        DecodedTexture picture;
        std::string why;
        if (!DecodeTexture(source, &picture, &why)) {
            log->Warn("texture " + source.reference + ": " + why +
                      "; its polygons are drawn in their base colour");
            continue;
        }
        int w = picture.width, h = picture.height;
        if (ShrinkToFit(&picture, MAX_TEXTURE_SIDE))
            log->Warn("texture " + source.reference + " scaled down from " + std::to_string(w) + "x" +
                      std::to_string(h) + " to " + std::to_string(picture.width) + "x" +
                      std::to_string(picture.height) + " (the GL's limit)");
        std::string name = SafeTextureName(source.reference, &taken);
        if (!WriteBitmap24((dir + "/" + name).c_str(), picture.rgb.data(), picture.width, picture.height)) {
            *error = "cannot write " + dir + "/" + name;
            return false;
        }
        (*names)[k] = name;
        ++*written;
    }
    return true;
}

// The pictures the view mode's figure wears, beside the model's.
bool WriteFigureTextures(const SceneDescription& scene, const std::string& dir, std::string* error) {
    for (int t = 0; t < PTEX_COUNT; t++) {
        std::string file = ProceduralTextureFile((ProceduralTexture)t);
        bool used = false;
        for (const SceneVertex& v : scene.avatarVertices) used = used || (v.texFlag == 1 && v.texName == file);
        if (used && !WriteProceduralTexture(dir, (ProceduralTexture)t)) {
            *error = "cannot write " + dir + "/" + file;
            return false;
        }
    }
    return true;
}

// The written file read back by the program's own reader: the lists must
// come back whole.
bool ReadsBack(const std::string& path, const SceneDescription& scene, std::string* error) {
    auto loaded = std::make_unique<Scene>();  // the tool's own standard input is not the scene's
    ReadSceneFile(*loaded, path.c_str(), false, SceneReadOptions());
    SceneDescription read;
    DescribeLoadedScene(read, *loaded);
    bool same = read.texVertices.size() == scene.texVertices.size() &&
                read.flatVertices.size() == scene.flatVertices.size() &&
                read.obstacles.size() == scene.obstacles.size() &&
                read.avatarVertices.size() == scene.avatarVertices.size();
    if (!same) *error = "the written scene does not read back whole: " + path;
    return same;
}

// Caps the address space, so a model made to make Assimp allocate without
// end fails with a message instead of driving the machine into swap: 2 GB
// and 40 times the file (the most any real model has needed as triangles,
// textures and scene text), and at most three quarters of the machine.
// Sanitizer builds reserve vast shadow regions, so they go without.
void CapMemory(const std::string& model) {
#if !defined(__SANITIZE_ADDRESS__)
    long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGESIZE);
    struct stat info;
    if (pages <= 0 || size <= 0 || stat(model.c_str(), &info) != 0) return;
    rlim_t cap = std::min<rlim_t>((rlim_t)pages / 4 * 3 * (rlim_t)size,
                                  ((rlim_t)2 << 30) + 40 * (rlim_t)info.st_size);
    struct rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) == 0 && (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > cap)) {
        limit.rlim_cur = cap;
        setrlimit(RLIMIT_AS, &limit);
    }
#endif
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void PrintReport(const ImportOptions& o, const ModelData& model, const BuildReport& r, double seconds) {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    long kept = r.texturedKept + r.flatKept;
    std::printf("ambler-import: %s -> %s\n", o.model.c_str(), o.outDir.c_str());
    std::printf("  meshes           %d\n", model.meshes);
    std::printf("  polygons read    %ld (%ld triangles)\n", model.polygonsRead, model.trianglesRead);
    std::printf("  triangles kept   %ld (%ld textured, %ld plain)\n", kept, r.texturedKept, r.flatKept);
    std::printf("  textures written %d\n", r.texturesWritten);
    std::printf("  obstacle points  %ld%s\n", r.obstaclePoints, o.obstacles ? "" : " (--no-obstacles)");
    std::printf("  start            x %.2f, eye y %.2f, z %.2f, heading %.1f (%s)\n", r.start.x, r.eyeY,
                r.start.z, r.start.heading, r.start.how.c_str());
    std::printf("  scale            %.4g units per model unit (%s; %g units to the metre), up axis %c\n",
                model.scale, model.unitSource.c_str(), UNITS_PER_METRE, model.up);
    std::printf("  view mode        %d\n", o.viewMode);
    std::printf("  time             %.2f s, peak memory %.1f MB\n", seconds, usage.ru_maxrss / 1024.0);
}

}  // namespace

// The import itself; main adds the one failure no stage can report.
int Import(int argc, char** argv) {
    auto began = std::chrono::steady_clock::now();
    ImportOptions options;
    std::string error;
    if (!ParseArguments(argc, argv, &options, &error)) {
        std::fprintf(stderr, "ambler-import: %s\n%s", error.c_str(), USAGE);
        return EXIT_BAD_INPUT;
    }
    CapMemory(options.model);
    ProgressBar bar{options.progress && isatty(STDERR_FILENO)};
    ImportLog log;
    auto fail = [&](int status, const std::string& staging) {
        bar.Clear();
        AbandonSceneFolder(staging);
        for (const std::string& w : log.warnings) std::fprintf(stderr, "warning: %s\n", w.c_str());
        std::fprintf(stderr, "ambler-import: %s\n", error.c_str());
        return status;
    };

    std::string staging;
    if (!StartSceneFolder(options.outDir, options.force, options.model, &staging, &error))
        return fail(EXIT_BAD_INPUT, "");
    ModelData model;
    ProgressFn progress = [&](const char* stage, double f) { bar.Show(stage, f); };
    if (!ReadModel(options, &model, &log, progress, &error)) return fail(EXIT_BAD_INPUT, staging);

    std::vector<std::string> names;
    BuildReport report;
    if (!WriteTextures(model, staging, &names, &report.texturesWritten, &log, &bar, &error))
        return fail(EXIT_WRITE_FAILED, staging);
    SceneDescription scene;
    if (!BuildScene(options, model, names, &scene, &report, &log, progress, &error))
        return fail(EXIT_BAD_INPUT, staging);
    bar.Show("writing", 0.9);
    std::string file = staging + "/Hod.pro";
    if (!WriteSceneFile(file, scene) || !WriteFigureTextures(scene, staging, &error)) {
        if (error.empty()) error = "cannot write " + file;
        return fail(EXIT_WRITE_FAILED, staging);
    }
    if (!ReadsBack(file, scene, &error)) return fail(EXIT_WRITE_FAILED, staging);
    if (!FinishSceneFolder(staging, options.outDir, &error)) return fail(EXIT_WRITE_FAILED, staging);
    bar.Clear();
    PrintReport(options, model, report, Seconds(began));
    for (const std::string& w : log.warnings) std::printf("warning: %s\n", w.c_str());
    return EXIT_WRITTEN;
}

int main(int argc, char** argv) {
    try {
        return Import(argc, argv);
    } catch (const std::bad_alloc&) {
        // The temporary folder may be left: nothing more can be done safely.
        std::fprintf(stderr, "ambler-import: out of memory\n");
        return EXIT_BAD_INPUT;
    }
}
