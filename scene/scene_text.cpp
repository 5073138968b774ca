// scene_text.cpp -- the whole scene file in memory for the reader, mapped or
// read into a buffer, with zero bytes after the text; and positions as lines
// and columns.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "scene/scene_reader.h"

static char emptyText[TEXT_SLACK];
static char* textBuffer;       // owned: the text and the zero byte at readEnd
static size_t textBufferSize;  // bytes mapped for textBuffer

const char* readText = emptyText;
const char* readEnd = emptyText;

// Positions are asked for in increasing order while a file is checked, so
// the line count continues from the last answer instead of the start.
static const char* countedUpTo;  // null: count from the start
static int countedLine;
static const char* countedLineStart;

// Starts reading a text of length bytes at text (TEXT_SLACK zero bytes follow).
static void StartText(const char* text, size_t length) {
    readText = text;
    readEnd = text + length;
    readCursor = readTokenStart = text;
    readStatus = READ_OK;
    countedUpTo = nullptr;
}

// A zeroed private block of at least size bytes, released whole with the
// text; its pages are provided in one go, since the file fills them all.
static char* NewTextBuffer(size_t size) {
    size_t rounded = (size + 4095) & ~(size_t)4095;
    void* block = mmap(nullptr, rounded, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (block == MAP_FAILED) return nullptr;
    textBuffer = static_cast<char*>(block);
    textBufferSize = rounded;
    return textBuffer;
}

static void FreeTextBuffer() {
    if (textBuffer) munmap(textBuffer, textBufferSize);
    textBuffer = nullptr;
    textBufferSize = 0;
}

// The status stays, so that callers can see how the last text ended.
void CloseSceneText() {
    int status = readStatus;
    FreeTextBuffer();
    StartText(emptyText, 0);
    readStatus = status;
}

// Reads everything from fd into a fresh buffer with zero bytes after it; a
// file that grows while it is read is read to its new end.
static bool ReadAll(int fd, size_t* length) {
    struct stat info;
    size_t capacity = (fstat(fd, &info) == 0 && info.st_size > 0) ? (size_t)info.st_size : 0;
    capacity += 4096;  // room to notice a file that grew, and for the zero bytes
    size_t used = 0;
    for (char* buffer = NewTextBuffer(capacity); buffer;) {
        if (used + TEXT_SLACK >= capacity) {
            char* bigger = static_cast<char*>(
                mremap(buffer, textBufferSize, capacity * 2, MREMAP_MAYMOVE));
            if (bigger == MAP_FAILED) break;
            buffer = textBuffer = bigger;
            capacity = textBufferSize = capacity * 2;
        }
        ssize_t got = read(fd, buffer + used, capacity - used - TEXT_SLACK);
        if (got == 0) {
            std::memset(buffer + used, 0, TEXT_SLACK);
            *length = used;
            return true;
        }
        if (got < 0) break;
        used += (size_t)got;
    }
    FreeTextBuffer();
    return false;
}

// Maps a regular file whose last page leaves room for the zero bytes: the
// system fills the rest of that page with zeros. Mapping saves copying the
// file and providing fresh pages for it. (The file must not shrink while it
// is read, as with any mapped file.)
static bool MapAll(int fd, size_t* length) {
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) return false;
    size_t size = (size_t)info.st_size;
    size_t page = (size_t)sysconf(_SC_PAGESIZE);
    if (size % page == 0 || page - size % page < (size_t)TEXT_SLACK) return false;
    void* block = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (block == MAP_FAILED) return false;
    textBuffer = static_cast<char*>(block);
    textBufferSize = size;
    *length = size;
    return true;
}

bool OpenSceneText(const char* path, bool createWhenMissing) {
    CloseSceneText();
    readStatus = READ_OK;
    int flags = O_RDONLY | O_CLOEXEC | (createWhenMissing ? O_CREAT : 0);
    int fd = open(path, flags, 0666);
    if (fd < 0) return false;
    size_t length = 0;
    bool ok = MapAll(fd, &length) || ReadAll(fd, &length);
    close(fd);
    if (ok) StartText(textBuffer, length);
    return ok;
}

void UseSceneText(const char* text, size_t length) {
    CloseSceneText();
    readStatus = READ_OK;
    char* buffer = NewTextBuffer(length + TEXT_SLACK);
    if (!buffer) return;
    std::memcpy(buffer, text, length);  // the fresh block is zero after it
    StartText(buffer, length);
}

void TextPosition(const char* at, int* line, int* column) {
    if (!countedUpTo || at < countedUpTo) {
        countedUpTo = countedLineStart = readText;
        countedLine = 1;
    }
    for (const char* p = countedUpTo; p < at; ++p) {
        if (*p == '\n') {
            ++countedLine;
            countedLineStart = p + 1;
        }
    }
    countedUpTo = at;
    *line = countedLine;
    *column = (int)(at - countedLineStart) + 1;
}
