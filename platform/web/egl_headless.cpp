// egl_headless.cpp -- a headless backend on Mesa's OpenGL ES 2 through EGL,
// drawn with our GL 1.1 layer: the browser build's drawing, run natively,
// so that the layer can be checked against the real GL 1.1 on Linux with
// the replay tool's traces and shots. Only the headless mode exists.
#ifndef __EMSCRIPTEN__
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

#include "platform/gl_limits.h"
#include "platform/headless.h"
#include "platform/web/gl11_layer.h"

namespace {

struct EglState {
    PlatWindowProc proc = nullptr;
    std::deque<PlatMessage> queue;
    bool quitPosted = false;
    int quitCode = 0;
    int cursorCounter = 0;
    uint32_t tick = 0;
    PlatPoint cursor = {0, 0};
    int width = 200, height = 150;  // the screen equals the client area
    int maxWidth = 0, maxHeight = 0;
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
    bool current = false;
    bool capture = false;
    std::vector<unsigned char> frame;
    int frameWidth = 0, frameHeight = 0;
    bool frameValid = false;
};

EglState egl;

// The surfaceless platform needs no display server; the default one is
// the fallback where it is missing.
EGLDisplay OpenDisplay() {
    auto getPlatformDisplay =
        (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    EGLDisplay display = EGL_NO_DISPLAY;
    if (getPlatformDisplay)
        display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (display != EGL_NO_DISPLAY && !eglInitialize(display, nullptr, nullptr)) return EGL_NO_DISPLAY;
    return display;
}

bool OpenContext() {
    egl.display = OpenDisplay();
    if (egl.display == EGL_NO_DISPLAY) return false;
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_ES2_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                       EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 24, EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(egl.display, configAttributes, &config, 1, &count) || count < 1) return false;
    const EGLint surfaceAttributes[] = {EGL_WIDTH, egl.width, EGL_HEIGHT, egl.height, EGL_NONE};
    egl.surface = eglCreatePbufferSurface(egl.display, config, surfaceAttributes);
    eglBindAPI(EGL_OPENGL_ES_API);
    const EGLint contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
    egl.context = eglCreateContext(egl.display, config, EGL_NO_CONTEXT, contextAttributes);
    return egl.surface != EGL_NO_SURFACE && egl.context != EGL_NO_CONTEXT;
}

}  // namespace

bool Plat_Init(PlatBackend, int headlessWidth, int headlessHeight) {
    egl = EglState();
    if (headlessWidth > 0) egl.width = headlessWidth;
    if (headlessHeight > 0) egl.height = headlessHeight;
    constexpr int PBUFFER_SIDE_LIMIT = 16384;  // the GL's own limit clips further below
    if (egl.width > PBUFFER_SIDE_LIMIT) egl.width = PBUFFER_SIDE_LIMIT;
    if (egl.height > PBUFFER_SIDE_LIMIT) egl.height = PBUFFER_SIDE_LIMIT;
    if (!OpenContext()) {
        std::fprintf(stderr, "ambler: no OpenGL ES 2 context through EGL\n");
        return false;
    }
    return true;
}

PlatWindow Plat_CreateWindow(PlatWindowProc proc, int, int, int, int) {
    egl.proc = proc;
    if (proc) proc(1, WM_CREATE, 0, 0);
    return 1;
}

void Plat_Quit() {
    if (egl.current) gl11::DestroyLayer();
    if (egl.display != EGL_NO_DISPLAY) {
        eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (egl.context != EGL_NO_CONTEXT) eglDestroyContext(egl.display, egl.context);
        if (egl.surface != EGL_NO_SURFACE) eglDestroySurface(egl.display, egl.surface);
        eglTerminate(egl.display);
    }
    egl = EglState();
}

bool Plat_PeekMessage() { return !egl.queue.empty() || egl.quitPosted; }

// Nothing arrives on its own, so an empty queue reads as the quit message.
bool Plat_GetMessage(PlatMessage* msg) {
    if (!egl.queue.empty()) {
        *msg = egl.queue.front();
        egl.queue.pop_front();
        return true;
    }
    egl.quitPosted = false;
    *msg = {WM_QUIT, (uintptr_t)egl.quitCode, 0};
    return false;
}

intptr_t Plat_DispatchMessage(const PlatMessage* msg) {
    return egl.proc ? egl.proc(1, msg->message, msg->wParam, msg->lParam) : 0;
}

void Plat_PostMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    egl.queue.push_back({message, wParam, lParam});
}

void Plat_PostQuitMessage(int exitCode) {
    egl.quitPosted = true;
    egl.quitCode = exitCode;
}

void Plat_WaitMessage(int) {}
void Plat_WaitMessageUntil(uint32_t) {}
void Plat_RequestClose() {}

