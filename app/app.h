// app.h -- the application shell: window procedure, frame top level, pause
// protocol, GL context and projection, keyboard and mouse.
//
// The program's state comes in two lifetimes, as Quake keeps cls and cl:
// RunState lives for the whole run (window, display mode, pause, frame
// clock, keys, mouse, the author's additions), and LoadedScene lives for one
// loaded scene (the scene, its texture objects and obstacle index, and
// everything that moves in it), replaced as a whole by every load.
#pragma once

#include <cstdint>
#include <memory>

#include "app/author.h"
#include "motion/behaviour.h"
#include "motion/input.h"
#include "motion/motion.h"
#include "platform/platform.h"
#include "render/frame_picture.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "scene/textures.h"

// ---- Frame pacing and pause.
constexpr int MIN_FRAME_INTERVAL = 40;  // ms between frame starts: 25 frames per second
// The frame loop's pause: frames run, stop, or run once while stopped.
// DisplayFrame compares with PAUSE_PAUSED only, so a forced frame is whole.
enum PauseState : int {
    PAUSE_RUNNING = 0,       // cursor hidden, the mouse turns the view
    PAUSE_PAUSED = 1,        // cursor shown, a left drag moves the window
    PAUSE_FORCED_FRAME = 3,  // one frame while paused (resize, button release)
};

// ---- Mouse.
constexpr double MOUSE_TURN_DIVISOR = 8.0;   // pixels per degree of heading
constexpr double MOUSE_TILT_DIVISOR = 20.0;  // pixels per degree of upward tilt
constexpr double MOUSE_TILT_DOWN_DIVISOR = 5.0;  // pixels per degree of downward tilt

struct MouseState {
    int mouseX = 0, mouseY = 0;          // position of the latest mouse-move notification
    int lastMouseX = 0, lastMouseY = 0;  // reference of the next turn and tilt steps
    int dragActive = 0;                  // 1 from a left press to its release
    int dragAnchorX = 0, dragAnchorY = 0;
};

// ---- Smooth display: frames drawn at the screen's rate between the steps,
// each blended from the last two steps' pictures. The steps themselves run
// exactly as with it off.
enum Pacing : int {
    PACING_DESIGN = 0,  // a frame is drawn at each step and nowhere else
    PACING_SMOOTH = 1,  // steps only move; the screen's refreshes draw
};

struct SmoothDisplay {
    int pacing = PACING_DESIGN;     // a Pacing; the program turns smooth display on
    FramePicture previous, current; // the last two steps' pictures (previous may be invalid)
    FramePicture drawn;             // the blend a frame draws (kept to reuse its storage)
    uint32_t currentTick = 0;       // frame tick of the step that made current
    unsigned long serial = 0;       // pictures kept so far
    const void* pictureScene = nullptr;  // the loaded scene the pictures are of
    bool moving = false;            // previous and current draw differently
    bool breakPending = true;       // the next picture must not be blended with the last
    bool redrawPending = true;      // something besides the steps changed what a frame shows
    double mouseYaw = 0;            // every mouse turn so far, degrees
    // What the last presented frame showed.
    unsigned long shownSerial = 0;
    double shownAlpha = 0;
    double shownMouseYaw = 0, shownTilt = 0;
    size_t shownOverlayLines = 0;
    // Pacing of the window's frames.
    bool screenPaced = false;            // the screen calls for each frame (a page's animation frames)
    double refreshPeriod = 1000.0 / 60;  // ms between the display's refreshes
    uint32_t refreshBase = 0;            // the next refresh is due refreshDue ms after this tick
    double refreshDue = 0;
    double presentCost = 0;              // ms a presented frame took to draw lately
    double drawStartedMs = 0;            // when the frame being drawn began, ms after currentTick
};

// What lives for the whole run; every field starts as a fresh process has it.
struct RunState {
    // ---- Window and context.
    PlatWindow mainWindow = 0;
    PlatDC windowDC = 0;
    PlatGLContext glContext = nullptr;
    double clientCentreX = 0, clientCentreY = 0;  // W: ResizeScene; R: mouse look
    int windowMaximised = 0;  // the window as F3 left it; the first scene's setting at start

    // ---- Display mode.
    PlatDisplayMode savedDisplayMode = {};      // mode before the switch; zero without one
    PlatDisplayMode requestedDisplayMode = {};  // the mode switched to
    int displayModeSwitched = 0;                // 1 once a switch was made at start

    // ---- Frame pacing and pause.
    int pauseState = PAUSE_RUNNING;  // a PauseState
    uint32_t frameTick = 0;          // tick of the last frame attempt
    uint32_t lastFrameTime = 0;      // tick of the last frame that ran
    unsigned long framesRun = 0;     // frames that passed the pacing since start (tools read it)

    // ---- Input: W the handlers; the keys are the motion steps' command.
    HeldKeys heldKeys;
    MouseState mouse;

    // ---- The build: 1 in the build that keeps the scene file's sideKeyMode.
    int keepSideKeyMode = 0;
    // The first load reads standard input for the table sizes; every later
    // one reads "" in its place, so that a reload never waits on it.
    const char* stdinText = nullptr;

