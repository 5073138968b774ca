// bitmap_layout.h -- what the bitmap header parser hands to the pixel
// converters: a checked description of one bitmap inside its file bytes.
#pragma once

#include <cstddef>
#include <cstdint>

// Compression codes of the info header.
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

// One colour channel of a 16- or 32-bit pixel.
struct BitmapChannel {
    int shift;  // position of the lowest mask bit
    int bits;   // mask width; 0 = the channel is always 0
};

struct BitmapLayout {
    int32_t width;              // pixels per row, at least 1
    int32_t height;             // rows, at least 1 (top-down files too)
    bool topDown;               // rows stored top row first
    int bitsPerPixel;           // 1, 4, 8, 16, 24 or 32
    uint32_t compression;       // BI_RGB, BI_RLE8, BI_RLE4 or BI_BITFIELDS
    BitmapChannel channels[3];  // red, green, blue of 16- and 32-bit pixels
    unsigned char palette[256][3];  // RGB; entries past the colour table are black
    const unsigned char* pixels;    // first byte of the pixel data
    size_t pixelBytes;              // bytes from there to the end of the file
};

// Converts uncompressed pixel data, whose whole extent the parser has
// checked, into out (width * height RGB triplets, bottom row first).
void ConvertBitmapRows(const BitmapLayout& layout, unsigned char* out);
// Decodes an RLE8 or RLE4 stream into out, which must start zeroed (pixels
// the stream skips stay black). False for a stream that runs past its data,
// writes outside the picture or lacks its end-of-bitmap code.
bool DecodeBitmapRle(const BitmapLayout& layout, unsigned char* out);
