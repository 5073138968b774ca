// window.cpp -- start-up, the window procedure, the message loop, the
// display-mode switch and the shutdown sequence.
#include "app/app.h"
#include "app/author.h"
#include "render/render.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "scene/textures.h"

// Screen size per displayModeIndex; any other index keeps the current size.
static const int DISPLAY_MODE_SIZES[6][2] = {
    {320, 200}, {400, 300}, {512, 384}, {640, 480}, {800, 600}, {1024, 768}};

// Switches the screen to the scene's resolution when it asks for it.
static void SwitchDisplayMode() {
    if (fullScreen != 1 && windowMaximised != 1) return;
    Plat_GetDisplayMode(&savedDisplayMode);
    requestedDisplayMode = savedDisplayMode;
    if (displayModeIndex >= 0 && displayModeIndex <= 5) {
        requestedDisplayMode.width = DISPLAY_MODE_SIZES[displayModeIndex][0];
        requestedDisplayMode.height = DISPLAY_MODE_SIZES[displayModeIndex][1];
        requestedDisplayMode.id = 0;
    }
    Plat_ChangeDisplayMode(&requestedDisplayMode);
    displayModeSwitched = 1;
}

// Window creation: context, scene, render state, textures, sentinels, the
// closing render state, the display mode and the mouse references.
static void CreateWindowContents() {
    CreateRenderContext();
    LoadScene();
    SetRenderState();
    CreateSceneTextures();
    SetClosingSentinels();
    FinishRenderState();
    SwitchDisplayMode();
    SetupMouseReferences();
    frameOverlayHook = FinishAuthorFrame;
    if (SceneWatchEnabled()) RememberWatchedFiles();
}

// The shutdown may run again (a second Esc already queued); it never
// touches the released context or DC twice, and restores the display mode
// only when a switch was made.
void ShutdownSequence() {
    if (glContext) {
        Plat_MakeCurrent(0, nullptr);
        Plat_DeleteGLContext(glContext);
        glContext = nullptr;
    }
    if (windowDC) {
        Plat_ReleaseDC(mainWindow, windowDC);
        windowDC = 0;
    }
    Plat_PostQuitMessage(0);
    if (displayModeSwitched) {
        Plat_ChangeDisplayMode(&savedDisplayMode);
        displayModeSwitched = 0;
    }
}

intptr_t MainWindowProc(PlatWindow window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case WM_CREATE:
            mainWindow = window;
            CreateWindowContents();
            return 0;
        case WM_DESTROY:
            ShutdownSequence();
            return 0;
        case WM_SIZE:
            ResizeScene(LowWord(lParam), HighWord(lParam));
            return 0;
        case WM_PAINT:
            DisplayFrame();
            return 0;
        case WM_KEYDOWN:
            HandleKeyDown((unsigned)wParam);
            return 0;
        case WM_KEYUP:
            HandleKeyUp((unsigned)wParam);
            return Plat_DefWindowProc(window, message, wParam, lParam);
        case WM_MOUSEMOVE:
            HandleMouseMove(lParam);
            return 0;
        case WM_LBUTTONDOWN:
            HandleLeftButtonDown(lParam);
            return 0;
        case WM_LBUTTONUP:
            HandleLeftButtonUp();
            return 0;
        case WM_DROPFILES:
            OpenDroppedPath(Plat_DroppedPath(wParam));
            return 0;
        default:
            return Plat_DefWindowProc(window, message, wParam, lParam);
    }
}

bool StartApplication(int showCommand) {
    mainWindow = Plat_CreateWindow(MainWindowProc, 0, 0, 200, 150);
    if (!mainWindow) return false;
    int cx, cy;
    Plat_GetScreenSize(&cx, &cy);  // after the mode switch, so the new size counts
    Plat_SetWindowPosTopmost(mainWindow, cx / 2 - 100, cy / 2 - 75);
    Plat_ShowCursor(false);
    Plat_ShowWindow(mainWindow, (PlatShow)showCommand);
    if (windowMaximised == 1) Plat_ShowWindow(mainWindow, PLAT_SHOW_MAXIMIZED);
    return true;
}

// Sleeps until the next frame is due or a message arrives; while paused (or
// after the shutdown) only a message can change anything.
static void WaitForNextFrame() {
    bool paused = pauseState == PAUSE_PAUSED;
    if (paused && glContext && SceneWatchEnabled()) Plat_WaitMessage(WATCH_INTERVAL_MS);
    else if (paused || !glContext) Plat_WaitMessage(-1);
    else Plat_WaitMessageUntil(lastFrameTime + MIN_FRAME_INTERVAL);
}

// Dispatches every waiting message and runs a frame whenever the queue is
// empty. Between frames it sleeps until the next one is due or a message
// arrives, instead of spinning.
int RunMessageLoop() {
    PlatMessage msg;
    for (;;) {
        while (Plat_PeekMessage()) {
            if (!Plat_GetMessage(&msg)) return (int)msg.wParam;
            Plat_DispatchMessage(&msg);
        }
        if (glContext) PollSceneWatch(Plat_GetTickCount());
        DisplayFrame();
        WaitForNextFrame();
    }
}
