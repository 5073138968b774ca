// import_run.cpp -- one import from start to end: the output folder begun,
// the model taken from its source (the reading process, as a rule),
// checked and converted, its pictures written, the scene built, written,
// read back and moved into place -- or, on any failure, nothing left.
#include "tools/import/import_run.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>

#include "scene/scene.h"
#include "scene/scene_file.h"
#include "tools/import/reader_process.h"
#include "tools/import/scene_folder.h"
#include "tools/lib/bitmap_writer.h"
#include "tools/lib/textures_procedural.h"

namespace {

// The folder being built, for a forced end to remove. Moving it into place
// holds the lock, so a forced end never sees it half moved.
std::mutex stagingLock;
std::string stagingToRemove;

void SetStagingToRemove(const std::string& path) {
    std::lock_guard<std::mutex> hold(stagingLock);
    stagingToRemove = path;
}

// Takes every texture from the source and writes those it has pixels for;
// names[k] stays "" for the others (their polygons go to the plain list).
bool WriteTextures(ModelSource& source, const std::vector<std::string>& references, const std::string& dir,
                   std::vector<std::string>* names, int* written, ImportLog* log, const ProgressFn& progress,
                   std::string* error, int* status) {
    size_t count = references.size();
    // The figures' own pictures keep their names.
    std::vector<std::string> taken;
    for (int t = 0; t < PTEX_COUNT; t++) taken.push_back(ProceduralTextureFile((ProceduralTexture)t));
    names->assign(count, "");
    for (size_t k = 0; k < count; k++) {
        progress("textures", (double)k / count);
        RawTexture texture;
        if (!source.Texture(k, &texture, error)) return *status = EXIT_BAD_INPUT, false;
        std::string shown = PrintableText(references[k]);
        if (!texture.problem.empty()) {
            log->Warn("texture " + shown + ": " + texture.problem + "; its polygons are drawn in their base colour");
            continue;
        }
        const DecodedTexture& picture = texture.picture;
        if (picture.width != texture.originalWidth || picture.height != texture.originalHeight)
            log->Warn("texture " + shown + " scaled down from " + std::to_string(texture.originalWidth) + "x" +
                      std::to_string(texture.originalHeight) + " to " + std::to_string(picture.width) + "x" +
                      std::to_string(picture.height) + " (the GL's limit)");
        std::string name = SafeTextureName(references[k], &taken);
        if (!WriteBitmap24((dir + "/" + name).c_str(), picture.rgb.data(), picture.width, picture.height)) {
            *error = "cannot write " + dir + "/" + name;
            return *status = EXIT_WRITE_FAILED, false;
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

}  // namespace

int BuildSceneFolder(ModelSource& source, const ImportOptions& options, const std::string& folder,
                     const ProgressFn& progress, ImportResult* result) {
    std::string& error = result->error;
    ImportLog& log = result->log;
    ModelData& model = result->model;
    std::vector<std::string> references, names;
    {
        RawModel raw;
        if (!source.Model(&raw, &error) ||
            !ConvertModel(raw, options.model, &model, &log, &error, options.maxPlacedTriangles))
            return EXIT_BAD_INPUT;
        references.swap(raw.textures);
        result->textureReferences = references;
    }  // the meshes are triangles now
    int status = EXIT_WRITTEN;
    if (!WriteTextures(source, references, folder, &names, &result->report.texturesWritten, &log, progress,
                       &error, &status))
        return status;

    SceneDescription scene;
    if (!BuildScene(options, model, names, &scene, &result->report, &log, progress, &error))
        return EXIT_BAD_INPUT;
    model.triangles = std::vector<Triangle>();  // in the scene now
    progress("writing", 0.9);
    std::string file = folder + "/Hod.pro";
    if (!WriteSceneFile(file, scene) || !WriteFigureTextures(scene, folder, &error)) {
        if (error.empty()) error = "cannot write " + file;
        return EXIT_WRITE_FAILED;
    }
    if (!ReadsBack(file, scene, &error)) return EXIT_WRITE_FAILED;
    // Last, so the reader's exit overlaps the building: a reader that ends
    // badly even now leaves nothing.
    if (!source.Finish(&error)) return EXIT_BAD_INPUT;
    return EXIT_WRITTEN;
}

std::unique_ptr<ModelSource> StartModelRead(const ImportOptions& options, ReadPlace place,
                                            const ProgressFn& progress, std::string* error) {
    if (place == ReadPlace::IN_PROCESS) return MakeAssimpSource(options, progress);
    return StartReaderProcess(options, progress, error);
}

int ImportModel(const ImportOptions& options, ModelSource& source, const ProgressFn& progress,
                ImportResult* result) {
    std::string staging;
    if (!StartSceneFolder(options.outDir, options.force, options.model, &staging, &result->error))
        return EXIT_BAD_INPUT;
    SetStagingToRemove(staging);
    int status = EXIT_WRITE_FAILED;
    try {
        status = BuildSceneFolder(source, options, staging, progress, result);
    } catch (const std::bad_alloc&) {
        result->error = options.model + ": out of memory";
        status = EXIT_BAD_INPUT;
    } catch (const std::exception& e) {
        result->error = options.model + ": " + PrintableText(e.what());
        status = EXIT_BAD_INPUT;
    }
    std::lock_guard<std::mutex> hold(stagingLock);
    stagingToRemove.clear();
    if (status == EXIT_WRITTEN && FinishSceneFolder(staging, options.outDir, &result->error)) return EXIT_WRITTEN;
    AbandonSceneFolder(staging);
    return status == EXIT_WRITTEN ? EXIT_WRITE_FAILED : status;
}

int ImportModel(const ImportOptions& options, ReadPlace place, const ProgressFn& progress, ImportResult* result) {
    std::unique_ptr<ModelSource> source = StartModelRead(options, place, progress, &result->error);
    return source ? ImportModel(options, *source, progress, result) : EXIT_WRITE_FAILED;
}

void RemoveImportOnForcedQuit() {
    std::lock_guard<std::mutex> hold(stagingLock);
    if (stagingToRemove.empty()) return;
    // Renamed first, so the import's next write by name fails instead of
    // refilling the folder while it is removed.
    std::string gone = stagingToRemove + ".gone";
    AbandonSceneFolder(std::rename(stagingToRemove.c_str(), gone.c_str()) == 0 ? gone : stagingToRemove);
}

void UseLargePagesForHeap(char** argv) {
    // An import touches a few hundred megabytes once each. In 4 KiB pages
    // the faults cost more than the reading (some 10 us each on a virtual
    // machine), and the reading process pays them a second time for what a
    // single process would have reused: 2 MiB pages make both cheap.
    // The C library asks for them only when told so at start-up.
    const char* TUNABLE = "glibc.malloc.hugetlb";
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (tunables && std::strstr(tunables, TUNABLE)) return;  // set, by us or by the user
    std::ifstream policy("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string line;
    // "[always]": the kernel gives them unasked; "[never]": not at all.
    if (!std::getline(policy, line) || line.find("[madvise]") == std::string::npos) return;
    std::string value = tunables && *tunables ? std::string(tunables) + ":" : std::string();
    value += std::string(TUNABLE) + "=1";
    if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
    execv("/proc/self/exe", argv);
    // No restart (no /proc, say): small pages it is.
}
