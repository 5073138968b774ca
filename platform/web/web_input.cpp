// web_input.cpp -- the browser backend's message queue and the page's
// keyboard, mouse and size events turned into the program's messages.
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstring>

#include "platform/web/web_internal.h"

// ---- Queue.

bool Plat_PeekMessage() { return !web.queue.empty() || web.quitPosted; }

// Nothing waits for an event in a page: an empty queue reads as quit only
// after one was posted, so callers peek first.
bool Plat_GetMessage(PlatMessage* msg) {
    if (!web.queue.empty()) {
        *msg = web.queue.front();
        web.queue.pop_front();
        return true;
    }
    web.quitPosted = false;
    *msg = {WM_QUIT, (uintptr_t)web.quitCode, 0};
    return false;
}

intptr_t Plat_DispatchMessage(const PlatMessage* msg) {
    return web.proc ? web.proc(1, msg->message, msg->wParam, msg->lParam) : 0;
}

void Plat_PostMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    web.queue.push_back({message, wParam, lParam});
}

void Plat_PostQuitMessage(int exitCode) {
    web.quitPosted = true;
    web.quitCode = exitCode;
}

// A page never blocks: the loop's next turn is timed instead, and any event
// brings it forward (WebWakeLoop).
constexpr int PAUSED_TURN_MS = 100;  // how often a paused program looks at its files

void Plat_WaitMessage(int timeoutMs) {
    if (WebHeadless()) return;
    emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, timeoutMs < 0 ? PAUSED_TURN_MS : timeoutMs);
}

void Plat_WaitMessageUntil(uint32_t tick) {
    if (WebHeadless()) return;
    int32_t ms = (int32_t)(tick - Plat_GetTickCount());
    emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, ms > 0 ? ms : 0);
}

void Plat_RequestClose() {}

intptr_t Plat_DefWindowProc(PlatWindow, unsigned message, uintptr_t wParam, intptr_t) {
    if (message == WM_SYSKEYDOWN && wParam == VK_F4) Plat_PostMessage(WM_CLOSE, 0, 0);
    if (message == WM_CLOSE && web.proc) {
        web.proc(1, WM_DESTROY, 0, 0);
        web.proc = nullptr;
    }
    return 0;
}

// ---- Keys: the virtual-key code of a KeyboardEvent's code.

static unsigned VirtualKey(const EmscriptenKeyboardEvent* e) {
    const char* code = e->code;
    if (std::strncmp(code, "Key", 3) == 0 && code[3] && !code[4]) return (unsigned)code[3];
    if (std::strncmp(code, "Digit", 5) == 0 && code[5] && !code[6]) return (unsigned)code[5];
    if (code[0] == 'F' && code[1] >= '1' && code[1] <= '9') {
        int n = code[1] - '0';
        if (code[2] >= '0' && code[2] <= '9' && !code[3]) n = n * 10 + (code[2] - '0');
        else if (code[2]) return 0xFF;
        if (n >= 1 && n <= 12) return VK_F1 + (unsigned)(n - 1);
    }
    static const struct { const char* code; unsigned vk; } KEYS[] = {
        {"ControlLeft", VK_CONTROL}, {"ControlRight", VK_CONTROL}, {"ShiftLeft", VK_SHIFT},
        {"ShiftRight", VK_SHIFT}, {"AltLeft", VK_MENU}, {"AltRight", VK_MENU},
        {"Escape", VK_ESCAPE}, {"Space", VK_SPACE}, {"ArrowLeft", VK_LEFT}, {"ArrowUp", VK_UP},
        {"ArrowRight", VK_RIGHT}, {"ArrowDown", VK_DOWN}, {"Enter", VK_RETURN},
        {"NumpadEnter", VK_RETURN}, {"Tab", VK_TAB}, {"Backspace", VK_BACK}, {"Pause", VK_PAUSE},
        {"CapsLock", VK_CAPITAL}, {"PageUp", VK_PRIOR}, {"PageDown", VK_NEXT}, {"End", VK_END},
        {"Home", VK_HOME}, {"Insert", VK_INSERT}, {"Delete", VK_DELETE}};
    for (const auto& k : KEYS)
        if (std::strcmp(code, k.code) == 0) return k.vk;
    return 0xFF;  // a key the program has no use for
}

