// web_internal.h -- state shared by the browser backend's files.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/platform.h"

struct WebState {
    PlatBackend backend = PLAT_DESKTOP;
    PlatWindowProc proc = nullptr;
    std::deque<PlatMessage> queue;
    std::deque<std::string> drops;  // folders dropped onto the page and not yet asked for
    bool quitPosted = false;
    int quitCode = 0;
    int cursorCounter = 0;
    bool created = false;

    // The canvas is the window; the page's viewport is the screen.
    int x = 0, y = 0, width = 200, height = 150;
    bool maximised = false;
    int restoreX = 0, restoreY = 0, restoreWidth = 200, restoreHeight = 150;
    int maxWidth = 0, maxHeight = 0;  // the GL's limits, once a context answered

    // Headless (the replay tool): a virtual clock, the screen the client area.
    uint32_t virtualTick = 0;

    // The cursor in screen (page) coordinates. Under pointer lock it moves
    // by the reported motion, so mouse look measures distances from the
    // centre as it does where the cursor can be warped.
    PlatPoint cursor = {0, 0};
    bool pointerLocked = false;

    int context = 0;  // EMSCRIPTEN_WEBGL_CONTEXT_HANDLE
    bool current = false;
    unsigned framesShown = 0;
    bool capture = false;
    std::vector<unsigned char> frame;
    int frameWidth = 0, frameHeight = 0;
    bool frameValid = false;
};

extern WebState web;

inline bool WebHeadless() { return web.backend == PLAT_HEADLESS; }

// Registers the page's keyboard, mouse and window callbacks (desktop only).
void WebInstallInput();
// Sizes and places the canvas element as the window's client area.
void WebPlaceCanvas();
// Wakes the loop at once: an event arrived.
void WebWakeLoop();
