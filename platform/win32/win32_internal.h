// win32_internal.h -- state shared by the Windows backend's own files.
#pragma once

// The program's message and key names are platform.h's own enumerators;
// windows.h then defines the same names as macros with the same values.
#include "platform/headless.h"

#undef APIENTRY
#undef WINGDIAPI
#undef CALLBACK
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdlib>
#include <deque>

struct Win32State {
    PlatBackend backend = PLAT_DESKTOP;
    bool initialised = false;
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
    PlatWindowProc proc = nullptr;
    bool shownOnce = false;
    // Where the window stood before it was maximised, and the maximised
    // rectangle, for the restore (see Plat_ShowWindow).
    RECT normalRect = {}, maximisedRect = {};
    bool maximisedByUs = false;
    // Where the program last placed the window itself; how many more moves
    // the system makes on its own before the first input are undone (see
    // MovedBySystem); placing: inside a placement of our own.
    POINT placed = {};
    bool placedKnown = false, placing = false;
    int placeAgainLeft = 0;
    bool timerPeriodSet = false;  // timeBeginPeriod(1) in force

    // The message the desktop loop took last, kept whole for dispatching.
    MSG lastMessage = {};

    // Headless: the program's messages go through a queue of our own, so
    // that nothing the system sends a hidden window reaches the program.
    std::deque<PlatMessage> queue;
    bool quitPosted = false;
    int quitCode = 0;
    int cursorCounter = 0;
    int headlessWidth = 200, headlessHeight = 150;
    uint32_t virtualTick = 0;
    PlatPoint virtualCursor = {0, 0};

    // Frame capture for shots.
    bool captureFrames = false;
    unsigned char* frame = nullptr;
    int frameWidth = 0, frameHeight = 0;
    bool frameValid = false;
    double modelviewAtDelete[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    // The largest client the GL draws into and the screens hold; 0 until a
    // context answered.
    int maxClientWidth = 0, maxClientHeight = 0;

    // The display mode before the first switch, and whether one is in force.
    DEVMODEA startMode = {};
    bool startModeKnown = false;
    bool modeSwitched = false;
    bool refusalReported = false;
};

extern Win32State win;

inline bool WinHeadless() { return win.backend == PLAT_HEADLESS; }

// Sends a message straight to the program's window procedure.
intptr_t WinSend(unsigned message, uintptr_t wParam, intptr_t lParam);
// Undoes what must not outlive the process: a switched display mode and
// the 1 ms timer period. Safe to call more than once and from a crash.
void WinRestoreSystemState();
// Writes a message on stderr and, with a window system, in a box.
void WinReportError(const char* text);
// The name to open for a file name from a scene: as given, or, when it is
// not UTF-8, read in the system's own code page and written into buffer.
const char* WinFileName(const char* name, char* buffer, size_t size);
