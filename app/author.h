// author.h -- what the program adds around the design's keys for people
// building scenes and for newcomers: reload (F5, Shift+F5, --watch),
// screenshots (F12), the help overlay (F1) and one-line notices in the window.
//
// Lifetime: every flag and notice lives for the whole run and starts off
// (RunState::author).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct Scene;

// One watched file as it was last looked at.
struct FileStamp {
    std::string name;
    bool exists;
    uint64_t id, size;
    int64_t written;
    bool operator==(const FileStamp&) const = default;
};

// --watch: the files of the loaded scene and a change waiting to settle.
struct WatchState {
    bool enabled = false;
    std::vector<FileStamp> loaded;   // the files as last loaded
    std::vector<FileStamp> pending;  // a change waiting to settle
    bool changeSeen = false;
    uint32_t lastPoll = 0;
    bool polledOnce = false;
};

// The model open now, if any: kept by a drop that fails, let go by a
// scene folder that opens.
struct OpenedModel {
    std::string model;   // absolute; "" when the scene is not a model's
    std::string folder;  // its scene folder in the cache
    std::string key;     // what it was made from, as it was then
};

struct AuthorState {
    bool helpVisible = false;          // W: F1
    bool shiftHeld = false;            // W: Shift down and up
    bool screenshotRequested = false;  // W: F12; cleared by the next frame
    bool sceneFileCreated = false;     // W: start; cleared by the next good reload
    std::string screenshotNotice;      // W: FinishAuthorFrame
    uint32_t screenshotNoticeTick = 0;
    std::string reloadProblem;         // W: ReloadScene; "" after a good one
    WatchState watch;
    OpenedModel openModel;             // W: OpenModel, RefreshOpenModel, a drop
};

// ---- Keys the design leaves free; the key handlers pass on what they ignore.
void HandleAuthorKeyDown(unsigned key);
void HandleAuthorKeyUp(unsigned key);

// ---- Reload.
// Reads Hod.pro and its textures again into a scene beside the running one.
// A file with errors, or one that does not fit in the memory budget beside
// the running scene ("Out of memory."), leaves the running scene untouched, prints its problems to stderr as FILE:LINE:COLUMN lines and
// keeps a one-line summary in the window until the next good load. Keeps
// where the viewer is unless fromStart. True when the new scene runs.
bool ReloadScene(bool fromStart);
// The summary of the last failed reload; "" after a good one.
const std::string& ReloadProblem();
void ForgetReloadProblem();
// A problem to show as a failed reload's is shown (a drop that cannot open).
void SetReloadProblem(const std::string& problem);

// ---- Drop to open (drop_open.cpp).
// Opens a dropped folder, Hod.pro or model as the scene from its start, as
// Shift+F5 would in its folder. Anything that cannot open leaves the
// running scene and its folder, and is reported as a failed reload is.
// True when the new scene runs.
bool OpenDroppedPath(const char* path);

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

// ---- Screenshot.
// The next frame drawn is also written to ambler-NNNN.png in the scene folder.
void RequestScreenshot();
// Writes the back buffer of the frame being finished as the next free
// ambler-NNNN.png in the working folder; its name, or "" when it failed.
std::string WriteScreenshot();

// ---- Help and notices.
void NoteSceneFileMissing(bool missing);
bool HelpVisible();
// The help lines for the scene's view mode and side-key mode.
std::vector<std::string> HelpLines(const Scene& scene);
// The one-line notices shown now (reload problem, screenshot, new file).
std::vector<std::string> NoticeLines(uint32_t now);
// Between the drawing stages and the swap: writes a requested screenshot,
// then draws the help and the notices over it (never into the picture).
// Touches no GL state when nothing is shown.
void FinishAuthorFrame();
// Clears every flag and notice (tests that start the program again).
void ResetAuthorState();
