// png_image.cpp -- PNG reading and writing through libpng's simplified API.
#include "tools/lib/png_image.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/signals.h"

// Encodes into an open stream; false when libpng or the stream failed.
static bool Encode(FILE* f, png_image* png, const void* rgb, png_int_32 stride) {
    bool ok = png_image_write_to_stdio(png, f, 0, rgb, stride, nullptr) != 0;
    int error = errno;
    ok = fflush(f) == 0 && !ferror(f) && ok;
    if (!ok && !errno) errno = error;
    return ok;
}

// The file a rename must replace: the target of a symbolic link, so the
// link itself stays.
static std::string RenameTarget(const char* path) {
    struct stat link;
    if (lstat(path, &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* real = realpath(path, nullptr)) {
            std::string target = real;
            free(real);
            return target;
        }
    }
    return path;
}

// Writes the picture so that a failure leaves whatever was at path before:
// the file is made beside it under a temporary name and renamed into place
// only once whole. libpng's own file writer deletes the path when it fails,
// whatever it was. A path that exists and is not a regular file (a device, a
// FIFO) is written in place and never replaced or removed.
static bool WriteWhole(const char* path, png_image* png, const void* rgb, png_int_32 stride) {
    struct stat info;
    bool exists = stat(path, &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) return errno = EISDIR, false;
    if (exists && !S_ISREG(info.st_mode)) {
        FILE* f = fopen(path, "wb");
        if (!f) return false;
        bool ok = Encode(f, png, rgb, stride);
        int error = errno;
        if (fclose(f) != 0) ok = false;
        else errno = error;
        return ok;
    }
    std::string target = RenameTarget(path);
    std::string temp;
    int fd = OpenTempBeside(target, &temp);
    if (fd < 0) return false;
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, exists ? (info.st_mode & 07777) : (0666 & ~mask));  // as a new file would be
    FILE* f = fdopen(fd, "wb");
    bool ok = f && Encode(f, png, rgb, stride);
    int error = errno;
    bool closed = f ? fclose(f) == 0 : close(fd) == 0;
    if (ok && !closed) ok = false, error = errno;
    if (ok && rename(temp.c_str(), target.c_str()) != 0) ok = false, error = errno;
    if (!ok) unlink(temp.c_str());
    RemoveOnForcedQuit(nullptr);
    errno = ok ? 0 : error;
    return ok;
}

bool WritePng(const char* path, const RgbImage& image) {
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = (png_uint_32)image.width;
    png.height = (png_uint_32)image.height;
    png.format = PNG_FORMAT_RGB;
    return WriteWhole(path, &png, image.rgb.data(), 0);
}

bool WritePngBottomUp(const char* path, const unsigned char* rgb, int width, int height) {
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = (png_uint_32)width;
    png.height = (png_uint_32)height;
    png.format = PNG_FORMAT_RGB;
    // A negative row stride tells libpng the rows run bottom-up.
    return WriteWhole(path, &png, rgb, -(png_int_32)(width * 3));
}

bool ReadPng(const char* path, RgbImage* image, std::string* error) {
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path)) {
        if (error) *error = png.message;
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    image->width = (int)png.width;
    image->height = (int)png.height;
    image->rgb.assign(PNG_IMAGE_SIZE(png), 0);
    // Transparent pixels are composed on black, as a viewer without alpha shows them.
    png_color black = {0, 0, 0};
    if (!png_image_finish_read(&png, &black, image->rgb.data(), 0, nullptr)) {
        if (error) *error = png.message;
        png_image_free(&png);
        return false;
    }
    return true;
}
