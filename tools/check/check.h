// check.h -- ambler-check, the scene validator: diagnostics of the reader,
// the summary of the loaded scene and the texture files it names.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "scene/scene_diagnostics.h"

struct Scene;

// The summary of a read scene: lists, figures, obstacles and changed settings.
void PrintSceneSummary(FILE* out, const Scene& scene, const std::string& file, long long fileBytes);

// What the check found about one texture file.
struct TextureCheck {
    bool exists = false;
    int width = 0, height = 0;  // of the decoded image
    std::string problem;        // empty when the program can use the file as it is
};
// Checks one texture file: present, and decoded by the program's loader.
TextureCheck CheckTextureFile(const std::string& path);
// --decode FILE.bmp OUT.png: writes the image as the loader decodes it,
// upright. Returns the exit status (2 when the loader refuses the file).
int DecodeCommand(const char* bitmapPath, const char* pngPath);
// Lists every distinct texture file the scene loads (slots with flag 1)
// with its check; each unusable file is one warning.
void PrintTextures(FILE* out, const Scene& scene, const std::string& sceneDir, int* warnings);
