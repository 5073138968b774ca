// main.cpp -- ambler-import MODEL [OUT_DIR] [options]: turns a 3D model
// into a scene folder (Hod.pro and its bitmaps) that ambler opens.
// Exit status: 0 written; 2 a model that cannot be read or made to fit
// (however its reader ended), a wrong command line, or an output folder
// that may not be used; 1 the scene cannot be written. A failure's last
// line on standard error says why.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <new>
#include <string>

#include "app/signals.h"
#include "tools/import/import_run.h"

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
    "  --shading sun|none  light faces by a fixed sun and the sky (default), or not\n"
    "  --time-limit S      stop reading the model after S seconds (default 60)\n"
    "  --no-progress       no progress bar on a terminal\n"
    "  --sources FILE      list the model and its texture files in FILE, one a line\n"
    "  --version           print the importer's version\n";

namespace {

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
        } else if (a == "--time-limit") {
            if (!value(&o->timeLimit)) return false;
            if (!(o->timeLimit > 0 && o->timeLimit <= 86400))
                return *error = "--time-limit must lie between 0 and 86400 seconds", false;
        } else if (a == "--heading") {
            if (!value(&o->heading)) return false;
            o->headingGiven = true;
        } else if (a == "--view-mode") {
            double m;
            if (!value(&m)) return false;
            if (m != 1 && m != 2 && m != 3 && m != 4) return *error = "--view-mode is 1, 2, 3 or 4", false;
            o->viewMode = (int)m;
        } else if (a == "--sources") {
            if (k + 1 >= argc) return *error = "--sources needs a file", false;
            o->sourcesList = argv[++k];
        } else if (a == "--shading") {
            if (k + 1 >= argc || (std::strcmp(argv[k + 1], "sun") && std::strcmp(argv[k + 1], "none")))
                return *error = "--shading is sun or none", false;
            o->shading = std::strcmp(argv[++k], "sun") == 0;
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

// Caps the importer's own address space, so that a model checked and
// converted but still too large fails with a message instead of driving
// the machine into swap: 2 GB and 40 times the file (the most any real
// model has needed as triangles, textures and scene text), and at most
// three quarters of the machine. The model reader has its own, lower cap.
// Sanitizer builds reserve vast shadow regions, so they go without.
void CapMemory([[maybe_unused]] const std::string& model) {
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

// The model and every texture file it names that is there, absolute, so
// that a program watching them (ambler MODEL --watch) sees each change.
bool WriteSourcesList(const ImportOptions& o, const std::vector<std::string>& references) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path model = fs::absolute(o.model, ec);
    std::set<std::string> files{model.lexically_normal().string()};
    for (std::string reference : references) {
        if (reference.empty() || reference[0] == '*' || reference.rfind("data:", 0) == 0) continue;  // inside the model
        std::replace(reference.begin(), reference.end(), '\\', '/');
        fs::path path = fs::path(reference).is_absolute() ? fs::path(reference) : model.parent_path() / reference;
        if (fs::is_regular_file(path, ec)) files.insert(path.lexically_normal().string());
    }
    FILE* out = std::fopen(o.sourcesList.c_str(), "w");
    if (!out) return false;
    for (const std::string& file : files) std::fprintf(out, "%s\n", file.c_str());
    return std::fclose(out) == 0;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void PrintReport(const ImportOptions& o, const ImportResult& result, double seconds) {
    struct rusage self, reader;
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &reader);
    const ModelData& model = result.model;
    const BuildReport& r = result.report;
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
    std::printf("  shading          %s\n", o.shading ? "sun and sky" : "none (--shading none)");
    std::printf("  time             %.2f s, peak memory %.1f MB (model reader %.1f MB)\n", seconds,
                self.ru_maxrss / 1024.0, reader.ru_maxrss / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    UseLargePagesForHeap(argv);
    auto began = std::chrono::steady_clock::now();
    ImportOptions options;
    std::string error;
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("ambler-import %s\n", AMBLER_VERSION);
        return EXIT_WRITTEN;
    }
    if (!ParseArguments(argc, argv, &options, &error)) {
        std::fprintf(stderr, "ambler-import: %s\n%s", error.c_str(), USAGE);
        return EXIT_BAD_INPUT;
    }
    CapMemory(options.model);
    ProgressBar bar{options.progress && isatty(STDERR_FILENO)};
    ProgressFn progress = [&](const char* stage, double f) { bar.Show(stage, f); };
    ImportResult result;
    // The reader first, while this is the only thread (import_run.h).
    std::unique_ptr<ModelSource> source = StartModelRead(options, ReadPlace::READER_PROCESS, progress, &result.error);
    // A quit signal then ends the reader and removes the folder under way.
    QuitSignalPolicy quit;
    quit.killChildren = true;
    quit.lastWords = RemoveImportOnForcedQuit;
    InstallQuitSignals(quit);

    int status = source ? ImportModel(options, *source, progress, &result) : EXIT_WRITE_FAILED;
    bar.Clear();
    if (status != EXIT_WRITTEN) {
        for (const std::string& w : result.log.warnings) std::fprintf(stderr, "warning: %s\n", w.c_str());
        std::fprintf(stderr, "ambler-import: %s\n", result.error.c_str());
        return status;
    }
    if (!options.sourcesList.empty() && !WriteSourcesList(options, result.textureReferences)) {
        std::fprintf(stderr, "ambler-import: cannot write %s\n", options.sourcesList.c_str());
        return EXIT_WRITE_FAILED;
    }
    PrintReport(options, result, Seconds(began));
    for (const std::string& w : result.log.warnings) std::printf("warning: %s\n", w.c_str());
    return EXIT_WRITTEN;
}
