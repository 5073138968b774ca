// platform_internal.h -- state shared by the platform layer's own files.
#pragma once

#include <SDL2/SDL.h>

#include <deque>
#include <string>

#include "platform/platform.h"

struct PlatState {
    PlatBackend backend = PLAT_DESKTOP;
    bool initialised = false;
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    PlatWindowProc proc = nullptr;
    std::deque<PlatMessage> queue;
    std::deque<std::string> drops;  // paths dropped and not yet asked for, oldest first
    bool quitPosted = false;
    int quitCode = 0;
    bool shownOnce = false;
    int cursorCounter = 0;

    // Headless: the virtual screen equals the client area at the origin.
    int headlessWidth = 200, headlessHeight = 150;
    uint32_t virtualTick = 0;
    PlatPoint virtualCursor = {0, 0};

    // Frame capture for shots.
    bool captureFrames = false;
    unsigned char* frame = nullptr;
    int frameWidth = 0, frameHeight = 0;
    bool frameValid = false;
    double modelviewAtDelete[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    // Where the window system refuses cursor warps (Wayland), the cursor the
    // program sees is a virtual one moved by relative motion while hidden.
    bool virtualPointer = false;

    // While the left button is held the pointer is followed on the screen:
    // a window that follows the pointer sees no change in client terms, and
    // SDL reports no motion then.
    bool leftButtonDown = false;
    PlatPoint lastPointer = {0, 0};  // screen position of the last mouse-move sent

    // Another client destroyed the window: no GL call reaches it again.
    bool windowLost = false;

    // The largest client the GL draws into; 0 until a context answered.
    int maxClientWidth = 0, maxClientHeight = 0;

    // Maximise done by the layer itself when no window manager runs.
    bool selfMaximised = false;
    int restoreX = 0, restoreY = 0, restoreW = 0, restoreH = 0;
};

extern PlatState plat;

inline bool PlatHeadless() { return plat.backend == PLAT_HEADLESS; }

// Sends a message straight to the window procedure, as the window system
// does for notifications it delivers synchronously.
intptr_t PlatSend(unsigned message, uintptr_t wParam, intptr_t lParam);

// Turns one SDL event into the program's messages (desktop backend).
void PlatTranslateEvent(const SDL_Event& event);
// While the left button is held: a mouse-move when the pointer has moved on
// the screen since the last one.
void PlatFollowHeldPointer();

// X11 helpers (display_x11.cpp): false or no effect away from X11.
// Before SDL starts: SDL puts back at its quit the error handler it found,
// so that one must already be ours.
void PlatX11BeforeInit();
void PlatX11Init();
// Our window is about to be destroyed by the program itself: errors about
// it that are still in flight are expected and say nothing new.
void PlatX11WindowClosing(SDL_Window* window);
bool PlatX11WindowManagerRunning();
bool PlatX11ScreenSize(int* width, int* height);
// The size of the whole X screen (every monitor together).
bool PlatX11RootSize(int* width, int* height);
// The pointer's screen position asked of the X server itself: SDL's own
// copy stops following the pointer while a button is held.
bool PlatX11CursorPos(int* x, int* y);
// True for the window system's note that our window was destroyed by
// another client (not closed): the program takes it as a close.
bool PlatX11WindowDestroyed(const SDL_Event& event);
