// signals.cpp -- the quit signals are taken by one thread with sigwait, so
// no code of the program or its libraries ever runs in a signal handler or
// sees a call interrupted. That thread asks the program to end as a close
// would, and ends the process itself when the program is stuck where no
// message is read (a modal box, a load, a read of standard input).
#include "app/signals.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

static QuitSignalPolicy policy;
static sigset_t quitSet;
static std::atomic<int> receivedSignal{0};
static std::mutex wakeLock;  // the wake callback never runs once StopQuitWake returned
static bool wakeStopped;
static char removeOnQuit[4096];
static std::mutex removeLock;

constexpr int CHILD_SWEEP_MS = 10;  // a box shown during the grace time is gone this soon

int QuitSignal() { return receivedSignal.load(); }

void StopQuitWake() {
    std::lock_guard<std::mutex> hold(wakeLock);
    wakeStopped = true;
}

void RemoveOnForcedQuit(const char* path) {
    std::lock_guard<std::mutex> hold(removeLock);
    snprintf(removeOnQuit, sizeof removeOnQuit, "%s", path ? path : "");
}

// Ends every child of this process: the only ones the program has are the
// processes the window system forks to show a message box, which would
// otherwise stay on the screen after the program.
static void KillChildren() {
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

static long long NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

// Waits up to ms for a further quit signal; true when one came.
static bool AnotherSignalWithin(int ms) {
    timespec wait = {ms / 1000, (long)(ms % 1000) * 1000000L};
    return sigtimedwait(&quitSet, nullptr, &wait) > 0;
}

static void* WaitForQuitSignal(void*) {
    int sig = 0;
    while (sigwait(&quitSet, &sig) != 0) {
    }
    receivedSignal.store(sig);
    {
        std::lock_guard<std::mutex> hold(wakeLock);
        if (policy.wake && !wakeStopped) policy.wake();
    }
    // A second signal means the user will not wait.
    long long end = NowMs() + policy.graceMs;
    while (NowMs() < end) {
        if (policy.killChildren) KillChildren();
        if (AnotherSignalWithin(CHILD_SWEEP_MS)) break;
    }
    if (policy.killChildren) KillChildren();
    if (policy.lastWords) policy.lastWords();
    {
        std::lock_guard<std::mutex> hold(removeLock);
        if (removeOnQuit[0]) unlink(removeOnQuit);
    }
    _exit(policy.exitStatus >= 0 ? policy.exitStatus : 128 + sig);
}

void InstallQuitSignals(const QuitSignalPolicy& p) {
    policy = p;
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

void InstallToolQuitSignals(int graceMs) {
    QuitSignalPolicy tool;
    tool.graceMs = graceMs;
    InstallQuitSignals(tool);
}
