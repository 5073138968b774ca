// win32_window.cpp -- start-up, the window and its procedure, placement,
// the cursor, the display mode and message boxes, on the Windows API.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/win32_internal.h"

#include <mmsystem.h>
#include <shellapi.h>
#include <string>

static const char WINDOW_CLASS[] = "Ambler";
// The backend's own message, never seen by the program: put the window back
// where the program placed it.
constexpr UINT WM_PLACE_AGAIN = WM_APP + 1;
constexpr int PLACE_AGAIN_TIMES = 2;  // a window manager that insists on its own place wins

void WinRestoreSystemState() {
    if (win.modeSwitched) {
        ChangeDisplaySettingsA(nullptr, 0);  // back to the mode the system keeps
        win.modeSwitched = false;
    }
    if (win.timerPeriodSet) {
        timeEndPeriod(1);
        win.timerPeriodSet = false;
    }
}

// A crash still gives the screen back its mode before the process ends.
static LONG WINAPI RestoreOnCrash(EXCEPTION_POINTERS*) {
    WinRestoreSystemState();
    return EXCEPTION_CONTINUE_SEARCH;
}

static void RestoreAtExit() { WinRestoreSystemState(); }

// Sets the window's place as the program asks and remembers it.
static void PlaceWindow(HWND after, int x, int y, int width, int height, UINT flags) {
    win.placing = true;
    SetWindowPos(win.window, after, x, y, width, height, flags);
    win.placing = false;
    if (!(flags & SWP_NOMOVE)) {
        win.placed = {x, y};
        win.placedKnown = true;
    }
}

// Under wine, a window manager that frames the window while wine is still
// to read an earlier placement can leave wine believing that the window
// stands at the frame's first corner, while the screen shows it where the
// program put it. The pointer's messages then go wherever wine believes,
// never to the window. So a move the system makes on its own after the
// first show and before the first input is undone: placed again, the window
// makes the window manager tell wine its true place. Windows moves a window
// only when asked to, so there this never happens.
static bool MovedBySystem() {
    if (win.placeAgainLeft <= 0 || win.placing || !win.placedKnown || IsZoomed(win.window) ||
        IsIconic(win.window))
        return false;
    RECT now;
    return GetWindowRect(win.window, &now) && (now.left != win.placed.x || now.top != win.placed.y);
}

