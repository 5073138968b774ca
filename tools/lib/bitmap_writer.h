// bitmap_writer.h -- Windows bitmap files from RGB pixels, for tests,
// benchmarks and demo scenes. Pixels are given as the loader returns them:
// width * height RGB triplets, bottom row first, no padding.
#pragma once

#include <vector>

// A 24-bit bitmap with the 14-byte file header and a 40-byte info header.
std::vector<unsigned char> EncodeBitmap24(const unsigned char* rgb, int width, int height);
// An 8-bit bitmap whose colour table holds the picture's distinct colours in
// order of first appearance. False (out untouched) when it has more than 256.
bool EncodeBitmap8(const unsigned char* rgb, int width, int height,
                   std::vector<unsigned char>* out);

// The same, written to a file; false when it cannot be written (or, for the
// 8-bit form, when the picture has more than 256 colours).
bool WriteBitmap24(const char* path, const unsigned char* rgb, int width, int height);
bool WriteBitmap8(const char* path, const unsigned char* rgb, int width, int height);
