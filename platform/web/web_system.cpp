// web_system.cpp -- the system's services in a page. Files are the page's
// in-memory file system through emscripten's POSIX calls (posix_files.cpp,
// built here as well); this file holds what a page does differently: one
// linear memory and no address space to reserve ahead, standard input only
// when the page hands the instance one, no signals and no child processes.
#include <emscripten.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/system.h"

// A page's memory only grows, and what it has not touched costs the browser
// nothing, so a reservation is a plain allocation; its pages are zeroed as
// they are committed, since a block the allocator hands back may be reused.
static constexpr size_t WEB_PAGE = 65536;  // the unit wasm memory grows by

static size_t WholePages(size_t bytes) { return (bytes + WEB_PAGE - 1) & ~(WEB_PAGE - 1); }

void* Sys_ReservePages(size_t bytes) {
    size_t size = WholePages(bytes);
    if (size < bytes) return nullptr;  // rounding overflowed
    return std::aligned_alloc(WEB_PAGE, size);
}

bool Sys_CommitPages(void* start, size_t bytes) {
    if (bytes) std::memset(start, 0, bytes);
    return true;
}

void Sys_ReleasePages(void* block, size_t) { std::free(block); }

// One thread: nothing can bring pages in ahead of the reader.
bool Sys_CanPrefault() { return false; }
bool Sys_PrefaultPages(void*, size_t) { return false; }

// The program's page has no standard input: without one handed over,
// emscripten's terminal would ask the user with a prompt box. The replay
// tool's page hands over the whole input at once (a function giving byte
// after byte, then null), so a read never waits.
EM_JS(int, PageGaveStdin, (), { return typeof Module['stdin'] == 'function' ? 1 : 0; });

bool Sys_StdinReadable() { return PageGaveStdin() != 0; }

long Sys_ReadStdin(void* buffer, size_t size, int) {
    ssize_t got = read(STDIN_FILENO, buffer, size);
    return got > 0 ? (long)got : 0;
}

// A page starts no programs: a model is imported by ambler-import on the
// desktop, and the scene folder it writes is what a page opens.
const char* Sys_ProgramPath(char*, size_t) { return nullptr; }

bool Sys_RunProgram(const char* const*, int*, int* error) {
    if (error) *error = ENOSYS;
    return false;
}

// Closing the tab ends the page without a signal, and message boxes are the
// page's own, so there is nothing to watch or end.
void Sys_WatchQuitSignals(SysQuitHandler) {}
bool Sys_AnotherQuitSignalWithin(int) { return false; }
void Sys_EndChildProcesses() {}
void Sys_ExitNow(int status) { std::_Exit(status); }
