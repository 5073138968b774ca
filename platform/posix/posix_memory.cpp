// posix_memory.cpp -- reserved address space backed by memory as it fills,
// in transparent huge pages where the kernel gives them.
#include <errno.h>
#include <sys/mman.h>

#include <cstdint>

#include "platform/system.h"

static size_t WholeLargePages(size_t bytes) {
    return (bytes + SYS_LARGE_PAGE - 1) & ~(SYS_LARGE_PAGE - 1);
}

// A reservation aligned to a huge page, so that the kernel can back it with
// huge pages; the unaligned ends of the mapping go back at once.
void* Sys_ReservePages(size_t bytes) {
    size_t size = WholeLargePages(bytes);
    if (size < bytes) return nullptr;  // rounding overflowed
    size_t span = size + SYS_LARGE_PAGE;
    if (span < size) return nullptr;
    void* raw = mmap(nullptr, span, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    uintptr_t start = (uintptr_t)raw;
    uintptr_t aligned = (start + SYS_LARGE_PAGE - 1) & ~(uintptr_t)(SYS_LARGE_PAGE - 1);
    if (aligned > start) munmap(raw, aligned - start);
    uintptr_t end = aligned + size, rawEnd = start + span;
    if (rawEnd > end) munmap((void*)end, rawEnd - end);
    return (void*)aligned;
}

bool Sys_CommitPages(void* start, size_t bytes) {
    if (bytes == 0) return true;
    if (mprotect(start, bytes, PROT_READ | PROT_WRITE) != 0) return false;
#ifdef MADV_HUGEPAGE
    madvise(start, bytes, MADV_HUGEPAGE);  // fresh small pages are slow to provide
#endif
    return true;
}

void Sys_ReleasePages(void* block, size_t bytes) {
    if (block) munmap(block, WholeLargePages(bytes));
}

#ifdef MADV_POPULATE_WRITE
bool Sys_CanPrefault() { return true; }

bool Sys_PrefaultPages(void* start, size_t bytes) {
    return madvise(start, bytes, MADV_POPULATE_WRITE) == 0 || errno != EINVAL;
}
#else
bool Sys_CanPrefault() { return false; }
bool Sys_PrefaultPages(void*, size_t) { return false; }
#endif
