// signals.cpp -- what a quit signal does, once the platform layer has taken
// it on a thread of its own (platform/system.h), so no code of the program
// or its libraries ever runs in a signal handler or sees a call
// interrupted. That thread asks the program to end as a close would, and
// ends the process itself when the program is stuck where no message is
// read (a modal box, a load, a read of standard input).
#include "app/signals.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>

#include "platform/system.h"

static QuitSignalPolicy quitPolicy;  // W: InstallQuitSignals, before any thread
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

// Records sig, asks the program to end, waits out its grace and ends the
// process with the policy's status. Runs on the platform's signal thread.
[[noreturn]] static void EndForQuitSignal(int sig) {
    receivedSignal.store(sig);
    {
        std::lock_guard<std::mutex> hold(wakeLock);
        if (quitPolicy.wake && !wakeStopped) quitPolicy.wake();
    }
    // A second signal means the user will not wait.
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(quitPolicy.graceMs);
    while (std::chrono::steady_clock::now() < end) {
        if (quitPolicy.killChildren) Sys_EndChildProcesses();
        if (Sys_AnotherQuitSignalWithin(CHILD_SWEEP_MS)) break;
    }
    if (quitPolicy.killChildren) Sys_EndChildProcesses();
    if (quitPolicy.lastWords) quitPolicy.lastWords();
    {
        std::lock_guard<std::mutex> hold(removeLock);
        if (removeOnQuit[0]) Sys_RemoveFile(removeOnQuit);
    }
    Sys_ExitNow(quitPolicy.exitStatus >= 0 ? quitPolicy.exitStatus : 128 + sig);
}

void InstallQuitSignals(const QuitSignalPolicy& p) {
    quitPolicy = p;
    Sys_WatchQuitSignals(EndForQuitSignal);
}

void InstallToolQuitSignals(int graceMs) {
    QuitSignalPolicy tool;
    tool.graceMs = graceMs;
    InstallQuitSignals(tool);
}
