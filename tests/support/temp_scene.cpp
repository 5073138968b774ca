// temp_scene.cpp -- temporary folders and scene loading for the tests.
#include "tests/support/temp_scene.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "scene/scene.h"
#include "app/app.h"
#include "scene/scene_file.h"

TempDir::TempDir(const std::string& tag) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("ambler-" + tag + "-XXXXXX")).string();
    if (mkdtemp(pattern.data())) path = pattern;
}

TempDir::~TempDir() {
    if (!path.empty()) RemoveTree(path);
}

ChdirGuard::ChdirGuard(const std::string& dir) {
    previous = std::filesystem::current_path().string();
    std::filesystem::current_path(dir);
}

ChdirGuard::~ChdirGuard() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
}

bool SaveTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return bool(out);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

void RemoveTree(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

// The scene the helpers below read last, and how that read went: kept until
// the next, as a test checks it after the call.
static std::unique_ptr<LoadedScene> lastScene;
static SceneReadResult lastRead;

static LoadedScene& ReadInto(const std::string& text, const SceneReadOptions& options) {
    TempDir dir("scene");
    SaveTextFile(dir.File("Hod.pro"), text);
    ChdirGuard inside(dir.path);
    if (!lastScene) lastScene = std::make_unique<LoadedScene>();
    lastRead = lastScene->read = ReadSceneFile(lastScene->scene, "Hod.pro", false, options);
    return *lastScene;
}

static SceneReadOptions WithStdin(const char* stdinText) {
    SceneReadOptions options;
    options.stdinText = stdinText;
    return options;
}

LoadedScene& LoadSceneText(const std::string& text, const SceneReadOptions& options) {
    LoadedScene& level = ReadInto(text, options);
    StartLoadedScene(level);
    return level;
}

LoadedScene& LoadSceneText(const std::string& text, const char* stdinText) {
    return LoadSceneText(text, WithStdin(stdinText));
}

Scene& ReadSceneText(const std::string& text, const SceneReadOptions& options) {
    return ReadInto(text, options).scene;
}

Scene& ReadSceneText(const std::string& text, const char* stdinText) {
    return ReadSceneText(text, WithStdin(stdinText));
}

const SceneReadResult& LastSceneRead() { return lastRead; }

LoadedScene& LastLoadedScene() {
    if (!lastScene) lastScene = std::make_unique<LoadedScene>();
    return *lastScene;
}
