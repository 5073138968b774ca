// watch_windows.cpp -- what --watch compares of a file on Windows, where the
// C runtime's stat gives whole seconds and no file numbers: the file's
// number and its last write to the 100 ns, as the file system keeps them.
#ifdef _WIN32
#undef APIENTRY
#undef WINGDIAPI
#undef CALLBACK
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "app/author.h"

bool WindowsFileStamp(const char* name, unsigned long long* id, unsigned long long* size,
                      long long* written) {
    char converted[1024];
    name = WinFileName(name, converted, sizeof converted);  // as the program opens it
    // Attributes only, shared with any writer: an editor saving is never disturbed.
    HANDLE file = CreateFileA(name, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    BOOL ok = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!ok) return false;
    *id = ((unsigned long long)info.nFileIndexHigh << 32) | info.nFileIndexLow;
    *size = ((unsigned long long)info.nFileSizeHigh << 32) | info.nFileSizeLow;
    *written = (long long)(((unsigned long long)info.ftLastWriteTime.dwHighDateTime << 32) |
                           info.ftLastWriteTime.dwLowDateTime);
    return true;
}
#endif
