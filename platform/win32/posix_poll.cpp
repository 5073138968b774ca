// posix_poll.cpp -- poll on one descriptor through the handle beneath it,
// for the bounded read of the table sizes on standard input.
#include <io.h>

#include "platform/win32/posix/poll.h"
#include "platform/win32/win32_internal.h"

// A pipe says nothing when data comes: it is asked this often. Four pairs of
// numbers are read once per start, so the polls cost nothing noticeable.
constexpr DWORD PIPE_POLL_MS = 2;

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
