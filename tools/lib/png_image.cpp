// png_image.cpp -- PNG reading and writing through libpng's simplified API.
#include "tools/lib/png_image.h"

#include <png.h>

#include <cstring>

bool WritePng(const char* path, const RgbImage& image) {
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = (png_uint_32)image.width;
    png.height = (png_uint_32)image.height;
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, path, 0, image.rgb.data(), 0, nullptr) != 0;
}

bool WritePngBottomUp(const char* path, const unsigned char* rgb, int width, int height) {
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = (png_uint_32)width;
    png.height = (png_uint_32)height;
    png.format = PNG_FORMAT_RGB;
    // A negative row stride tells libpng the rows run bottom-up.
    return png_image_write_to_file(&png, path, 0, rgb, -(png_int_32)(width * 3), nullptr) != 0;
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
