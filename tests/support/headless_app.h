// headless_app.h -- the whole program started in-process on the headless
// backend, for tests that call its handlers and read its state directly.
#pragma once

#include <cstdint>
#include <string>

// Writes sceneText as "Hod.pro" into a fresh folder, enters it, and starts
// the program there with the clock at tick t0 (the loader's tick) and
// stdinText in place of its standard input.
void StartHeadlessApp(const std::string& sceneText, int width = 200, int height = 150,
                      uint32_t t0 = 1000, const char* stdinText = "");
// Shuts the program down and puts its state back as a fresh process has it.
void StopHeadlessApp();
// Sends a message through the window procedure at the given tick, then
// handles what the program posted to itself.
void SendAt(uint32_t tick, unsigned message, uintptr_t wParam = 0, intptr_t lParam = 0);
// Runs the message loop's frame call at the given tick.
void FrameAt(uint32_t tick);
