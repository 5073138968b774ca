// bitmap.h -- Windows bitmap decoding into TextureImage.
#pragma once

#include <cstddef>

#include "scene/scene.h"

// The loader's messages, shown with the caption "Error".
constexpr const char* BITMAP_OPEN_FAILED_FORMAT = "Failed to open DIB file %s.\n";
constexpr const char* BITMAP_UNKNOWN_FORMAT_MESSAGE = "Unknown DIB file format.";
constexpr const char* BITMAP_CONVERSION_MESSAGE = "Image file conversion error.";
constexpr const char* BITMAP_OUT_OF_MEMORY_MESSAGE = "Out of memory.";
// Room for the open-failure message around a path of PATH_MAX bytes.
constexpr size_t BITMAP_MESSAGE_CAPACITY = 4200;

// Decodes the named bitmap file; on failure shows the loader's message box
// (caption "Error") and returns null.
TextureImage* LoadBitmapImage(const char* fileName);

// As LoadBitmapImage, but on failure writes the message that the box would
// show into message (zero-terminated, truncated to messageSize) instead.
TextureImage* ReadBitmapFile(const char* fileName, char* message, size_t messageSize);

// Decodes a whole bitmap file held in memory. On failure returns null and
// points *message at one of the fixed messages above. Never reads outside
// data[0..size).
TextureImage* DecodeBitmapImage(const unsigned char* data, size_t size, const char** message);

// Releases an image made by the functions above (the program itself keeps
// its images for the whole run; tools and tests release theirs).
void FreeTextureImage(TextureImage* image);
