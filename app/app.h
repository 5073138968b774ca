// app.h -- the application shell: window procedure, frame top level, pause
// protocol, GL context and projection, keyboard and mouse state.
//
// Lifetime: the key flags, mouse references and pause state live for the
// whole run and start at 0; the context handles exist from window creation to
// the shutdown sequence.
#pragma once

#include <cstdint>

#include "motion/input.h"
#include "platform/platform.h"

// ---- Frame pacing and pause.
constexpr int MIN_FRAME_INTERVAL = 40;  // ms between frame starts: 25 frames per second
// The frame loop's pause: frames run, stop, or run once while stopped.
// DisplayFrame compares with PAUSE_PAUSED only, so a forced frame is whole.
enum PauseState : int {
    PAUSE_RUNNING = 0,       // cursor hidden, the mouse turns the view
    PAUSE_PAUSED = 1,        // cursor shown, a left drag moves the window
    PAUSE_FORCED_FRAME = 3,  // one frame while paused (resize, button release)
};
extern int pauseState;          // a PauseState
extern uint32_t frameTick;      // tick of the last frame attempt
extern uint32_t lastFrameTime;  // tick of the last frame that ran
extern unsigned long framesRun; // frames that passed the pacing since start (tools read it)

// ---- Window and context.
extern PlatWindow mainWindow;
extern PlatDC windowDC;
extern PlatGLContext glContext;
extern double clientCentreX, clientCentreY;  // W: ResizeScene; R: mouse look

// ---- Display mode.
extern PlatDisplayMode savedDisplayMode;      // mode before the switch; zero without one
extern PlatDisplayMode requestedDisplayMode;  // the mode switched to
extern int displayModeSwitched;               // 1 once a switch was made at start

// ---- Keys held: W key handlers; passed to the motion and camera steps.
extern HeldKeys heldKeys;

// ---- Mouse.
constexpr double MOUSE_TURN_DIVISOR = 8.0;   // pixels per degree of heading
constexpr double MOUSE_TILT_DIVISOR = 20.0;  // pixels per degree of upward tilt
constexpr double MOUSE_TILT_DOWN_DIVISOR = 5.0;  // pixels per degree of downward tilt
extern int mouseX, mouseY;          // position of the latest mouse-move notification
extern int lastMouseX, lastMouseY;  // reference of the next turn and tilt steps
extern PlatPoint cursorPoint;       // scratch
extern int dragActive;              // 1 from a left press to its release
extern int dragAnchorX, dragAnchorY;

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
// The motion and camera step of the current view mode.
void StepMotion();
// Every drawing stage after the clear, in order, with the actor and
// camera steps between them.
void DrawFrameStages(const HeldKeys& keys);
// glFlush and the buffer swap, after the drawing stages.
void FinishFrame();
// Runs between the drawing stages and the swap (help, notices, screenshots);
// set at window creation, so code that only draws never links it.
extern void (*frameOverlayHook)();
// One frame while paused (resize, button release): pauseState 1 -> 3 -> 1.
void ForceFrame();
// Releases the context and the DC, posts quit, restores the display mode.
void ShutdownSequence();

// Reads "Hod.pro" from the working directory (creating an empty one when
// missing), then StartLoadedScene: the viewer stands at its start position
// and heading.
void LoadScene();
// After a read: the scene's derived values, the viewer and follow camera at
// their starts, the frame clock and the obstacle index.
void StartLoadedScene();

// Context creation (first step of window creation).
void CreateRenderContext();
// Render state, material and lights (after the scene load).
void SetRenderState();
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
void PlaceMouseLookCamera();
// Moves the window so that the press position stays under the cursor.
void FollowCursor();
