// png_image.h -- PNG files for shots, decoded-bitmap previews and reference
// images. Pixels are 8-bit RGB triplets.
#pragma once

#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows top to bottom, as PNG stores them
};

// Writes rows given bottom-up (as OpenGL and the bitmap loader produce
// them) so the picture is upright. False (errno says why, when it can)
// when the file cannot be written; whatever was at path then stays as it was.
bool WritePngBottomUp(const char* path, const unsigned char* rgb, int width, int height);
// Writes an image whose rows are top to bottom.
bool WritePng(const char* path, const RgbImage& image);
// Reads any PNG as 8-bit RGB (alpha dropped, palettes and grey expanded).
bool ReadPng(const char* path, RgbImage* image, std::string* error);
// Creates a new file beside target, named after it, for a write that is
// renamed into place once whole; its descriptor, -1 on failure. A forced
// quit removes it until RemoveOnForcedQuit(nullptr).
int OpenTempBeside(const std::string& target, std::string* temp);
