// hold_io.c -- a preload library for tests that must catch a program in the
// middle of its work on one file, on any machine however fast. Loaded with
// LD_PRELOAD, it lets the first $AMBLER_HOLD_AFTER (default 1) calls of
// $AMBLER_HOLD_CALL ("read", the default, or "fputs") on the file
// $AMBLER_HOLD_FILE through, then holds the calling thread at the next one
// for good, after creating the file $AMBLER_HOLD_SIGN so that the test
// knows the program is held. Every other call goes straight on.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static atomic_long callsSeen;

// True when fd is the held file and call the held call. The file is compared
// by device and inode, so any name for it counts.
static int IsHeld(int fd, const char* call) {
    const char* path = getenv("AMBLER_HOLD_FILE");
    const char* held = getenv("AMBLER_HOLD_CALL");
    struct stat wanted, actual;
    if (!path || strcmp(held ? held : "read", call) != 0) return 0;
    if (fd < 0 || stat(path, &wanted) != 0 || fstat(fd, &actual) != 0) return 0;
    return S_ISREG(actual.st_mode) && wanted.st_dev == actual.st_dev &&
           wanted.st_ino == actual.st_ino;
}

// Counts a held call; past the calls let through, signs and never returns.
// The quit signals the program blocks stay blocked here; one it leaves to
// the default action still ends the process.
static void MaybeHold(void) {
    const char* after = getenv("AMBLER_HOLD_AFTER");
    if (atomic_fetch_add(&callsSeen, 1) < (after ? atol(after) : 1)) return;
    const char* sign = getenv("AMBLER_HOLD_SIGN");
    if (sign) {
        int fd = open(sign, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) close(fd);
    }
    for (;;) pause();
}

ssize_t read(int fd, void* buffer, size_t count) {
    static ssize_t (*next)(int, void*, size_t);
    if (!next) next = (ssize_t(*)(int, void*, size_t))dlsym(RTLD_NEXT, "read");
    if (IsHeld(fd, "read")) MaybeHold();
    return next(fd, buffer, count);
}

// A fortified build reads through this name.
ssize_t __read_chk(int fd, void* buffer, size_t count, size_t bufferSize) {
    if (count > bufferSize) abort();
    return read(fd, buffer, count);
}

int fputs(const char* text, FILE* stream) {
    static int (*next)(const char*, FILE*);
    if (!next) next = (int (*)(const char*, FILE*))dlsym(RTLD_NEXT, "fputs");
    if (IsHeld(fileno(stream), "fputs")) MaybeHold();
    return next(text, stream);
}
