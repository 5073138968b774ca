// temp_scene.cpp -- temporary folders and scene loading for the tests.
#include "tests/support/temp_scene.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "scene/scene.h"
#include "app/app.h"
#include "scene/scene_file.h"
#include "scene/stdin_sizes.h"

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

static void RunOnSceneText(const std::string& text, const char* stdinText, bool derived) {
    TempDir dir("scene");
    SaveTextFile(dir.File("Hod.pro"), text);
    ChdirGuard inside(dir.path);
    ResetSceneModel();
    sceneStdinText = stdinText;
    if (derived)
        LoadScene();
    else
        ReadSceneFile("Hod.pro", false);
    sceneStdinText = nullptr;
}

void LoadSceneText(const std::string& text, const char* stdinText) {
    RunOnSceneText(text, stdinText, true);
}

void ReadSceneText(const std::string& text, const char* stdinText) {
    RunOnSceneText(text, stdinText, false);
}
