// message_queue.cpp -- the program's message queue, default processing and
// the tick counter.
#include <chrono>
#include <thread>

#include "platform/platform_internal.h"

PlatState plat;

intptr_t PlatSend(unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (!plat.proc) return 0;
    return plat.proc(1, message, wParam, lParam);
}

// Moves everything SDL has into the queue (desktop only: headless input
// comes from the caller).
static void PumpEvents() {
    if (PlatHeadless() || !plat.initialised) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) PlatTranslateEvent(event);
    PlatFollowHeldPointer();
}

constexpr int HELD_POINTER_POLL_MS = 10;  // how often a held pointer is looked at

bool Plat_PeekMessage() {
    PumpEvents();
    return !plat.queue.empty() || plat.quitPosted;
}

bool Plat_GetMessage(PlatMessage* msg) {
    // Headless, nothing can arrive on its own: an empty queue ends the loop.
    while (plat.queue.empty() && !plat.quitPosted && !PlatHeadless()) Plat_WaitMessage(-1);
    if (!plat.queue.empty()) {
        *msg = plat.queue.front();
        plat.queue.pop_front();
        return true;
    }
    // The quit message comes after everything posted before it.
    plat.quitPosted = false;
    *msg = {WM_QUIT, (uintptr_t)plat.quitCode, 0};
    return false;
}

intptr_t Plat_DispatchMessage(const PlatMessage* msg) {
    return PlatSend(msg->message, msg->wParam, msg->lParam);
}

void Plat_PostMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    plat.queue.push_back({message, wParam, lParam});
}

void Plat_PostQuitMessage(int exitCode) {
    plat.quitPosted = true;
    plat.quitCode = exitCode;
}

void Plat_WaitMessage(int timeoutMs) {
    if (!plat.queue.empty() || plat.quitPosted) return;
    if (PlatHeadless() || !plat.initialised) return;  // nothing could arrive
    if (plat.leftButtonDown && (timeoutMs < 0 || timeoutMs > HELD_POINTER_POLL_MS))
        timeoutMs = HELD_POINTER_POLL_MS;
    SDL_Event event;
    int got = timeoutMs < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, timeoutMs);
    if (got) PlatTranslateEvent(event);
    PumpEvents();
}

void Plat_RequestClose() {
    if (PlatHeadless() || !plat.initialised) return;
    SDL_Event quit;
    SDL_zero(quit);
    quit.type = SDL_QUIT;  // SDL's queue is the one that takes events from any thread
    SDL_PushEvent(&quit);
}

// Destroys the window as a close request does: WM_DESTROY first, then the
// window itself.
static void DestroyWindow() {
    if (!plat.window) return;
    PlatSend(WM_DESTROY, 0, 0);
    if (plat.context) {
        SDL_GL_DeleteContext(plat.context);
        plat.context = nullptr;
    }
    // SDL hides a window before destroying it and waits for the unmap
    // notification, which a window that is already gone never sends.
    if (!plat.windowLost) {
        PlatX11WindowClosing(plat.window);
        SDL_DestroyWindow(plat.window);
    }
    plat.window = nullptr;
}

intptr_t Plat_DefWindowProc(PlatWindow, unsigned message, uintptr_t wParam, intptr_t) {
    if (message == WM_SYSKEYDOWN && wParam == VK_F4) {
        Plat_PostMessage(WM_CLOSE, 0, 0);  // Alt+F4 asks to close, as everywhere
    } else if (message == WM_CLOSE) {
        DestroyWindow();
    }
    return 0;
}

static uint64_t MonotonicMicroseconds() {
    using namespace std::chrono;
    return (uint64_t)duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

uint32_t Plat_GetTickCount() {
    if (PlatHeadless()) return plat.virtualTick;
    return (uint32_t)(MonotonicMicroseconds() / 1000u);  // wraps at 2^32 like any tick counter
}

double Plat_MillisecondsSince(uint32_t tick) {
    if (PlatHeadless()) return (double)(int32_t)(plat.virtualTick - tick);
    uint64_t now = MonotonicMicroseconds();
    return (double)(int32_t)((uint32_t)(now / 1000u) - tick) + (double)(now % 1000u) / 1000.0;
}

void Plat_WaitMessageUntil(uint32_t tick) {
    if (PlatHeadless() || !plat.initialised) return;
    for (;;) {
        if (!plat.queue.empty() || plat.quitPosted) return;
        uint64_t now = MonotonicMicroseconds();
        int32_t ms = (int32_t)(tick - (uint32_t)(now / 1000u));
        if (ms <= 0) return;
        int64_t remaining = (int64_t)ms * 1000 - (int64_t)(now % 1000u);
        if (remaining <= 1500) {
            // The last stretch is slept exactly: a millisecond timeout could
            // overshoot the frame by most of a millisecond.
            std::this_thread::sleep_for(std::chrono::microseconds(remaining));
            PumpEvents();
            return;
        }
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, (int)((remaining - 1000) / 1000))) {
            PlatTranslateEvent(event);
            PumpEvents();
        }
    }
}

void Plat_SetVirtualTick(uint32_t tick) { plat.virtualTick = tick; }