    // ---- Smooth display between the steps.
    SmoothDisplay smooth;

    // ---- The author's additions (F1, F5, F12, --watch, notices).
    AuthorState author;
    // Runs between the drawing stages and the swap (help, notices,
    // screenshots); set at window creation, so code that only draws never
    // links it.
    void (*frameOverlayHook)() = nullptr;
};

// What lives for one loaded scene.
struct LoadedScene {
    Scene scene;
    SceneReadResult read;  // how the scene's file was read
    SceneTextures textures;
    ObstacleIndex obstacles;
    SceneMotion motion;
};

// The program's state. Global because the window system calls the window
// procedure, and the signal thread the forced end, with no way to hand them
// anything; everything below them takes what it uses as arguments.
extern RunState run;
extern std::unique_ptr<LoadedScene> loaded;

// Registers, creates, places and shows the window; the scene is loaded
// inside. False when no window could be made.
bool StartApplication(int showCommand);
// The message loop; returns the quit code.
int RunMessageLoop();
// One turn of it, for a host that calls back instead of letting a loop
// block (the browser); false at the quit message, with its code.
bool RunLoopTurn(int* code);
// The window procedure.
intptr_t MainWindowProc(PlatWindow window, unsigned message, uintptr_t wParam, intptr_t lParam);
// One frame: pause check, pacing, motion step, drawing, swap.
void DisplayFrame();
// The motion and camera step of the scene's view mode.
void StepMotion(LoadedScene& level, const HeldKeys& keys);
// Every drawing stage after the clear, in order, with the actor and
// camera steps between them. picture (if given) receives what the frame
// draws; with draw false nothing is sent to GL but the steps run alike.
void DrawFrameStages(LoadedScene& level, const HeldKeys& keys, FramePicture* picture = nullptr,
                     bool draw = true);
// glFlush and the buffer swap, after the drawing stages.
void FinishFrame();
// One frame while paused (resize, button release): pauseState 1 -> 3 -> 1.
void ForceFrame();

// ---- Smooth display (smooth_display.cpp).
// The next picture shows a jump (load, reload, restart, resize, the end of
// a pause): frames do not blend across it.
void BreakSmoothDisplay();
// Something outside the steps changed the window's contents: the next
// refresh draws even if no step moved anything.
void RequestSmoothRedraw();
// Keeps the picture of the step that just ran (its frame tick).
void KeepStepPicture(uint32_t tick);
// The picture slot the step about to run fills.
FramePicture& NextStepPicture();
// A frame as the screen shows it msSinceStep after the last step.
struct PresentedFrame {
    double alpha = 0;        // blend fraction used (1: the last step's picture)
    double modelview[16];    // the scene's matrix as drawn
    const FramePicture* picture = nullptr;  // what was drawn (actors with their blended places)
};
// Draws and swaps that frame unless it would show what the last presented
// frame showed; true when drawn. keepDrawState: leave GL's texture and
// current state as found (for a caller whose steps also draw).
bool PresentSmoothFrame(double msSinceStep, PresentedFrame* report, bool keepDrawState);
// The window's loop: presents a frame when a refresh is due and a step is
// not (steps come first).
void PresentWhenDue();
// A screen that paces itself calls this at each refresh: the frame due now
// is presented unless a step comes first.
void PresentAtScreenRefresh();
// Milliseconds from now until the loop should wake for a frame (negative:
// none wanted before the next step, or the screen calls for frames itself).
double SmoothFrameWakeIn();
// With smooth display on: the swap interval and the display's refresh
// period, once the context exists.
void StartSmoothDisplay();
// Releases the context and the DC, posts quit, restores the display mode.
void ShutdownSequence();

// Reads "Hod.pro" from the working directory (creating an empty one when
// missing) into a new loaded scene and starts it: the viewer stands at its
// start position and heading.
void LoadScene();
// After a read: the scene's derived values, everything that moves at its
// start, the frame clock and the obstacle index.
void StartLoadedScene(LoadedScene& level);
// The texture step, the closing sentinels and the render state the scene
// drives, with the GL context current.
void PrepareSceneForDrawing(LoadedScene& level);

// Context creation (first step of window creation).
void CreateRenderContext();
// Render state, material and lights (after the scene load).
void SetRenderState(const Scene& scene);
// Filled polygons and the first clear (after the textures).
void FinishRenderState();
// Viewport, projection and camera for a new client size; forces a frame.
void ResizeScene(int width, int height);

// Keyboard handlers.
void HandleKeyDown(unsigned key);
void HandleKeyUp(unsigned key);

// Mouse handlers.
void SetupMouseReferences();
void HandleMouseMove(intptr_t lParam);
void HandleLeftButtonDown(intptr_t lParam);
void HandleLeftButtonUp();
// Mouse look of view modes 1 and 3 (turn and tilt from the cursor).
void MouseLook(intptr_t lParam);
// The camera placement of view-mode-1 mouse look.
void PlaceMouseLookCamera(const Scene& scene, ViewerState& viewer);
// Moves the window so that the press position stays under the cursor.
void FollowCursor();