static bool IsUserInput(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_LBUTTONDOWN ||
           message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

// The system's messages go to the program's window procedure, which passes
// what it does not handle back to DefWindowProc. Headless, only creation
// and destruction reach the program: its input is scripted.
static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) win.window = hwnd;
    if (!win.proc || (WinHeadless() && message != WM_CREATE && message != WM_DESTROY))
        return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_PLACE_AGAIN) {
        if (MovedBySystem()) {
            win.placeAgainLeft--;
            PlaceWindow(nullptr, win.placed.x, win.placed.y, 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    }
    // Undone after the system's message is through, not inside it.
    if (message == WM_WINDOWPOSCHANGED && MovedBySystem()) PostMessageA(hwnd, WM_PLACE_AGAIN, 0, 0);
    if (IsUserInput(message)) win.placeAgainLeft = 0;  // from now on every move is meant
    if (message == WM_GETMINMAXINFO && win.maxClientWidth > 0) {
        // A popup's client is the whole window: maximising stops at the limits.
        MINMAXINFO* info = (MINMAXINFO*)lParam;
        info->ptMaxSize.x = std::min<LONG>(info->ptMaxSize.x, win.maxClientWidth);
        info->ptMaxSize.y = std::min<LONG>(info->ptMaxSize.y, win.maxClientHeight);
        info->ptMaxTrackSize.x = std::min<LONG>(info->ptMaxTrackSize.x, win.maxClientWidth);
        info->ptMaxTrackSize.y = std::min<LONG>(info->ptMaxTrackSize.y, win.maxClientHeight);
        return 0;
    }
    if (message == WM_SIZE) {
        // The system does not hold a frameless popup to its largest size:
        // one sized past the limits by another program goes back at once.
        int w = LowWord(lParam), h = HighWord(lParam);
        if (Plat_CapClientSize(&w, &h)) {
            PlaceWindow(nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            lParam = MakeLParam(w, h);
        }
    }
    if (message == WM_PAINT) {
        // The program only draws; the paint request is validated here, drawn
        // or not, so that it does not come back at once.
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        WinSend(message, wParam, lParam);
        EndPaint(hwnd, &paint);
        return 0;
    }
    LRESULT result = WinSend(message, wParam, lParam);
    if (message == WM_DESTROY) win.window = nullptr;
    return result;
}

bool Plat_Init(PlatBackend backend, int headlessWidth, int headlessHeight) {
    win.backend = backend;
    win.headlessWidth = headlessWidth > 0 ? headlessWidth : 1;
    win.headlessHeight = headlessHeight > 0 ? headlessHeight : 1;
    win.instance = GetModuleHandleA(nullptr);
    // Traces and shots written to standard output keep their bytes.
    _setmode(_fileno(stdout), _O_BINARY);
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = win.instance;
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = WINDOW_CLASS;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        fprintf(stderr, "ambler: cannot register the window class (error %lu)\n", GetLastError());
        return false;
    }
    if (backend == PLAT_DESKTOP && !win.timerPeriodSet) {
        timeBeginPeriod(1);  // frames are paced to the millisecond
        win.timerPeriodSet = true;
    }
    static bool hooksSet = false;
    if (!hooksSet) {
        hooksSet = true;
        SetUnhandledExceptionFilter(RestoreOnCrash);
        atexit(RestoreAtExit);
    }
    win.initialised = true;
    return true;
}

// A topmost WS_POPUP: no caption and no frame, so the client area is the
// whole 200 x 150, as on Linux. (A sizing frame would take 3 pixels from
// each side and shift every drag by its width.) Headless, the window stays
// hidden and its client area is the headless screen.
PlatWindow Plat_CreateWindow(PlatWindowProc proc, int x, int y, int width, int height) {
    if (!win.initialised) return 0;
    DWORD style = WS_POPUP, exStyle = WS_EX_TOPMOST;
    if (WinHeadless()) {
        style = WS_POPUP;
        exStyle = WS_EX_TOOLWINDOW;  // hidden, and never on the taskbar
        x = y = 0;
        width = win.headlessWidth;
        height = win.headlessHeight;
    }
    win.proc = proc;
    HWND hwnd = CreateWindowExA(exStyle, WINDOW_CLASS, "", style, x, y, width, height, nullptr,
                                nullptr, win.instance, nullptr);
    if (!hwnd) {
        win.proc = nullptr;
        fprintf(stderr, "ambler: cannot create the window (error %lu)\n", GetLastError());
        return 0;
    }
    win.window = hwnd;
    if (!WinHeadless()) DragAcceptFiles(hwnd, TRUE);  // folders and scenes dropped from Explorer
    return 1;
}

void Plat_Quit() {
    free(win.frame);
    win.frame = nullptr;
    win.frameValid = false;
    if (win.context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(win.context);
        win.context = nullptr;
    }
    HWND hwnd = win.window;
    win.proc = nullptr;  // the window goes without telling the program again
    if (hwnd) DestroyWindow(hwnd);
    win.window = nullptr;
    win.dc = nullptr;
    win.queue.clear();
    win.quitPosted = false;
    win.shownOnce = false;
    win.maximisedByUs = false;
    win.placedKnown = false;
    win.placeAgainLeft = 0;
    win.cursorCounter = 0;
    WinRestoreSystemState();
    win.initialised = false;
}

// ---- Placement.

void Plat_GetScreenSize(int* width, int* height) {
    if (WinHeadless()) {
        *width = win.headlessWidth;
        *height = win.headlessHeight;
        return;
    }
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

void Plat_SetWindowPosTopmost(PlatWindow, int x, int y) {
    if (!win.window || WinHeadless()) return;
    PlaceWindow(HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE);
}

// A restore that left the window covering what its maximised self covered,
// though no longer maximised, puts it back where it stood. That happens when
// the system took the maximised state away on its own and kept the size
// (wine does so when a window manager moves and sizes a full-screen window
// in two steps); Windows itself never leaves the window there, so this does
// nothing on it.
static void PutBackNormalRect() {
    if (!win.maximisedByUs || IsZoomed(win.window)) return;
    win.maximisedByUs = false;
    RECT now;
    if (!GetWindowRect(win.window, &now) || !EqualRect(&now, &win.maximisedRect) ||
        EqualRect(&now, &win.normalRect))
        return;
    const RECT& r = win.normalRect;
    PlaceWindow(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                SWP_NOZORDER | SWP_NOACTIVATE);
}

void Plat_ShowWindow(PlatWindow, PlatShow how) {
    if (!win.window) return;
    if (WinHeadless()) {
        // The headless screen keeps its size; showing sends it once.
        WinSend(WM_SIZE, 0, MakeLParam(win.headlessWidth, win.headlessHeight));
        return;
    }
    bool maximise = how == PLAT_SHOW_MAXIMIZED;
    if (maximise && !IsZoomed(win.window)) GetWindowRect(win.window, &win.normalRect);
    win.placing = true;  // the show's own moves are asked for
    ShowWindow(win.window, maximise ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    win.placing = false;
    if (maximise) {
        win.maximisedByUs = GetWindowRect(win.window, &win.maximisedRect) != 0;
    } else {
        PutBackNormalRect();
    }
    if (!win.shownOnce) {
        win.placeAgainLeft = PLACE_AGAIN_TIMES;
        UpdateWindow(win.window);  // the first frame is painted at once
        if (MovedBySystem()) PostMessageA(win.window, WM_PLACE_AGAIN, 0, 0);
    }
    win.shownOnce = true;
}

// ---- Cursor.

int Plat_ShowCursor(bool show) {
    if (WinHeadless()) return win.cursorCounter += show ? 1 : -1;
    return ShowCursor(show ? TRUE : FALSE);
}

void Plat_GetCursorPos(PlatPoint* point) {
    if (WinHeadless()) {
        *point = win.virtualCursor;
        return;
    }
    POINT p = {0, 0};
    GetCursorPos(&p);
    *point = {(int)p.x, (int)p.y};
}

void Plat_SetCursorPos(int x, int y) {
    if (WinHeadless()) {
        if (x == win.virtualCursor.x && y == win.virtualCursor.y) return;
        win.virtualCursor = {x, y};
        Plat_PostMessage(WM_MOUSEMOVE, 0, MakeLParam(x, y));
        return;
    }
    SetCursorPos(x, y);  // the system reports the move back as a mouse-move
}

void Plat_SetHeadlessCursor(int x, int y) { win.virtualCursor = {x, y}; }

void Plat_ClientToScreen(PlatWindow, PlatPoint* point) {
    if (WinHeadless() || !win.window) return;
    POINT p = {point->x, point->y};
    ClientToScreen(win.window, &p);
    *point = {(int)p.x, (int)p.y};
}

void Plat_ScreenToClient(PlatWindow, PlatPoint* point) {
    if (WinHeadless() || !win.window) return;
    POINT p = {point->x, point->y};
    ScreenToClient(win.window, &p);
    *point = {(int)p.x, (int)p.y};
}

// ---- Display mode.

bool Plat_GetDisplayMode(PlatDisplayMode* mode) {
    *mode = PlatDisplayMode();
    if (WinHeadless()) {
        *mode = {win.headlessWidth, win.headlessHeight, 0};
        return true;
    }
    DEVMODEA current = {};
    current.dmSize = sizeof current;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current)) return false;
    if (!win.startModeKnown) {
        win.startMode = current;
        win.startModeKnown = true;
    }
    *mode = {(int)current.dmPelsWidth, (int)current.dmPelsHeight, 0};
    return true;
}

// Only the size changes: depth, refresh rate and every other field stay
// those of the mode in force at start. Going back to the start size undoes
// the switch; a refused change is reported once and the program goes on.
void Plat_ChangeDisplayMode(const PlatDisplayMode* mode) {
    if (WinHeadless() || mode->width <= 0 || mode->height <= 0 || !win.startModeKnown) return;
    bool backToStart = (DWORD)mode->width == win.startMode.dmPelsWidth &&
                       (DWORD)mode->height == win.startMode.dmPelsHeight;
    if (backToStart && !win.modeSwitched) return;  // nothing was switched
    DEVMODEA requested = win.startMode;
    requested.dmPelsWidth = (DWORD)mode->width;
    requested.dmPelsHeight = (DWORD)mode->height;
    requested.dmFields |= DM_PELSWIDTH | DM_PELSHEIGHT;
    LONG result = ChangeDisplaySettingsA(&requested, 0);
    if (result == DISP_CHANGE_SUCCESSFUL) {
        win.modeSwitched = !backToStart;
    } else if (backToStart) {
        ChangeDisplaySettingsA(nullptr, 0);  // the mode the system keeps
        win.modeSwitched = false;
    } else if (!win.refusalReported) {
        win.refusalReported = true;
        fprintf(stderr, "ambler: the display mode stays as it is (%dx%d requested, error %ld)\n",
                mode->width, mode->height, result);
    }
}

// ---- Messages to the user.

const char* Plat_DroppedPath(uintptr_t drop) {
    static std::string taken;
    HDROP handle = (HDROP)drop;
    wchar_t name[32768];
    UINT length = handle ? DragQueryFileW(handle, 0, name, 32768) : 0;
    if (handle) DragFinish(handle);
    if (length == 0) return nullptr;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, name, (int)length, nullptr, 0, nullptr, nullptr);
    taken.assign(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, name, (int)length, taken.data(), bytes, nullptr, nullptr);
    return bytes > 0 ? taken.c_str() : nullptr;
}

void WinReportError(const char* text) { Plat_MessageBox(text, "Error"); }

void Plat_MessageBox(const char* text, const char* caption) {
    size_t n = strlen(text);
    fprintf(stderr, "%s: %s%s", caption, text, n && text[n - 1] == '\n' ? "" : "\n");
    if (WinHeadless() || !win.initialised) return;
    MessageBoxA(GetFocus(), text, caption, MB_OK | MB_ICONERROR);
}
