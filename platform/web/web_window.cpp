// web_window.cpp -- the browser backend's window (the page's canvas), its
// WebGL context drawn through our GL 1.1 layer, the clock, the cursor and
// the messages to the user. The page itself is web/index.html.
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/gl_limits.h"
#include "platform/headless.h"
#include "platform/web/gl11_layer.h"
#include "platform/web/web_internal.h"

WebState web;

// ---- The page's side.

EM_JS(void, PlaceCanvasElement, (int x, int y, int width, int height, int headless), {
    var canvas = Module['canvas'];
    if (!canvas) return;
    canvas.width = width;
    canvas.height = height;
    if (headless) return;
    canvas.style.position = 'absolute';
    canvas.style.left = x + 'px';
    canvas.style.top = y + 'px';
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
});

EM_JS(int, PageWidth, (), { return window.innerWidth | 0; });
EM_JS(int, PageHeight, (), { return window.innerHeight | 0; });

EM_JS(void, ShowPageCursor, (int show), {
    var canvas = Module['canvas'];
    if (canvas) canvas.style.cursor = show ? 'default' : 'none';
});

// Fullscreen needs the user's recent gesture (F3's key press gives it).
EM_JS(void, RequestPageFullscreen, (int on), {
    var canvas = Module['canvas'];
    if (!canvas) return;
    try {
        if (on && !document.fullscreenElement && canvas.requestFullscreen)
            canvas.requestFullscreen().catch(function() {});
        if (!on && document.fullscreenElement) document.exitFullscreen().catch(function() {});
    } catch (e) {}
});

// The page learns when the first frame is on the canvas (its loading note
// goes, and the first-frame figure is taken there).
EM_JS(void, TellPageFirstFrame, (), {
    if (Module['onFirstFrame']) Module['onFirstFrame']();
});

EM_JS(void, ShowPageMessage, (const char* caption, const char* text), {
    var show = Module['showMessage'];
    if (show) show(UTF8ToString(caption), UTF8ToString(text));
});

void WebPlaceCanvas() { PlaceCanvasElement(web.x, web.y, web.width, web.height, WebHeadless()); }

void WebWakeLoop() {
    if (!WebHeadless()) emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, 0);
}

// ---- Start and end.

bool Plat_Init(PlatBackend backend, int headlessWidth, int headlessHeight) {
    web = WebState();
    web.backend = backend;
    if (backend == PLAT_HEADLESS) {
        web.width = headlessWidth > 0 ? headlessWidth : 1;
        web.height = headlessHeight > 0 ? headlessHeight : 1;
    }
    return true;
}

static bool CreateContext() {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;  // as the desktop's pixel format
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    web.context = (int)emscripten_webgl_create_context("#canvas", &attributes);
    return web.context > 0;
}

PlatWindow Plat_CreateWindow(PlatWindowProc proc, int x, int y, int width, int height) {
    if (!WebHeadless()) web.x = x, web.y = y, web.width = width, web.height = height;
    WebPlaceCanvas();
    if (!CreateContext()) {
        std::fprintf(stderr, "ambler: this browser gives the page no WebGL\n");
        ShowPageMessage("Error", "This browser gives the page no WebGL, so nothing can be drawn.");
        return 0;
    }
    web.proc = proc;
    web.created = true;
    if (!WebHeadless()) WebInstallInput();
    proc(1, WM_CREATE, 0, 0);
    return 1;
}

void Plat_Quit() {
    if (web.current) gl11::DestroyLayer();
    if (web.context > 0) emscripten_webgl_destroy_context(web.context);
    web.context = 0;
    web.current = false;
    web.proc = nullptr;
}

// ---- Time: the page's clock, wrapping at 2^32 like any tick counter.

uint32_t Plat_GetTickCount() {
    if (WebHeadless()) return web.virtualTick;
    return (uint32_t)(uint64_t)emscripten_get_now();
}

// The page's clock has a fraction of a millisecond, which frames between
// the steps are placed by.
double Plat_MillisecondsSince(uint32_t tick) {
    if (WebHeadless()) return (double)(int32_t)(web.virtualTick - tick);
    double now = emscripten_get_now(), whole = std::floor(now);
    return (double)(int32_t)((uint32_t)(uint64_t)whole - tick) + (now - whole);
}

void Plat_SetVirtualTick(uint32_t tick) { web.virtualTick = tick; }

// ---- Placement: the page's viewport stands for the screen.

bool Plat_CapClientSize(int* width, int* height) {
    return ClipToLimits(web.maxWidth, web.maxHeight, width, height);
}

void Plat_GetScreenSize(int* width, int* height) {
    if (WebHeadless()) {
        *width = web.width, *height = web.height;
        return;
    }
    *width = PageWidth(), *height = PageHeight();
}

void Plat_SetWindowPosTopmost(PlatWindow, int x, int y) {
    if (WebHeadless() || web.maximised) return;
    web.x = x, web.y = y;
    WebPlaceCanvas();
}

static void SendSize() {
    int w = web.width, h = web.height;
    Plat_CapClientSize(&w, &h);
    if (web.proc) web.proc(1, WM_SIZE, 0, MakeLParam(w, h));
}

