// bitmap_decode.cpp -- header parsing and checking of a bitmap held in
// memory: every offset and size is checked against the file's length before
// anything is read, and the output size before anything is allocated.
#include <cstdlib>
#include <cstring>

#include "scene/bitmap.h"
#include "scene/bitmap_layout.h"

constexpr size_t FILE_HEADER_SIZE = 14;   // "BM", file size, reserved, pixel offset
constexpr uint32_t INFO_HEADER_SIZE = 40;
constexpr uint32_t CORE_HEADER_SIZE = 12;
constexpr size_t MASK_BYTES = 12;         // BI_BITFIELDS: red, green, blue masks after the info header
// Largest output accepted: beyond the largest texture GL can hold
// (16384 x 16384 x 3 = 768 MiB), so only absurd dimensions reach it.
constexpr uint64_t MAX_IMAGE_BYTES = (uint64_t)1 << 30;

static uint32_t Read16(const unsigned char* p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8; }
static uint32_t Read32(const unsigned char* p) { return Read16(p) | Read16(p + 2) << 16; }

// The fields of either header kind, widened to the info header's form.
struct BitmapHeader {
    int64_t width, height;
    uint32_t bitsPerPixel, compression, colorsUsed;
    size_t tableEntrySize;  // 4 (info) or 3 (core)
    size_t headerEnd;       // offset just past the header
};

// A mask to a channel; false for a mask whose bits are not contiguous.
static bool MaskChannel(uint32_t mask, BitmapChannel* channel) {
    channel->shift = channel->bits = 0;
    if (mask == 0) return true;
    while (!(mask & 1)) {
        mask >>= 1;
        channel->shift++;
    }
    if (mask & (mask + 1)) return false;
    while (mask) {
        mask >>= 1;
        channel->bits++;
    }
    return true;
}

// The fields of a 40-byte info header.
static void ParseInfoHeader(const unsigned char* h, BitmapHeader* header) {
    header->width = (int32_t)Read32(h + 4);
    header->height = (int32_t)Read32(h + 8);
    header->bitsPerPixel = Read16(h + 14);
    header->compression = Read32(h + 16);
    header->colorsUsed = Read32(h + 32);
    header->tableEntrySize = 4;
}

// The fields of a 12-byte core header, whose dimensions are unsigned.
static void ParseCoreHeader(const unsigned char* h, BitmapHeader* header) {
    header->width = Read16(h + 4);
    header->height = Read16(h + 6);
    header->bitsPerPixel = Read16(h + 10);
    header->compression = BI_RGB;
    header->colorsUsed = 0;
    header->tableEntrySize = 3;
}

// Depth and compression pairs the converter knows.
static bool SupportedFormat(uint32_t bpp, uint32_t compression) {
    switch (compression) {
    case BI_RGB: return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    case BI_RLE8: return bpp == 8;
    case BI_RLE4: return bpp == 4;
    case BI_BITFIELDS: return bpp == 16 || bpp == 32;
    default: return false;
    }
}

