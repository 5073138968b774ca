// paths.cpp -- folder and name of a command-line path, in POSIX and
// Windows forms alike, so that either can be tested on any host.
#include "app/paths.h"

#include <cctype>

#include "platform/system.h"

PathStyle HostPathStyle() { return Sys_WindowsPaths() ? PATH_WINDOWS : PATH_POSIX; }

static bool IsSeparator(char c, PathStyle style) {
    return c == '/' || (style == PATH_WINDOWS && c == '\\');
}

// "C:" at the start of a Windows path: the drive it lies on.
static size_t DriveLength(const std::string& path, PathStyle style) {
    bool drive = style == PATH_WINDOWS && path.size() >= 2 && path[1] == ':' &&
                 std::isalpha((unsigned char)path[0]);
    return drive ? 2 : 0;
}

bool IsAbsolutePath(const std::string& path, PathStyle style) {
    // "C:name" and "\name" lean on the drive's own folder or the working
    // drive, never on the working folder itself: they are left as given.
    return !path.empty() && (IsSeparator(path[0], style) || DriveLength(path, style) > 0);
}

void SplitPath(const std::string& path, std::string* parent, std::string* name, PathStyle style) {
    size_t drive = DriveLength(path, style);
    size_t cut = std::string::npos;
    for (size_t i = drive; i < path.size(); i++)
        if (IsSeparator(path[i], style)) cut = i;
    if (cut == std::string::npos) {
        *parent = drive ? path.substr(0, drive) + "." : ".";
        *name = path.substr(drive);
        return;
    }
    *name = path.substr(cut + 1);
    // A separator right after the drive (or first of all) is the root.
    *parent = path.substr(0, cut == drive ? cut + 1 : cut);
}

std::string FolderForm(const std::string& path, PathStyle style) {
    if (style == PATH_POSIX) return path;
    size_t keep = path.size(), root = DriveLength(path, style) + 1;
    while (keep > root && IsSeparator(path[keep - 1], style)) keep--;
    return path.substr(0, keep);
}

bool IsFolder(const std::string& path) {
    SysFileInfo info;
    return Sys_FileInfo(FolderForm(path).c_str(), &info) && info.kind == SYS_KIND_FOLDER;
}

size_t LastSeparator(const std::string& path, PathStyle style) {
    return path.find_last_of(style == PATH_WINDOWS ? "/\\" : "/");
}

bool SameFileName(const std::string& a, const std::string& b, PathStyle style) {
    if (style == PATH_POSIX) return a == b;
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
    return true;
}
