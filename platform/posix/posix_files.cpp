// posix_files.cpp -- files, paths and folders on a POSIX system.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/system.h"

// True when every byte of the file is stored: a sparse file may hold
// gigabytes of hole that the reads never get past, and its pages must not
// be faulted in.
static bool FullyStored(const struct stat& info) {
    return (unsigned long long)info.st_blocks * 512 >= (unsigned long long)info.st_size;
}

SysOpenResult Sys_OpenFile(const char* path, SysOpenFile* opened) {
    *opened = SysOpenFile();
    // Non-blocking, so that opening a FIFO cannot wait for a writer.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        opened->error = errno;
        return errno == ENOENT ? SYS_NO_FILE : SYS_OPEN_FAILED;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return SYS_NOT_REGULAR;
    }
    opened->file = fd;
    opened->size = info.st_size > 0 ? (uint64_t)info.st_size : 0;
    opened->fullyStored = FullyStored(info);
    return SYS_OPENED;
}

long Sys_ReadFile(SysFile file, void* buffer, size_t size, int* error) {
    for (;;) {
        ssize_t got = read((int)file, buffer, size);
        if (got >= 0) return (long)got;
        if (errno == EINTR) continue;
        if (error) *error = errno;
        return -1;
    }
}

void Sys_CloseFile(SysFile file) {
    if (file >= 0) close((int)file);
}

SysCreateResult Sys_CreateNewFile(const char* path) {
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return errno == EEXIST ? SYS_EXISTS : SYS_CREATE_FAILED;
    close(fd);
    return SYS_CREATED;
}

bool Sys_RemoveFile(const char* path) { return unlink(path) == 0; }

bool Sys_FileInfo(const char* path, SysFileInfo* info) {
    *info = SysFileInfo();
    struct stat s;
    if (stat(path, &s) != 0) return false;
    info->kind = S_ISREG(s.st_mode)   ? SYS_KIND_REGULAR
                 : S_ISDIR(s.st_mode) ? SYS_KIND_FOLDER
                                      : SYS_KIND_OTHER;
    info->id = (uint64_t)s.st_ino;
    info->size = (uint64_t)s.st_size;
    info->written = (int64_t)s.st_mtim.tv_sec * 1000000000 + s.st_mtim.tv_nsec;
    return true;
}

bool Sys_ChangeFolder(const char* path) { return chdir(path) == 0; }

const char* Sys_WorkingFolder(char* buffer, size_t size) { return getcwd(buffer, size); }

bool Sys_WindowsPaths() { return false; }
