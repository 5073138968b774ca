// bitmap_corpus_test.cpp -- the bitmap loader against the BMP conformance
// corpus: every file decodes to its reference or is refused with the right
// message, and the header-less form decodes like the full file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scene/bitmap.h"
#include "tools/lib/png_image.h"

namespace {

const std::string CORPUS = std::string(AMBLER_SHARED_DIR) + "/testdata/bmp/";

struct CorpusEntry {
    std::string file, header, compression, heightSign, reference, expected, extension;
    int bpp = 0;
};

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) fields.push_back(field);
    return fields;
}

std::vector<CorpusEntry> ReadManifest() {
    std::ifstream in(CORPUS + "MANIFEST.tsv");
    std::vector<CorpusEntry> entries;
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        std::vector<std::string> f = SplitTabs(line);
        if (f.size() < 12) continue;
        CorpusEntry e;
        e.file = f[0];
        e.header = f[2];
        e.bpp = atoi(f[3].c_str());
        e.compression = f[4];
        e.heightSign = f[5];
        e.reference = f[8].substr(0, f[8].find('|'));
        e.expected = f[9];
        e.extension = f[11];
        entries.push_back(e);
    }
    return entries;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// The outcome this loader must give: the basic outcome, with the extensions
// it builds turning refusals into decodes.
std::string ExpectedOutcome(const CorpusEntry& e) {
    bool built = e.extension == "rle4" || e.extension == "rle8" || e.extension == "bitfields" ||
                 e.extension == "top-down";
    return e.expected == "reject" && built ? "decode" : e.expected;
}

// The message for a refused file, by what is wrong with it.
std::string ExpectedMessage(const CorpusEntry& e) {
    if (e.header != "info40" && e.header != "core12") return BITMAP_UNKNOWN_FORMAT_MESSAGE;
    if (e.file == "b/reallybig.bmp") return BITMAP_OUT_OF_MEMORY_MESSAGE;
    return BITMAP_CONVERSION_MESSAGE;
}

// Channels that are not 8 bits wide in the file may differ by one from the
// references, which scale rather than replicate bits.
int ChannelTolerance(const CorpusEntry& e) {
    return e.bpp == 16 || e.compression == "bitfields" ? 1 : 0;
}

// Compares a decoded image with a reference PNG (stored top row first).
void ExpectMatchesReference(const TextureImage* image, const std::string& reference,
                            int tolerance, const std::string& what) {
    RgbImage png;
    std::string error;
    ASSERT_TRUE(ReadPng((CORPUS + reference).c_str(), &png, &error)) << reference << ": " << error;
    ASSERT_EQ(image->width, png.width) << what;
    ASSERT_EQ(image->height, png.height) << what;
    int worst = 0, mismatches = 0;
    for (int y = 0; y < png.height; y++) {
        const unsigned char* ours = image->pixels + (size_t)y * png.width * 3;
        const unsigned char* theirs = png.rgb.data() + (size_t)(png.height - 1 - y) * png.width * 3;
        for (int i = 0; i < png.width * 3; i++) {
            int d = abs((int)ours[i] - (int)theirs[i]);
            if (d > worst) worst = d;
            if (d > tolerance) mismatches++;
        }
    }
    EXPECT_EQ(mismatches, 0) << what << " vs " << reference << ": largest difference " << worst;
}

// Decodes a copy of bytes held in a buffer of exactly their size, so that the
// address sanitizer sees any read past the end.
TextureImage* DecodeExact(const std::vector<unsigned char>& bytes, const char** message) {
    unsigned char* copy = static_cast<unsigned char*>(malloc(bytes.size() ? bytes.size() : 1));
    std::copy(bytes.begin(), bytes.end(), copy);
    TextureImage* image = DecodeBitmapImage(copy, bytes.size(), message);
    free(copy);
    return image;
}

// The corpus lives outside the repository; a checkout without it skips.
#define REQUIRE_CORPUS()                                                          \
    if (access((CORPUS + "MANIFEST.tsv").c_str(), R_OK) != 0)                     \
    GTEST_SKIP() << "no BMP corpus at " << CORPUS

