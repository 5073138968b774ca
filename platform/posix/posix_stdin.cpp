// posix_stdin.cpp -- standard input for the loader's table sizes: waited for
// with poll, so that a writer that never sends cannot hold the start.
#include <errno.h>
#include <poll.h>
#include <unistd.h>

#include "platform/system.h"

bool Sys_StdinReadable() { return !isatty(STDIN_FILENO); }

long Sys_ReadStdin(void* buffer, size_t size, int waitMs) {
    struct pollfd input = {STDIN_FILENO, POLLIN, 0};
    int ready = poll(&input, 1, waitMs);
    if (ready < 0 && errno == EINTR) return -1;
    if (ready <= 0) return 0;
    ssize_t got = read(STDIN_FILENO, buffer, size);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) return -1;
    return got > 0 ? (long)got : 0;
}
