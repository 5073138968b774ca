// replay_events.cpp -- parser of the replay tool's events file.
#include "tools/lib/replay_events.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "scene/file_read.h"

struct KeyName {
    const char* name;
    unsigned code;
};

static const KeyName KEY_NAMES[] = {
    {"ctrl", VK_CONTROL}, {"esc", VK_ESCAPE}, {"space", VK_SPACE}, {"left", VK_LEFT},
    {"up", VK_UP},        {"right", VK_RIGHT}, {"down", VK_DOWN},  {"f2", VK_F2},
    {"f3", VK_F3},        {"f1", VK_F1},       {"f5", VK_F5},      {"f12", VK_F12},
    {"shift", VK_SHIFT},
};

// Splits a line into blank-separated words.
static std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) i++;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') i++;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// A decimal number within [lo, hi]; false for anything else.
static bool Number(const std::string& word, long lo, long hi, long* value) {
    if (word.empty() || word.size() > 18) return false;
    for (char c : word)
        if (c < '0' || c > '9') return false;
    long v = strtol(word.c_str(), nullptr, 10);
    if (v < lo || v > hi) return false;
    *value = v;
    return true;
}

static bool KeyCode(const std::string& word, unsigned* code) {
    for (const KeyName& k : KEY_NAMES)
        if (word == k.name) return (*code = k.code), true;
    long v;
    if (!Number(word, 0, 255, &v)) return false;
    *code = (unsigned)v;
    return true;
}

static bool Kind(const std::string& word, ReplayEventKind* kind, size_t* args) {
    static const struct { const char* name; ReplayEventKind kind; size_t args; } KINDS[] = {
        {"down", EV_DOWN, 1},   {"up", EV_UP, 1},     {"move", EV_MOVE, 2},
        {"lbdown", EV_LBDOWN, 2}, {"lbup", EV_LBUP, 2}, {"size", EV_SIZE, 2},
    };
    for (const auto& k : KINDS)
        if (word == k.name) return (*kind = k.kind), (*args = k.args), true;
    return false;
}

// One non-comment line into an event; the message says what is wrong.
static bool ParseLine(const std::vector<std::string>& w, ReplayEvent* ev, std::string* why) {
    size_t args = 0;
    if (w.size() < 2) return (*why = "expected STEP KIND ARGS..."), false;
    long step;
    if (!Number(w[0], 0, 0x7FFFFFFFL, &step)) return (*why = "bad step '" + w[0] + "'"), false;
    ev->step = step;
    if (!Kind(w[1], &ev->kind, &args)) return (*why = "unknown kind '" + w[1] + "'"), false;
    if (w.size() != 2 + args)
        return (*why = "'" + w[1] + "' takes " + std::to_string(args) + " argument(s)"), false;
    if (args == 1) {
        if (!KeyCode(w[2], &ev->key)) return (*why = "unknown key '" + w[2] + "'"), false;
        return true;
    }
    long x, y;
    if (!Number(w[2], 0, 65535, &x) || !Number(w[3], 0, 65535, &y))
        return (*why = "coordinates and sizes lie in 0..65535"), false;
    ev->x = (int)x;
    ev->y = (int)y;
    return true;
}

bool ParseReplayEvents(const char* text, size_t length, std::vector<ReplayEvent>* events,
                       std::string* error) {
    size_t pos = 0;
    int lineNumber = 0;
    long lastStep = 0;
    while (pos < length) {
        const char* nl = (const char*)memchr(text + pos, '\n', length - pos);
        size_t end = nl ? (size_t)(nl - text) : length;
        std::string line(text + pos, end - pos);
        pos = end + 1;
        lineNumber++;
        std::vector<std::string> words = Words(line);
        if (words.empty() || words[0][0] == '#') continue;
        ReplayEvent ev = {};
        std::string why;
        if (!ParseLine(words, &ev, &why)) {
            *error = "line " + std::to_string(lineNumber) + ": " + why;
            return false;
        }
        if (ev.step < lastStep) {
            *error = "line " + std::to_string(lineNumber) + ": step " + std::to_string(ev.step) +
                     " comes after step " + std::to_string(lastStep);
            return false;
        }
        lastStep = ev.step;
        ev.line = lineNumber;
        events->push_back(ev);
    }
    return true;
}

bool LoadReplayEvents(const char* path, std::vector<ReplayEvent>* events, std::string* error) {
    // A script of a million events is about 20 MB; a larger "events file"
    // is something else (a device, a runaway writer) and is refused.
    const size_t EVENTS_FILE_LIMIT = (size_t)256 << 20;
    FileBytes bytes;
    FileReadOptions options = {EVENTS_FILE_LIMIT, false, false};
    int why = 0;
    FileReadResult result = ReadWholeFile(path, options, &bytes, &why);
    if (result != FILE_READ_OK) {
        *error = std::string(path) + ": " +
                 (why != 0 ? strerror(why)
                                                                      : FileReadProblem(result));
        return false;
    }
    bool parsed = ParseReplayEvents(bytes.data, bytes.length, events, error);
    ReleaseFileBytes(&bytes);
    if (!parsed) {
        *error = std::string(path) + ": " + *error;
        return false;
    }
    return true;
}
