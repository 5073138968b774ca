// win32_files.cpp -- files, paths and folders through the C runtime's
// narrow calls, which the programs' manifest makes take UTF-8; texture
// names in the system's own code page are converted first (win32_names.cpp).
#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <sys/stat.h>
#include <direct.h>

#include "platform/system.h"
#include "platform/win32/win32_internal.h"

// Every file is opened in binary: the scene text and the bitmaps must reach
// the readers byte for byte (no CR LF folding, no end at Ctrl+Z), and the
// reports and traces on standard output and error are the Linux build's,
// byte for byte; so are the table sizes read on standard input.
static struct BinaryFiles {
    BinaryFiles() {
        _fmode = _O_BINARY;
        _setmode(_fileno(stdin), _O_BINARY);
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
    }
} binaryFiles;

SysOpenResult Sys_OpenFile(const char* path, SysOpenFile* opened) {
    *opened = SysOpenFile();
    char converted[1024];
    path = WinFileName(path, converted, sizeof converted);
    int fd = _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    int openError = fd < 0 ? errno : 0;
    opened->error = openError;
    struct stat info;
    // Windows opens no folder as a file: the refusal is told apart here,
    // where nothing is read from what the path names.
    if (fd < 0 && openError == EACCES && stat(path, &info) == 0 && !S_ISREG(info.st_mode))
        return SYS_NOT_REGULAR;
    if (fd < 0) return openError == ENOENT ? SYS_NO_FILE : SYS_OPEN_FAILED;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        _close(fd);
        return SYS_NOT_REGULAR;
    }
    opened->file = fd;
    opened->size = info.st_size > 0 ? (uint64_t)info.st_size : 0;
    opened->fullyStored = false;  // faulting in ahead is not offered here
    return SYS_OPENED;
}

long Sys_ReadFile(SysFile file, void* buffer, size_t size, int* error) {
    int got = _read((int)file, buffer, (unsigned)size);
    if (got < 0 && error) *error = errno;
    return got;
}

void Sys_CloseFile(SysFile file) {
    if (file >= 0) _close((int)file);
}

// Windows has no symbolic links the C runtime follows: exclusive creation
// alone keeps anything there.
SysCreateResult Sys_CreateNewFile(const char* path) {
    int fd = _open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, 0666);
    if (fd < 0) return errno == EEXIST ? SYS_EXISTS : SYS_CREATE_FAILED;
    _close(fd);
    return SYS_CREATED;
}

bool Sys_RemoveFile(const char* path) { return _unlink(path) == 0; }

// The file's number and its last write to the 100 ns, as the file system
// keeps them: the C runtime's stat has whole seconds and no file numbers.
static void StampFile(const char* name, SysFileInfo* info) {
    // Attributes only, shared with any writer: an editor saving is never disturbed.
    HANDLE file = CreateFileA(name, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    BY_HANDLE_FILE_INFORMATION data;
    if (GetFileInformationByHandle(file, &data)) {
        info->id = ((uint64_t)data.nFileIndexHigh << 32) | data.nFileIndexLow;
        info->size = ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
        info->written = (int64_t)(((uint64_t)data.ftLastWriteTime.dwHighDateTime << 32) |
                                  data.ftLastWriteTime.dwLowDateTime);
    }
    CloseHandle(file);
}

bool Sys_FileInfo(const char* path, SysFileInfo* info) {
    *info = SysFileInfo();
    char converted[1024];
    path = WinFileName(path, converted, sizeof converted);  // as the program opens it
    struct stat s;
    if (stat(path, &s) != 0) return false;
    info->kind = S_ISREG(s.st_mode)   ? SYS_KIND_REGULAR
                 : S_ISDIR(s.st_mode) ? SYS_KIND_FOLDER
                                      : SYS_KIND_OTHER;
    info->size = (uint64_t)s.st_size;
    StampFile(path, info);
    return true;
}

bool Sys_ChangeFolder(const char* path) { return _chdir(path) == 0; }

const char* Sys_WorkingFolder(char* buffer, size_t size) {
    return _getcwd(buffer, (int)size);
}

bool Sys_WindowsPaths() { return true; }

const char* Sys_ProgramPath(char* buffer, size_t size) {
    DWORD length = GetModuleFileNameA(nullptr, buffer, (DWORD)size);
    return length > 0 && length < size ? buffer : nullptr;
}

// The model importer is built for Linux only: a model is imported there
// (or in WSL) and its scene folder opened here.
bool Sys_RunProgram(const char* const*, int*, int* error) {
    if (error) *error = ENOSYS;
    return false;
}
