// signals.h -- SIGINT, SIGTERM and SIGHUP (on Windows: Ctrl+C, Ctrl+Break
// and the console's close) end every program promptly, wherever it is: in
// the message loop, a message box, a long load, a wait on standard input or
// a replay.
#pragma once

// How one program ends when asked to by a signal.
struct QuitSignalPolicy {
    int exitStatus = -1;      // status of a forced end; -1: 128 + the signal
    int graceMs = 0;          // time the program has to end on its own
    void (*wake)() = nullptr;        // asks the main loop to end; runs on another thread
    void (*lastWords)() = nullptr;   // undoes what must not outlive a forced end
    bool killChildren = false;       // children are the window system's message boxes
};

// Blocks the quit signals in this thread (and so in every thread started
// later) and starts the one thread that waits for them. Call first in main,
// before any other thread exists.
void InstallQuitSignals(const QuitSignalPolicy& policy);
// The quit signal received, or 0.
int QuitSignal();
// After this the wake callback is never called again (before the window
// system it talks to shuts down).
void StopQuitWake();
// The program's own policy: a signal is a close (exit status 0, the display
// mode restored), and a program stuck in a box or a load ends all the same.
void InstallShellQuitSignals();
// The tools' policy: a tool cut short exits with 128 + the signal; one that
// checks QuitSignal between steps has graceMs to stop on its own.
void InstallToolQuitSignals(int graceMs);
// A file the forced end deletes (a half-written temporary); null forgets it.
void RemoveOnForcedQuit(const char* path);
