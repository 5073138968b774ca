// desktop.h -- driving the real program in a real window: starting it,
// finding its window with xdotool, reading placement, waiting for its end.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct WindowGeometry {
    int x = -1, y = -1, width = -1, height = -1;
};

// Output of a shell command (stdout only); status through *status.
std::string Shell(const std::string& command, int* status = nullptr);
// Starts program in dir with stdin from /dev/null; returns its pid.
int StartProgram(const std::string& program, const std::string& dir);
// Starts program with args from the root folder, stdin from /dev/null,
// stderr into errPath and env's NAME=value pairs set; returns its pid.
int StartProgramLogged(const std::string& program, const std::vector<std::string>& args,
                       const std::string& errPath,
                       const std::vector<std::pair<std::string, std::string>>& env = {});
// Starts program in dir in a session of its own whose controlling terminal
// is a new pseudo-terminal, which is also its stdin, stdout and stderr, as
// when started from a shell; *master receives the terminal's other side
// (the caller closes it). Returns the pid, or -1.
int StartProgramOnTerminal(const std::string& program, const std::string& dir, int* master);
// The program's window id, waiting up to timeoutMs; "" when none appears.
std::string WaitForWindow(int pid, int timeoutMs);
WindowGeometry GetGeometry(const std::string& window);
void GetScreenSize(int* width, int* height);
// Waits until the window's geometry satisfies want, up to timeoutMs.
bool WaitForGeometry(const std::string& window, int timeoutMs,
                     bool (*want)(const WindowGeometry&, int screenW, int screenH));
// Gives the window the keyboard focus and types one key (xdotool key name).
void SendKey(const std::string& window, const std::string& key);
// Gives the window the keyboard focus and presses (or releases) one key.
void HoldKey(const std::string& window, const std::string& key, bool down);
// Moves the pointer to screen position (x, y).
void MovePointer(int x, int y);
// Presses or releases the left mouse button where the pointer is.
void PressLeftButton(bool down);
// Sleeps for ms milliseconds.
void PauseMs(int ms);
// Waits for the process to end; its exit status, or -1 on timeout (the
// process is then killed).
int WaitForExit(int pid, int timeoutMs);
