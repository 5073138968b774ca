// scene_file_fuzz.cpp -- libFuzzer target: the scene reader on a real file
// whose length changes while it is read. The target links with --wrap=read:
// every read of the scene file returns at most a few bytes chosen by the
// input, and before each one the file is cut to, or grown by, lengths the
// input chooses, as a writer busy with the file would. Whatever happens, the
// load must end with the reader inside its text (the address checker sees
// any read past the zero bytes that end it) and a text no longer than what
// the reads returned, followed by its zero bytes.
//
// Input: a control part up to the first zero byte (at most 64 bytes; pairs
// of bytes: a read's length, then 0-63 cut to that many bytes, 64-127 grow
// by that many minus 64, other values leave the file), then the scene text.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "scene/file_read.h"
#include "scene/memory_budget.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "scene/scene_reader.h"
#include "scene/stdin_sizes.h"

static int sceneFd = -1;              // the file being written; -1: reads pass through
static const uint8_t* controls;       // the current input's control bytes
static size_t controlCount, controlNext;
static size_t bytesReturned;          // by the wrapped reads of this load
static std::string path;

extern "C" ssize_t __real_read(int fd, void* buffer, size_t count);

// A read of the scene file: first the file changes as the next control
// pair says, then at most the chosen number of bytes come back.
extern "C" ssize_t __wrap_read(int fd, void* buffer, size_t count) {
    if (sceneFd < 0 || controlNext + 1 >= controlCount) {
        ssize_t got = __real_read(fd, buffer, count);
        if (sceneFd >= 0 && got > 0) bytesReturned += (size_t)got;
        return got;
    }
    size_t length = controls[controlNext] % 32 + 1;
    uint8_t change = controls[controlNext + 1];
    controlNext += 2;
    if (change < 64) {
        if (ftruncate(sceneFd, change) != 0) std::abort();
    } else if (change < 128) {
        std::string more(change - 64, '7');
        if (pwrite(sceneFd, more.data(), more.size(), lseek(sceneFd, 0, SEEK_END)) < 0)
            std::abort();
    }
    ssize_t got = __real_read(fd, buffer, count < length ? count : length);
    if (got > 0) bytesReturned += (size_t)got;
    return got;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char dir[] = "/tmp/ambler-scene-file-fuzz-XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    path = std::string(dir) + "/Hod.pro";
    return 0;
}

// Writes the scene afresh and rewinds the control pairs.
static void StartFile(const uint8_t* data, size_t prefix, const uint8_t* scene, size_t length) {
    sceneFd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (sceneFd < 0 || write(sceneFd, scene, length) != (ssize_t)length) std::abort();
    controls = data;
    controlCount = prefix;
    controlNext = 0;
    bytesReturned = 0;
}

static void EndFile() {
    close(sceneFd);
    sceneFd = -1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const void* zero = std::memchr(data, 0, size < 64 ? size : 64);
    size_t prefix = zero ? (size_t)(static_cast<const uint8_t*>(zero) - data) : 0;
    const uint8_t* scene = zero ? data + prefix + 1 : data;
    size_t sceneLength = size - (size_t)(scene - data);

    // The text alone: no longer than what the reads gave, zero bytes after it.
    StartFile(data, prefix, scene, sceneLength);
    FileBytes bytes;
    FileReadOptions options = {sceneMemory.budget, true, true};
    FileReadResult result = ReadWholeFile(path.c_str(), options, &bytes);
    EndFile();
    if (result != FILE_READ_OK || bytes.length > bytesReturned) std::abort();
    for (size_t k = 0; k < FILE_PADDING; ++k)
        if (bytes.data[bytes.length + k] != 0) std::abort();
    ReleaseFileBytes(&bytes);

    // The whole load on the same changes, into a scene of its own.
    StartFile(data, prefix, scene, sceneLength);
    auto loaded = std::make_unique<Scene>();
    SceneReadResult read = ReadSceneFile(*loaded, path.c_str(), false, SceneReadOptions());
    EndFile();
    if (read.outcome != SCENE_READ && read.outcome != SCENE_OUT_OF_MEMORY) std::abort();
    return 0;
}
