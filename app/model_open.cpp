// model_open.cpp -- `ambler MODEL`: the model imported by ambler-import in
// a child process, so that a model that crashes or exhausts its reader
// takes down only that process, and cached by what it was made from.
#include "app/model_open.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "app/app.h"
#include "app/paths.h"
#include "platform/system.h"
#include "scene/scene_file.h"

#ifndef AMBLER_VERSION
#define AMBLER_VERSION "unversioned"  // built outside the project's CMake
#endif

namespace fs = std::filesystem;

namespace {

constexpr char IMPORTER[] = "ambler-import";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteText(const std::string& path, const std::string& text) {
    std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;  // never half a key
}

std::string ImporterPath() {
    char self[4096];
    return (Sys_ProgramPath(self, sizeof self) ? fs::path(self).parent_path() : fs::path("."))
        .append(IMPORTER)
        .string();
}

// A file as the key sees it: any save changes its size or time.
std::string Stamp(const std::string& path) {
    SysFileInfo info;
    if (!Sys_FileInfo(path.c_str(), &info)) return path + " missing\n";
    char line[64];
    std::snprintf(line, sizeof line, " %llu %lld\n", (unsigned long long)info.size, (long long)info.written);
    return path + line;
}

// The importer's version and build go into the key: a new importer makes
// scenes anew.
std::string ImporterStamp() { return std::string("importer ") + AMBLER_VERSION + " " + Stamp(ImporterPath()); }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

// The scene folder's name: readable, and distinct for each model path.
std::string FolderName(const std::string& model) {
    unsigned long long hash = 1469598103934665603ULL;  // FNV-1a
    for (unsigned char c : model) hash = (hash ^ c) * 1099511628211ULL;
    std::string base = fs::path(model).filename().string(), name;
    for (char c : base.substr(0, 40)) name += std::isalnum((unsigned char)c) || c == '-' || c == '.' ? c : '_';
    char tail[24];
    std::snprintf(tail, sizeof tail, "-%016llx", hash);
    return name + tail;
}

std::string SourcesFile(const std::string& folder) { return folder + ".sources"; }
std::string KeyFile(const std::string& folder) { return folder + ".key"; }

// The key of the folder's model as its files are now: the model, the
// textures it named at its last import, and the importer.
std::string CurrentKey(const std::string& model, const std::string& folder) {
    std::vector<std::string> sources = Lines(ReadText(SourcesFile(folder)));
    if (std::find(sources.begin(), sources.end(), model) == sources.end()) sources.insert(sources.begin(), model);
    std::string key = ImporterStamp();
    for (const std::string& file : sources) key += Stamp(file);
    return key;
}

// Runs ambler-import on the model into folder. Its report is not wanted,
// but its progress and its failure's message reach the user's stderr.
bool RunImporter(const std::string& model, const std::string& folder) {
    std::string importer = ImporterPath(), sources = SourcesFile(folder);
    std::vector<std::string> args = {importer, model, folder, "--force", "--sources", sources};
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    int status = 0, error = 0;
    if (!Sys_RunProgram(argv.data(), &status, &error)) {
        std::fprintf(stderr, "ambler: cannot run %s: %s\n", importer.c_str(), std::strerror(error));
        return false;
    }
    if (status < 0)
        std::fprintf(stderr, "ambler: %s ended by signal %d on %s\n", IMPORTER, -status, model.c_str());
    return status == 0;
}

// Imports when the cached scene is missing or out of date; notes the use.
bool ImportIfChanged(const std::string& model, const std::string& folder, std::string* key) {
    *key = CurrentKey(model, folder);
    bool cached = fs::exists(folder + "/" + SCENE_FILE_NAME) && ReadText(KeyFile(folder)) == *key;
    if (!cached) {
        if (!RunImporter(model, folder)) return false;
        *key = CurrentKey(model, folder);  // with the textures it named this time
        WriteText(KeyFile(folder), *key);
    } else {
        std::error_code ec;  // the cache drops the least recent first
        fs::last_write_time(KeyFile(folder), fs::file_time_type::clock::now(), ec);
    }
    return true;
}

unsigned long long FolderBytes(const fs::path& folder) {
    unsigned long long bytes = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_regular_file(ec)) bytes += it->file_size(ec);
    return bytes;
}

}  // namespace

OpenedModel& CurrentOpenModel() { return run.author.openModel; }

bool LooksLikeModel(const std::string& argument) {
    std::string parent, name;
    SplitPath(argument, &parent, &name);
    std::error_code ec;
    return fs::is_regular_file(argument, ec) && !SameFileName(name, SCENE_FILE_NAME);
}

std::string ModelCacheFolder() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/ambler";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/.cache/ambler";
}

void TrimModelCache(const std::string& cache, unsigned long long limit, const std::string& keep) {
    struct Entry {
        fs::path folder;
        fs::file_time_type used;
        unsigned long long bytes;
    };
    std::vector<Entry> entries;
    unsigned long long total = 0;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(cache, ec)) {
        if (!item.is_directory(ec)) continue;
        Entry e{item.path(), fs::last_write_time(KeyFile(item.path().string()), ec), FolderBytes(item.path())};
        if (ec) e.used = fs::file_time_type::min();  // no key: an import that never finished
        total += e.bytes;
        entries.push_back(e);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.used < b.used; });
    for (const Entry& e : entries) {
        if (total <= limit) break;
        if (fs::equivalent(e.folder, keep, ec)) continue;
        fs::remove_all(e.folder, ec);
        fs::remove(KeyFile(e.folder.string()), ec);
        fs::remove(SourcesFile(e.folder.string()), ec);
        total -= e.bytes;
    }
}

bool OpenModel(const std::string& model, std::string* folder) {
    OpenedModel& opened = CurrentOpenModel();
    std::error_code ec;
    std::string absolute = fs::absolute(model, ec).lexically_normal().string();
    std::string cache = ModelCacheFolder();
    fs::create_directories(cache, ec);
    if (!fs::is_directory(cache)) {
        std::fprintf(stderr, "ambler: cannot make the cache folder %s\n", cache.c_str());
        return false;
    }
    std::string scene = cache + "/" + FolderName(absolute), key;
    if (!ImportIfChanged(absolute, scene, &key)) return false;
    TrimModelCache(cache, MODEL_CACHE_LIMIT, scene);
    opened = {absolute, scene, key};
    *folder = scene;
    return true;
}

std::vector<std::string> OpenModelSources() {
    const OpenedModel& opened = CurrentOpenModel();
    if (opened.model.empty()) return {};
    std::vector<std::string> sources = Lines(ReadText(SourcesFile(opened.folder)));
    if (sources.empty()) sources.push_back(opened.model);
    return sources;
}

bool RefreshOpenModel(std::string* problem) {
    OpenedModel& opened = CurrentOpenModel();
    if (opened.model.empty() || CurrentKey(opened.model, opened.folder) == opened.key) return true;
    std::string key;
    bool imported = ImportIfChanged(opened.model, opened.folder, &key);
    // The import replaced the folder: the old one is gone from under us.
    if (!Sys_ChangeFolder(opened.folder.c_str()) || !imported) {
        *problem = opened.model + ": import failed; old scene kept";
        return false;
    }
    opened.key = key;
    std::fprintf(stderr, "ambler: imported %s again\n", opened.model.c_str());
    return true;
}
