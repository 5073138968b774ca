// posix_mman.cpp -- mmap and its relatives on the Windows memory manager,
// for the blocks the scene and bitmap readers read files into.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform/win32/posix/sys/mman.h"
#include "platform/win32/win32_internal.h"

// Every file is opened in binary: the scene text and the bitmaps must reach
// the readers byte for byte (no CR LF folding, no end at Ctrl+Z), and the
// reports and traces on standard output and error are the Linux build's,
// byte for byte; so are the table sizes read on standard input.
static struct BinaryFiles {
    BinaryFiles() {
        _fmode = _O_BINARY;
        _setmode(_fileno(stdin), _O_BINARY);
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
    }
} binaryFiles;

// Files are never mapped: the readers read them into these blocks, so a
// file cut short while in use cannot fault the program.
void* mmap(void*, size_t length, int protection, int flags, int, off_t) {
    if (length == 0 || !(flags & MAP_ANONYMOUS)) return MAP_FAILED;
    void* block = VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT,
                               (protection & PROT_WRITE) ? PAGE_READWRITE : PAGE_READONLY);
    return block ? block : MAP_FAILED;
}

int munmap(void* address, size_t) {
    MEMORY_BASIC_INFORMATION info;
    if (!address || !VirtualQuery(address, &info, sizeof info)) return -1;
    return VirtualFree(info.AllocationBase, 0, MEM_RELEASE) ? 0 : -1;
}

void* mremap(void* address, size_t oldLength, size_t newLength, int flags, ...) {
    if (!(flags & MREMAP_MAYMOVE)) return MAP_FAILED;
    void* bigger = mmap(nullptr, newLength, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                        -1, 0);
    if (bigger == MAP_FAILED) return MAP_FAILED;
    memcpy(bigger, address, oldLength < newLength ? oldLength : newLength);
    munmap(address, oldLength);
    return bigger;
}

long sysconf(int name) {
    if (name != _SC_PAGESIZE) return -1;
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return (long)info.dwPageSize;
}
