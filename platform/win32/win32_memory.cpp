// win32_memory.cpp -- reserved address space and committed pages from the
// Windows memory manager.
#include "platform/system.h"
#include "platform/win32/win32_internal.h"

static size_t WholeLargePages(size_t bytes) {
    return (bytes + SYS_LARGE_PAGE - 1) & ~(SYS_LARGE_PAGE - 1);
}

void* Sys_ReservePages(size_t bytes) {
    size_t size = WholeLargePages(bytes);
    if (size < bytes) return nullptr;
    return VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
}

// Committed pages read as zero until written.
bool Sys_CommitPages(void* start, size_t bytes) {
    return bytes == 0 || VirtualAlloc(start, bytes, MEM_COMMIT, PAGE_READWRITE) != nullptr;
}

void Sys_ReleasePages(void* block, size_t) {
    if (block) VirtualFree(block, 0, MEM_RELEASE);
}

// Pages come in as they are first written.
bool Sys_CanPrefault() { return false; }
bool Sys_PrefaultPages(void*, size_t) { return false; }
