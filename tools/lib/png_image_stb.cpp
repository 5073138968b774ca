// png_image_stb.cpp -- PNG reading and writing through the stb headers, for
// builds without libpng (the Windows build: Debian packages no libpng for
// MinGW). The same contract as png_image.cpp.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/signals.h"
#include "tools/lib/png_image.h"

// Files go through our own FILE, so a failed write is seen; the encoder
// itself is app/stb_write.cpp.
#include <stb_image_write.h>
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

// Appends what the encoder hands over; a short write marks the file failed.
static void WriteChunk(void* context, void* data, int size) {
    FILE** file = static_cast<FILE**>(context);
    if (*file && fwrite(data, 1, (size_t)size, *file) != (size_t)size) {
        fclose(*file);
        *file = nullptr;
    }
}

// Encodes rows of the given stride (negative: bottom-up) into an open file;
// false when the encoder or the file failed. The file is closed.
static bool EncodeInto(FILE* file, const unsigned char* first, int width, int height, int stride) {
    bool encoded = stbi_write_png_to_func(WriteChunk, &file, width, height, 3, first, stride) != 0;
    if (!file) return false;
    bool closed = fclose(file) == 0;
    return encoded && closed;
}

// Writes the picture so that a failure leaves whatever was at path before:
// it is made beside path under a temporary name and renamed into place only
// once whole (the rename replaces an existing file on Windows too). A path
// that exists and is not a regular file (a device) is written in place and
// never replaced or removed.
static bool WriteRows(const char* path, const unsigned char* first, int width, int height,
                      int stride) {
    struct stat info;
    bool exists = stat(path, &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) return errno = EISDIR, false;
    if (exists && !S_ISREG(info.st_mode)) {
        FILE* file = fopen(path, "wb");
        return file && EncodeInto(file, first, width, height, stride);
    }
    std::string target = path, temp;
    int fd = OpenTempBeside(target, &temp);
    if (fd < 0) return false;
    FILE* file = fdopen(fd, "wb");
    bool ok = file ? EncodeInto(file, first, width, height, stride) : (close(fd), false);
    int error = errno;
    std::error_code renamed;
    if (ok) std::filesystem::rename(temp, target, renamed);
    if (ok && renamed) ok = false, error = renamed.value();
    if (!ok) remove(temp.c_str());
    RemoveOnForcedQuit(nullptr);
    errno = ok ? 0 : error;
    return ok;
}

bool WritePng(const char* path, const RgbImage& image) {
    return WriteRows(path, image.rgb.data(), image.width, image.height, image.width * 3);
}

bool WritePngBottomUp(const char* path, const unsigned char* rgb, int width, int height) {
    if (width <= 0 || height <= 0) return false;
    // A negative stride from the last row writes the picture upright.
    return WriteRows(path, rgb + (size_t)(height - 1) * width * 3, width, height, -width * 3);
}

bool ReadPng(const char* path, RgbImage* image, std::string* error) {
    int width, height, channels;
    // Transparent pixels are composed on black, as a viewer without alpha shows them.
    unsigned char* rgba = stbi_load(path, &width, &height, &channels, 4);
    if (!rgba) {
        if (error) *error = stbi_failure_reason();
        return false;
    }
    image->width = width;
    image->height = height;
    image->rgb.resize((size_t)width * height * 3);
    for (size_t i = 0, n = (size_t)width * height; i < n; i++)
        for (int c = 0; c < 3; c++)
            image->rgb[i * 3 + c] = (unsigned char)(rgba[i * 4 + c] * rgba[i * 4 + 3] / 255);
    stbi_image_free(rgba);
    return true;
}
