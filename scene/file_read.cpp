// file_read.cpp -- whole-file reads into a buffer that grows as the bytes
// arrive, and the creation of an empty scene file.
#include "scene/file_read.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/system.h"
#include "scene/memory_budget.h"
#include "scene/prefault.h"

constexpr size_t READ_CHUNK = (size_t)2 << 20;  // one huge page per read: a hole costs at most this
constexpr size_t ZERO_PAGE = 4096;               // a run this long is no text
constexpr size_t HUGE_PAGE = SYS_LARGE_PAGE;

static size_t RoundUp(size_t bytes, size_t unit) { return (bytes + unit - 1) & ~(unit - 1); }

void ReleaseFileBytes(FileBytes* bytes) {
    if (bytes->data && bytes->reserved) Sys_ReleasePages(bytes->data, bytes->reserved);
    else std::free(bytes->data);
    ReturnSceneMemory(bytes->charged);
    *bytes = FileBytes();
}

// Makes room for at least `needed` bytes plus the padding. The whole limit
// is reserved as address space at the first call, so the buffer never
// moves; memory is committed behind it by doubling, and reads as zeros.
// False past the limit, the budget or the system's memory.
static bool Reserve(FileBytes* bytes, size_t needed, const FileReadOptions& options) {
    if (needed > options.limit) return false;
    size_t want = needed + FILE_PADDING;
    if (want <= bytes->capacity) return true;
    size_t most = RoundUp(options.limit + FILE_PADDING, 4096);
    if (!bytes->data) {
        bytes->data = static_cast<char*>(Sys_ReservePages(most));
        if (!bytes->data) return false;
        bytes->reserved = most;
    }
    size_t capacity = std::min(std::max(bytes->capacity * 2, RoundUp(want, HUGE_PAGE)), most);
    if (options.chargeBudget && !ChargeSceneMemory(capacity - bytes->charged)) return false;
    if (options.chargeBudget) bytes->charged = capacity;
    if (!Sys_CommitPages(bytes->data + bytes->capacity, capacity - bytes->capacity)) return false;
    bool fresh = bytes->capacity == 0;
    bytes->capacity = capacity;
    if (options.prefault && fresh && capacity > HUGE_PAGE) {
        // Each read then only copies: the zeroing of the fresh pages it
        // lands in is done on the other core, ahead of it. Only the first
        // part, sized by the file's size: growth past it is rare.
        QueuePrefault(bytes->data, capacity);
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

FileReadResult ReadWholeFile(const char* path, const FileReadOptions& fileOptions, FileBytes* out,
                             int* error) {
    *out = FileBytes();
    SysOpenFile opened;
    SysOpenResult open = Sys_OpenFile(path, &opened);
    if (error) *error = opened.error;
    if (open == SYS_NO_FILE) return FILE_MISSING;
    if (open == SYS_NOT_REGULAR) return FILE_NOT_REGULAR;
    if (open != SYS_OPENED) return FILE_UNREADABLE;
    FileReadOptions options = fileOptions;
    options.prefault = options.prefault && opened.fullyStored;
    // The size only sizes the first commit; the reads decide the length.
    size_t hint = (size_t)std::min<uint64_t>(opened.size, SIZE_MAX);
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
            long more = Sys_ReadFile(opened.file, &probe, 1, error);
            if (more != 0) result = more < 0 ? FILE_UNREADABLE : FILE_TOO_LARGE;
            break;
        }
        long got = Sys_ReadFile(opened.file, out->data + used, room, error);
        if (got < 0) {
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
    Sys_CloseFile(opened.file);
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

// A plain heap block: the address checker then sees any read past the
// padding, which a page-rounded block would hide.
bool CopyToFileBytes(const char* data, size_t length, FileBytes* out) {
    *out = FileBytes();
    size_t capacity = length + FILE_PADDING;
    if (capacity < length || !ChargeSceneMemory(capacity)) return false;
    out->data = static_cast<char*>(std::calloc(capacity, 1));
    if (!out->data) {
        ReturnSceneMemory(capacity);
        return false;
    }
    out->charged = out->capacity = capacity;
    std::memcpy(out->data, data, length);
    out->length = length;
    return true;
}

bool CreateEmptyFile(const char* path) { return Sys_CreateNewFile(path) == SYS_CREATED; }

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
