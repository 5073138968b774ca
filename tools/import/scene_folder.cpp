// scene_folder.cpp -- the output folder: built under a temporary name
// beside its place and renamed into it at the end, so a failed import
// leaves nothing behind and never half-replaces an earlier scene.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "tools/import/scene_folder.h"

namespace fs = std::filesystem;

namespace {

std::string Parent(const std::string& path) {
    fs::path p = fs::path(path).lexically_normal();
    if (p.has_filename() == false) p = p.parent_path();
    fs::path parent = p.parent_path();
    return parent.empty() ? "." : parent.string();
}

}  // namespace

bool StartSceneFolder(const std::string& outDir, bool force, std::string* staging, std::string* error) {
    std::error_code ec;
    if (fs::exists(outDir, ec) && !force) {
        *error = outDir + " already exists (use --force to replace it)";
        return false;
    }
    std::string parent = Parent(outDir);
    if (!fs::is_directory(parent, ec)) {
        *error = "no folder " + parent + " to write " + outDir + " in";
        return false;
    }
    std::string pattern = parent + "/.ambler-import-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        *error = "cannot create a folder in " + parent + ": " + std::strerror(errno);
        return false;
    }
    *staging = name.data();
    return true;
}

bool FinishSceneFolder(const std::string& staging, const std::string& outDir, std::string* error) {
    std::error_code ec;
    std::string old;
    if (fs::exists(outDir, ec)) {
        // Moved aside first, so the new scene takes its place in one rename.
        old = staging + ".old";
        fs::rename(outDir, old, ec);
        if (ec) {
            *error = "cannot replace " + outDir + ": " + ec.message();
            return false;
        }
    }
    fs::rename(staging, outDir, ec);
    if (ec) {
        *error = "cannot move the scene to " + outDir + ": " + ec.message();
        if (!old.empty()) fs::rename(old, outDir, ec);  // put the earlier scene back
        return false;
    }
    if (!old.empty()) fs::remove_all(old, ec);
    return true;
}

void AbandonSceneFolder(const std::string& staging) {
    std::error_code ec;
    if (!staging.empty()) fs::remove_all(staging, ec);
}
