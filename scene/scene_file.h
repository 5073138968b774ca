// scene_file.h -- the reader of "Hod.pro": it fills the scene it is given.
#pragma once

#include <cstddef>
#include <vector>

#include "scene/scene_diagnostics.h"

struct Scene;

// The scene file, read from the working directory.
inline constexpr char SCENE_FILE_NAME[] = "Hod.pro";

// How a read went with the file itself (its content's faults are the
// reader's status).
enum SceneFileOutcome {
    SCENE_READ = 0,       // read whole, or created empty
    SCENE_MISSING,        // no such file, and not asked to create one
    SCENE_NOT_CREATED,    // missing, and it could not be made as a new regular file
    SCENE_NOT_REGULAR,    // a directory, FIFO, device or socket (or a link to one)
    SCENE_UNREADABLE,     // could not be opened or read
    SCENE_OUT_OF_MEMORY,  // the text or its tables passed the memory budget
};

// Below this many vertices a second thread costs more than it saves on the
// plain list (flat_list.cpp).
constexpr int FLAT_SPLIT_VERTICES = 200000;

// What a read is asked to do beyond the fields.
struct SceneReadOptions {
    bool keepSideKeyMode = false;  // the second build: sideKeyMode as the file gives it
    // Read in place of standard input for the table sizes ("" = no input);
    // null: the process's own standard input, as the program's first load.
    const char* stdinText = "";
    // Takes the checks' findings; null: the checks are not made at all.
    std::vector<SceneDiagnostic>* diagnostics = nullptr;
    int flatSplitVertices = FLAT_SPLIT_VERTICES;  // tests lower it to reach the split
};

// How one read went.
struct SceneReadResult {
    SceneFileOutcome outcome = SCENE_READ;
    int status = 0;              // the reader's ReadStatus: READ_OK or how the text failed
    bool flatSplitKept = false;  // the plain list's second half came from the second thread
};

// The table preparation and every field of the file at path into scene
// (reset first), without the derived values. Creates an empty file when it
// is missing only when createWhenMissing is set. When the file cannot be
// used the scene holds what an empty file gives (see the outcome); when its
// tables pass the memory budget, what an empty file gives as well. Never
// throws.
SceneReadResult ReadSceneFile(Scene& scene, const char* path, bool createWhenMissing,
                              const SceneReadOptions& options);
// The same from bytes in memory (fuzzing, tests, tools that generate scenes).
SceneReadResult ReadSceneFromMemory(Scene& scene, const char* text, size_t length,
                                    const SceneReadOptions& options);
// The message box text for an outcome; null when there is nothing to say.
const char* SceneFileMessage(SceneFileOutcome outcome);
// The scene's own values derived after the last field, in order; the
// viewer, the follow camera and the clock are started by their owners.
void ComputeDerivedValues(Scene& scene);
// The closing end flags of the textured, avatar and part lists; run after
// the texture step.
void SetClosingSentinels(Scene& scene);
