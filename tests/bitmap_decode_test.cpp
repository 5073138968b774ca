// bitmap_decode_test.cpp -- the bitmap loader on hand-built files: depths
// and channel expansion, row order, RLE streams, refusals with their
// messages, and the file side (messages, descriptors released).
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "scene/bitmap.h"
#include "tools/lib/bitmap_writer.h"

namespace {

// The fields of a bitmap file to build; pixels are the raw pixel data.
struct BmpLayout {
    int32_t width = 1, height = 1;
    uint16_t bpp = 24;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    uint32_t headerSize = 40;
    bool fileHeader = true;
    int64_t pixelOffset = -1;          // -1: just past the table
    std::vector<uint32_t> masks;       // written after an info header
    std::vector<uint32_t> table;       // 0x00RRGGBB entries
    std::vector<unsigned char> pixels;
};

void Put(std::vector<unsigned char>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++) out.push_back((unsigned char)(v >> (8 * i)));
}

std::vector<unsigned char> Build(const BmpLayout& s) {
    std::vector<unsigned char> body;
    Put(body, s.headerSize, 4);
    if (s.headerSize == 12) {
        Put(body, (uint32_t)s.width, 2);
        Put(body, (uint32_t)s.height, 2);
        Put(body, 1, 2);
        Put(body, s.bpp, 2);
    } else {
        Put(body, (uint32_t)s.width, 4);
        Put(body, (uint32_t)s.height, 4);
        Put(body, 1, 2);
        Put(body, s.bpp, 2);
        Put(body, s.compression, 4);
        Put(body, (uint32_t)s.pixels.size(), 4);
        Put(body, 0, 4);  // resolutions
        Put(body, 0, 4);
        Put(body, s.colorsUsed, 4);
        Put(body, 0, 4);
        while (body.size() < s.headerSize) body.push_back(0);
    }
    for (uint32_t m : s.masks) Put(body, m, 4);
    for (uint32_t c : s.table) Put(body, c, s.headerSize == 12 ? 3 : 4);
    std::vector<unsigned char> out;
    if (s.fileHeader) {
        uint32_t offset = s.pixelOffset >= 0 ? (uint32_t)s.pixelOffset : 14 + (uint32_t)body.size();
        out = {'B', 'M'};
        Put(out, 0, 4);
        Put(out, 0, 4);
        Put(out, offset, 4);
    }
    out.insert(out.end(), body.begin(), body.end());
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

// Decodes from an exact-size heap copy, so the address sanitizer sees any
// read past the end.
struct Decoded {
    TextureImage* image = nullptr;
    std::string message;
    ~Decoded() { FreeTextureImage(image); }
    std::vector<int> Pixel(int x, int y) const {
        const unsigned char* p = image->pixels + ((size_t)y * image->width + x) * 3;
        return {p[0], p[1], p[2]};
    }
};

void Decode(const std::vector<unsigned char>& bytes, Decoded* out) {
    std::vector<unsigned char>* copy = new std::vector<unsigned char>(bytes);
    copy->shrink_to_fit();
    const char* message = nullptr;
    out->image = DecodeBitmapImage(copy->data(), copy->size(), &message);
    out->message = message ? message : "";
    delete copy;
}

std::string RefusalOf(const BmpLayout& s) {
    Decoded d;
    Decode(Build(s), &d);
    return d.image ? "decoded" : d.message;
}

// ---- Depths, channels and row order.

TEST(BitmapDecode, WritersRoundTripWithRowPaddingDropped) {
    // Width 3: 9 pixel bytes and 3 pad bytes per 24-bit row, 1 pad byte per
    // 8-bit row.
    const unsigned char rgb[18] = {255, 0, 0, 0, 255, 0, 0, 0, 255,
                                   10, 20, 30, 40, 50, 60, 70, 80, 90};
    std::vector<unsigned char> bytes8;
    ASSERT_TRUE(EncodeBitmap8(rgb, 3, 2, &bytes8));
    for (const std::vector<unsigned char>& bytes : {EncodeBitmap24(rgb, 3, 2), bytes8}) {
        Decoded d;
        Decode(bytes, &d);
        ASSERT_NE(d.image, nullptr) << d.message;
        EXPECT_EQ(d.image->width, 3);
        EXPECT_EQ(d.image->height, 2);
        EXPECT_EQ(memcmp(d.image->pixels, rgb, 18), 0);
    }
    std::vector<unsigned char> many(257 * 3);
    for (int i = 0; i < 257; i++) many[3 * i] = (unsigned char)i, many[3 * i + 1] = (unsigned char)(i >> 8);
    EXPECT_FALSE(EncodeBitmap8(many.data(), 257, 1, &bytes8));
}

TEST(BitmapDecode, PaletteDepthsReadHighBitsFirstAndIndicesPastTheTableAreBlack) {
    BmpLayout s;
    s.width = 9;
    s.bpp = 1;
    s.table = {0x000000, 0xFFFFFF};
    s.pixels = {0xA0, 0x80, 0, 0};  // pixels 0, 2 and 8 set
    Decoded one;
    Decode(Build(s), &one);
    ASSERT_NE(one.image, nullptr) << one.message;
    EXPECT_EQ(one.Pixel(0, 0), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(one.Pixel(1, 0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(one.Pixel(8, 0), (std::vector<int>{255, 255, 255}));

    s.width = 3;
    s.bpp = 4;
    s.colorsUsed = 2;
    s.table = {0x102030, 0x405060};
    s.pixels = {0x1F, 0x00, 0, 0};  // indices 1, 15 (past the table), 0
    Decoded four;
    Decode(Build(s), &four);
    ASSERT_NE(four.image, nullptr) << four.message;
    EXPECT_EQ(four.Pixel(0, 0), (std::vector<int>{0x40, 0x50, 0x60}));
    EXPECT_EQ(four.Pixel(1, 0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(four.Pixel(2, 0), (std::vector<int>{0x10, 0x20, 0x30}));

    // A table longer than 256 entries: only the first 256 can be indexed.
    s.bpp = 8;
    s.width = 2;
    s.colorsUsed = 300;
    s.table.assign(300, 0x010203);
    s.table[255] = 0xABCDEF;
    s.pixels = {255, 0, 0, 0};
    Decoded eight;
    Decode(Build(s), &eight);
    ASSERT_NE(eight.image, nullptr) << eight.message;
    EXPECT_EQ(eight.Pixel(0, 0), (std::vector<int>{0xAB, 0xCD, 0xEF}));
}

TEST(BitmapDecode, CoreHeaderWidensItsThreeByteTable) {
    BmpLayout core;
    core.headerSize = 12;
    core.width = 2;
    core.bpp = 8;
    core.table.assign(256, 0);
    core.table[7] = 0x336699;
    core.pixels = {7, 0, 0, 0};
    BmpLayout info = core;
    info.headerSize = 40;
    Decoded a, b;
    Decode(Build(core), &a);
    Decode(Build(info), &b);
    ASSERT_NE(a.image, nullptr) << a.message;
    ASSERT_NE(b.image, nullptr) << b.message;
    EXPECT_EQ(a.Pixel(0, 0), (std::vector<int>{0x33, 0x66, 0x99}));
    EXPECT_EQ(memcmp(a.image->pixels, b.image->pixels, 6), 0);
}

TEST(BitmapDecode, SixteenBitChannelsExpandByBitReplication) {
    BmpLayout s;
    s.width = 2;
    s.bpp = 16;
    // 5-5-5: red 31, green 16, blue 1; then red 0, green 0, blue 31.
    uint16_t a = 31 << 10 | 16 << 5 | 1, b = 31;
    s.pixels = {(unsigned char)a, (unsigned char)(a >> 8), (unsigned char)b, (unsigned char)(b >> 8)};
    Decoded d;
    Decode(Build(s), &d);
    ASSERT_NE(d.image, nullptr) << d.message;
    EXPECT_EQ(d.Pixel(0, 0), (std::vector<int>{255, 132, 8}));
    EXPECT_EQ(d.Pixel(1, 0), (std::vector<int>{0, 0, 255}));

    // 5-6-5 masks: green 63 is full scale; a zero mask gives 0.
    s.compression = 3;
    s.masks = {0xF800, 0x07E0, 0};
    uint16_t c = 1 << 11 | 63 << 5 | 31;
    s.pixels = {(unsigned char)c, (unsigned char)(c >> 8), 0, 0};
    Decoded m;
    Decode(Build(s), &m);
    ASSERT_NE(m.image, nullptr) << m.message;
    EXPECT_EQ(m.Pixel(0, 0), (std::vector<int>{8, 255, 0}));

    s.masks = {0xF00F, 0x0F00, 0x00F0};  // red's bits are not contiguous
    EXPECT_EQ(RefusalOf(s), BITMAP_CONVERSION_MESSAGE);
}

TEST(BitmapDecode, ThirtyTwoBitPixelsAndWideMasks) {
    BmpLayout s;
    s.bpp = 32;
    s.pixels = {0x11, 0x22, 0x33, 0x99};  // blue, green, red, unused
    Decoded plain;
    Decode(Build(s), &plain);
    ASSERT_NE(plain.image, nullptr) << plain.message;
    EXPECT_EQ(plain.Pixel(0, 0), (std::vector<int>{0x33, 0x22, 0x11}));

    // Red in the top byte; 10-bit green narrows to its high 8 bits.
    s.compression = 3;
    s.masks = {0xFF000000, 0x00FFC000, 0x000000FF};
    uint32_t v = 0xAB000000u | (0x3FFu << 14) | 0x01;
    s.pixels = {(unsigned char)v, (unsigned char)(v >> 8), (unsigned char)(v >> 16), (unsigned char)(v >> 24)};
    Decoded wide;
    Decode(Build(s), &wide);
    ASSERT_NE(wide.image, nullptr) << wide.message;
    EXPECT_EQ(wide.Pixel(0, 0), (std::vector<int>{0xAB, 0xFF, 0x01}));
}

TEST(BitmapDecode, TopDownRowsComeOutBottomFirst) {
    const unsigned char rgb[6] = {1, 2, 3, 4, 5, 6};  // bottom row, then top row
    std::vector<unsigned char> bytes = EncodeBitmap24(rgb, 1, 2);
    // Flip to a top-down file: negative height, rows swapped.
    int32_t h = -2;
    memcpy(&bytes[22], &h, 4);
    std::swap_ranges(bytes.begin() + 54, bytes.begin() + 58, bytes.begin() + 58);
    Decoded d;
    Decode(bytes, &d);
    ASSERT_NE(d.image, nullptr) << d.message;
    EXPECT_EQ(d.image->height, 2);
    EXPECT_EQ(memcmp(d.image->pixels, rgb, 6), 0);
}

TEST(BitmapDecode, HeaderlessFilesFindPixelsAfterMasksAndTable) {
    BmpLayout s;
    s.fileHeader = false;
    s.bpp = 16;
    s.compression = 3;
    s.colorsUsed = 2;  // an unused table between the masks and the pixels
    s.masks = {0x7C00, 0x03E0, 0x001F};
    s.table = {0xFFFFFF, 0xFFFFFF};
    s.pixels = {0x1F, 0x00, 0, 0};
    Decoded d;
    Decode(Build(s), &d);
    ASSERT_NE(d.image, nullptr) << d.message;
    EXPECT_EQ(d.Pixel(0, 0), (std::vector<int>{0, 0, 255}));
}

// ---- RLE streams.

BmpLayout Rle8(int width, int height, std::vector<unsigned char> stream) {
    BmpLayout s;
    s.width = width;
    s.height = height;
    s.bpp = 8;
    s.compression = 1;
    s.table.assign(256, 0);
    s.table[1] = 0x0000FF;
    s.table[2] = 0x00FF00;
    s.table[3] = 0xFF0000;
    s.pixels = stream;
    return s;
}

TEST(BitmapDecode, Rle8RunsLiteralsAndDeltasLeaveSkippedPixelsBlack) {
    // Row 0: two 1s, a literal 2 3 2 (padded), end of line. Row 1: delta
    // right 2, one 3, end of bitmap.
    Decoded d;
    Decode(Build(Rle8(5, 2, {2, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 2, 0, 1, 3, 0, 1})), &d);
    ASSERT_NE(d.image, nullptr) << d.message;
    EXPECT_EQ(d.Pixel(0, 0), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(d.Pixel(2, 0), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(d.Pixel(3, 0), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(d.Pixel(0, 1), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(d.Pixel(2, 1), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(d.Pixel(4, 1), (std::vector<int>{0, 0, 0}));
}

TEST(BitmapDecode, BrokenRleStreamsAreRefused) {
    const std::vector<std::vector<unsigned char>> broken = {
        {6, 1, 0, 1},              // run past the row's end
        {0, 3, 1, 1, 1, 1, 0, 1},  // literal wider than the row
        {0, 2, 9, 0, 0, 1},        // delta past the right edge
        {0, 2, 0, 5, 0, 1},        // delta past the top
        {0, 0, 0, 0, 0, 0, 0, 1},  // end of line past the last row
        {0, 0, 0, 0, 1, 1, 0, 1},  // a run above the last row
        {2, 1},                    // no end-of-bitmap code
        {0, 3, 1, 1},              // literal cut short by the end of the data
        {0},                       // half a code
    };
    for (const std::vector<unsigned char>& stream : broken)
        EXPECT_EQ(RefusalOf(Rle8(2, 2, stream)), BITMAP_CONVERSION_MESSAGE) << (int)stream.size();
    BmpLayout topDown = Rle8(2, -2, {0, 1});
    EXPECT_EQ(RefusalOf(topDown), BITMAP_CONVERSION_MESSAGE);
}

TEST(BitmapDecode, Rle4TakesHighNibbleFirst) {
    BmpLayout s = Rle8(7, 1, {3, 0x12, 0, 3, 0x31, 0x20, 0, 1});
    s.bpp = 4;
    s.compression = 2;
    s.table.resize(16);
    Decoded d;
    Decode(Build(s), &d);
    ASSERT_NE(d.image, nullptr) << d.message;
    const int expected[7] = {1, 2, 1, 3, 1, 2, 0};
    const uint32_t colours[4] = {0, 0x0000FF, 0x00FF00, 0xFF0000};
    for (int x = 0; x < 7; x++) {
        uint32_t c = x < 6 ? colours[expected[x]] : 0;
        EXPECT_EQ(d.Pixel(x, 0), (std::vector<int>{(int)(c >> 16), (int)(c >> 8 & 255), (int)(c & 255)}))
            << x;
    }
}

// ---- Refusals and their messages.

TEST(BitmapDecode, HeaderSizesOtherThanFortyAndTwelveAreUnknown) {
    for (uint32_t size : {0u, 16u, 52u, 56u, 64u, 108u, 124u}) {
        BmpLayout s;
        s.headerSize = size < 40 ? 40 : size;
        std::vector<unsigned char> bytes = Build(s);
        memcpy(&bytes[14], &size, 4);
        Decoded d;
        Decode(bytes, &d);
        EXPECT_EQ(d.image, nullptr);
        EXPECT_EQ(d.message, BITMAP_UNKNOWN_FORMAT_MESSAGE) << size;
    }
    for (std::vector<unsigned char> bytes : std::vector<std::vector<unsigned char>>{
             {}, {40, 0, 0}, {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 40, 0, 0}}) {
        Decoded d;
        Decode(bytes, &d);
        EXPECT_EQ(d.message, BITMAP_UNKNOWN_FORMAT_MESSAGE) << bytes.size();
    }
}

TEST(BitmapDecode, UnsupportedDepthsCompressionsAndDamageAreConversionErrors) {
    BmpLayout s;
    s.pixels = {0, 0, 0, 0};
    for (uint16_t bpp : {0, 2, 64, 30000}) {
        s.bpp = bpp;
        EXPECT_EQ(RefusalOf(s), BITMAP_CONVERSION_MESSAGE) << bpp;
    }
    s.bpp = 24;
    for (uint32_t compression : {1u, 2u, 3u, 4u, 5u, 6u}) {  // none fits 24 bits
        s.compression = compression;
        EXPECT_EQ(RefusalOf(s), BITMAP_CONVERSION_MESSAGE) << compression;
    }
    s.compression = 0;
    BmpLayout bad = s;
    bad.width = -1;
    EXPECT_EQ(RefusalOf(bad), BITMAP_CONVERSION_MESSAGE);
    bad.width = 0;
    EXPECT_EQ(RefusalOf(bad), BITMAP_CONVERSION_MESSAGE);
    bad = s;
    bad.height = 0;
    EXPECT_EQ(RefusalOf(bad), BITMAP_CONVERSION_MESSAGE);
    bad = s;
    bad.pixelOffset = 1000;  // pixel data past the end
    EXPECT_EQ(RefusalOf(bad), BITMAP_CONVERSION_MESSAGE);
    bad = s;
    bad.width = 2;  // needs 8 bytes of pixel data, holds 4
    EXPECT_EQ(RefusalOf(bad), BITMAP_CONVERSION_MESSAGE);
    bad = s;
    bad.colorsUsed = 0x40000000;  // a table far past the end
    EXPECT_EQ(RefusalOf(bad), BITMAP_CONVERSION_MESSAGE);
    bad = s;
    bad.bpp = 32;
    bad.compression = 3;  // masks missing
    bad.pixels.clear();
    EXPECT_EQ(RefusalOf(bad), BITMAP_CONVERSION_MESSAGE);
    // A header cut short.
    std::vector<unsigned char> bytes = Build(s);
    bytes.resize(30);
    Decoded d;
    Decode(bytes, &d);
    EXPECT_EQ(d.message, BITMAP_CONVERSION_MESSAGE);
}

TEST(BitmapDecode, AbsurdDimensionsAreOutOfMemoryWithoutAllocating) {
    BmpLayout s;
    s.pixels = {0, 0, 0, 0};
    s.width = INT32_MAX;
    s.height = INT32_MAX;
    EXPECT_EQ(RefusalOf(s), BITMAP_OUT_OF_MEMORY_MESSAGE);
    s.width = 1;
    s.height = INT32_MIN;  // top-down with a height that does not negate
    EXPECT_EQ(RefusalOf(s), BITMAP_OUT_OF_MEMORY_MESSAGE);
    // RLE data does not bound the picture's size, so the size limit must.
    EXPECT_EQ(RefusalOf(Rle8(60000, 60000, {0, 1})), BITMAP_OUT_OF_MEMORY_MESSAGE);
}

// ---- The file side.

int OpenDescriptors() {
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (readdir(dir)) count++;
    closedir(dir);
    return count;
}

int MappedRegions() {
    FILE* f = fopen("/proc/self/maps", "r");
    int count = 0;
    for (int c; (c = fgetc(f)) != EOF;) count += c == '\n';
    fclose(f);
    return count;
}

std::string TempPath(const char* name) {
    return std::string(testing::TempDir()) + "/" + std::to_string(getpid()) + "_" + name;
}

void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

TEST(BitmapFile, MissingEmptyAndUnreadableFilesFailToOpen) {
    std::string missing = TempPath("missing.bmp"), empty = TempPath("empty.bmp");
    WriteFile(empty, {});
    for (const std::string& path : {missing, empty, std::string(testing::TempDir())}) {
        char message[BITMAP_MESSAGE_CAPACITY];
        EXPECT_EQ(ReadBitmapFile(path.c_str(), message, sizeof message), nullptr);
        EXPECT_EQ(std::string(message), "Failed to open DIB file " + path + ".\n");
    }
    unlink(empty.c_str());
}

TEST(BitmapFile, LoadBitmapImageShowsTheMessage) {
    std::string path = TempPath("unknown.bmp");
    WriteFile(path, {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 108, 0, 0, 0});
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadBitmapImage(path.c_str()), nullptr);
    std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find(BITMAP_UNKNOWN_FORMAT_MESSAGE), std::string::npos) << shown;
    unlink(path.c_str());
}

TEST(BitmapFile, EveryPathReleasesTheFileAndTheMapping) {
    const unsigned char rgb[3] = {1, 2, 3};
    std::string good = TempPath("good.bmp"), bad = TempPath("bad.bmp");
    ASSERT_TRUE(WriteBitmap24(good.c_str(), rgb, 1, 1));
    std::vector<unsigned char> truncated = EncodeBitmap24(rgb, 1, 1);
    truncated.resize(56);
    WriteFile(bad, truncated);
    int descriptors = OpenDescriptors(), regions = MappedRegions();
    char message[BITMAP_MESSAGE_CAPACITY];
    for (int i = 0; i < 20; i++) {
        TextureImage* image = ReadBitmapFile(good.c_str(), message, sizeof message);
        ASSERT_NE(image, nullptr) << message;
        EXPECT_EQ(image->pixels[2], 3);
        FreeTextureImage(image);
        EXPECT_EQ(ReadBitmapFile(bad.c_str(), message, sizeof message), nullptr);
        EXPECT_STREQ(message, BITMAP_CONVERSION_MESSAGE);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(MappedRegions(), regions);
    unlink(good.c_str());
    unlink(bad.c_str());
}

}  // namespace
