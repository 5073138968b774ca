// author.h -- what the program adds around the design's keys for people
// building scenes and for newcomers: reload (F5, Shift+F5, --watch),
// screenshots (F12), the help overlay (F1) and one-line notices in the window.
//
// Lifetime: every flag and notice lives for the whole run and starts off.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// ---- Keys the design leaves free; the key handlers pass on what they ignore.
void HandleAuthorKeyDown(unsigned key);
void HandleAuthorKeyUp(unsigned key);

// ---- Reload.
// Reads Hod.pro and its textures again. A file with errors leaves the running
// scene untouched, prints its problems to stderr as FILE:LINE:COLUMN lines and
// keeps a one-line summary in the window until the next good load. Keeps
// where the viewer is unless fromStart. True when the new scene runs.
bool ReloadScene(bool fromStart);
// The summary of the last failed reload; "" after a good one.
const std::string& ReloadProblem();
// Deletes the scene's texture objects and images, each distinct one once
// (slots naming the same file share them); before a reload, and by tests
// that end the program.
void ReleaseSceneTextures();
void ForgetReloadProblem();
// A problem to show as a failed reload's is shown (a drop that cannot open).
void SetReloadProblem(const std::string& problem);

// ---- Drop to open (drop_open.cpp).
// Opens a dropped folder, Hod.pro or model as the scene from its start, as
// Shift+F5 would in its folder. Anything that cannot open leaves the
// running scene and its folder, and is reported as a failed reload is.
// True when the new scene runs.
bool OpenDroppedPath(const char* path);
// Windows: the hidden option that makes a program the check of a reload.
// It reads the scene text on standard input and writes the diagnostic
// lines for the file name given after the option on standard output.
constexpr const char RELOAD_CHECK_OPTION[] = "--reload-check";
// True when this process was started as a reload's check, which has then
// run; *status is the exit status (1: errors). Call first in main.
bool RunAsReloadCheck(int argc, char** argv, int* status);
// Windows: runs the check of text in a new process of this program. As for
// the fork on Linux: 1 for errors, 0 for none, -1 when it could not run;
// the diagnostic lines (naming file) are appended to *report.
int CheckSceneTextInChildProcess(const std::string& text, const std::string& file,
                                 std::string* report);

// ---- Watching the scene's files (--watch).
constexpr int WATCH_INTERVAL_MS = 50;  // a save settles within two polls, leaving most of half a second for the reload
void EnableSceneWatch();
bool SceneWatchEnabled();
// Remembers the files the loaded scene consists of (Hod.pro and every texture
// it names) as they are now; run after each load.
void RememberWatchedFiles();
// From the loop: at most every WATCH_INTERVAL_MS, looks at the files and
// reloads once a change has held still for one poll. True when it reloaded.
bool PollSceneWatch(uint32_t now);
// Stops watching and forgets the files (tests that start the program again).
void ResetSceneWatch();
// Windows: the file's number, size and last write time (100 ns units) for
// the watch; false when it cannot be looked at.
bool WindowsFileStamp(const char* name, unsigned long long* id, unsigned long long* size,
                      long long* written);

// ---- Screenshot.
// The next frame drawn is also written to ambler-NNNN.png in the scene folder.
void RequestScreenshot();
// Writes the back buffer of the frame being finished as the next free
// ambler-NNNN.png in the working folder; its name, or "" when it failed.
std::string WriteScreenshot();

// ---- Help and notices.
void NoteSceneFileMissing(bool missing);
bool HelpVisible();
// The help lines for the current view mode and build.
std::vector<std::string> HelpLines();
// The one-line notices shown now (reload problem, screenshot, new file).
std::vector<std::string> NoticeLines(uint32_t now);
// Between the drawing stages and the swap: writes a requested screenshot,
// then draws the help and the notices over it (never into the picture).
// Touches no GL state when nothing is shown.
void FinishAuthorFrame();
// Clears every flag and notice (tests that start the program again).
void ResetAuthorState();
