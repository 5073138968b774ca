// null_platform.cpp -- a backend with no window system at all: a message
// queue, a clock that moves only when told, and no screen or GL context.
// The fuzz targets run the program's code on it, and a new port starts by
// copying this file and filling in one function after another.
#include <deque>

#include "platform/headless.h"

namespace {

struct NullState {
    PlatWindowProc proc = nullptr;
    std::deque<PlatMessage> queue;
    bool quitPosted = false;
    int quitCode = 0;
    int cursorCounter = 0;
    uint32_t tick = 0;
    PlatPoint cursor = {0, 0};
    int width = 200, height = 150;  // the screen equals the client area
};

NullState nullPlat;

}  // namespace

// The sizes stand for both the client area and the screen.
bool Plat_Init(PlatBackend, int headlessWidth, int headlessHeight) {
    nullPlat = NullState();
    if (headlessWidth > 0) nullPlat.width = headlessWidth;
    if (headlessHeight > 0) nullPlat.height = headlessHeight;
    return true;
}

// Creation sends WM_CREATE before returning, as every backend must.
PlatWindow Plat_CreateWindow(PlatWindowProc proc, int, int, int, int) {
    nullPlat.proc = proc;
    if (proc) proc(1, WM_CREATE, 0, 0);
    return 1;
}

// Forgets the window; posted messages go with it.
void Plat_Quit() { nullPlat = NullState(); }

// True when a message or the quit request waits.
bool Plat_PeekMessage() { return !nullPlat.queue.empty() || nullPlat.quitPosted; }

// Nothing arrives on its own, so an empty queue reads as the quit message.
bool Plat_GetMessage(PlatMessage* msg) {
    if (!nullPlat.queue.empty()) {
        *msg = nullPlat.queue.front();
        nullPlat.queue.pop_front();
        return true;
    }
    nullPlat.quitPosted = false;
    *msg = {WM_QUIT, (uintptr_t)nullPlat.quitCode, 0};
    return false;
}

// Hands the message to the window procedure.
intptr_t Plat_DispatchMessage(const PlatMessage* msg) {
    return nullPlat.proc ? nullPlat.proc(1, msg->message, msg->wParam, msg->lParam) : 0;
}

// Queues a message behind the others.
void Plat_PostMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    nullPlat.queue.push_back({message, wParam, lParam});
}

// The quit message comes after everything posted before it.
void Plat_PostQuitMessage(int exitCode) {
    nullPlat.quitPosted = true;
    nullPlat.quitCode = exitCode;
}

// Nothing could arrive while waiting, so neither wait sleeps.
void Plat_WaitMessage(int) {}
void Plat_WaitMessageUntil(uint32_t) {}
// No window system delivers a close from another thread.
void Plat_RequestClose() {}

// Alt+F4 asks to close, and a close destroys the window.
intptr_t Plat_DefWindowProc(PlatWindow, unsigned message, uintptr_t wParam, intptr_t) {
    if (message == WM_SYSKEYDOWN && wParam == VK_F4) Plat_PostMessage(WM_CLOSE, 0, 0);
    if (message == WM_CLOSE && nullPlat.proc) {
        nullPlat.proc(1, WM_DESTROY, 0, 0);
        nullPlat.proc = nullptr;
    }
    return 0;
}

// The clock stands still until Plat_SetVirtualTick moves it.
uint32_t Plat_GetTickCount() { return nullPlat.tick; }
double Plat_MillisecondsSince(uint32_t tick) { return (double)(int32_t)(nullPlat.tick - tick); }

// Without a GL there is no limit to keep to.
bool Plat_CapClientSize(int*, int*) { return false; }

void Plat_GetScreenSize(int* width, int* height) {
    *width = nullPlat.width;
    *height = nullPlat.height;
}

// The window never leaves the screen's origin and keeps its size.
void Plat_SetWindowPosTopmost(PlatWindow, int, int) {}

// Showing sends the first size notification, as a real window system does.
void Plat_ShowWindow(PlatWindow, PlatShow) {
    if (nullPlat.proc) nullPlat.proc(1, WM_SIZE, 0, MakeLParam(nullPlat.width, nullPlat.height));
}

// Keeps the display counter the program expects back.
int Plat_ShowCursor(bool show) { return nullPlat.cursorCounter += show ? 1 : -1; }

void Plat_GetCursorPos(PlatPoint* point) { *point = nullPlat.cursor; }

// A real move reports itself with a mouse-move, as on every window system.
void Plat_SetCursorPos(int x, int y) {
    if (x == nullPlat.cursor.x && y == nullPlat.cursor.y) return;
    nullPlat.cursor = {x, y};
    Plat_PostMessage(WM_MOUSEMOVE, 0, MakeLParam(x, y));
}

// Client and screen coincide.
void Plat_ClientToScreen(PlatWindow, PlatPoint*) {}
void Plat_ScreenToClient(PlatWindow, PlatPoint*) {}

// No device and no GL context: the program's GL calls go nowhere.
PlatDC Plat_GetDC(PlatWindow window) { return window ? 1 : 0; }
void Plat_ReleaseDC(PlatWindow, PlatDC) {}
PlatGLContext Plat_CreateGLContext(PlatDC) { return nullptr; }
void Plat_MakeCurrent(PlatDC, PlatGLContext) {}
void Plat_DeleteGLContext(PlatGLContext) {}
void Plat_SwapBuffers(PlatDC) {}
bool Plat_SetSwapInterval(int) { return false; }
int Plat_GetRefreshRate() { return 0; }

// The mode is the screen's, and no switch is ever made.
bool Plat_GetDisplayMode(PlatDisplayMode* mode) {
    *mode = {nullPlat.width, nullPlat.height, 0};
    return true;
}
void Plat_ChangeDisplayMode(const PlatDisplayMode*) {}

// There is nobody to show a message to.
const char* Plat_DroppedPath(uintptr_t) { return nullptr; }
void Plat_MessageBox(const char*, const char*) {}

void Plat_SetVirtualTick(uint32_t tick) { nullPlat.tick = tick; }
void Plat_SetHeadlessCursor(int x, int y) { nullPlat.cursor = {x, y}; }
void Plat_CaptureFrames(bool) {}
bool Plat_LastFrame(const unsigned char**, int*, int*) { return false; }

// No context holds a camera: the identity.
void Plat_GetModelview(double matrix[16]) {
    for (int i = 0; i < 16; i++) matrix[i] = i % 5 == 0 ? 1.0 : 0.0;
}
