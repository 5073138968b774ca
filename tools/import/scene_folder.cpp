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

// Whether path lies in folder (or below it).
bool Inside(const std::string& path, const std::string& folder) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(path, ec), f = fs::weakly_canonical(folder, ec);
    for (fs::path up = p.parent_path(); !up.empty(); up = up.parent_path()) {
        if (up == f) return true;
        if (up == up.parent_path()) break;
    }
    return false;
}

}  // namespace

bool StartSceneFolder(const std::string& outDir, bool force, const std::string& model,
                      std::string* staging, std::string* error) {
    std::error_code ec;
    if (fs::exists(outDir, ec)) {
        if (!force) {
            *error = outDir + " already exists (use --force to replace it)";
            return false;
        }
        // --force replaces an earlier scene, never a folder of other things.
        bool scene = fs::is_directory(outDir, ec) &&
                     (fs::exists(fs::path(outDir) / "Hod.pro", ec) || fs::is_empty(outDir, ec));
        if (!scene) {
            *error = outDir + " is not a scene folder (it has no Hod.pro); not replaced";
            return false;
        }
        if (Inside(model, outDir)) {
            *error = outDir + " holds the model itself; not replaced";
            return false;
        }
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
