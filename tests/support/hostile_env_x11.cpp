// hostile_env_x11.cpp -- Xlib kept apart from the test framework, whose names
// its macros would clash with.
#include <X11/Xlib.h>

#include <cstdlib>

#include "tests/support/hostile_env.h"

bool DestroyWindowFromOutside(const std::string& window) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    XDestroyWindow(d, (Window)strtoul(window.c_str(), nullptr, 0));
    XSync(d, False);
    XCloseDisplay(d);
    return true;
}

bool TellWindowItStandsAt(const std::string& window, int x, int y) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    Window w = (Window)strtoul(window.c_str(), nullptr, 0);
    XWindowAttributes size;
    bool ok = XGetWindowAttributes(d, w, &size) != 0;
    if (ok) {
        XEvent event = {};
        event.xconfigure.type = ConfigureNotify;
        event.xconfigure.event = event.xconfigure.window = w;
        event.xconfigure.x = x;
        event.xconfigure.y = y;
        event.xconfigure.width = size.width;
        event.xconfigure.height = size.height;
        ok = XSendEvent(d, w, False, StructureNotifyMask, &event) != 0;
    }
    XSync(d, False);
    XCloseDisplay(d);
    return ok;
}
