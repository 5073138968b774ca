// platform.h -- the window-system layer: every call the program makes into
// the desktop goes through here. Nothing outside platform/ sees SDL or X11.
//
// Backends: the desktop one on SDL2 (Linux) or on the Windows API
// (platform/win32/), each with a headless mode for tools and tests (a virtual
// clock, a hidden window with a real GL context, a screen the size of the
// client area, input that the caller posts as messages; its own controls are
// in platform/headless.h); and platform/null/, which does nothing and is the
// template for a new port.
#pragma once

#include <cstdint>

// Messages, with the numbers the program's window procedure knows them by.
enum : unsigned {
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_SIZE = 0x0005,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_DROPFILES = 0x0233,  // wParam: the drop, for Plat_DroppedPath
};

// Virtual-key codes carried in wParam of the key messages.
enum : unsigned {
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
    VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
    VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25,
    VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
    VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F10 = 0x79,
    VK_F12 = 0x7B,
};

// lParam of WM_SIZE and the mouse messages: x (or width) in the low word.
inline intptr_t MakeLParam(int low, int high) {
    return (intptr_t)(((uint32_t)(high & 0xFFFF) << 16) | (uint32_t)(low & 0xFFFF));
}
inline int LowWord(intptr_t lParam) { return (int)((uint32_t)lParam & 0xFFFF); }
inline int HighWord(intptr_t lParam) { return (int)(((uint32_t)lParam >> 16) & 0xFFFF); }

typedef int PlatWindow;         // 0 = none
typedef int PlatDC;             // 0 = none (released)
typedef void* PlatGLContext;    // null = none (released)

struct PlatPoint {
    int x, y;
};

struct PlatMessage {
    unsigned message;
    uintptr_t wParam;
    intptr_t lParam;
};

// A display mode as captured before a switch; all zero when none was taken.
struct PlatDisplayMode {
    int width, height;
    uint64_t id;  // window-system identifier of the mode, 0 when unknown
};

typedef intptr_t (*PlatWindowProc)(PlatWindow, unsigned, uintptr_t, intptr_t);

enum PlatBackend { PLAT_DESKTOP, PLAT_HEADLESS };
enum PlatShow { PLAT_SHOW_NORMAL, PLAT_SHOW_MAXIMIZED };

// Chooses the backend; headless takes the client (and screen) size.
bool Plat_Init(PlatBackend backend, int headlessWidth, int headlessHeight);
// Creates the borderless, resizable window and sends WM_CREATE through proc
// before returning, as the window system does. Returns 0 on failure.
PlatWindow Plat_CreateWindow(PlatWindowProc proc, int x, int y, int width, int height);
void Plat_Quit();

// ---- Message queue.
bool Plat_PeekMessage();                 // true when a message waits
bool Plat_GetMessage(PlatMessage* msg);  // false when the message is WM_QUIT
intptr_t Plat_DispatchMessage(const PlatMessage* msg);
void Plat_PostMessage(unsigned message, uintptr_t wParam, intptr_t lParam);
void Plat_PostQuitMessage(int exitCode);
// Sleeps until a message waits or timeoutMs pass (negative: no limit).
void Plat_WaitMessage(int timeoutMs);
// Sleeps until a message waits or the tick counter reaches tick, waking
// within a fraction of a millisecond of that moment.
void Plat_WaitMessageUntil(uint32_t tick);
// Asks the window to close, as the session does when it ends; safe from any
// thread, and a no-op headless (nothing reads the window system's queue).
void Plat_RequestClose();
intptr_t Plat_DefWindowProc(PlatWindow window, unsigned message, uintptr_t wParam,
                            intptr_t lParam);

// ---- Time: milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t Plat_GetTickCount();
// Milliseconds from tick to now with their fraction, where the clock has one
// (negative when tick is ahead); ticks more than 2^31 ms apart wrap.
double Plat_MillisecondsSince(uint32_t tick);

// ---- Window placement.
// Clips a client size to the largest the GL can draw into (its maximum
// viewport and renderbuffer size); true when it was clipped. Sizes pass
// unchanged until a context has answered.
bool Plat_CapClientSize(int* width, int* height);
void Plat_GetScreenSize(int* width, int* height);
void Plat_SetWindowPosTopmost(PlatWindow window, int x, int y);  // size unchanged
void Plat_ShowWindow(PlatWindow window, PlatShow how);

// ---- Cursor: screen coordinates unless named client.
int Plat_ShowCursor(bool show);  // returns the display counter
void Plat_GetCursorPos(PlatPoint* point);
void Plat_SetCursorPos(int x, int y);  // a real move sends a further WM_MOUSEMOVE
void Plat_ClientToScreen(PlatWindow window, PlatPoint* point);
void Plat_ScreenToClient(PlatWindow window, PlatPoint* point);

// ---- GL context: double-buffered RGBA, at least 16 depth bits.
PlatDC Plat_GetDC(PlatWindow window);
void Plat_ReleaseDC(PlatWindow window, PlatDC dc);
PlatGLContext Plat_CreateGLContext(PlatDC dc);
void Plat_MakeCurrent(PlatDC dc, PlatGLContext context);  // (0, null) releases
void Plat_DeleteGLContext(PlatGLContext context);
void Plat_SwapBuffers(PlatDC dc);
// Asks the driver to make each swap wait for 'interval' display refreshes
// (0: none); false where it cannot.
bool Plat_SetSwapInterval(int interval);
// The refresh rate of the window's display in Hz, 0 when unknown.
int Plat_GetRefreshRate();

// ---- Display mode of the primary screen.
bool Plat_GetDisplayMode(PlatDisplayMode* mode);
void Plat_ChangeDisplayMode(const PlatDisplayMode* mode);

// ---- Files dropped onto the window: each drop arrives as WM_DROPFILES.
// The first path of the drop in wParam, in UTF-8, valid until the next
// call; null when it has none. Each drop is asked for once.
const char* Plat_DroppedPath(uintptr_t drop);

// ---- Messages to the user: a box with the caption, copied to stderr. The
// headless backend only writes stderr.
void Plat_MessageBox(const char* text, const char* caption);