TEST(BitmapCorpus, EveryFileDecodesOrIsRefusedAsExpected) {
    REQUIRE_CORPUS();
    std::vector<CorpusEntry> entries = ReadManifest();
    ASSERT_EQ(entries.size(), 73u);
    int decoded = 0, refused = 0;
    for (const CorpusEntry& e : entries) {
        SCOPED_TRACE(e.file);
        std::string expected = ExpectedOutcome(e);
        char message[BITMAP_MESSAGE_CAPACITY] = "";
        TextureImage* image = ReadBitmapFile((CORPUS + e.file).c_str(), message, sizeof message);
        if (expected == "decode") {
            ASSERT_NE(image, nullptr) << message;
        } else if (expected == "reject") {
            EXPECT_EQ(image, nullptr);
            EXPECT_EQ(std::string(message), ExpectedMessage(e));
        }
        if (image && e.reference != "-")
            ExpectMatchesReference(image, e.reference, ChannelTolerance(e), e.file);
        // The in-memory decoder gives the same outcome on an exact-size copy.
        const char* failure = nullptr;
        TextureImage* again = DecodeExact(ReadBytes(CORPUS + e.file), &failure);
        EXPECT_EQ(again != nullptr, image != nullptr);
        if (again && image) {
            size_t bytes = (size_t)image->width * image->height * 3;
            EXPECT_EQ(memcmp(again->pixels, image->pixels, bytes), 0);
        }
        if (!image) {
            EXPECT_EQ(std::string(failure ? failure : ""), std::string(message));
            refused++;
        } else {
            decoded++;
        }
        FreeTextureImage(image);
        FreeTextureImage(again);
    }
    // Every basic decode plus the extension decodes, and the "either" files
    // this loader accepts (bogus size field, planes, indices past the table).
    EXPECT_EQ(decoded, 36);
    EXPECT_EQ(refused, 37);
}

TEST(BitmapCorpus, HeaderlessFilesDecodeLikeTheirFullForm) {
    REQUIRE_CORPUS();
    const char* files[] = {"g/pal1.bmp",    "g/pal1wb.bmp",          "g/pal4.bmp",
                           "g/pal8-0.bmp",  "g/pal8.bmp",            "g/pal8gs.bmp",
                           "g/pal8nonsquare.bmp", "g/pal8w124.bmp",  "g/pal8w126.bmp",
                           "g/rgb16.bmp",   "g/rgb24.bmp",           "g/rgb32.bmp",
                           "q/pal8oversizepal.bmp", "q/rgb24largepal.bmp"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        std::vector<unsigned char> bytes = ReadBytes(CORPUS + file);
        ASSERT_GT(bytes.size(), 14u);
        const char* message = nullptr;
        TextureImage* full = DecodeExact(bytes, &message);
        ASSERT_NE(full, nullptr) << message;
        std::vector<unsigned char> bare(bytes.begin() + 14, bytes.end());
        TextureImage* headerless = DecodeExact(bare, &message);
        ASSERT_NE(headerless, nullptr) << message;
        ASSERT_EQ(headerless->width, full->width);
        ASSERT_EQ(headerless->height, full->height);
        EXPECT_EQ(memcmp(headerless->pixels, full->pixels, (size_t)full->width * full->height * 3),
                  0);
        FreeTextureImage(full);
        FreeTextureImage(headerless);
    }
}

TEST(BitmapCorpus, BitmapArrayIsReadAsHeaderlessAndRefused) {
    REQUIRE_CORPUS();
    const char* message = nullptr;
    EXPECT_EQ(DecodeExact(ReadBytes(CORPUS + "x/ba-bm.bmp"), &message), nullptr);
    EXPECT_STREQ(message, BITMAP_UNKNOWN_FORMAT_MESSAGE);
}

// Every prefix of a few files of each kind: a truncated file never reads past
// its end and always ends in one of the loader's messages.
TEST(BitmapCorpus, TruncatedFilesAreRefusedWithinBounds) {
    REQUIRE_CORPUS();
    const char* files[] = {"g/pal1.bmp", "g/pal4.bmp", "g/pal8os2.bmp", "g/rgb16-565.bmp",
                           "g/rgb32bf.bmp", "g/pal8rle.bmp", "q/pal4rletrns.bmp"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        std::vector<unsigned char> bytes = ReadBytes(CORPUS + file);
        for (size_t n = 0; n < bytes.size(); n += (n < 2000 ? 1 : 97)) {
            std::vector<unsigned char> prefix(bytes.begin(), bytes.begin() + (ptrdiff_t)n);
            const char* message = nullptr;
            TextureImage* image = DecodeExact(prefix, &message);
            if (image) {
                // Only the missing padding of the last row may be cut off.
                EXPECT_GE(n + 4, bytes.size()) << n;
                FreeTextureImage(image);
                continue;
            }
            std::string m = message;
            EXPECT_TRUE(m == BITMAP_UNKNOWN_FORMAT_MESSAGE || m == BITMAP_CONVERSION_MESSAGE) << n;
        }
    }
}

}  // namespace
