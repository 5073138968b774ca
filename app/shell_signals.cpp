// shell_signals.cpp -- the program's own answer to a quit signal: a close.
// Kept apart from the signal thread so that the tools, which only read
// files, never link the window system (its libraries cost every start).
#include "app/app.h"
#include "app/signals.h"

// Long enough for the close that the wake starts to finish in the message
// loop (a few tens of ms), short enough to count as prompt for a user.
constexpr int SHELL_GRACE_MS = 250;

// Runs on the signal thread while the main thread is stuck where it reads
// no message, so the close never ran: the screen gets its mode back.
static void RestoreDisplayModeAtForcedEnd() {
    if (run.displayModeSwitched) Plat_ChangeDisplayMode(&run.savedDisplayMode);
}

void InstallShellQuitSignals() {
    QuitSignalPolicy shell;
    shell.exitStatus = 0;  // the program has no exit status but 0
    shell.graceMs = SHELL_GRACE_MS;
    shell.wake = Plat_RequestClose;
    shell.lastWords = RestoreDisplayModeAtForcedEnd;
    shell.killChildren = true;
    InstallQuitSignals(shell);
}
