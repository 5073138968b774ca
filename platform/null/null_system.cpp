// null_system.cpp -- the system services of a port that has none yet: no
// file opens, no memory pages are given, standard input is silent and no
// quit signal ever comes. The program still starts (with an empty scene and
// the message that Hod.pro cannot be read), so a new port can bring up its
// window first and fill these in one after another.
#include <cerrno>
#include <cstdlib>

#include "platform/system.h"

SysOpenResult Sys_OpenFile(const char*, SysOpenFile* opened) {
    *opened = SysOpenFile();
    return SYS_OPEN_FAILED;
}
long Sys_ReadFile(SysFile, void*, size_t, int*) { return -1; }
void Sys_CloseFile(SysFile) {}
SysCreateResult Sys_CreateNewFile(const char*) { return SYS_CREATE_FAILED; }
bool Sys_RemoveFile(const char*) { return false; }

bool Sys_FileInfo(const char*, SysFileInfo* info) {
    *info = SysFileInfo();
    return false;
}

bool Sys_ChangeFolder(const char*) { return false; }
const char* Sys_WorkingFolder(char*, size_t) { return nullptr; }
bool Sys_WindowsPaths() { return false; }

const char* Sys_ProgramPath(char*, size_t) { return nullptr; }
bool Sys_RunProgram(const char* const*, int*, int* error) {
    if (error) *error = ENOSYS;
    return false;
}

// Without pages the scene's large tables cannot be had: a load that needs
// them ends as out of memory, and small ones come from the heap as always.
void* Sys_ReservePages(size_t) { return nullptr; }
bool Sys_CommitPages(void*, size_t) { return false; }
void Sys_ReleasePages(void*, size_t) {}
bool Sys_CanPrefault() { return false; }
bool Sys_PrefaultPages(void*, size_t) { return false; }

bool Sys_StdinReadable() { return false; }
long Sys_ReadStdin(void*, size_t, int) { return 0; }

void Sys_WatchQuitSignals(SysQuitHandler) {}
bool Sys_AnotherQuitSignalWithin(int) { return false; }
void Sys_EndChildProcesses() {}
void Sys_ExitNow(int status) { std::_Exit(status); }
