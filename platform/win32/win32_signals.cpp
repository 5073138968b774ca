// win32_signals.cpp -- the quit signals of a Windows console: Ctrl+C,
// Ctrl+Break and the console's close (or the session's end), taken through
// a console control handler. The system runs the handler on a thread of its
// own, so the program sees them as the Linux build sees its signals.
#include <atomic>

#include "platform/system.h"
#include "platform/win32/win32_internal.h"

// The console events carry the numbers of the Linux signals they stand for,
// so a tool cut short exits with the status it has there: Ctrl+C is SIGINT
// (130), Ctrl+Break a request to terminate, SIGTERM (143), and a closed
// console or ended session a hang-up, SIGHUP (129).
constexpr int QUIT_INTERRUPT = 2, QUIT_TERMINATE = 15, QUIT_HANGUP = 1;

static HANDLE anotherQuit;               // set by every event after the first
static std::atomic<bool> quitReceived{false};
static SysQuitHandler quitHandler;       // W: Sys_WatchQuitSignals, before any event

static int SignalFor(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT: return QUIT_INTERRUPT;
        case CTRL_BREAK_EVENT: return QUIT_TERMINATE;
        default: return QUIT_HANGUP;  // close, logoff, shutdown
    }
}

// The first event ends the process from here: the system would end it
// itself after a close event once the handler returned. Later ones only
// cut the grace short.
static BOOL WINAPI OnConsoleControl(DWORD event) {
    if (quitReceived.exchange(true)) {
        SetEvent(anotherQuit);
        return TRUE;
    }
    quitHandler(SignalFor(event));
    return TRUE;  // never reached: the handler ends the process
}

// A Windows message box belongs to the program's own process, so the
// forced end takes it along: there are no children to end.
void Sys_EndChildProcesses() {}

bool Sys_AnotherQuitSignalWithin(int ms) {
    return anotherQuit && WaitForSingleObject(anotherQuit, (DWORD)ms) == WAIT_OBJECT_0;
}

void Sys_WatchQuitSignals(SysQuitHandler onQuit) {
    quitHandler = onQuit;
    if (!anotherQuit) anotherQuit = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void Sys_ExitNow(int status) { _exit(status); }
