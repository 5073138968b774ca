// sdl_input.cpp -- turns SDL events into the program's messages. Nothing
// else in the program sees an SDL event.
#include "platform/platform_internal.h"

// Virtual-key code of a key, as the program's key tables know them.
static unsigned VirtualKey(const SDL_Keysym& key) {
    SDL_Keycode k = key.sym;
    if (k >= 'a' && k <= 'z') return (unsigned)(k - 'a' + 'A');
    if (k >= '0' && k <= '9') return (unsigned)k;
    if (k >= SDLK_F1 && k <= SDLK_F12) return VK_F1 + (unsigned)(k - SDLK_F1);
    switch (k) {
        case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
        case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
        case SDLK_LALT: case SDLK_RALT: return VK_MENU;
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_LEFT: return VK_LEFT;
        case SDLK_UP: return VK_UP;
        case SDLK_RIGHT: return VK_RIGHT;
        case SDLK_DOWN: return VK_DOWN;
        case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
        case SDLK_TAB: return VK_TAB;
        case SDLK_BACKSPACE: return VK_BACK;
        case SDLK_PAUSE: return VK_PAUSE;
        case SDLK_CAPSLOCK: return VK_CAPITAL;
        case SDLK_PAGEUP: return VK_PRIOR;
        case SDLK_PAGEDOWN: return VK_NEXT;
        case SDLK_END: return VK_END;
        case SDLK_HOME: return VK_HOME;
        case SDLK_INSERT: return VK_INSERT;
        case SDLK_DELETE: return VK_DELETE;
        default: return 0xFF;  // a key the program has no use for
    }
}

// Keys held with Alt, Alt itself and F10 are system keys: they go to the
// default processing, not to the program's key tables.
static bool IsSystemKey(const SDL_Keysym& key, unsigned vk) {
    return (key.mod & KMOD_ALT) || vk == VK_MENU || vk == VK_F10;
}

static void TranslateKey(const SDL_KeyboardEvent& key) {
    unsigned vk = VirtualKey(key.keysym);
    bool down = key.type == SDL_KEYDOWN;
    unsigned message = down ? WM_KEYDOWN : WM_KEYUP;
    if (IsSystemKey(key.keysym, vk)) message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
    Plat_PostMessage(message, vk, 0);  // auto-repeats arrive as further key-downs
}

static void TranslateWindowEvent(const SDL_WindowEvent& window) {
    switch (window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
            // Another client may size the window past what the GL draws;
            // it goes back before the next frame.
            int w = window.data1, h = window.data2;
            if (Plat_CapClientSize(&w, &h)) SDL_SetWindowSize(plat.window, w, h);
            Plat_PostMessage(WM_SIZE, 0, MakeLParam(w, h));
            break;
        }
        case SDL_WINDOWEVENT_MINIMIZED:
            Plat_PostMessage(WM_SIZE, 0, MakeLParam(0, 0));
            break;
        case SDL_WINDOWEVENT_RESTORED: {
            int w, h;
            SDL_GetWindowSize(plat.window, &w, &h);
            Plat_CapClientSize(&w, &h);
            Plat_PostMessage(WM_SIZE, 0, MakeLParam(w, h));
            break;
        }
        case SDL_WINDOWEVENT_EXPOSED:
            Plat_PostMessage(WM_PAINT, 0, 0);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            Plat_PostMessage(WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

// Without cursor warps, a hidden cursor moves the virtual one by the
// relative motion, so mouse look measures the same distances from the centre.
static void TranslateMotion(const SDL_MouseMotionEvent& motion) {
    if (!plat.virtualPointer) {
        PlatPoint screen = {motion.x, motion.y};
        Plat_ClientToScreen(1, &screen);
        plat.lastPointer = screen;
        Plat_PostMessage(WM_MOUSEMOVE, 0, MakeLParam(motion.x, motion.y));
        return;
    }
    if (SDL_GetRelativeMouseMode()) {
        plat.virtualCursor.x += motion.xrel;
        plat.virtualCursor.y += motion.yrel;
    } else {
        plat.virtualCursor = {motion.x, motion.y};
    }
    Plat_PostMessage(WM_MOUSEMOVE, 0, MakeLParam(plat.virtualCursor.x, plat.virtualCursor.y));
}

void PlatTranslateEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            TranslateKey(event.key);
            break;
        case SDL_MOUSEMOTION:
            TranslateMotion(event.motion);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (event.button.button != SDL_BUTTON_LEFT) break;
            plat.leftButtonDown = event.type == SDL_MOUSEBUTTONDOWN;
            Plat_PostMessage(event.type == SDL_MOUSEBUTTONDOWN ? WM_LBUTTONDOWN : WM_LBUTTONUP, 0,
                             MakeLParam(event.button.x, event.button.y));
            break;
        case SDL_WINDOWEVENT:
            TranslateWindowEvent(event.window);
            break;
        case SDL_DROPFILE:
            // The path is kept here: messages carry numbers only.
            if (event.drop.file) {
                plat.drops.push_back(event.drop.file);
                SDL_free(event.drop.file);
                Plat_PostMessage(WM_DROPFILES, plat.drops.size(), 0);
            }
            break;
        case SDL_QUIT:  // the session or a signal (SIGINT, SIGTERM) asks to end
            Plat_PostMessage(WM_CLOSE, 0, 0);
            break;
        case SDL_SYSWMEVENT:  // a window destroyed from outside is gone as if closed
            if (!PlatX11WindowDestroyed(event)) break;
            // Nothing more is drawn into it: the GL would size its buffers
            // from a drawable it can no longer ask about, and clear garbage
            // sizes for seconds on end.
            plat.windowLost = true;
            SDL_GL_MakeCurrent(plat.window, nullptr);
            Plat_PostMessage(WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

void PlatFollowHeldPointer() {
    if (!plat.leftButtonDown || plat.virtualPointer || !plat.window) return;
    PlatPoint screen;
    if (!PlatX11CursorPos(&screen.x, &screen.y)) return;
    if (screen.x == plat.lastPointer.x && screen.y == plat.lastPointer.y) return;
    plat.lastPointer = screen;
    PlatPoint client = screen;
    Plat_ScreenToClient(1, &client);
    Plat_PostMessage(WM_MOUSEMOVE, 0, MakeLParam(client.x, client.y));
}
