// win32_messages.cpp -- the message loop's calls, default processing and the
// 1 ms clock, on the Windows message queue (desktop) or a queue of our own
// (headless).
#include "platform/win32/win32_internal.h"

#include <mmsystem.h>

Win32State win;

intptr_t WinSend(unsigned message, uintptr_t wParam, intptr_t lParam) {
    return win.proc ? win.proc(1, message, wParam, lParam) : 0;
}

bool Plat_PeekMessage() {
    if (WinHeadless()) return !win.queue.empty() || win.quitPosted;
    MSG msg;
    return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) != 0;
}

bool Plat_GetMessage(PlatMessage* msg) {
    if (WinHeadless()) {
        // Nothing can arrive on its own: an empty queue ends the loop.
        if (!win.queue.empty()) {
            *msg = win.queue.front();
            win.queue.pop_front();
            return true;
        }
        win.quitPosted = false;
        *msg = {WM_QUIT, (uintptr_t)win.quitCode, 0};
        return false;
    }
    BOOL got = GetMessageA(&win.lastMessage, nullptr, 0, 0);
    *msg = {win.lastMessage.message, win.lastMessage.wParam, win.lastMessage.lParam};
    if (got == -1) *msg = {WM_QUIT, 0, 0};  // no queue to read: end as if asked to
    return got > 0;
}

intptr_t Plat_DispatchMessage(const PlatMessage* msg) {
    if (!WinHeadless() && msg->message == win.lastMessage.message &&
        msg->wParam == win.lastMessage.wParam && msg->lParam == win.lastMessage.lParam) {
        TranslateMessage(&win.lastMessage);
        return DispatchMessageA(&win.lastMessage);
    }
    return WinSend(msg->message, msg->wParam, msg->lParam);
}

void Plat_PostMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (WinHeadless() || !win.window) {
        win.queue.push_back({message, wParam, lParam});
        return;
    }
    PostMessageA(win.window, message, wParam, lParam);
}

void Plat_PostQuitMessage(int exitCode) {
    if (WinHeadless()) {
        win.quitPosted = true;
        win.quitCode = exitCode;
        return;
    }
    PostQuitMessage(exitCode);
}

// MWMO_INPUTAVAILABLE also wakes for messages a peek has already seen.
static void WaitForInput(DWORD timeoutMs) {
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Plat_WaitMessage(int timeoutMs) {
    if (WinHeadless() || !win.initialised) return;  // nothing could arrive
    WaitForInput(timeoutMs < 0 ? INFINITE : (DWORD)timeoutMs);
}

void Plat_WaitMessageUntil(uint32_t tick) {
    if (WinHeadless() || !win.initialised) return;
    int32_t ms = (int32_t)(tick - Plat_GetTickCount());
    if (ms > 0) WaitForInput((DWORD)ms);  // the 1 ms timer period keeps this punctual
}

// PostMessage is the one call that reaches a window from any thread.
void Plat_RequestClose() {
    HWND window = win.window;
    if (WinHeadless() || !win.initialised || !window) return;
    PostMessageA(window, WM_CLOSE, 0, 0);
}

intptr_t Plat_DefWindowProc(PlatWindow, unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (WinHeadless() || !win.window) {
        // Alt+F4 and a close request as the system handles them.
        if (message == WM_SYSKEYDOWN && wParam == VK_F4) Plat_PostMessage(WM_CLOSE, 0, 0);
        if (message == WM_CLOSE && win.window) DestroyWindow(win.window);
        return 0;
    }
    return DefWindowProcA(win.window, message, wParam, lParam);
}

// timeGetTime counts milliseconds since system start and wraps at 2^32 as
// GetTickCount does, but with the 1 ms period it steps every millisecond
// instead of every 10 to 16.
uint32_t Plat_GetTickCount() {
    if (WinHeadless()) return win.virtualTick;
    return (uint32_t)timeGetTime();
}

void Plat_SetVirtualTick(uint32_t tick) { win.virtualTick = tick; }

// timeGetTime has no fraction; the tick itself is the best there is.
double Plat_MillisecondsSince(uint32_t tick) {
    return (double)(int32_t)(Plat_GetTickCount() - tick);
}
