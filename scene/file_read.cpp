// file_read.cpp -- whole-file reads into a buffer that grows as the bytes
// arrive, and the creation of an empty scene file.
#include "scene/file_read.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "scene/memory_budget.h"
#include "scene/prefault.h"

constexpr size_t READ_CHUNK = (size_t)2 << 20;  // one huge page per read: a hole costs at most this
constexpr size_t ZERO_PAGE = 4096;               // a run this long is no text
constexpr size_t HUGE_PAGE = (size_t)2 << 20;

#ifndef O_NOFOLLOW
#define O_NOFOLLOW 0
#endif

void ReleaseFileBytes(FileBytes* bytes) {
    if (bytes->data) munmap(bytes->data, bytes->capacity);
    ReturnSceneMemory(bytes->charged);
    *bytes = FileBytes();
}

// Makes room for at least `needed` bytes plus the padding, doubling the
// mapping; the new part reads as zeros. False past the limit or the budget.
static bool Reserve(FileBytes* bytes, size_t needed, const FileReadOptions& options) {
    if (needed > options.limit) return false;
    size_t want = needed + FILE_PADDING;
    if (want <= bytes->capacity) return true;
    size_t capacity = std::max(bytes->capacity * 2, (want + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1));
    capacity = std::min(capacity, ((options.limit + FILE_PADDING) + 4095) & ~(size_t)4095);
    if (options.chargeBudget && !ChargeSceneMemory(capacity - bytes->charged)) return false;
    if (options.chargeBudget) bytes->charged = capacity;
    if (options.prefault) FinishPrefault();  // before the mapping moves
    void* block = bytes->data
                      ? mremap(bytes->data, bytes->capacity, capacity, MREMAP_MAYMOVE)
                      : mmap(nullptr, capacity, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return false;
#ifdef MADV_HUGEPAGE
    madvise(block, capacity, MADV_HUGEPAGE);  // fresh small pages are slow to provide
#endif
    bool fresh = !bytes->data;
    bytes->data = static_cast<char*>(block);
    bytes->capacity = capacity;
    if (options.prefault && fresh && capacity > HUGE_PAGE) {
        // Each read then only copies: the zeroing of the fresh pages it
        // lands in is done on the other core, ahead of it. Only the first
        // mapping, sized by the file's size: growth past it is rare.
        QueuePrefault(block, capacity);
        StartPrefault();
    }
    return true;
}

// Where the first run of ZERO_PAGE zero bytes starts, scanning data[from,
// end) when *run zero bytes end data[0, from); end when there is none. *run
// is left as the zero bytes that end data[0, end).
static size_t ZeroPageStart(const char* data, size_t from, size_t end, size_t* run) {
    for (size_t p = from; p < end;) {
        if (*run == 0) {
            const void* zero = std::memchr(data + p, 0, end - p);
            if (!zero) return end;
            p = (size_t)(static_cast<const char*>(zero) - data);
        }
        for (; p < end && data[p] == 0; ++p)
            if (++*run >= ZERO_PAGE) return p + 1 - *run;
        if (p < end) *run = 0;
    }
    return end;
}

// True when every byte of the file is stored: a sparse file may hold gigabytes
// of hole that the reads never get past, and its pages must not be faulted in.
static bool FullyStored(const struct stat& info) {
#ifdef _WIN32
    (void)info;
    return false;  // faulting in ahead is a Linux service
#else
    return (unsigned long long)info.st_blocks * 512 >= (unsigned long long)info.st_size;
#endif
}

FileReadResult ReadWholeFile(const char* path, const FileReadOptions& fileOptions, FileBytes* out,
                             int* error) {
    *out = FileBytes();
#ifdef _WIN32
    char converted[1024];
    path = WinFileName(path, converted, sizeof converted);
#endif
    // Non-blocking, so that opening a FIFO cannot wait for a writer.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    int openError = fd < 0 ? errno : 0;
    if (error) *error = openError;
    struct stat info;
#ifdef _WIN32
    // Windows opens no folder as a file: the refusal is told apart here,
    // where nothing is read from what the path names.
    if (fd < 0 && openError == EACCES && stat(path, &info) == 0 && !S_ISREG(info.st_mode))
        return FILE_NOT_REGULAR;
#endif
    if (fd < 0) return openError == ENOENT ? FILE_MISSING : FILE_UNREADABLE;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return FILE_NOT_REGULAR;
    }
    FileReadOptions options = fileOptions;
    options.prefault = options.prefault && FullyStored(info);
    // The size only sizes the first reservation; the reads decide the length.
    size_t hint = info.st_size > 0 ? (size_t)info.st_size : 0;
    FileReadResult result = FILE_READ_OK;
    if (!Reserve(out, std::min({hint, options.limit, READ_CHUNK * 32}), options))
        result = FILE_TOO_LARGE;
    size_t used = 0, written = 0, zeroRun = 0;
    while (result == FILE_READ_OK) {
        // The buffer grows only when full: a file of the size the hint gave
        // ends with a read that returns nothing, in the room left over.
        bool full = out->capacity - FILE_PADDING - used == 0;
        if (full && used < options.limit &&
            !Reserve(out, std::min(used + READ_CHUNK, options.limit), options)) {
            result = FILE_TOO_LARGE;
            break;
        }
        size_t room = std::min({READ_CHUNK, out->capacity - FILE_PADDING - used,
                                options.limit - used});
        if (room == 0) {  // the limit is reached: one more byte passes it
            char probe;
            ssize_t more = read(fd, &probe, 1);
            if (more != 0) result = more < 0 ? FILE_UNREADABLE : FILE_TOO_LARGE;
            break;
        }
        ssize_t got = read(fd, out->data + used, room);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            if (error) *error = errno;
            result = FILE_UNREADABLE;
            break;
        }
        if (got == 0) break;
        size_t end = used + (size_t)got;
        written = end;
        if (options.stopAtZeroPage) {
            size_t zeros = ZeroPageStart(out->data, used, end, &zeroRun);
            if (zeros < end) {
                used = zeros;
                break;
            }
        }
        used = end;
    }
    close(fd);
    if (options.prefault) FinishPrefault();
    if (result != FILE_READ_OK) {
        ReleaseFileBytes(out);
        return result;
    }
    // After a hole the bytes that followed it in the last read go: the data
    // ends in zero bytes.
    std::memset(out->data + used, 0, std::max(written, used) - used + FILE_PADDING);
    out->length = used;
    return FILE_READ_OK;
}

bool CopyToFileBytes(const char* data, size_t length, FileBytes* out) {
    *out = FileBytes();
    size_t capacity = (length + FILE_PADDING + 4095) & ~(size_t)4095;
    if (!ChargeSceneMemory(capacity)) return false;
    void* block = mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) {
        ReturnSceneMemory(capacity);
        return false;
    }
    out->data = static_cast<char*>(block);
    out->capacity = out->charged = capacity;
    std::memcpy(out->data, data, length);  // the fresh mapping is zero after it
    out->length = length;
    return true;
}

bool CreateEmptyFile(const char* path) {
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return false;
    close(fd);
    return true;
}

const char* FileReadProblem(FileReadResult result) {
    switch (result) {
        case FILE_READ_OK: return "was read";
        case FILE_MISSING: return "does not exist";
        case FILE_NOT_REGULAR: return "is not a regular file";
        case FILE_TOO_LARGE: return "is too large for the memory it may take";
        case FILE_UNREADABLE: return "cannot be read";
    }
    return "cannot be read";
}
