// sdl_window.cpp -- the window, its GL context, placement, cursor and
// message boxes, on SDL2.
#include <GL/gl.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform_internal.h"

// The GL libraries stay loaded until the process ends, even after SDL lets
// go of them: leak reports of the driver's own allocations then name the
// driver instead of an unloaded module.
static void KeepGLLibrariesLoaded() {
    static const char* const LIBRARIES[] = {
        "libGL.so.1", "libGLX_mesa.so.0", "libEGL_mesa.so.0",
        "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
        "/usr/lib/x86_64-linux-gnu/dri/kms_swrast_dri.so"};
    for (const char* name : LIBRARIES) dlopen(name, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
}

static void PushTestDrop();

bool Plat_Init(PlatBackend backend, int headlessWidth, int headlessHeight) {
    KeepGLLibrariesLoaded();
    plat.backend = backend;
    plat.headlessWidth = headlessWidth > 0 ? headlessWidth : 1;
    plat.headlessHeight = headlessHeight > 0 ? headlessHeight : 1;
    SDL_SetHint(SDL_HINT_APP_NAME, "Ambler");
    setenv("SDL_VIDEO_X11_WMCLASS", "Ambler", 0);  // the window class of the program
    // The program decides itself when the screen saver may run; a walker
    // that stands still is not idle.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    if (backend == PLAT_HEADLESS && !getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY"))
        setenv("SDL_VIDEODRIVER", "offscreen", 0);  // no screen at all: render offscreen
    PlatX11BeforeInit();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "ambler: cannot open the display: %s\n", SDL_GetError());
        return false;
    }
    plat.initialised = true;
    // The window system's own events reach the layer: a window destroyed by
    // another client shows only there.
    if (backend == PLAT_DESKTOP) SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    PlatX11Init();
    const char* driver = SDL_GetCurrentVideoDriver();
    plat.virtualPointer = backend == PLAT_DESKTOP && driver && SDL_strcmp(driver, "wayland") == 0;
    return true;
}

// Where the program cannot move its own window, a press while the cursor
// is shown (paused) lets the window system drag it.
static SDL_HitTestResult DragWhilePaused(SDL_Window*, const SDL_Point*, void*) {
    return plat.cursorCounter >= 0 ? SDL_HITTEST_DRAGGABLE : SDL_HITTEST_NORMAL;
}

PlatWindow Plat_CreateWindow(PlatWindowProc proc, int x, int y, int width, int height) {
    if (!plat.initialised) return 0;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE |
                   SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP;
    if (PlatHeadless()) {
        flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
        x = y = 0;
        // SDL makes no window past this; the GL's own limit clips further
        // once the context can tell it.
        constexpr int SDL_WINDOW_SIDE_LIMIT = 16384;
        if (plat.headlessWidth > SDL_WINDOW_SIDE_LIMIT) plat.headlessWidth = SDL_WINDOW_SIDE_LIMIT;
        if (plat.headlessHeight > SDL_WINDOW_SIDE_LIMIT) plat.headlessHeight = SDL_WINDOW_SIDE_LIMIT;
        width = plat.headlessWidth;
        height = plat.headlessHeight;
    }
    plat.window = SDL_CreateWindow("", x, y, width, height, flags);
    if (!plat.window) {
        fprintf(stderr, "ambler: cannot create the window: %s\n", SDL_GetError());
        return 0;
    }
    plat.proc = proc;
    if (plat.virtualPointer) SDL_SetWindowHitTest(plat.window, DragWhilePaused, nullptr);
    PlatSend(WM_CREATE, 0, 0);
    if (!PlatHeadless()) PushTestDrop();
    return 1;
}

void Plat_Quit() {
    free(plat.frame);
    plat.frame = nullptr;
    if (plat.context) SDL_GL_DeleteContext(plat.context);
    plat.context = nullptr;
    if (plat.window && !plat.windowLost) {
        PlatX11WindowClosing(plat.window);
        SDL_DestroyWindow(plat.window);
    }
    plat.window = nullptr;
    // SDL's own clean-up would wait for a lost window to unmap, for ever;
    // the process ends next and takes the rest with it.
    if (plat.initialised && !plat.windowLost) SDL_Quit();
    plat.initialised = false;
    plat.proc = nullptr;
}

// ---- Placement.

void Plat_GetScreenSize(int* width, int* height) {
    if (PlatHeadless()) {
        *width = plat.headlessWidth;
        *height = plat.headlessHeight;
        return;
    }
    if (PlatX11ScreenSize(width, height)) return;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        *width = mode.w;
        *height = mode.h;
    } else {
        *width = *height = 0;
    }
}

void Plat_SetWindowPosTopmost(PlatWindow, int x, int y) {
    if (!plat.window || PlatHeadless()) return;
    SDL_SetWindowPosition(plat.window, x, y);
    SDL_SetWindowAlwaysOnTop(plat.window, SDL_TRUE);
}