// Keys the page must not act on itself (scrolling, find, reload, help);
// everything else, Ctrl+W and the like included, stays the browser's.
static bool KeepFromPage(unsigned vk, const EmscriptenKeyboardEvent* e) {
    if (vk >= VK_F1 && vk <= VK_F12) return true;
    if (e->ctrlKey && vk != VK_CONTROL) return false;
    return vk == VK_SPACE || (vk >= VK_LEFT && vk <= VK_DOWN) || vk == VK_CONTROL ||
           vk == VK_ESCAPE || vk == VK_SHIFT;
}

static EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* e, void*) {
    unsigned vk = VirtualKey(e);
    bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    unsigned message = down ? WM_KEYDOWN : WM_KEYUP;
    // Keys held with Alt, Alt itself and F10 are system keys, as on the desktop.
    if (e->altKey || vk == VK_MENU || vk == VK_F10) message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
    Plat_PostMessage(message, vk, 0);  // auto-repeats arrive as further key-downs
    WebWakeLoop();
    return KeepFromPage(vk, e) ? EM_TRUE : EM_FALSE;
}

// ---- Mouse: client positions on the canvas; under pointer lock the cursor
// moves by the motion reported.

static EM_BOOL OnMouse(int type, const EmscriptenMouseEvent* e, void*) {
    if (web.pointerLocked && type == EMSCRIPTEN_EVENT_MOUSEMOVE) {
        web.cursor.x += (int)e->movementX;
        web.cursor.y += (int)e->movementY;
    } else if (!web.pointerLocked) {
        web.cursor = {(int)e->clientX, (int)e->clientY};
    }
    PlatPoint client = web.cursor;
    Plat_ScreenToClient(1, &client);
    intptr_t at = MakeLParam(client.x, client.y);
    if (type == EMSCRIPTEN_EVENT_MOUSEMOVE) Plat_PostMessage(WM_MOUSEMOVE, 0, at);
    else if (e->button == 0 && type == EMSCRIPTEN_EVENT_MOUSEDOWN) Plat_PostMessage(WM_LBUTTONDOWN, 0, at);
    else if (e->button == 0 && type == EMSCRIPTEN_EVENT_MOUSEUP) Plat_PostMessage(WM_LBUTTONUP, 0, at);
    WebWakeLoop();
    return EM_FALSE;
}

static EM_BOOL OnPointerLock(int, const EmscriptenPointerlockChangeEvent* e, void*) {
    web.pointerLocked = e->isActive;
    return EM_FALSE;
}

// The page resized or left full screen: a maximised canvas follows the
// viewport, as a maximised window follows the screen.
static EM_BOOL OnResize(int, const EmscriptenUiEvent*, void*) {
    if (!web.maximised) return EM_FALSE;
    int w, h;
    Plat_GetScreenSize(&w, &h);
    Plat_CapClientSize(&w, &h);
    if (w == web.width && h == web.height) return EM_FALSE;
    web.width = w, web.height = h;
    WebPlaceCanvas();
    Plat_PostMessage(WM_SIZE, 0, MakeLParam(w, h));
    WebWakeLoop();
    return EM_FALSE;
}

// ---- Drops: the page reads a dropped folder or zip itself (a page sees
// no paths) and writes its files into the page's file system; the folder
// then arrives as a drop arrives on the desktop.

extern "C" EMSCRIPTEN_KEEPALIVE void DropFromPage(const char* folder) {
    web.drops.push_back(folder);
    Plat_PostMessage(WM_DROPFILES, web.drops.size(), 0);
    WebWakeLoop();
}

void WebInstallInput() {
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    const char* document = EMSCRIPTEN_EVENT_TARGET_DOCUMENT;
    emscripten_set_keydown_callback(window, nullptr, EM_TRUE, OnKey);
    emscripten_set_keyup_callback(window, nullptr, EM_TRUE, OnKey);
    // Moves and releases are followed past the canvas, as a drag is.
    emscripten_set_mousemove_callback(document, nullptr, EM_TRUE, OnMouse);
    emscripten_set_mouseup_callback(document, nullptr, EM_TRUE, OnMouse);
    emscripten_set_mousedown_callback("#canvas", nullptr, EM_TRUE, OnMouse);
    emscripten_set_pointerlockchange_callback(document, nullptr, EM_TRUE, OnPointerLock);
    emscripten_set_resize_callback(window, nullptr, EM_TRUE, OnResize);
}
#endif
