// win32_gl.cpp -- the window's own device context, its pixel format and WGL
// context, the buffer swap, and the copies of frames and matrices that
// tools read.
#include "platform/win32/win32_internal.h"
#include "platform/gl_limits.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

PlatDC Plat_GetDC(PlatWindow window) {
    if (!win.window || !window) return 0;
    if (!win.dc) win.dc = GetDC(win.window);  // CS_OWNDC: the same DC for the whole run
    return win.dc ? 1 : 0;
}

// The class's own DC is released with the window; it is kept until then.
void Plat_ReleaseDC(PlatWindow, PlatDC) {}

// 32 colour bits, at least 16 depth bits, double-buffered, as the program
// asks for; when no format matches, format 1 as it is.
static bool SetupPixelFormat(HDC dc) {
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 16;
    int format = ChoosePixelFormat(dc, &pfd);
    if (format == 0) {
        format = 1;
        if (!DescribePixelFormat(dc, 1, sizeof pfd, &pfd)) return false;
    }
    return SetPixelFormat(dc, format, &pfd) != 0;
}

// Without a pixel format the program cannot draw at all: it says so in a
// box and ends before anything on the screen was switched.
static void FailWithoutGL(const char* what) {
    char text[160];
    snprintf(text, sizeof text, "No OpenGL %s is available (error %lu).", what, GetLastError());
    WinReportError(text);
    WinRestoreSystemState();
    ExitProcess(1);
}

PlatGLContext Plat_CreateGLContext(PlatDC dc) {
    if (!dc || !win.dc) return nullptr;
    if (!win.context) {
        if (!SetupPixelFormat(win.dc)) FailWithoutGL("pixel format");
        win.context = wglCreateContext(win.dc);
        if (!win.context) FailWithoutGL("context");
    }
    return win.context;
}

// Tools report the last camera even after the program let go of the context.
static void KeepModelview() {
    if (win.context && wglGetCurrentContext() == win.context)
        glGetDoublev(GL_MODELVIEW_MATRIX, win.modelviewAtDelete);
}

// The window never grows past what the GL draws or the screens show. Asked
// once, of the first current context.
static void LearnClientLimits() {
    int screenW = 0, screenH = 0;
    if (!WinHeadless()) {
        screenW = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        screenH = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    }
    int w, h;
    ReadClientLimits(screenW, screenH, &w, &h);
    if (w <= 0 || h <= 0) return;
    win.maxClientWidth = w;
    win.maxClientHeight = h;
    if (WinHeadless()) Plat_CapClientSize(&win.headlessWidth, &win.headlessHeight);
}

bool Plat_CapClientSize(int* width, int* height) {
    return ClipToLimits(win.maxClientWidth, win.maxClientHeight, width, height);
}

void Plat_MakeCurrent(PlatDC dc, PlatGLContext context) {
    if (!dc || !context) {
        KeepModelview();
        wglMakeCurrent(nullptr, nullptr);
        return;
    }
    if (win.dc && wglMakeCurrent(win.dc, (HGLRC)context) && win.maxClientWidth == 0)
        LearnClientLimits();
}

void Plat_DeleteGLContext(PlatGLContext context) {
    if (!context || (HGLRC)context != win.context) return;
    KeepModelview();
    if (wglGetCurrentContext() == win.context) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(win.context);
    win.context = nullptr;
}

static void ClientSize(int* w, int* h) {
    *w = win.headlessWidth;
    *h = win.headlessHeight;
    RECT r;
    if (!WinHeadless() && GetClientRect(win.window, &r)) {
        *w = r.right - r.left;
        *h = r.bottom - r.top;
    }
}

// Copies the back buffer before it is presented (shots of the drawn frame).
static void CaptureBackBuffer() {
    int w, h;
    ClientSize(&w, &h);
    if (w <= 0 || h <= 0) return;
    if (w != win.frameWidth || h != win.frameHeight || !win.frame) {
        free(win.frame);
        win.frame = (unsigned char*)malloc((size_t)w * h * 3);
        win.frameWidth = w;
        win.frameHeight = h;
    }
    if (!win.frame) return;
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, win.frame);
    win.frameValid = true;
}

void Plat_SwapBuffers(PlatDC dc) {
    if (!dc || !win.dc || !win.context) return;
    if (win.captureFrames) CaptureBackBuffer();
    SwapBuffers(win.dc);
}

// WGL_EXT_swap_control, where the driver has it.
bool Plat_SetSwapInterval(int interval) {
    if (WinHeadless() || !win.context) return false;
    typedef BOOL(WINAPI * SwapIntervalProc)(int);
    SwapIntervalProc proc = (SwapIntervalProc)(void*)wglGetProcAddress("wglSwapIntervalEXT");
    return proc && proc(interval);
}

int Plat_GetRefreshRate() {
    if (WinHeadless()) return 0;
    DEVMODEA mode;
    memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
    return mode.dmDisplayFrequency > 1 ? (int)mode.dmDisplayFrequency : 0;  // 0 and 1: the default
}

void Plat_CaptureFrames(bool enable) { win.captureFrames = enable; }

bool Plat_LastFrame(const unsigned char** rgb, int* width, int* height) {
    if (!win.frameValid) return false;
    *rgb = win.frame;
    *width = win.frameWidth;
    *height = win.frameHeight;
    return true;
}

void Plat_GetModelview(double matrix[16]) {
    if (win.context && wglGetCurrentContext() == win.context)
        glGetDoublev(GL_MODELVIEW_MATRIX, matrix);
    else
        memcpy(matrix, win.modelviewAtDelete, sizeof win.modelviewAtDelete);
}
