// mman.h -- the memory-mapping calls the scene and bitmap readers use, for
// the Windows build, where the C library has none. Only the form those
// readers call: zeroed anonymous blocks (files are read, never mapped).
#pragma once

#include <stddef.h>
#include <sys/types.h>

#define PROT_READ 0x1
#define PROT_WRITE 0x2
#define MAP_PRIVATE 0x02
#define MAP_ANONYMOUS 0x20
#define MAP_POPULATE 0  // pages are provided on first touch instead
#define MAP_FAILED ((void*)-1)
#define MREMAP_MAYMOVE 1

#ifdef __cplusplus
extern "C" {
#endif

// A zeroed block when flags hold MAP_ANONYMOUS; MAP_FAILED on failure and
// for any file.
void* mmap(void* address, size_t length, int protection, int flags, int fd, off_t offset);
// Releases a view or a block made by mmap or mremap.
int munmap(void* address, size_t length);
// A zeroed block of newLength bytes holding the old block's bytes; the old
// one is released. Anonymous blocks only.
void* mremap(void* address, size_t oldLength, size_t newLength, int flags, ...);

#define _SC_PAGESIZE 30
// The page size for _SC_PAGESIZE, -1 for anything else.
long sysconf(int name);

#ifdef __cplusplus
}
#endif
