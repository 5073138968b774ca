// bitmap.cpp -- the bitmap loader's file side: the file is opened read-only,
// mapped, decoded and released on every path; failures become the loader's
// message box.
#include "scene/bitmap.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/platform.h"

// Copies text into message, truncated to messageSize.
static void SetMessage(char* message, size_t messageSize, const char* text) {
    if (messageSize > 0) snprintf(message, messageSize, "%s", text);
}

// Maps the whole regular, non-empty file read-only; the descriptor is closed
// before returning. Null when the file cannot be opened or mapped.
static const unsigned char* MapFile(const char* fileName, size_t* size) {
    int fd = open(fileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    struct stat info;
    void* mapped = MAP_FAILED;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        *size = (size_t)info.st_size;
        mapped = mmap(nullptr, *size, PROT_READ, MAP_PRIVATE, fd, 0);
    }
    close(fd);
    return mapped == MAP_FAILED ? nullptr : static_cast<const unsigned char*>(mapped);
}

TextureImage* ReadBitmapFile(const char* fileName, char* message, size_t messageSize) {
    size_t size = 0;
    const unsigned char* data = MapFile(fileName, &size);
    if (!data) {
        if (messageSize > 0) snprintf(message, messageSize, BITMAP_OPEN_FAILED_FORMAT, fileName);
        return nullptr;
    }
    const char* failure = nullptr;
    TextureImage* image = DecodeBitmapImage(data, size, &failure);
    munmap(const_cast<unsigned char*>(data), size);
    if (!image) SetMessage(message, messageSize, failure);
    return image;
}

TextureImage* LoadBitmapImage(const char* fileName) {
    char message[BITMAP_MESSAGE_CAPACITY];
    TextureImage* image = ReadBitmapFile(fileName, message, sizeof message);
    if (!image) Plat_MessageBox(message, "Error");
    return image;
}
