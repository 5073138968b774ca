// temp_scene.h -- test helpers: temporary folders, files, a working-folder
// guard, and loading a scene text through the real loader.
#pragma once

#include <string>

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
struct TempDir {
    explicit TempDir(const std::string& tag);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string path;
    std::string File(const std::string& name) const { return path + "/" + name; }
};

// Changes the working folder for the guard's lifetime.
struct ChdirGuard {
    explicit ChdirGuard(const std::string& dir);
    ~ChdirGuard();
    ChdirGuard(const ChdirGuard&) = delete;
    ChdirGuard& operator=(const ChdirGuard&) = delete;
    std::string previous;
};

bool SaveTextFile(const std::string& path, const std::string& text);
// The whole file, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);
void RemoveTree(const std::string& path);

struct LoadedScene;
struct Scene;
struct SceneReadOptions;
struct SceneReadResult;

// Reads text saved as "Hod.pro" in a temporary folder through the real
// reader, with stdinText in place of standard input, and starts it as the
// program does (derived values, everything that moves, the obstacle
// index). The scene is the helpers' own and lives until their next call.
LoadedScene& LoadSceneText(const std::string& text, const char* stdinText = "");
LoadedScene& LoadSceneText(const std::string& text, const SceneReadOptions& options);
// The same without starting it: the scene as the reader left it.
Scene& ReadSceneText(const std::string& text, const char* stdinText = "");
Scene& ReadSceneText(const std::string& text, const SceneReadOptions& options);
// How the last of those reads went, and what it read.
const SceneReadResult& LastSceneRead();
LoadedScene& LastLoadedScene();
