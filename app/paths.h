// paths.h -- how a path from the command line splits into its folder and
// its name. On Windows "\" separates as "/" does, a drive letter starts a
// path of its own, and file names differ only beyond their letters' case.
#pragma once

#include <string>

enum PathStyle { PATH_POSIX, PATH_WINDOWS };

#ifdef _WIN32
constexpr PathStyle HOST_PATH_STYLE = PATH_WINDOWS;
#else
constexpr PathStyle HOST_PATH_STYLE = PATH_POSIX;
#endif

// True when the path names its place without the working folder's help.
bool IsAbsolutePath(const std::string& path, PathStyle style = HOST_PATH_STYLE);

// The folder part (with its separator kept for a root, "." when there is
// none) and the last name.
void SplitPath(const std::string& path, std::string* parent, std::string* name,
               PathStyle style = HOST_PATH_STYLE);

// A folder's path as the system's own calls take it: on Windows without
// the trailing separators "scenes\walk\" often has (the C runtime's stat
// finds no folder there), roots kept; POSIX paths unchanged.
std::string FolderForm(const std::string& path, PathStyle style = HOST_PATH_STYLE);

// True when the path names a folder (in its FolderForm).
bool IsFolder(const std::string& path);

// Whether two file names name the same file in one folder.
bool SameFileName(const std::string& a, const std::string& b, PathStyle style = HOST_PATH_STYLE);
