// headless.h -- controls that only the headless mode of a backend has: the
// virtual clock, the scripted cursor, frame capture and the camera read-back.
// Tools and tests include this; the program itself never does. On the
// desktop mode they change nothing.
#pragma once

#include "platform/platform.h"

// Sets the tick counter the program reads.
void Plat_SetVirtualTick(uint32_t tick);
// Where a scripted event leaves the cursor.
void Plat_SetHeadlessCursor(int x, int y);
// Keeps a copy of every frame's back buffer before its swap (for shots).
void Plat_CaptureFrames(bool enable);
// The last captured frame: RGB rows bottom-up; false when none was drawn.
bool Plat_LastFrame(const unsigned char** rgb, int* width, int* height);
// The modelview matrix of the current context, or the one it held when it
// was deleted.
void Plat_GetModelview(double matrix[16]);
