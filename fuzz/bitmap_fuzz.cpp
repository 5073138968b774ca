// bitmap_fuzz.cpp -- libFuzzer target: the bitmap decoder on arbitrary bytes.
// A decoded image must be exactly width x height RGB triplets; a refusal
// must come with one of the loader's messages.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "scene/bitmap.h"

// Images up to this size are read whole; larger ones (RLE files can describe
// a big picture in a few bytes) only at both ends, which is enough for the
// address checker to know the block's extent.
constexpr size_t FUZZ_READ_WHOLE_BYTES = 1 << 20;

// Compared by text: each file that includes the header may hold its own copy.
static bool IsLoaderMessage(const char* message) {
    if (!message) return false;
    for (const char* known :
         {BITMAP_UNKNOWN_FORMAT_MESSAGE, BITMAP_CONVERSION_MESSAGE, BITMAP_OUT_OF_MEMORY_MESSAGE})
        if (std::strcmp(message, known) == 0) return true;
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* message = nullptr;
    TextureImage* image = DecodeBitmapImage(data, size, &message);
    if (!image) {
        if (!IsLoaderMessage(message)) std::abort();
        return 0;
    }
    if (image->width < 1 || image->height < 1 || !image->pixels) std::abort();
    size_t bytes = (size_t)image->width * (size_t)image->height * 3;
    volatile unsigned sum = 0;
    if (bytes <= FUZZ_READ_WHOLE_BYTES) {
        for (size_t i = 0; i < bytes; i++) sum = sum + image->pixels[i];
    } else {
        sum = image->pixels[0] + image->pixels[bytes - 1];
    }
    FreeTextureImage(image);
    return 0;
}
