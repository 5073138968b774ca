// xwd_image.cpp -- decoding X window dumps: a big-endian header of 25
// words, the window name, the colour table, then the pixels as the server
// holds them.
#include "tests/support/xwd_image.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>

namespace {

constexpr int HEADER_WORDS = 25;
constexpr int COLOUR_ENTRY_SIZE = 12;  // pixel, three 16-bit channels, flags, pad
constexpr uint32_t ZPIXMAP = 2;
constexpr uint32_t TRUE_COLOR = 4, DIRECT_COLOR = 5;

enum Field {
    XWD_HEADER_SIZE, XWD_FILE_VERSION, XWD_PIXMAP_FORMAT, XWD_PIXMAP_DEPTH, XWD_PIXMAP_WIDTH, XWD_PIXMAP_HEIGHT, XWD_XOFFSET,
    XWD_BYTE_ORDER, XWD_BITMAP_UNIT, XWD_BITMAP_BIT_ORDER, XWD_BITMAP_PAD, XWD_BITS_PER_PIXEL, XWD_BYTES_PER_LINE,
    XWD_VISUAL_CLASS, XWD_RED_MASK, XWD_GREEN_MASK, XWD_BLUE_MASK, XWD_BITS_PER_RGB, XWD_COLORMAP_ENTRIES, XWD_NCOLORS
};

uint32_t BigEndian32(const unsigned char* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

// One channel of a pixel, scaled to 0..255 whatever the mask's width.
unsigned char Channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) shift++;
    uint32_t bits = mask >> shift;
    uint32_t value = (pixel & mask) >> shift;
    return (unsigned char)(value * 255 / bits);
}

}  // namespace

bool DecodeXwd(const std::vector<unsigned char>& data, RgbImage* image, std::string* error) {
    if (data.size() < HEADER_WORDS * 4) {
        *error = "shorter than an XWD header";
        return false;
    }
    uint32_t h[HEADER_WORDS];
    for (int k = 0; k < HEADER_WORDS; k++) h[k] = BigEndian32(&data[4 * k]);
    if (h[XWD_FILE_VERSION] != 7 || h[XWD_PIXMAP_FORMAT] != ZPIXMAP) {
        *error = "not a version 7 ZPixmap dump";
        return false;
    }
    if (h[XWD_VISUAL_CLASS] != TRUE_COLOR && h[XWD_VISUAL_CLASS] != DIRECT_COLOR) {
        *error = "not a true-colour visual";
        return false;
    }
    uint32_t bpp = h[XWD_BITS_PER_PIXEL], width = h[XWD_PIXMAP_WIDTH], height = h[XWD_PIXMAP_HEIGHT];
    if (bpp != 16 && bpp != 24 && bpp != 32) {
        *error = "unsupported bits per pixel " + std::to_string(bpp);
        return false;
    }
    size_t offset = (size_t)h[XWD_HEADER_SIZE] + (size_t)h[XWD_NCOLORS] * COLOUR_ENTRY_SIZE;
    size_t needed = offset + (size_t)h[XWD_BYTES_PER_LINE] * height;
    if (h[XWD_BYTES_PER_LINE] < width * bpp / 8 || data.size() < needed) {
        *error = "pixel data cut short";
        return false;
    }
    bool msbFirst = h[XWD_BYTE_ORDER] == 1;
    int bytes = (int)bpp / 8;
    image->width = (int)width;
    image->height = (int)height;
    image->rgb.assign((size_t)width * height * 3, 0);
    for (uint32_t y = 0; y < height; y++) {
        const unsigned char* row = &data[offset + (size_t)y * h[XWD_BYTES_PER_LINE]];
        for (uint32_t x = 0; x < width; x++) {
            const unsigned char* p = row + (size_t)x * bytes;
            uint32_t pixel = 0;
            for (int b = 0; b < bytes; b++)
                pixel |= (uint32_t)p[b] << (msbFirst ? 8 * (bytes - 1 - b) : 8 * b);
            unsigned char* out = &image->rgb[((size_t)y * width + x) * 3];
            out[0] = Channel(pixel, h[XWD_RED_MASK]);
            out[1] = Channel(pixel, h[XWD_GREEN_MASK]);
            out[2] = Channel(pixel, h[XWD_BLUE_MASK]);
        }
    }
    return true;
}

// One xwd of the root window; false when it did not finish.
static bool RunXwd(std::vector<unsigned char>* data) {
    FILE* p = popen("xwd -root -silent 2>/dev/null", "r");
    if (!p) return false;
    unsigned char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) data->insert(data->end(), buffer, buffer + n);
    return pclose(p) == 0 && !data->empty();
}

bool CaptureScreen(RgbImage* image, std::string* error) {
    // xwd ends on an X error when a window is mapped or reframed during its
    // read of the screen; another read comes after the change.
    std::vector<unsigned char> data;
    for (int attempt = 0; attempt < 5; attempt++) {
        data.clear();
        if (RunXwd(&data)) return DecodeXwd(data, image, error);
        usleep(100 * 1000);
    }
    *error = "xwd failed five times";
    return false;
}
