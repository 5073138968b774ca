// gl_context.cpp -- the window's device context and GL context, the buffer
// swap, and the copies of frames and matrices that tools read.
#include <GL/gl.h>

#include <cstdlib>
#include <cstring>

#include "platform/gl_limits.h"
#include "platform/platform_internal.h"

PlatDC Plat_GetDC(PlatWindow window) { return plat.window && window ? 1 : 0; }

void Plat_ReleaseDC(PlatWindow, PlatDC) {}

// The window never grows past what the GL draws or the screen shows.
static void CapWindowAtGLLimits() {
    int screenW = 0, screenH = 0;
    if (PlatHeadless() || !PlatX11RootSize(&screenW, &screenH)) screenW = screenH = 0;
    ReadClientLimits(screenW, screenH, &plat.maxClientWidth, &plat.maxClientHeight);
    if (plat.maxClientWidth <= 0 || plat.maxClientHeight <= 0) return;
    SDL_SetWindowMaximumSize(plat.window, plat.maxClientWidth, plat.maxClientHeight);
    int w, h;
    SDL_GetWindowSize(plat.window, &w, &h);
    if (Plat_CapClientSize(&w, &h)) SDL_SetWindowSize(plat.window, w, h);
    if (PlatHeadless()) Plat_CapClientSize(&plat.headlessWidth, &plat.headlessHeight);
}

bool Plat_CapClientSize(int* width, int* height) {
    return ClipToLimits(plat.maxClientWidth, plat.maxClientHeight, width, height);
}

PlatGLContext Plat_CreateGLContext(PlatDC dc) {
    if (!dc || !plat.window) return nullptr;
    if (!plat.context) {
        plat.context = SDL_GL_CreateContext(plat.window);
        if (plat.context) CapWindowAtGLLimits();
    }
    if (plat.context) SDL_GL_SetSwapInterval(0);  // the program paces its own frames
    return plat.context;
}

// Tools report the last camera even after the program let go of the context.
static void KeepModelview() {
    if (plat.context && SDL_GL_GetCurrentContext() == plat.context)
        glGetDoublev(GL_MODELVIEW_MATRIX, plat.modelviewAtDelete);
}

void Plat_MakeCurrent(PlatDC dc, PlatGLContext context) {
    if (!plat.window || plat.windowLost) return;
    if (!dc || !context) KeepModelview();
    SDL_GL_MakeCurrent(plat.window, dc && context ? (SDL_GLContext)context : nullptr);
}

void Plat_DeleteGLContext(PlatGLContext context) {
    if (!context || context != plat.context) return;
    KeepModelview();
    SDL_GL_DeleteContext(plat.context);
    plat.context = nullptr;
}

// Copies the back buffer before it is presented (shots of the drawn frame).
static void CaptureBackBuffer() {
    int w = plat.headlessWidth, h = plat.headlessHeight;
    if (!PlatHeadless()) SDL_GL_GetDrawableSize(plat.window, &w, &h);
    if (w != plat.frameWidth || h != plat.frameHeight || !plat.frame) {
        free(plat.frame);
        plat.frame = (unsigned char*)malloc((size_t)w * h * 3);
        plat.frameWidth = w;
        plat.frameHeight = h;
    }
    if (!plat.frame) return;
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, plat.frame);
    plat.frameValid = true;
}

void Plat_SwapBuffers(PlatDC dc) {
    if (!dc || !plat.window || !plat.context || plat.windowLost) return;
    if (plat.captureFrames) CaptureBackBuffer();
    SDL_GL_SwapWindow(plat.window);
}

bool Plat_SetSwapInterval(int interval) {
    if (!plat.context || PlatHeadless()) return false;
    return SDL_GL_SetSwapInterval(interval) == 0;
}

int Plat_GetRefreshRate() {
    if (!plat.window || PlatHeadless()) return 0;
    SDL_DisplayMode mode;
    int display = SDL_GetWindowDisplayIndex(plat.window);
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) return 0;
    return mode.refresh_rate;
}

void Plat_CaptureFrames(bool enable) { plat.captureFrames = enable; }

bool Plat_LastFrame(const unsigned char** rgb, int* width, int* height) {
    if (!plat.frameValid) return false;
    *rgb = plat.frame;
    *width = plat.frameWidth;
    *height = plat.frameHeight;
    return true;
}

void Plat_GetModelview(double matrix[16]) {
    if (plat.context && SDL_GL_GetCurrentContext() == plat.context)
        glGetDoublev(GL_MODELVIEW_MATRIX, matrix);
    else
        memcpy(matrix, plat.modelviewAtDelete, sizeof plat.modelviewAtDelete);
}
