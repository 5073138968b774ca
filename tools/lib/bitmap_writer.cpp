// bitmap_writer.cpp -- writes 24-bit and 8-bit palette bitmaps.
#include "tools/lib/bitmap_writer.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <unordered_map>

constexpr int FILE_HEADER_SIZE = 14;
constexpr int INFO_HEADER_SIZE = 40;

// Little-endian fields.
static void Put16(std::vector<unsigned char>& out, uint32_t v) {
    out.push_back((unsigned char)(v & 0xFF));
    out.push_back((unsigned char)((v >> 8) & 0xFF));
}
static void Put32(std::vector<unsigned char>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// File header and info header for an uncompressed bitmap of the given depth
// with a colour table of tableEntries entries.
static void PutHeaders(std::vector<unsigned char>& out, int width, int height, int bpp,
                       int tableEntries) {
    uint32_t rowBytes = ((uint32_t)width * bpp + 31) / 32 * 4;
    uint32_t offset = FILE_HEADER_SIZE + INFO_HEADER_SIZE + 4 * tableEntries;
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + rowBytes * height);  // file size
    Put32(out, 0);                           // reserved
    Put32(out, offset);
    Put32(out, INFO_HEADER_SIZE);
    Put32(out, (uint32_t)width);
    Put32(out, (uint32_t)height);
    Put16(out, 1);  // planes
    Put16(out, (uint32_t)bpp);
    Put32(out, 0);  // BI_RGB
    Put32(out, rowBytes * height);
    Put32(out, 2835);  // 72 dots per inch, in pixels per metre
    Put32(out, 2835);
    Put32(out, (uint32_t)tableEntries);
    Put32(out, 0);
}

// Zero bytes up to the row's 4-byte boundary.
static void PadRow(std::vector<unsigned char>& out, size_t rowStart) {
    while ((out.size() - rowStart) % 4 != 0) out.push_back(0);
}

std::vector<unsigned char> EncodeBitmap24(const unsigned char* rgb, int width, int height) {
    std::vector<unsigned char> out;
    PutHeaders(out, width, height, 24, 0);
    for (int y = 0; y < height; y++) {
        size_t rowStart = out.size();
        const unsigned char* row = rgb + (size_t)y * width * 3;
        for (int x = 0; x < width; x++) {
            out.push_back(row[3 * x + 2]);
            out.push_back(row[3 * x + 1]);
            out.push_back(row[3 * x]);
        }
        PadRow(out, rowStart);
    }
    return out;
}

bool EncodeBitmap8(const unsigned char* rgb, int width, int height,
                   std::vector<unsigned char>* out) {
    std::unordered_map<uint32_t, unsigned char> index;
    std::vector<uint32_t> colors;
    size_t count = (size_t)width * height;
    std::vector<unsigned char> indices(count);
    for (size_t i = 0; i < count; i++) {
        uint32_t c = (uint32_t)rgb[3 * i] << 16 | (uint32_t)rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
        auto found = index.find(c);
        if (found == index.end()) {
            if (colors.size() == 256) return false;
            found = index.emplace(c, (unsigned char)colors.size()).first;
            colors.push_back(c);
        }
        indices[i] = found->second;
    }
    std::vector<unsigned char> file;
    PutHeaders(file, width, height, 8, (int)colors.size());
    for (uint32_t c : colors) Put32(file, c);  // blue, green, red, 0 in file order
    for (int y = 0; y < height; y++) {
        size_t rowStart = file.size();
        file.insert(file.end(), indices.begin() + (ptrdiff_t)y * width,
                    indices.begin() + (ptrdiff_t)(y + 1) * width);
        PadRow(file, rowStart);
    }
    *out = std::move(file);
    return true;
}

// The whole file; false on any write error.
static bool WriteBytes(const char* path, const std::vector<unsigned char>& bytes) {
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool WriteBitmap24(const char* path, const unsigned char* rgb, int width, int height) {
    return WriteBytes(path, EncodeBitmap24(rgb, width, height));
}

bool WriteBitmap8(const char* path, const unsigned char* rgb, int width, int height) {
    std::vector<unsigned char> bytes;
    return EncodeBitmap8(rgb, width, height, &bytes) && WriteBytes(path, bytes);
}
