// win32_stdin.cpp -- standard input for the loader's table sizes, waited
// for through the handle beneath it: a pipe is watched for its data, a file
// is always ready, and a console (or NUL), whose reads wait for typing,
// counts as a terminal and gives nothing.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/system.h"
#include "platform/win32/win32_internal.h"

// A pipe says nothing when data comes: it is asked this often. Four pairs of
// numbers are read once per start, so the polls cost nothing noticeable.
constexpr DWORD PIPE_POLL_MS = 2;

constexpr DWORD FORWARD_PIPE_BYTES = 4096;  // the table-size reader never takes more

// Copies everything from the source handle into the pipe, then ends it.
static DWORD WINAPI Forward(void* handles) {
    HANDLE* pair = static_cast<HANDLE*>(handles);
    char buffer[FORWARD_PIPE_BYTES];
    DWORD got, wrote;
    while (ReadFile(pair[0], buffer, sizeof buffer, &got, nullptr) && got > 0)
        if (!WriteFile(pair[1], buffer, got, &wrote, nullptr)) break;
    CloseHandle(pair[1]);  // the reader then sees the end
    CloseHandle(pair[0]);
    delete[] pair;
    return 0;
}

// A pipe that cannot be peeked at (wine's stand-in for a Unix pipe) is
// put behind one that can: a thread copies it into a new pipe that takes
// its descriptor. The thread may wait on a silent writer for good; nothing
// else waits for it.
static bool ForwardThroughPeekablePipe(int fd) {
    HANDLE self = GetCurrentProcess(), source;
    if (!DuplicateHandle(self, (HANDLE)_get_osfhandle(fd), self, &source, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
        return false;
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, nullptr, FORWARD_PIPE_BYTES)) {
        CloseHandle(source);
        return false;
    }
    int forwarded = _open_osfhandle((intptr_t)readEnd, _O_RDONLY | _O_BINARY);
    HANDLE* pair = new HANDLE[2]{source, writeEnd};
    HANDLE thread = forwarded >= 0 ? CreateThread(nullptr, 0, Forward, pair, 0, nullptr) : nullptr;
    if (!thread) {
        delete[] pair;
        if (forwarded >= 0) _close(forwarded);
        else CloseHandle(readEnd);
        CloseHandle(writeEnd);
        CloseHandle(source);
        return false;
    }
    CloseHandle(thread);
    _dup2(forwarded, fd);
    _close(forwarded);
    return true;
}

bool Sys_StdinReadable() { return !_isatty(_fileno(stdin)); }

// True when standard input can be read without blocking (data, its end, or
// an error the read will report); false when waitMs passed first.
static bool WaitForStdin(int waitMs) {
    int fd = _fileno(stdin);
    HANDLE input = (HANDLE)_get_osfhandle(fd);
    if (input == INVALID_HANDLE_VALUE) return true;
    DWORD type = GetFileType(input);
    if (type == FILE_TYPE_DISK) return true;
    DWORD start = GetTickCount();
    for (;;) {
        if (type == FILE_TYPE_PIPE) {
            DWORD available = 0;
            if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) {
                if (GetLastError() == ERROR_NOT_SUPPORTED && ForwardThroughPeekablePipe(fd)) {
                    input = (HANDLE)_get_osfhandle(fd);
                    continue;
                }
                // The writer is gone (or the handle is no pipe after all):
                // the read that follows sees the end.
                return true;
            }
            if (available > 0) return true;
        }
        DWORD waited = GetTickCount() - start;
        if (waitMs >= 0 && waited >= (DWORD)waitMs) return false;
        DWORD pause = PIPE_POLL_MS;
        if (waitMs >= 0 && (DWORD)waitMs - waited < pause) pause = (DWORD)waitMs - waited;
        Sleep(pause);
    }
}

long Sys_ReadStdin(void* buffer, size_t size, int waitMs) {
    if (!WaitForStdin(waitMs)) return 0;
    int got = _read(_fileno(stdin), buffer, (unsigned)size);
    return got > 0 ? got : 0;
}
