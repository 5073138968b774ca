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
