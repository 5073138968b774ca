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

// Global because the signal thread reaches it, and it can be handed
// nothing: the policy, the signal taken, and what the forced end sweeps.
static struct {
    QuitSignalPolicy policy;            // W: InstallQuitSignals, before any thread
    std::atomic<int> received{0};       // the first quit signal, or 0
    std::mutex wakeLock;                // the wake never runs once StopQuitWake returned
    bool wakeStopped = false;
    char removeOnQuit[4096] = {};       // a half-written temporary to delete
    std::mutex removeLock;
} quit;

constexpr int CHILD_SWEEP_MS = 10;  // a box shown during the grace time is gone this soon

int QuitSignal() { return quit.received.load(); }

void StopQuitWake() {
    std::lock_guard<std::mutex> hold(quit.wakeLock);
    quit.wakeStopped = true;
}

void RemoveOnForcedQuit(const char* path) {
    std::lock_guard<std::mutex> hold(quit.removeLock);
    snprintf(quit.removeOnQuit, sizeof quit.removeOnQuit, "%s", path ? path : "");
}

// Records sig, asks the program to end, waits out its grace and ends the
// process with the policy's status. Runs on the platform's signal thread.
[[noreturn]] static void EndForQuitSignal(int sig) {
    quit.received.store(sig);
    {
        std::lock_guard<std::mutex> hold(quit.wakeLock);
        if (quit.policy.wake && !quit.wakeStopped) quit.policy.wake();
    }
    // A second signal means the user will not wait.
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(quit.policy.graceMs);
    while (std::chrono::steady_clock::now() < end) {
        if (quit.policy.killChildren) Sys_EndChildProcesses();
        if (Sys_AnotherQuitSignalWithin(CHILD_SWEEP_MS)) break;
    }
    if (quit.policy.killChildren) Sys_EndChildProcesses();
    if (quit.policy.lastWords) quit.policy.lastWords();
    {
        std::lock_guard<std::mutex> hold(quit.removeLock);
        if (quit.removeOnQuit[0]) Sys_RemoveFile(quit.removeOnQuit);
    }
    Sys_ExitNow(quit.policy.exitStatus >= 0 ? quit.policy.exitStatus : 128 + sig);
}

void InstallQuitSignals(const QuitSignalPolicy& p) {
    quit.policy = p;
    Sys_WatchQuitSignals(EndForQuitSignal);
}

void InstallToolQuitSignals(int graceMs) {
    QuitSignalPolicy tool;
    tool.graceMs = graceMs;
    InstallQuitSignals(tool);
}
