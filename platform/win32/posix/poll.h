// poll.h -- waiting for standard input to become readable, for the Windows
// build, where the C library has no poll. Only the form the table-size
// reader uses: one descriptor, POLLIN.
#pragma once

#define POLLIN 0x001
#define POLLERR 0x008
#define POLLHUP 0x010

#ifdef __cplusplus
extern "C" {
#endif

struct pollfd {
    int fd;
    short events;
    short revents;
};

// 1 when fds[0] can be read without blocking (data, its end, or an error
// the read will report), 0 when timeoutMs passed first, -1 for a call it
// does not serve. A pipe is watched for its data; a file is always ready;
// a console, whose reads wait for typing, never is.
int poll(struct pollfd* fds, unsigned long count, int timeoutMs);

#ifdef __cplusplus
}
#endif
