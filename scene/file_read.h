// file_read.h -- reading a whole input file (the scene, a bitmap, a replay's
// events) safely: only a regular file, judged on the opened descriptor, read
// with plain reads into memory of the size actually read, up to a stated
// limit. A file that is cut short or grows while it is read is read to where
// its reads end; nothing is mapped, so no later change to it can fault.
#pragma once

#include <cstddef>

enum FileReadResult {
    FILE_READ_OK = 0,
    FILE_MISSING,      // no such file
    FILE_NOT_REGULAR,  // a directory, FIFO, device or socket
    FILE_TOO_LARGE,    // more bytes than the limit, or no memory for them
    FILE_UNREADABLE,   // any other failure to open or read
};

// The bytes read; TEXT_PADDING zero bytes follow data[length]. Owned: give
// it back with ReleaseFileBytes.
struct FileBytes {
    char* data = nullptr;
    size_t length = 0;
    size_t capacity = 0;  // bytes usable at data
    size_t reserved = 0;  // address space reserved at data (0: a heap block)
    size_t charged = 0;   // bytes charged to the scene memory budget
};

constexpr size_t FILE_PADDING = 16;  // zero bytes kept after the data

struct FileReadOptions {
    size_t limit;            // most bytes accepted
    bool chargeBudget;       // charge the bytes to the scene memory budget
    bool stopAtZeroPage;     // text: a page of zero bytes ends it (see ReadWholeFile)
    bool prefault = false;   // fault the buffer in on a second thread ahead of the reads
};

// Reads the regular file at path whole. With stopAtZeroPage, a run of 4096
// zero bytes ends the data where it starts: it is a hole in a sparse file or
// space a writer has reserved, never text, and reading on through a hole of
// gigabytes would only fill memory with zeros. errno-like detail for the
// messages is in *error when not null.
FileReadResult ReadWholeFile(const char* path, const FileReadOptions& options, FileBytes* out,
                             int* error = nullptr);
void ReleaseFileBytes(FileBytes* bytes);
// The same shape for bytes already in memory (tests, fuzzing), charged to the
// budget; false when it is passed.
bool CopyToFileBytes(const char* data, size_t length, FileBytes* out);

// The empty file path made as a new regular file in its own folder: never
// through a symbolic link, never replacing anything. False when it exists
// (as anything, a dangling link included) or cannot be made.
bool CreateEmptyFile(const char* path);

// A short description of a failed read, for messages ("is not a regular file").
const char* FileReadProblem(FileReadResult result);
