// gl_context.cpp -- the window's device context and GL context, the buffer
// swap, and the copies of frames and matrices that tools read.
#include <GL/gl.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform_internal.h"

PlatDC Plat_GetDC(PlatWindow window) { return plat.window && window ? 1 : 0; }

void Plat_ReleaseDC(PlatWindow, PlatDC) {}

constexpr GLenum MAX_RENDERBUFFER_SIZE = 0x84E8;  // GL 3.0 and ARB_framebuffer_object

// Past the GL's largest viewport and renderbuffer the driver renders off
// the end of its buffers (a window resized to 32767 x 32767 crashes the
// software rasteriser), so the window never grows beyond them.
static void CapWindowAtGLLimits() {
    GLint viewport[2] = {0, 0}, renderbuffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(MAX_RENDERBUFFER_SIZE, &renderbuffer);
    while (glGetError() != GL_NO_ERROR) {
    }  // a GL 1.x without renderbuffers says so with an error that nobody else must see
    plat.maxClientWidth = viewport[0];
    plat.maxClientHeight = viewport[1];
    if (renderbuffer > 0) {
        if (plat.maxClientWidth <= 0 || renderbuffer < plat.maxClientWidth)
            plat.maxClientWidth = renderbuffer;
        if (plat.maxClientHeight <= 0 || renderbuffer < plat.maxClientHeight)
            plat.maxClientHeight = renderbuffer;
    }
    // Nor past the whole screen: a software GL takes minutes for a frame of
    // the largest viewport, and no part of the window beyond it is seen.
    int screenW, screenH;
    if (!PlatHeadless() && PlatX11RootSize(&screenW, &screenH)) {
        if (plat.maxClientWidth <= 0 || screenW < plat.maxClientWidth) plat.maxClientWidth = screenW;
        if (plat.maxClientHeight <= 0 || screenH < plat.maxClientHeight) plat.maxClientHeight = screenH;
    }
    if (plat.maxClientWidth <= 0 || plat.maxClientHeight <= 0) return;
    SDL_SetWindowMaximumSize(plat.window, plat.maxClientWidth, plat.maxClientHeight);
    int w, h;
    SDL_GetWindowSize(plat.window, &w, &h);
    if (Plat_CapClientSize(&w, &h)) SDL_SetWindowSize(plat.window, w, h);
    if (PlatHeadless()) Plat_CapClientSize(&plat.headlessWidth, &plat.headlessHeight);
}

bool Plat_CapClientSize(int* width, int* height) {
    bool capped = false;
    if (plat.maxClientWidth > 0 && *width > plat.maxClientWidth)
        *width = plat.maxClientWidth, capped = true;
    if (plat.maxClientHeight > 0 && *height > plat.maxClientHeight)
        *height = plat.maxClientHeight, capped = true;
    return capped;
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
