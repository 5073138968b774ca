// bitmap_pixels.cpp -- pixel conversion of checked bitmaps to bottom-up RGB:
// palette depths, 16/24/32 bits with channel masks, and RLE8/RLE4 streams.
#include <algorithm>
#include <cstring>

#include "scene/bitmap_layout.h"

// A channel value of the given width widened (or narrowed) to 8 bits by bit
// replication, so that full scale stays full scale (31 gives 255).
static unsigned ExpandChannel(uint32_t value, int bits) {
    if (bits == 0) return 0;
    if (bits >= 8) return (value >> (bits - 8)) & 0xFF;
    unsigned result = 0;
    for (int shift = 8 - bits; shift > -bits; shift -= bits)
        result |= shift >= 0 ? value << shift : value >> -shift;
    return result & 0xFF;
}

// One output triplet from a 16- or 32-bit pixel value.
static void PutMaskedPixel(const BitmapLayout& layout, uint32_t value, unsigned char* out) {
    for (int c = 0; c < 3; c++) {
        const BitmapChannel& ch = layout.channels[c];
        uint32_t raw = ch.bits == 0 ? 0 : (value >> ch.shift) & (0xFFFFFFFFu >> (32 - ch.bits));
        out[c] = (unsigned char)ExpandChannel(raw, ch.bits);
    }
}

// One row of 1-, 4- or 8-bit palette indices, high bits first.
static void ConvertIndexedRow(const BitmapLayout& layout, const unsigned char* src,
                              unsigned char* dst) {
    int bpp = layout.bitsPerPixel;
    unsigned indexMask = (1u << bpp) - 1;
    for (int x = 0; x < layout.width; x++) {
        size_t bit = (size_t)x * bpp;
        unsigned index = (src[bit >> 3] >> (8 - bpp - (bit & 7))) & indexMask;
        memcpy(dst + (size_t)x * 3, layout.palette[index], 3);
    }
}

// One row of 16-, 24- or 32-bit pixels.
static void ConvertDirectRow(const BitmapLayout& layout, const unsigned char* src,
                             unsigned char* dst) {
    int width = layout.width;
    if (layout.bitsPerPixel == 24) {
        for (int x = 0; x < width; x++, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    } else if (layout.bitsPerPixel == 16) {
        for (int x = 0; x < width; x++, src += 2, dst += 3)
            PutMaskedPixel(layout, (uint32_t)src[0] | (uint32_t)src[1] << 8, dst);
    } else {
        for (int x = 0; x < width; x++, src += 4, dst += 3) {
            uint32_t value = (uint32_t)src[0] | (uint32_t)src[1] << 8 |
                             (uint32_t)src[2] << 16 | (uint32_t)src[3] << 24;
            PutMaskedPixel(layout, value, dst);
        }
    }
}

void ConvertBitmapRows(const BitmapLayout& layout, unsigned char* out) {
    size_t rowBytes = (((size_t)layout.width * layout.bitsPerPixel + 31) / 32) * 4;
    size_t outRowBytes = (size_t)layout.width * 3;
    for (int32_t r = 0; r < layout.height; r++) {
        int32_t y = layout.topDown ? layout.height - 1 - r : r;
        const unsigned char* src = layout.pixels + (size_t)r * rowBytes;
        unsigned char* dst = out + (size_t)y * outRowBytes;
        if (layout.bitsPerPixel <= 8)
            ConvertIndexedRow(layout, src, dst);
        else
            ConvertDirectRow(layout, src, dst);
    }
}

// Palette index of pixel i of an RLE4 byte pair run or absolute run: high
// nibble first.
static unsigned Nibble(unsigned char byte, int i) { return i % 2 == 0 ? byte >> 4 : byte & 15; }

// Cursor of an RLE walk: position in the stream and in the picture.
struct RleCursor {
    size_t p;
    int64_t x, y;
};

// The palette colour of index at pixel (x + dx, y) of the cursor.
static void PutIndex(const BitmapLayout& layout, unsigned char* out, const RleCursor& at,
                     int64_t dx, unsigned index) {
    memcpy(out + ((size_t)at.y * layout.width + (size_t)(at.x + dx)) * 3, layout.palette[index], 3);
}

// An encoded run: count pixels from one byte. False when it leaves the row.
static bool RleRun(const BitmapLayout& layout, unsigned char* out, RleCursor& at, int count,
                   unsigned char value) {
    if (at.y >= layout.height || at.x + count > layout.width) return false;
    bool four = layout.compression == BI_RLE4;
    for (int i = 0; i < count; i++) PutIndex(layout, out, at, i, four ? Nibble(value, i) : value);
    at.x += count;
    return true;
}

// An absolute run of count literal pixels, padded to a 16-bit boundary.
static bool RleAbsolute(const BitmapLayout& layout, unsigned char* out, RleCursor& at,
                        int count) {
    bool four = layout.compression == BI_RLE4;
    size_t bytes = four ? (size_t)(count + 1) / 2 : (size_t)count;
    if (layout.pixelBytes - at.p < bytes) return false;
    if (at.y >= layout.height || at.x + count > layout.width) return false;
    const unsigned char* src = layout.pixels + at.p;
    for (int i = 0; i < count; i++)
        PutIndex(layout, out, at, i, four ? Nibble(src[i / 2], i) : src[i]);
    at.x += count;
    // A pad byte missing at the very end leaves the cursor at the end, where
    // the next code fails for want of data.
    at.p = std::min(at.p + bytes + (bytes & 1), layout.pixelBytes);
    return true;
}

// One escape code (first byte 0); sets *done at the end-of-bitmap code.
static bool RleEscape(const BitmapLayout& layout, unsigned char* out, RleCursor& at,
                      unsigned char code, bool* done) {
    switch (code) {
    case 0:  // end of line
        at.x = 0;
        at.y++;
        return at.y <= layout.height;
    case 1:  // end of bitmap
        *done = true;
        return true;
    case 2:  // delta: move right and up
        if (layout.pixelBytes - at.p < 2) return false;
        at.x += layout.pixels[at.p];
        at.y += layout.pixels[at.p + 1];
        at.p += 2;
        return at.x <= layout.width && at.y <= layout.height;
    default:
        return RleAbsolute(layout, out, at, code);
    }
}

bool DecodeBitmapRle(const BitmapLayout& layout, unsigned char* out) {
    RleCursor at = {0, 0, 0};
    bool done = false;
    while (!done) {
        if (layout.pixelBytes - at.p < 2) return false;
        unsigned char first = layout.pixels[at.p], second = layout.pixels[at.p + 1];
        at.p += 2;
        bool ok = first > 0 ? RleRun(layout, out, at, first, second)
                            : RleEscape(layout, out, at, second, &done);
        if (!ok) return false;
    }
    return true;
}
