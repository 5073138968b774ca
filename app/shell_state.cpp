// shell_state.cpp -- storage of the application shell's globals.
#include "app/app.h"

int pauseState;
uint32_t frameTick;
uint32_t lastFrameTime;
unsigned long framesRun;

PlatWindow mainWindow;
PlatDC windowDC;
PlatGLContext glContext;
double clientCentreX, clientCentreY;

PlatDisplayMode savedDisplayMode;
PlatDisplayMode requestedDisplayMode;
int displayModeSwitched;

HeldKeys heldKeys;

int mouseX, mouseY;
int lastMouseX, lastMouseY;
PlatPoint cursorPoint;
int dragActive;
int dragAnchorX, dragAnchorY;
