// posix_poll.cpp -- poll on one descriptor through the handle beneath it,
// for the bounded read of the table sizes on standard input.
#include <fcntl.h>
#include <io.h>

#include "platform/win32/posix/poll.h"
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

int poll(struct pollfd* fds, unsigned long count, int timeoutMs) {
    if (count != 1 || !(fds[0].events & POLLIN)) return -1;
    fds[0].revents = 0;
    HANDLE input = (HANDLE)_get_osfhandle(fds[0].fd);
    if (input == INVALID_HANDLE_VALUE) {
        fds[0].revents = POLLERR;
        return 1;
    }
    DWORD type = GetFileType(input);
    if (type == FILE_TYPE_DISK) {
        fds[0].revents = POLLIN;
        return 1;
    }
    DWORD start = GetTickCount();
    for (;;) {
        if (type == FILE_TYPE_PIPE) {
            DWORD available = 0;
            if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) {
                if (GetLastError() == ERROR_NOT_SUPPORTED && ForwardThroughPeekablePipe(fds[0].fd)) {
                    input = (HANDLE)_get_osfhandle(fds[0].fd);
                    continue;
                }
                // The writer is gone (or the handle is no pipe after all):
                // the read that follows sees the end.
                fds[0].revents = POLLHUP;
                return 1;
            }
            if (available > 0) {
                fds[0].revents = POLLIN;
                return 1;
            }
        }
        DWORD waited = GetTickCount() - start;
        if (timeoutMs >= 0 && waited >= (DWORD)timeoutMs) return 0;
        DWORD pause = PIPE_POLL_MS;
        if (timeoutMs >= 0 && (DWORD)timeoutMs - waited < pause) pause = (DWORD)timeoutMs - waited;
        Sleep(pause);
    }
}
