// window.cpp -- start-up, the window procedure, the message loop, the
// display-mode switch and the shutdown sequence.
#include <cmath>

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
static void SwitchDisplayMode(const Scene& scene) {
    if (scene.fullScreen != 1 && scene.windowMaximised != 1) return;
    Plat_GetDisplayMode(&run.savedDisplayMode);
    run.requestedDisplayMode = run.savedDisplayMode;
    int index = scene.displayModeIndex;
    if (index >= 0 && index <= 5) {
        run.requestedDisplayMode.width = DISPLAY_MODE_SIZES[index][0];
        run.requestedDisplayMode.height = DISPLAY_MODE_SIZES[index][1];
        run.requestedDisplayMode.id = 0;
    }
    Plat_ChangeDisplayMode(&run.requestedDisplayMode);
    run.displayModeSwitched = 1;
}

// Window creation: context, scene, render state, textures, sentinels, the
// closing render state, the display mode and the mouse references.
static void CreateWindowContents() {
    CreateRenderContext();
    StartSmoothDisplay();
    LoadScene();
    run.stdinText = "";  // standard input was read at start; a reload must never wait on it
    run.windowMaximised = loaded->scene.windowMaximised;
    PrepareSceneForDrawing(*loaded);
    SwitchDisplayMode(loaded->scene);
    SetupMouseReferences();
    run.frameOverlayHook = FinishAuthorFrame;
    if (SceneWatchEnabled()) RememberWatchedFiles();
}

// The shutdown may run again (a second Esc already queued); it never
// touches the released context or DC twice, and restores the display mode
// only when a switch was made.
void ShutdownSequence() {
    if (run.glContext) {
        // The scene's images and texture objects go while their context is
        // still current; the scene itself outlives the window.
        if (loaded) ReleaseSceneTextures(loaded->textures);
        Plat_MakeCurrent(0, nullptr);
        Plat_DeleteGLContext(run.glContext);
        run.glContext = nullptr;
    }
    if (run.windowDC) {
        Plat_ReleaseDC(run.mainWindow, run.windowDC);
        run.windowDC = 0;
    }
    Plat_PostQuitMessage(0);
    if (run.displayModeSwitched) {
        Plat_ChangeDisplayMode(&run.savedDisplayMode);
        run.displayModeSwitched = 0;
    }
}

intptr_t MainWindowProc(PlatWindow window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case WM_CREATE:
            run.mainWindow = window;
            CreateWindowContents();
            return 0;
        case WM_DESTROY:
            ShutdownSequence();
            return 0;
        case WM_SIZE:
            ResizeScene(LowWord(lParam), HighWord(lParam));
            return 0;
        case WM_PAINT:
            RequestSmoothRedraw();
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
    run.mainWindow = Plat_CreateWindow(MainWindowProc, 0, 0, 200, 150);
    if (!run.mainWindow) return false;
    int cx, cy;
    Plat_GetScreenSize(&cx, &cy);  // after the mode switch, so the new size counts
    Plat_SetWindowPosTopmost(run.mainWindow, cx / 2 - 100, cy / 2 - 75);
    Plat_ShowCursor(false);
    Plat_ShowWindow(run.mainWindow, (PlatShow)showCommand);
    if (run.windowMaximised == 1) Plat_ShowWindow(run.mainWindow, PLAT_SHOW_MAXIMIZED);
    return true;
}

// The tick of the next step (none while paused), or of the next refresh
// when smooth display has a frame to draw before it.
static uint32_t NextWake(bool paused) {
    uint32_t step = run.lastFrameTime + MIN_FRAME_INTERVAL;
    double frame = SmoothFrameWakeIn();
    if (frame < 0) return step;
    uint32_t refresh = Plat_GetTickCount() + (uint32_t)std::ceil(frame);
    return paused || (int32_t)(refresh - step) < 0 ? refresh : step;
}

// Sleeps until the next frame is due or a message arrives; while paused (or
// after the shutdown) only a message can change anything, unless smooth
// display still has a frame to show.
static void WaitForNextFrame() {
    bool paused = run.pauseState == PAUSE_PAUSED;
    if (paused && run.glContext && SmoothFrameWakeIn() >= 0) {
        Plat_WaitMessageUntil(NextWake(true));
        return;
    }
    if (paused && run.glContext && SceneWatchEnabled()) Plat_WaitMessage(WATCH_INTERVAL_MS);
    else if (paused || !run.glContext) Plat_WaitMessage(-1);
    else Plat_WaitMessageUntil(NextWake(false));
}

// One turn of the loop: every waiting message, then the frame function, then
// the wait for the next frame (a sleep on the desktop; in a page, the time
// of the next turn). False at the quit message, with its code in *code.
bool RunLoopTurn(int* code) {
    PlatMessage msg;
    while (Plat_PeekMessage()) {
        if (!Plat_GetMessage(&msg)) return *code = (int)msg.wParam, false;
        Plat_DispatchMessage(&msg);
    }
    if (run.glContext) PollSceneWatch(Plat_GetTickCount());
    DisplayFrame();
    PresentWhenDue();
    WaitForNextFrame();
    return true;
}

// Dispatches every waiting message and runs a frame whenever the queue is
// empty. Between frames it sleeps until the next one is due or a message
// arrives, instead of spinning.
int RunMessageLoop() {
    int code = 0;
    while (RunLoopTurn(&code)) {
    }
    return code;
}