// Maximise or restore by hand where no window manager would do it.
static void SelfMaximise(bool maximise) {
    if (maximise && !plat.selfMaximised) {
        SDL_GetWindowPosition(plat.window, &plat.restoreX, &plat.restoreY);
        SDL_GetWindowSize(plat.window, &plat.restoreW, &plat.restoreH);
        int w, h;
        Plat_GetScreenSize(&w, &h);
        SDL_SetWindowPosition(plat.window, 0, 0);
        SDL_SetWindowSize(plat.window, w, h);
        plat.selfMaximised = true;
    } else if (!maximise && plat.selfMaximised) {
        SDL_SetWindowSize(plat.window, plat.restoreW, plat.restoreH);
        SDL_SetWindowPosition(plat.window, plat.restoreX, plat.restoreY);
        plat.selfMaximised = false;
    }
}

// Windows sends the first size notification while showing the window, so
// the program sets its projection before any frame.
static void SendCurrentSize() {
    int w = plat.headlessWidth, h = plat.headlessHeight;
    if (!PlatHeadless()) SDL_GetWindowSize(plat.window, &w, &h);
    Plat_CapClientSize(&w, &h);
    PlatSend(WM_SIZE, 0, MakeLParam(w, h));
}

void Plat_ShowWindow(PlatWindow, PlatShow how) {
    if (!plat.window) return;
    if (PlatHeadless()) {
        SendCurrentSize();  // the headless screen keeps its size
        return;
    }
    bool firstShow = !plat.shownOnce;
    SDL_ShowWindow(plat.window);
    plat.shownOnce = true;
    bool managed = PlatX11WindowManagerRunning();
    if (how == PLAT_SHOW_MAXIMIZED) {
        if (managed) SDL_MaximizeWindow(plat.window);
        else SelfMaximise(true);
    } else {
        if (managed) SDL_RestoreWindow(plat.window);
        else SelfMaximise(false);
    }
    if (firstShow) SendCurrentSize();
}

// ---- Cursor.

int Plat_ShowCursor(bool show) {
    plat.cursorCounter += show ? 1 : -1;
    if (!PlatHeadless() && plat.initialised) {
        SDL_ShowCursor(plat.cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
        if (plat.virtualPointer) SDL_SetRelativeMouseMode(plat.cursorCounter < 0 ? SDL_TRUE : SDL_FALSE);
    }
    return plat.cursorCounter;
}

void Plat_GetCursorPos(PlatPoint* point) {
    if (PlatHeadless() || plat.virtualPointer) {
        *point = plat.virtualCursor;
        return;
    }
    if (PlatX11CursorPos(&point->x, &point->y)) return;
    SDL_GetGlobalMouseState(&point->x, &point->y);
}

void Plat_SetCursorPos(int x, int y) {
    if (PlatHeadless() || plat.virtualPointer) {
        if (x == plat.virtualCursor.x && y == plat.virtualCursor.y) return;
        plat.virtualCursor = {x, y};
        Plat_PostMessage(WM_MOUSEMOVE, 0, MakeLParam(x, y));
        return;
    }
    SDL_WarpMouseGlobal(x, y);  // the window system reports the move back
}

void Plat_SetHeadlessCursor(int x, int y) { plat.virtualCursor = {x, y}; }

void Plat_ClientToScreen(PlatWindow, PlatPoint* point) {
    if (PlatHeadless() || plat.virtualPointer || !plat.window) return;
    int wx, wy;
    SDL_GetWindowPosition(plat.window, &wx, &wy);
    point->x += wx;
    point->y += wy;
}

void Plat_ScreenToClient(PlatWindow, PlatPoint* point) {
    if (PlatHeadless() || plat.virtualPointer || !plat.window) return;
    int wx, wy;
    SDL_GetWindowPosition(plat.window, &wx, &wy);
    point->x -= wx;
    point->y -= wy;
}

// ---- Messages to the user.

const char* Plat_DroppedPath(uintptr_t) {
    // Drops are taken in the order they came, one per message.
    static std::string taken;
    if (plat.drops.empty()) return nullptr;
    taken = plat.drops.front();
    plat.drops.pop_front();
    return taken.c_str();
}

// A drop from the tests: the window system's drag and drop cannot be
// driven from outside (xdotool has no drop), so AMBLER_TEST_DROP puts one
// into SDL's own queue, where a real drop arrives.
static void PushTestDrop() {
    const char* path = getenv("AMBLER_TEST_DROP");
    if (!path || !*path) return;
    SDL_Event event{};
    event.type = SDL_DROPFILE;
    event.drop.file = SDL_strdup(path);
    event.drop.windowID = SDL_GetWindowID(plat.window);
    SDL_PushEvent(&event);
}

void Plat_MessageBox(const char* text, const char* caption) {
    size_t n = strlen(text);
    fprintf(stderr, "%s: %s%s", caption, text, n && text[n - 1] == '\n' ? "" : "\n");
    if (PlatHeadless() || !plat.initialised || !plat.window) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, plat.window);
}