intptr_t Plat_DefWindowProc(PlatWindow, unsigned message, uintptr_t wParam, intptr_t) {
    if (message == WM_SYSKEYDOWN && wParam == VK_F4) Plat_PostMessage(WM_CLOSE, 0, 0);
    if (message == WM_CLOSE && egl.proc) {
        egl.proc(1, WM_DESTROY, 0, 0);
        egl.proc = nullptr;
    }
    return 0;
}

uint32_t Plat_GetTickCount() { return egl.tick; }
double Plat_MillisecondsSince(uint32_t tick) { return (double)(int32_t)(egl.tick - tick); }

bool Plat_CapClientSize(int* width, int* height) {
    return ClipToLimits(egl.maxWidth, egl.maxHeight, width, height);
}

void Plat_GetScreenSize(int* width, int* height) {
    *width = egl.width;
    *height = egl.height;
}

void Plat_SetWindowPosTopmost(PlatWindow, int, int) {}

void Plat_ShowWindow(PlatWindow, PlatShow) {
    if (!egl.proc) return;
    int w = egl.width, h = egl.height;
    Plat_CapClientSize(&w, &h);
    egl.proc(1, WM_SIZE, 0, MakeLParam(w, h));
}

int Plat_ShowCursor(bool show) { return egl.cursorCounter += show ? 1 : -1; }
void Plat_GetCursorPos(PlatPoint* point) { *point = egl.cursor; }

void Plat_SetCursorPos(int x, int y) {
    if (x == egl.cursor.x && y == egl.cursor.y) return;
    egl.cursor = {x, y};
    Plat_PostMessage(WM_MOUSEMOVE, 0, MakeLParam(x, y));
}

void Plat_ClientToScreen(PlatWindow, PlatPoint*) {}
void Plat_ScreenToClient(PlatWindow, PlatPoint*) {}

PlatDC Plat_GetDC(PlatWindow window) { return window ? 1 : 0; }
void Plat_ReleaseDC(PlatWindow, PlatDC) {}

PlatGLContext Plat_CreateGLContext(PlatDC dc) {
    if (!dc || egl.context == EGL_NO_CONTEXT) return nullptr;
    return &egl;
}

void Plat_MakeCurrent(PlatDC dc, PlatGLContext context) {
    if (!dc || !context) {
        if (egl.current) gl11::DestroyLayer();
        eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        egl.current = false;
        return;
    }
    if (egl.current) return;
    if (!eglMakeCurrent(egl.display, egl.surface, egl.surface, egl.context)) return;
    egl.current = gl11::CreateLayer();
    if (egl.current) ReadClientLimits(0, 0, &egl.maxWidth, &egl.maxHeight);
    if (egl.current) Plat_CapClientSize(&egl.width, &egl.height);
}

void Plat_DeleteGLContext(PlatGLContext context) {
    if (context != &egl || !egl.current) return;
    Plat_MakeCurrent(0, nullptr);
}

void Plat_SwapBuffers(PlatDC dc) {
    if (!dc || !egl.current) return;
    gl11::SubmitBatches();
    if (egl.capture) {
        egl.frame.resize((size_t)egl.width * egl.height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, egl.width, egl.height, GL_RGB, GL_UNSIGNED_BYTE, egl.frame.data());
        egl.frameWidth = egl.width;
        egl.frameHeight = egl.height;
        egl.frameValid = true;
    }
    eglSwapBuffers(egl.display, egl.surface);
}

// A pbuffer has no display to wait for: the replay tool sets the rate.
bool Plat_SetSwapInterval(int) { return false; }
int Plat_GetRefreshRate() { return 0; }

bool Plat_GetDisplayMode(PlatDisplayMode* mode) {
    *mode = {egl.width, egl.height, 0};
    return true;
}
void Plat_ChangeDisplayMode(const PlatDisplayMode*) {}

// Nothing can be dropped on a window nobody sees.
const char* Plat_DroppedPath(uintptr_t) { return nullptr; }

void Plat_MessageBox(const char* text, const char* caption) {
    size_t n = std::strlen(text);
    std::fprintf(stderr, "%s: %s%s", caption, text, n && text[n - 1] == '\n' ? "" : "\n");
}

void Plat_SetVirtualTick(uint32_t tick) { egl.tick = tick; }
void Plat_SetHeadlessCursor(int x, int y) { egl.cursor = {x, y}; }
void Plat_CaptureFrames(bool enable) { egl.capture = enable; }

bool Plat_LastFrame(const unsigned char** rgb, int* width, int* height) {
    if (!egl.frameValid) return false;
    *rgb = egl.frame.data();
    *width = egl.frameWidth;
    *height = egl.frameHeight;
    return true;
}

// The layer keeps the camera on the CPU side, context or not.
void Plat_GetModelview(double matrix[16]) { glGetDoublev(GL_MODELVIEW_MATRIX, matrix); }
#endif
