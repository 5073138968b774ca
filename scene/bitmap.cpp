// bitmap.cpp -- the bitmap loader's file side: the file is read whole with
// plain reads (a mapping would fault when the file is cut short meanwhile),
// decoded and released on every path.
#include "scene/bitmap.h"

#include <cstdio>

#include "scene/file_read.h"

// A 16384 x 8192 bitmap of 32-bit pixels is 512 MB; nothing larger can
// become a texture, so reading more would only fill memory.
constexpr size_t BITMAP_FILE_LIMIT = (size_t)512 << 20;

// Copies text into message, truncated to messageSize.
static void SetMessage(char* message, size_t messageSize, const char* text) {
    if (messageSize > 0) snprintf(message, messageSize, "%s", text);
}

TextureImage* ReadBitmapFile(const char* fileName, char* message, size_t messageSize) {
    FileBytes bytes;
    FileReadOptions options = {BITMAP_FILE_LIMIT, false, false};
    FileReadResult result = ReadWholeFile(fileName, options, &bytes);
    if (result == FILE_TOO_LARGE) {
        SetMessage(message, messageSize, BITMAP_OUT_OF_MEMORY_MESSAGE);
        return nullptr;
    }
    if (result != FILE_READ_OK || bytes.length == 0) {
        ReleaseFileBytes(&bytes);
        if (messageSize > 0) snprintf(message, messageSize, BITMAP_OPEN_FAILED_FORMAT, fileName);
        return nullptr;
    }
    const char* failure = nullptr;
    TextureImage* image = DecodeBitmapImage(reinterpret_cast<const unsigned char*>(bytes.data),
                                            bytes.length, &failure);
    ReleaseFileBytes(&bytes);
    if (!image) SetMessage(message, messageSize, failure);
    return image;
}
