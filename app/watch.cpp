// watch.cpp -- --watch: the scene's files looked at from the loop, a few
// times a second. Comparing the file's number, size and last write sees
// both a save in place and one written to a new file and renamed over the
// old, as editors do, and costs a handful of system calls per poll.
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/author.h"
#include "app/model_open.h"
#include "platform/system.h"
#include "scene/scene.h"

void EnableSceneWatch() { run.author.watch.enabled = true; }
bool SceneWatchEnabled() { return run.author.watch.enabled; }

static FileStamp Stamp(const std::string& name) {
    SysFileInfo info;
    bool exists = Sys_FileInfo(name.c_str(), &info);
    return {name, exists, info.id, info.size, info.written};
}

// Hod.pro, then every distinct texture file the scene names.
static std::vector<std::string> WatchedNames(const Scene& s) {
    std::vector<std::string> names{"Hod.pro"};
    // The pool keeps each name once, so a name is new exactly when its offset is.
    std::vector<bool> seen(s.texNames.used);
    seen[0] = true;  // the empty name
    auto add = [&](int flag, const TexName& name) {
        if ((flag != 1 && flag != 0) || seen[name.offset]) return;
        seen[name.offset] = true;
        names.push_back(SlotName(s, name));
    };
    for (int k = 0; k < s.texPolyVertexCount && (size_t)k < s.texPolyTexName.size; k++)
        add(s.texPolyTexFlag[k], s.texPolyTexName[k]);
    for (int k = 0; k < s.avatarPolyVertexCount && (size_t)k < s.avatarPolyTexName.size; k++)
        add(s.avatarPolyTexFlag[k], s.avatarPolyTexName[k]);
    for (int i = 0; i <= s.actorLastIndex && (size_t)i < s.partTexName.cols; i++)
        for (int p = 0; p < s.actorPartVertexCount[i] && (size_t)p < s.partTexName.rows; p++)
            add(s.partTexFlag(p, i), s.partTexName(p, i));
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
    WatchState& w = run.author.watch;
    w.loaded.clear();
    if (loaded)
        for (const std::string& name : WatchedNames(loaded->scene)) w.loaded.push_back(Stamp(name));
    w.changeSeen = false;
}

bool PollSceneWatch(uint32_t now) {
    WatchState& w = run.author.watch;
    if (!w.enabled) return false;
    if (w.polledOnce && (int32_t)(now - w.lastPoll) < WATCH_INTERVAL_MS) return false;
    w.polledOnce = true;
    w.lastPoll = now;
    if (w.loaded.empty()) RememberWatchedFiles();
    std::vector<FileStamp> current = StampAll(w.loaded);
    if (current == w.loaded) {
        w.changeSeen = false;
        return false;
    }
    // An editor may still be writing: wait until two polls agree.
    if (!w.changeSeen || current != w.pending) {
        w.changeSeen = true;
        w.pending = current;
        return false;
    }
    w.changeSeen = false;
    // A failed load still counts as seen, or every poll would retry it; the
    // next save changes the files again.
    if (!ReloadScene(false)) w.loaded = current;
    return true;
}

void ResetSceneWatch() { run.author.watch = WatchState(); }
