// scene_file.h -- the reader of "Hod.pro": LoadScene fills the scene model.
#pragma once

#include <cstddef>

// Prepares the tables, reads "Hod.pro" from the working directory (creating
// an empty one when missing) and computes the derived values; the viewer
// then stands at its start position and heading.
void LoadScene();
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
// The values derived after the last field, in order (the viewer state is
// expected to be reset first).
void ComputeDerivedValues();
