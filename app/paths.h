// paths.h -- how a path from the command line splits into its folder and
// its name. On Windows "\" separates as "/" does, a drive letter starts a
// path of its own, and file names differ only beyond their letters' case.
#pragma once

#include <string>

enum PathStyle { PATH_POSIX, PATH_WINDOWS };

// The style of the system the program runs on.
PathStyle HostPathStyle();

// True when the path names its place without the working folder's help.
bool IsAbsolutePath(const std::string& path, PathStyle style = HostPathStyle());

// The folder part (with its separator kept for a root, "." when there is
// none) and the last name.
void SplitPath(const std::string& path, std::string* parent, std::string* name,
               PathStyle style = HostPathStyle());

// A folder's path as the system's own calls take it: on Windows without
// the trailing separators "scenes\walk\" often has (the C runtime's stat
// finds no folder there), roots kept; POSIX paths unchanged.
std::string FolderForm(const std::string& path, PathStyle style = HostPathStyle());

// True when the path names a folder (in its FolderForm).
bool IsFolder(const std::string& path);

// Whether two file names name the same file in one folder.
bool SameFileName(const std::string& a, const std::string& b, PathStyle style = HostPathStyle());
// The index of the last separator in path, or npos.
size_t LastSeparator(const std::string& path, PathStyle style = HostPathStyle());
