// system.h -- the operating system's services beyond the window: files read
// whole, memory pages, standard input, the quit signals, what the watch and
// the command line ask about a path, and the working folder. The window,
// input, GL and message-box services are platform.h's.
//
// One implementation per system, as Quake keeps one sys_*.c per platform:
// platform/posix/ (Linux), platform/win32/ (Windows), and platform/null/,
// where every call fails or does nothing: the template for a new port.
// File names are UTF-8 everywhere; each system turns them into its own form.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Reading a file whole (the scene, a bitmap, a replay's events).
typedef intptr_t SysFile;  // an open file; -1 = none

enum SysOpenResult {
    SYS_OPENED = 0,
    SYS_NO_FILE,      // nothing of that name
    SYS_NOT_REGULAR,  // a folder, FIFO, device or socket (or a link to one)
    SYS_OPEN_FAILED,  // any other refusal
};

struct SysOpenFile {
    SysFile file = -1;
    uint64_t size = 0;         // the size when opened: a hint only, the reads decide
    bool fullyStored = false;  // no byte is a hole: its buffer may be faulted in ahead
    int error = 0;             // errno-like detail of a refusal
};

// Opens a regular file (a link to one is fine) for reading. It never waits
// for a writer (a FIFO) and never takes a terminal; what it names is judged
// on the opened file, so a swap after the check cannot fool it.
SysOpenResult Sys_OpenFile(const char* path, SysOpenFile* opened);
// Reads up to size bytes: the count, 0 at the end, -1 on failure (*error
// set); an interrupted read is retried.
long Sys_ReadFile(SysFile file, void* buffer, size_t size, int* error);
void Sys_CloseFile(SysFile file);

enum SysCreateResult { SYS_CREATED = 0, SYS_EXISTS, SYS_CREATE_FAILED };
// Makes path as a new empty regular file in its folder: never through a
// symbolic link, never replacing anything (a dangling link counts as there).
SysCreateResult Sys_CreateNewFile(const char* path);
// Deletes a file; false when it could not.
bool Sys_RemoveFile(const char* path);

// ---- What is at a path (links followed).
enum SysFileKind { SYS_KIND_NONE = 0, SYS_KIND_REGULAR, SYS_KIND_FOLDER, SYS_KIND_OTHER };

struct SysFileInfo {
    SysFileKind kind = SYS_KIND_NONE;
    uint64_t id = 0;      // the file's number in its file system: a rename over it changes it
    uint64_t size = 0;
    int64_t written = 0;  // last write, in the system's finest unit: compare only
};

// False, with kind SYS_KIND_NONE, when nothing can be found there.
bool Sys_FileInfo(const char* path, SysFileInfo* info);

// ---- Folders and names.
bool Sys_ChangeFolder(const char* path);
// The working folder into buffer, in the system's own spelling; null when
// it cannot be named.
const char* Sys_WorkingFolder(char* buffer, size_t size);
// True where "\" separates folders as "/" does, a drive letter starts a
// path and names differ only beyond their letters' case.
bool Sys_WindowsPaths();

// ---- Other programs (the model importer).
// The running program's own file, in the system's spelling; null when it
// cannot be named.
const char* Sys_ProgramPath(char* buffer, size_t size);
// Runs the program argv[0] with argv (null-terminated) and waits for it:
// its standard input and output are the null device, its standard error
// is ours, so that its messages reach the user. False when it could not
// start (*error says why); else *exitStatus is its status, or minus the
// signal that ended it.
bool Sys_RunProgram(const char* const* argv, int* exitStatus, int* error);

// ---- Memory pages. Large scene blocks and file buffers are reserved as
// address space first and backed by memory as they fill, in pages of
// SYS_LARGE_PAGE where the system offers them.
constexpr size_t SYS_LARGE_PAGE = (size_t)2 << 20;  // the x86-64 huge page

// Address space for bytes (rounded up to whole large pages, aligned to one)
// with no memory behind it yet; null when there is none.
void* Sys_ReservePages(size_t bytes);
// Backs [start, start + bytes) of a reservation with memory that reads as
// zero; false when the system has none to give.
bool Sys_CommitPages(void* start, size_t bytes);
// Gives back a whole reservation, committed or not (bytes as reserved).
void Sys_ReleasePages(void* block, size_t bytes);
// Brings committed pages in now, from any thread, so that the thread that
// writes them later finds them ready; false where the system cannot, or
// when the range is no longer reserved.
bool Sys_PrefaultPages(void* start, size_t bytes);
// True when Sys_PrefaultPages can work here at all.
bool Sys_CanPrefault();

// ---- Standard input, read by the scene loader for its table sizes.
// False when it is a terminal or console (a read there waits for typing),
// or closed.
bool Sys_StdinReadable();
// Waits up to waitMs for standard input and reads at most size bytes: the
// count; 0 when it ended, stayed silent for waitMs or failed; -1 when the
// wait was cut short and should be made again.
long Sys_ReadStdin(void* buffer, size_t size, int waitMs);

// ---- Quit signals: SIGINT, SIGTERM and SIGHUP; on Windows Ctrl+C,
// Ctrl+Break and the console's close (or the session's end), under the
// numbers of the signals they stand for (2, 15, 1).
typedef void (*SysQuitHandler)(int signal);
// Takes the quit signals on a thread that is not the main one, where the
// first calls onQuit, which must end the process. Call first in main,
// before any other thread exists.
void Sys_WatchQuitSignals(SysQuitHandler onQuit);
// Waits up to ms for a further quit signal; true when one came.
bool Sys_AnotherQuitSignalWithin(int ms);
// Ends the processes the window system started for the program's message
// boxes, where it starts any.
void Sys_EndChildProcesses();
// Ends the process at once with status: no exit handlers run.
[[noreturn]] void Sys_ExitNow(int status);