// Channels of 16- and 32-bit pixels: the masks that follow an info header
// for BI_BITFIELDS, otherwise 5-5-5 and 8-8-8.
static bool SetChannels(const unsigned char* data, size_t size, const BitmapHeader& header,
                        size_t* tableStart, BitmapLayout* layout) {
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (header.bitsPerPixel == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    if (header.compression == BI_BITFIELDS) {
        if (size - *tableStart < MASK_BYTES) return false;
        for (int c = 0; c < 3; c++) masks[c] = Read32(data + *tableStart + 4 * c);
        *tableStart += MASK_BYTES;
    }
    for (int c = 0; c < 3; c++)
        if (!MaskChannel(masks[c], &layout->channels[c])) return false;
    return true;
}

// Reads the colour table into the palette (entries past it stay black) and
// gives the offset just past it. False when the table runs past the file.
static bool ReadColorTable(const unsigned char* data, size_t size, const BitmapHeader& header,
                           size_t tableStart, BitmapLayout* layout, size_t* tableEnd) {
    uint64_t entries = header.colorsUsed;
    if (entries == 0 && header.bitsPerPixel <= 8) entries = (uint64_t)1 << header.bitsPerPixel;
    uint64_t bytes = entries * header.tableEntrySize;
    if (bytes > size - tableStart) return false;
    memset(layout->palette, 0, sizeof layout->palette);
    for (uint64_t i = 0; i < entries && i < 256; i++) {
        const unsigned char* e = data + tableStart + i * header.tableEntrySize;
        layout->palette[i][0] = e[2];
        layout->palette[i][1] = e[1];
        layout->palette[i][2] = e[0];
    }
    *tableEnd = tableStart + (size_t)bytes;
    return true;
}

// Dimensions and depth into the layout; the message when they are refused.
static const char* SetDimensions(const BitmapHeader& header, BitmapLayout* layout) {
    if (!SupportedFormat(header.bitsPerPixel, header.compression)) return BITMAP_CONVERSION_MESSAGE;
    bool topDown = header.height < 0;
    bool compressed = header.compression == BI_RLE8 || header.compression == BI_RLE4;
    if (header.width <= 0 || header.height == 0 || (topDown && compressed))
        return BITMAP_CONVERSION_MESSAGE;
    uint64_t rows = (uint64_t)(topDown ? -header.height : header.height);
    if ((uint64_t)header.width * rows * 3 > MAX_IMAGE_BYTES) return BITMAP_OUT_OF_MEMORY_MESSAGE;
    layout->width = (int32_t)header.width;
    layout->height = (int32_t)rows;
    layout->topDown = topDown;
    layout->bitsPerPixel = (int)header.bitsPerPixel;
    layout->compression = header.compression;
    return nullptr;
}

// True when uncompressed pixel data lies wholly inside the file; the last
// row's padding may be missing.
static bool PixelDataFits(const BitmapLayout& layout) {
    uint64_t rowBits = (uint64_t)layout.width * layout.bitsPerPixel;
    uint64_t rowBytes = (rowBits + 31) / 32 * 4;
    uint64_t needed = rowBytes * (uint64_t)(layout.height - 1) + (rowBits + 7) / 8;
    return needed <= layout.pixelBytes;
}

// The header at its offset; the message when the file is refused.
static const char* ReadHeader(const unsigned char* data, size_t size, size_t at,
                              BitmapHeader* header) {
    if (size < at + 4) return BITMAP_UNKNOWN_FORMAT_MESSAGE;
    uint32_t headerSize = Read32(data + at);
    if (headerSize != INFO_HEADER_SIZE && headerSize != CORE_HEADER_SIZE)
        return BITMAP_UNKNOWN_FORMAT_MESSAGE;
    if (size - at < headerSize) return BITMAP_CONVERSION_MESSAGE;
    if (headerSize == INFO_HEADER_SIZE)
        ParseInfoHeader(data + at, header);
    else
        ParseCoreHeader(data + at, header);
    header->headerEnd = at + headerSize;
    return nullptr;
}

// Everything up to the pixel data; the message when the file is refused.
static const char* ReadLayout(const unsigned char* data, size_t size, BitmapLayout* layout) {
    bool fileHeader = size >= 2 && data[0] == 'B' && data[1] == 'M';
    BitmapHeader header;
    const char* refusal = ReadHeader(data, size, fileHeader ? FILE_HEADER_SIZE : 0, &header);
    if (!refusal) refusal = SetDimensions(header, layout);
    if (refusal) return refusal;
    size_t tableStart = header.headerEnd, tableEnd;
    if (!SetChannels(data, size, header, &tableStart, layout) ||
        !ReadColorTable(data, size, header, tableStart, layout, &tableEnd))
        return BITMAP_CONVERSION_MESSAGE;
    size_t pixelOffset = fileHeader ? Read32(data + 10) : tableEnd;
    if (pixelOffset > size) return BITMAP_CONVERSION_MESSAGE;
    layout->pixels = data + pixelOffset;
    layout->pixelBytes = size - pixelOffset;
    if (layout->compression != BI_RLE8 && layout->compression != BI_RLE4 && !PixelDataFits(*layout))
        return BITMAP_CONVERSION_MESSAGE;
    return nullptr;
}

// Layout first, so that nothing is allocated for a file that is refused.
TextureImage* DecodeBitmapImage(const unsigned char* data, size_t size, const char** message) {
    BitmapLayout layout;
    *message = ReadLayout(data, size, &layout);
    if (*message) return nullptr;
    size_t bytes = (size_t)layout.width * (size_t)layout.height * 3;
    TextureImage* image = static_cast<TextureImage*>(std::malloc(sizeof(TextureImage)));
    unsigned char* pixels = static_cast<unsigned char*>(std::calloc(bytes, 1));
    if (!image || !pixels) {
        std::free(image);
        std::free(pixels);
        *message = BITMAP_OUT_OF_MEMORY_MESSAGE;
        return nullptr;
    }
    if (layout.compression == BI_RLE8 || layout.compression == BI_RLE4) {
        if (!DecodeBitmapRle(layout, pixels)) {
            std::free(image);
            std::free(pixels);
            *message = BITMAP_CONVERSION_MESSAGE;
            return nullptr;
        }
    } else {
        ConvertBitmapRows(layout, pixels);
    }
    image->width = layout.width;
    image->height = layout.height;
    image->pixels = pixels;
    return image;
}

void FreeTextureImage(TextureImage* image) {
    if (!image) return;
    std::free(image->pixels);
    std::free(image);
}
