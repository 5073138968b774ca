// signals_os.h -- the system's half of the quit signals: how they are
// received and what else a forced end must sweep away.
#pragma once

#include "app/signals.h"

// The policy in force (InstallQuitSignals).
extern QuitSignalPolicy quitPolicy;

// Starts receiving the quit signals for quitPolicy; each first one goes to
// EndForQuitSignal on a thread that is not the main one.
void WatchQuitSignals();
// Waits up to ms for a further quit signal; true when one came.
bool AnotherQuitSignalWithin(int ms);
// Ends the processes the window system started for the program's message
// boxes, where it starts any.
void KillChildren();

// Records sig, asks the program to end, waits out its grace and ends the
// process with the policy's status. Shared by both systems.
[[noreturn]] void EndForQuitSignal(int sig);
