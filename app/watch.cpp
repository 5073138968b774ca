// watch.cpp -- --watch: the scene's files looked at from the loop, a few
// times a second, with stat. Comparing inode, size and modification time
// sees both a save in place and one written to a new file and renamed over
// the old, as editors do, and costs a handful of system calls per poll.
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/author.h"
#include "app/model_open.h"
#include "scene/scene.h"

struct FileStamp {
    std::string name;
    bool exists;
    unsigned long long inode, size;
    long long seconds, nanoseconds;
    bool operator==(const FileStamp&) const = default;
};

static bool watchEnabled;                // W: EnableSceneWatch
static std::vector<FileStamp> loaded;    // W: RememberWatchedFiles; the files as last loaded
static std::vector<FileStamp> pending;   // W: PollSceneWatch; a change waiting to settle
static bool changeSeen;                  // W: PollSceneWatch
static uint32_t lastPoll;                // W: PollSceneWatch
static bool polledOnce;                  // W: PollSceneWatch

void EnableSceneWatch() { watchEnabled = true; }
bool SceneWatchEnabled() { return watchEnabled; }

static FileStamp Stamp(const std::string& name) {
    FileStamp s{name, false, 0, 0, 0, 0};
#ifdef _WIN32
    s.exists = WindowsFileStamp(name.c_str(), &s.inode, &s.size, &s.nanoseconds);
#else
    struct stat info;
    if (stat(name.c_str(), &info) != 0) return s;
    s.exists = true;
    s.inode = (unsigned long long)info.st_ino;
    s.size = (unsigned long long)info.st_size;
    s.seconds = (long long)info.st_mtim.tv_sec;
    s.nanoseconds = (long long)info.st_mtim.tv_nsec;
#endif
    return s;
}

// Hod.pro, then every distinct texture file the loaded scene names.
static std::vector<std::string> WatchedNames() {
    std::vector<std::string> names{"Hod.pro"};
    // The pool keeps each name once, so a name is new exactly when its offset is.
    std::vector<bool> seen(texNamePool.used);
    seen[0] = true;  // the empty name
    auto add = [&](int flag, const TexName& name) {
        if ((flag != 1 && flag != 0) || seen[name.offset]) return;
        seen[name.offset] = true;
        names.push_back(name.text());
    };
    for (int k = 0; k < texPolyVertexCount && (size_t)k < texPolyTexName.size; k++)
        add(texPolyTexFlag[k], texPolyTexName[k]);
    for (int k = 0; k < avatarPolyVertexCount && (size_t)k < avatarPolyTexName.size; k++)
        add(avatarPolyTexFlag[k], avatarPolyTexName[k]);
    for (int i = 0; i <= actorLastIndex && (size_t)i < partTexName.cols; i++)
        for (int p = 0; p < actorPartVertexCount[i] && (size_t)p < partTexName.rows; p++)
            add(partTexFlag(p, i), partTexName(p, i));
    for (const std::string& source : OpenModelSources()) names.push_back(source);
    return names;
}

static std::vector<FileStamp> StampAll(const std::vector<FileStamp>& files) {
    std::vector<FileStamp> now;
    now.reserve(files.size());
    for (const FileStamp& f : files) now.push_back(Stamp(f.name));
    return now;
}

void RememberWatchedFiles() {
    loaded.clear();
    for (const std::string& name : WatchedNames()) loaded.push_back(Stamp(name));
    changeSeen = false;
}

bool PollSceneWatch(uint32_t now) {
    if (!watchEnabled) return false;
    if (polledOnce && (int32_t)(now - lastPoll) < WATCH_INTERVAL_MS) return false;
    polledOnce = true;
    lastPoll = now;
    if (loaded.empty()) RememberWatchedFiles();
    std::vector<FileStamp> current = StampAll(loaded);
    if (current == loaded) {
        changeSeen = false;
        return false;
    }
    // An editor may still be writing: wait until two polls agree.
    if (!changeSeen || current != pending) {
        changeSeen = true;
        pending = current;
        return false;
    }
    changeSeen = false;
    // A failed load still counts as seen, or every poll would retry it; the
    // next save changes the files again.
    if (!ReloadScene(false)) loaded = current;
    return true;
}

void ResetSceneWatch() {
    watchEnabled = false;
    loaded.clear();
    pending.clear();
    changeSeen = false;
    polledOnce = false;
}
