// posix_signals.cpp -- the quit signals SIGINT, SIGTERM and SIGHUP, blocked
// in every thread and taken by one thread with sigwait, so that no code of
// the program or its libraries ever runs in a signal handler or sees a call
// interrupted.
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/system.h"

static sigset_t quitSet;           // W: Sys_WatchQuitSignals, before any thread
static SysQuitHandler quitHandler;  // W: Sys_WatchQuitSignals, before any thread

// The only children the program has are the processes the window system
// forks to show a message box, which would otherwise stay on the screen
// after the program.
void Sys_EndChildProcesses() {
    DIR* proc = opendir("/proc");
    if (!proc) return;
    pid_t self = getpid();
    while (dirent* entry = readdir(proc)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9') continue;
        char path[300], text[512];
        snprintf(path, sizeof path, "/proc/%s/stat", entry->d_name);
        int fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ssize_t n = read(fd, text, sizeof text - 1);
        close(fd);
        if (n <= 0) continue;
        text[n] = 0;
        // The parent follows the command name, which may hold spaces and parentheses.
        const char* close = strrchr(text, ')');
        int parent = 0;
        if (close && sscanf(close + 1, " %*c %d", &parent) == 1 && parent == self)
            kill((pid_t)atoi(entry->d_name), SIGKILL);
    }
    closedir(proc);
}

bool Sys_AnotherQuitSignalWithin(int ms) {
    timespec wait = {ms / 1000, (long)(ms % 1000) * 1000000L};
    return sigtimedwait(&quitSet, nullptr, &wait) > 0;
}

static void* WaitForQuitSignal(void*) {
    int sig = 0;
    while (sigwait(&quitSet, &sig) != 0) {
    }
    quitHandler(sig);
    return nullptr;
}

void Sys_WatchQuitSignals(SysQuitHandler onQuit) {
    quitHandler = onQuit;
    sigemptyset(&quitSet);
    sigaddset(&quitSet, SIGINT);
    sigaddset(&quitSet, SIGTERM);
    sigaddset(&quitSet, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &quitSet, nullptr);
    pthread_t watcher;
    if (pthread_create(&watcher, nullptr, WaitForQuitSignal, nullptr) == 0)
        pthread_detach(watcher);
    else
        pthread_sigmask(SIG_UNBLOCK, &quitSet, nullptr);  // the defaults at least end it
}

void Sys_ExitNow(int status) { _exit(status); }
