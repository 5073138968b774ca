// display_x11.cpp -- screen size, window-manager presence and display-mode
// changes through X11 and XRandR. SDL changes the mode only for fullscreen
// windows, and the program switches it for its ordinary window.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <SDL2/SDL_syswm.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/platform_internal.h"

static Display* x11Display;
static bool x11Tried;
static bool refusalReported;
// The mode the screen had before the program first changed it, and the
// CRTC it was on: restored if the connection dies before the program can.
static RRMode modeBeforeChange;
static RRCrtc crtcBeforeChange;
static bool modeChanged;
// Our window once it is destroyed (by another client or by the close):
// errors about it are expected until the program ends, and say nothing new.
static Window destroyedWindow;

// Our own connection, opened on first use; null away from X11.
static Display* X11() {
    if (!x11Tried) {
        x11Tried = true;
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver && SDL_strcmp(driver, "x11") == 0) x11Display = XOpenDisplay(nullptr);
    }
    return x11Display;
}

// A protocol error about a window that is already gone (the window manager
// and the program race at every unmap) is no reason to end the program, as
// Xlib's own handler would; it is reported and the program goes on.
static int ReportXError(Display* d, XErrorEvent* e) {
    if (destroyedWindow && e->resourceid == destroyedWindow) return 0;
    char text[128];
    XGetErrorText(d, e->error_code, text, sizeof text);
    fprintf(stderr, "ambler: X error ignored: %s (request %d, resource 0x%lx)\n", text,
            e->request_code, e->resourceid);
    return 0;
}

static void RestoreModeOn(Display* d);

// SDL saves the handler it finds at start and puts it back before it closes
// its connections at quit; an error still in flight then (a wake-up SDL sent
// to the window just closed) met Xlib's own handler, which ends the process
// with status 1 after a clean close.
void PlatX11BeforeInit() { XSetErrorHandler(ReportXError); }

// The connection was cut (the window's client killed from outside, or the
// server ended): Xlib ends the process when this returns, so the program
// ends here, with the screen's mode back if the cut left our own
// connection alive. A lost window is a close, for the program exit status
// 0; a tool that lost its display did not finish.
static int ConnectionLost(Display* d) {
    static bool once;
    if (!once && x11Display && d != x11Display) {
        once = true;
        RestoreModeOn(x11Display);
    }
    fprintf(stderr, "ambler: the connection to the display is gone: closing\n");
    _exit(PlatHeadless() ? 1 : 0);
}

void PlatX11Init() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && SDL_strcmp(driver, "x11") == 0) {
        // A write on a cut connection would raise SIGPIPE and end the
        // program before Xlib reaches ConnectionLost; ignored, the write
        // fails and the lost window is a close like any other.
        signal(SIGPIPE, SIG_IGN);
        XSetErrorHandler(ReportXError);
        XSetIOErrorHandler(ConnectionLost);
    }
}

void PlatX11WindowClosing(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
        destroyedWindow = info.info.x11.window;
}

bool PlatX11WindowDestroyed(const SDL_Event& event) {
    const SDL_SysWMmsg* msg = event.syswm.msg;
    if (!msg || msg->subsystem != SDL_SYSWM_X11 || !plat.window) return false;
    const XEvent& x = msg->msg.x11.event;
    if (x.type != DestroyNotify) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(plat.window, &info) || info.subsystem != SDL_SYSWM_X11 ||
        x.xdestroywindow.window != info.info.x11.window)
        return false;
    destroyedWindow = x.xdestroywindow.window;
    return true;
}

bool PlatX11WindowManagerRunning() {
    Display* d = X11();
    if (!d) return true;  // elsewhere the window system always manages windows
    Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    int status = XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW,
                                    &type, &format, &count, &after, &data);
    bool running = status == Success && data && count == 1;
    if (data) XFree(data);
    return running;
}

// The primary output's CRTC, with the screen resources it came from.
struct PrimaryCrtc {
    XRRScreenResources* res = nullptr;
    XRRCrtcInfo* crtc = nullptr;
    RRCrtc id = 0;
};

static PrimaryCrtc FindPrimaryCrtc(Display* d) {
    PrimaryCrtc p;
    Window root = DefaultRootWindow(d);
    int eventBase, errorBase;
    if (!XRRQueryExtension(d, &eventBase, &errorBase)) return p;
    p.res = XRRGetScreenResourcesCurrent(d, root);
    if (!p.res) return p;
    RROutput primary = XRRGetOutputPrimary(d, root);
    for (int i = 0; i < p.res->noutput && !p.crtc; i++) {
        if (primary && p.res->outputs[i] != primary) continue;
        XRROutputInfo* out = XRRGetOutputInfo(d, p.res, p.res->outputs[i]);
        if (out && out->crtc) {
            p.id = out->crtc;
            p.crtc = XRRGetCrtcInfo(d, p.res, out->crtc);
        }
        if (out) XRRFreeOutputInfo(out);
    }
    return p;
}