// Maximised, the canvas fills the page and asks for the whole screen; the
// size notification comes back when the page has taken the new size.
void Plat_ShowWindow(PlatWindow, PlatShow how) {
    const bool maximise = how == PLAT_SHOW_MAXIMIZED;
    if (!WebHeadless() && maximise != web.maximised) {
        if (maximise) {
            web.restoreX = web.x, web.restoreY = web.y;
            web.restoreWidth = web.width, web.restoreHeight = web.height;
            web.x = web.y = 0;
            web.width = PageWidth(), web.height = PageHeight();
        } else {
            web.x = web.restoreX, web.y = web.restoreY;
            web.width = web.restoreWidth, web.height = web.restoreHeight;
        }
        web.maximised = maximise;
        RequestPageFullscreen(maximise);
        Plat_CapClientSize(&web.width, &web.height);
        WebPlaceCanvas();
    }
    SendSize();
}

// ---- Cursor.

int Plat_ShowCursor(bool show) {
    web.cursorCounter += show ? 1 : -1;
    if (!WebHeadless()) {
        ShowPageCursor(web.cursorCounter >= 0);
        if (web.cursorCounter >= 0 && web.pointerLocked) emscripten_exit_pointerlock();
    }
    return web.cursorCounter;
}

void Plat_GetCursorPos(PlatPoint* point) { *point = web.cursor; }

// The page cannot move the pointer: the cursor the program sees moves, and
// reports itself as a window system would.
void Plat_SetCursorPos(int x, int y) {
    if (x == web.cursor.x && y == web.cursor.y) return;
    web.cursor = {x, y};
    PlatPoint client = web.cursor;
    Plat_ScreenToClient(1, &client);
    Plat_PostMessage(WM_MOUSEMOVE, 0, MakeLParam(client.x, client.y));
}

void Plat_SetHeadlessCursor(int x, int y) { web.cursor = {x, y}; }

void Plat_ClientToScreen(PlatWindow, PlatPoint* point) {
    if (WebHeadless()) return;
    point->x += web.x, point->y += web.y;
}

void Plat_ScreenToClient(PlatWindow, PlatPoint* point) {
    if (WebHeadless()) return;
    point->x -= web.x, point->y -= web.y;
}

// ---- GL context.

PlatDC Plat_GetDC(PlatWindow window) { return window && web.created ? 1 : 0; }
void Plat_ReleaseDC(PlatWindow, PlatDC) {}

PlatGLContext Plat_CreateGLContext(PlatDC dc) {
    if (!dc || web.context <= 0) return nullptr;
    return &web;
}

void Plat_MakeCurrent(PlatDC dc, PlatGLContext context) {
    if (!dc || !context) {
        if (web.current) gl11::DestroyLayer();
        web.current = false;
        return;
    }
    if (web.current) return;
    if (emscripten_webgl_make_context_current(web.context) != EMSCRIPTEN_RESULT_SUCCESS) return;
    web.current = gl11::CreateLayer();
    if (!web.current) return;
    ReadClientLimits(0, 0, &web.maxWidth, &web.maxHeight);
    if (WebHeadless() && Plat_CapClientSize(&web.width, &web.height)) WebPlaceCanvas();
}

void Plat_DeleteGLContext(PlatGLContext context) {
    if (context == &web && web.current) Plat_MakeCurrent(0, nullptr);
}

// The page shows what was drawn when the callback returns; a shot copies
// the frame first.
// Frames handed to the page so far, for the page's tests.
extern "C" EMSCRIPTEN_KEEPALIVE unsigned FramesShownToPage() { return web.framesShown; }

void Plat_SwapBuffers(PlatDC dc) {
    if (!dc || !web.current) return;
    gl11::SubmitBatches();
    web.framesShown++;
    static bool shown = false;
    if (!shown && !WebHeadless()) TellPageFirstFrame();
    shown = true;
    if (!web.capture) return;
    web.frame.resize((size_t)web.width * web.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, web.width, web.height, GL_RGB, GL_UNSIGNED_BYTE, web.frame.data());
    web.frameWidth = web.width, web.frameHeight = web.height;
    web.frameValid = true;
}

// The browser shows a frame at the screen's next refresh, and the page
// learns of each refresh from its animation frames: there is no swap
// interval to ask for, and no rate to know.
bool Plat_SetSwapInterval(int) { return false; }
int Plat_GetRefreshRate() { return 0; }

void Plat_CaptureFrames(bool enable) { web.capture = enable; }

bool Plat_LastFrame(const unsigned char** rgb, int* width, int* height) {
    if (!web.frameValid) return false;
    *rgb = web.frame.data();
    *width = web.frameWidth, *height = web.frameHeight;
    return true;
}

void Plat_GetModelview(double matrix[16]) { glGetDoublev(GL_MODELVIEW_MATRIX, matrix); }

// ---- Display mode: a page cannot change the screen's resolution.

bool Plat_GetDisplayMode(PlatDisplayMode* mode) {
    int w, h;
    Plat_GetScreenSize(&w, &h);
    *mode = {w, h, 0};
    return true;
}
void Plat_ChangeDisplayMode(const PlatDisplayMode*) {}

// ---- Drops: the page has written the dropped files into its file system
// (DropFromPage); each drop is handed over once, oldest first.

const char* Plat_DroppedPath(uintptr_t) {
    static std::string taken;
    if (web.drops.empty()) return nullptr;
    taken = web.drops.front();
    web.drops.pop_front();
    return taken.c_str();
}

// ---- Messages to the user: in the page as well as on the console.

void Plat_MessageBox(const char* text, const char* caption) {
    size_t n = std::strlen(text);
    std::fprintf(stderr, "%s: %s%s", caption, text, n && text[n - 1] == '\n' ? "" : "\n");
    if (!WebHeadless()) ShowPageMessage(caption, text);
}
#endif
