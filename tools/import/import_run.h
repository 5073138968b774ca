// import_run.h -- one whole import, as ambler-import runs it and as the
// benchmark and the fuzz targets run parts of it.
#pragma once

#include <memory>
#include <string>

#include "tools/import/model_source.h"
#include "tools/import/model_wire.h"

// ambler-import's exit statuses.
enum {
    EXIT_WRITTEN = 0,       // the scene folder is in place
    EXIT_WRITE_FAILED = 1,  // the scene could not be written (or the reader could not be started)
    EXIT_BAD_INPUT = 2,     // the model cannot be read or made to fit, however its reader ended;
                            // or a wrong command line or output folder
};

// Where the model is read: in a process of its own (always, in the
// program), or in this one (to measure what the process costs).
enum class ReadPlace { READER_PROCESS, IN_PROCESS };

struct ImportResult {
    ModelData model;    // counts, scale and axes; the triangles are let go once in the scene
    BuildReport report;
    ImportLog log;
    std::vector<std::string> textureReferences;  // the names the model gives its textures
    std::string error;  // why it failed, on one line
};

// Starts reading options.model; null with *error set when it cannot start.
// A process should start its reading process before it starts any thread:
// a fork copies only the thread that calls it, and a lock another thread
// held (an allocator's) would stay locked in the reader for good.
std::unique_ptr<ModelSource> StartModelRead(const ImportOptions& options, ReadPlace place,
                                            const ProgressFn& progress, std::string* error);
// The import of the model that source reads into options.outDir: nothing
// is left behind unless the whole scene is written. Returns an exit status.
int ImportModel(const ImportOptions& options, ModelSource& source, const ProgressFn& progress,
                ImportResult* result);
// Both: the import of options.model read where place says.
int ImportModel(const ImportOptions& options, ReadPlace place, const ProgressFn& progress, ImportResult* result);
// The scene of the model that source delivers, written into folder (which
// exists). Returns an exit status.
int BuildSceneFolder(ModelSource& source, const ImportOptions& options, const std::string& folder,
                     const ProgressFn& progress, ImportResult* result);
// Removes the folder of an import under way; the quit signals' last words.
void RemoveImportOnForcedQuit();
// Restarts the program (argv as main had it) with the C library's heap in
// large pages where the kernel gives them only on request; returns when it
// has them already, when they are no gain here, or when the restart fails.
// Call it first thing in main, before anything is opened or started.
void UseLargePagesForHeap(char** argv);
