// scene_file.h -- the reader of "Hod.pro", which fills the scene model.
#pragma once

#include <cstddef>

// The scene file, read from the working directory.
inline constexpr char SCENE_FILE_NAME[] = "Hod.pro";

// The closing end flags of the textured, avatar and part lists; run after
// the texture step.
void SetClosingSentinels();

// How the last ReadSceneFile or ReadSceneFromMemory went with the file
// itself (its content's faults are the reader's readStatus).
enum SceneFileOutcome {
    SCENE_READ = 0,       // read whole, or created empty
    SCENE_MISSING,        // no such file, and not asked to create one
    SCENE_NOT_CREATED,    // missing, and it could not be made as a new regular file
    SCENE_NOT_REGULAR,    // a directory, FIFO, device or socket (or a link to one)
    SCENE_UNREADABLE,     // could not be opened or read
    SCENE_OUT_OF_MEMORY,  // the text or its tables passed the memory budget
};
extern SceneFileOutcome sceneFileOutcome;  // W: ReadSceneFile, ReadSceneFromMemory

// The table preparation and every field from the file at path, without
// the derived values. Creates an empty file when it is missing only when
// createWhenMissing is set. False when the file could not be used (the
// model is then prepared and holds what an empty file gives; see
// sceneFileOutcome). Never throws.
bool ReadSceneFile(const char* path, bool createWhenMissing);
// The message box text for the last outcome; null when there is nothing to say.
const char* SceneFileMessage();
// The same from bytes in memory (fuzzing, tools that generate scenes).
void ReadSceneFromMemory(const char* text, size_t length);
// The scene's own values derived after the last field, in order; the
// viewer, the follow camera and the clock are started by their owners.
void ComputeDerivedValues();
