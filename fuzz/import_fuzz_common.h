// import_fuzz_common.h -- what the two import fuzz targets share: the
// importer's side of an import run on records, into a folder that is
// emptied after every input.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/import/import_run.h"

// Bounds that keep one input's run short, where the program's are
// MAX_PLACED_TRIANGLES and MAX_WALL_POINTS: a tiny input can reach either.
constexpr long FUZZ_MAX_PLACED_TRIANGLES = 200000;
constexpr size_t FUZZ_MAX_WALL_POINTS = 20000;

// A folder of this process's own for the scenes written, gone at exit.
inline const std::string& FuzzSceneFolder() {
    // Never destroyed, so the exit handler still has it.
    static const std::string* folder = [] {
        auto dir = new std::string(std::filesystem::temp_directory_path().string() + "/ambler-import-fuzz-" +
                                   std::to_string(getpid()));
        std::filesystem::create_directories(*dir);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(FuzzSceneFolder(), ec);
        });
        return dir;
    }();
    return *folder;
}

// The importer's side on what the records hold: checks, conversion, the
// textures, the scene built, written and read back.
inline void ImportRecords(MemoryRecords& records, const std::string& name) {
    ImportOptions options;
    options.model = name;
    options.progress = false;
    options.maxPlacedTriangles = FUZZ_MAX_PLACED_TRIANGLES;
    options.maxWallPoints = FUZZ_MAX_WALL_POINTS;
    std::unique_ptr<ModelSource> source = MakeWireSource(records, name, nullptr);
    ImportResult result;
    BuildSceneFolder(*source, options, FuzzSceneFolder(), [](const char*, double) {}, &result);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(FuzzSceneFolder(), ec))
        std::filesystem::remove_all(entry.path(), ec);
}
