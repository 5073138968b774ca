// text_guard.cpp -- lets the address checker see reads past the scene
// text's zero slack. The reader's buffer is a private mapping rounded up to
// whole pages (or huge pages when read from a file), so a read a little
// past the slack would touch mapped memory and go unnoticed. The scene target links with --wrap=mmap,--wrap=munmap:
// the mapping made for a text of the announced length gets the bytes after
// its slack poisoned, and every unmapping clears its range again.
#include <sanitizer/asan_interface.h>
#include <sys/mman.h>

#include <cstddef>

#include "fuzz/text_guard.h"
#include "scene/scene_reader.h"

static size_t guardedTextLength = (size_t)-1;  // W: GuardNextSceneText; -1: none announced

void GuardNextSceneText(size_t length) { guardedTextLength = length; }

extern "C" void* __real_mmap(void* address, size_t length, int protection, int flags, int fd,
                             off_t offset);
extern "C" int __real_munmap(void* address, size_t length);

extern "C" void* __wrap_mmap(void* address, size_t length, int protection, int flags, int fd,
                             off_t offset) {
    void* block = __real_mmap(address, length, protection, flags, fd, offset);
    size_t used = guardedTextLength + TEXT_SLACK;
    if (block != MAP_FAILED && (flags & MAP_ANONYMOUS) && guardedTextLength != (size_t)-1 &&
        length >= used) {
        ASAN_POISON_MEMORY_REGION(static_cast<char*>(block) + used, length - used);
        guardedTextLength = (size_t)-1;
    }
    return block;
}

extern "C" int __wrap_munmap(void* address, size_t length) {
    ASAN_UNPOISON_MEMORY_REGION(address, length);
    return __real_munmap(address, length);
}