static void FreePrimaryCrtc(PrimaryCrtc& p) {
    if (p.crtc) XRRFreeCrtcInfo(p.crtc);
    if (p.res) XRRFreeScreenResources(p.res);
    p = PrimaryCrtc();
}

bool PlatX11CursorPos(int* x, int* y) {
    Display* d = X11();
    if (!d) return false;
    Window root, child;
    int winX, winY;
    unsigned mask;
    return XQueryPointer(d, DefaultRootWindow(d), &root, &child, x, y, &winX, &winY, &mask);
}

bool PlatX11ScreenSize(int* width, int* height) {
    Display* d = X11();
    if (!d) return false;
    PrimaryCrtc p = FindPrimaryCrtc(d);
    bool ok = p.crtc && p.crtc->width > 0;
    if (ok) {
        *width = (int)p.crtc->width;
        *height = (int)p.crtc->height;
    } else {
        *width = DisplayWidth(d, DefaultScreen(d));
        *height = DisplayHeight(d, DefaultScreen(d));
        ok = true;
    }
    FreePrimaryCrtc(p);
    return ok;
}

bool PlatX11RootSize(int* width, int* height) {
    Display* d = X11();
    if (!d) return false;
    *width = DisplayWidth(d, DefaultScreen(d));
    *height = DisplayHeight(d, DefaultScreen(d));
    return *width > 0 && *height > 0;
}

bool Plat_GetDisplayMode(PlatDisplayMode* mode) {
    *mode = PlatDisplayMode();
    if (PlatHeadless()) {
        *mode = {plat.headlessWidth, plat.headlessHeight, 0};
        return true;
    }
    int w, h;
    Plat_GetScreenSize(&w, &h);
    mode->width = w;
    mode->height = h;
    Display* d = X11();
    if (!d) return true;
    PrimaryCrtc p = FindPrimaryCrtc(d);
    if (p.crtc) mode->id = p.crtc->mode;
    FreePrimaryCrtc(p);
    return true;
}

static void ReportRefusal(int width, int height, const char* why) {
    if (refusalReported) return;
    refusalReported = true;
    fprintf(stderr, "ambler: the display mode stays as it is (%dx%d requested): %s\n", width,
            height, why);
}

// A mode of the CRTC's output with the requested size, the current one first.
static RRMode FindMode(const PrimaryCrtc& p, Display* d, int width, int height) {
    if (p.crtc->width == (unsigned)width && p.crtc->height == (unsigned)height) return p.crtc->mode;
    RRMode found = 0;
    XRROutputInfo* out = p.crtc->noutput ? XRRGetOutputInfo(d, p.res, p.crtc->outputs[0]) : nullptr;
    for (int i = 0; out && i < out->nmode && !found; i++)
        for (int m = 0; m < p.res->nmode; m++)
            if (p.res->modes[m].id == out->modes[i] && p.res->modes[m].width == (unsigned)width &&
                p.res->modes[m].height == (unsigned)height)
                found = p.res->modes[m].id;
    if (out) XRRFreeOutputInfo(out);
    return found;
}

void Plat_ChangeDisplayMode(const PlatDisplayMode* mode) {
    if (PlatHeadless() || mode->width <= 0 || mode->height <= 0) return;
    Display* d = X11();
    if (!d) return ReportRefusal(mode->width, mode->height, "not an X11 display");
    PrimaryCrtc p = FindPrimaryCrtc(d);
    if (!p.crtc) {
        FreePrimaryCrtc(p);
        return ReportRefusal(mode->width, mode->height, "no XRandR output");
    }
    RRMode target = FindMode(p, d, mode->width, mode->height);
    if (!target) {
        ReportRefusal(mode->width, mode->height, "the screen offers no such mode");
    } else if (target != p.crtc->mode) {
        if (!modeChanged) {
            modeChanged = true;
            modeBeforeChange = p.crtc->mode;
            crtcBeforeChange = p.id;
        }
        Status s = XRRSetCrtcConfig(d, p.res, p.id, CurrentTime, p.crtc->x, p.crtc->y, target,
                                    p.crtc->rotation, p.crtc->outputs, p.crtc->noutput);
        if (s != Success) ReportRefusal(mode->width, mode->height, "the X server refused");
        XSync(d, False);
    }
    FreePrimaryCrtc(p);
}

// Puts the mode of before the first change back on its CRTC, on the given
// connection; nothing when no change was made.
static void RestoreModeOn(Display* d) {
    if (!modeChanged) return;
    PrimaryCrtc p = FindPrimaryCrtc(d);
    if (p.crtc && p.id == crtcBeforeChange && p.crtc->mode != modeBeforeChange) {
        XRRSetCrtcConfig(d, p.res, p.id, CurrentTime, p.crtc->x, p.crtc->y, modeBeforeChange,
                         p.crtc->rotation, p.crtc->outputs, p.crtc->noutput);
        XSync(d, False);
    }
    FreePrimaryCrtc(p);
}
