// scene_file.h -- the reader of "Hod.pro", which fills the scene model.
#pragma once

#include <cstddef>

// The scene file, read from the working directory.
inline constexpr char SCENE_FILE_NAME[] = "Hod.pro";

// The closing end flags of the textured, avatar and part lists; run after
// the texture step.
void SetClosingSentinels();

// The table preparation and fields 1 to 78 from the file at path, without
// the derived values. Creates an empty file when it is missing only when
// createWhenMissing is set. False when the file could not be opened or read
// (the model is then prepared and holds what an empty file gives).
bool ReadSceneFile(const char* path, bool createWhenMissing);
// The same from bytes in memory (fuzzing, tools that generate scenes).
void ReadSceneFromMemory(const char* text, size_t length);
// The scene's own values derived after the last field, in order; the
// viewer, the follow camera and the clock are started by their owners.
void ComputeDerivedValues();
