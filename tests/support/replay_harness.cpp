// replay_harness.cpp -- running the replay tool and parsing its trace.
#include "tests/support/replay_harness.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/tool_command.h"

double TraceStep::operator[](const std::string& name) const {
    auto it = v.find(name);
    EXPECT_TRUE(it != v.end()) << "trace has no field " << name;
    return it == v.end() ? NAN : it->second;
}

// Folders made for the test program, removed when it ends.
static std::vector<std::string> madeDirs;

static void RemoveMadeDirs() {
    std::error_code ignored;
    for (const std::string& dir : madeDirs) std::filesystem::remove_all(dir, ignored);
}

std::string MakeTempDir() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/ambler-test-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) ADD_FAILURE() << "mkdtemp failed";
    if (madeDirs.empty()) atexit(RemoveMadeDirs);
    madeDirs.push_back(buf.data());
    return buf.data();
}

void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    EXPECT_TRUE(out.good()) << "cannot write " << path;
}

static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// ---- A reader for the trace's flat records: numbers, true/false, arrays
// of numbers and arrays of flat objects.

struct Cursor {
    const std::string& s;
    size_t i = 0;
    void Blank() { while (i < s.size() && (s[i] == ' ' || s[i] == '\n')) i++; }
    bool Eat(char c) { Blank(); if (i < s.size() && s[i] == c) { i++; return true; } return false; }
};

static bool Name(Cursor& c, std::string* name) {
    if (!c.Eat('"')) return false;
    size_t end = c.s.find('"', c.i);
    if (end == std::string::npos) return false;
    *name = c.s.substr(c.i, end - c.i);
    c.i = end + 1;
    return c.Eat(':');
}

static bool Number(Cursor& c, double* v) {
    c.Blank();
    static const struct { const char* word; double value; } WORDS[] = {
        {"true", 1}, {"false", 0}, {"NaN", NAN}, {"Infinity", INFINITY}, {"-Infinity", -INFINITY}};
    for (const auto& w : WORDS) {
        size_t n = strlen(w.word);
        if (c.s.compare(c.i, n, w.word) == 0) { *v = w.value; c.i += n; return true; }
    }
    char* end;
    *v = strtod(c.s.c_str() + c.i, &end);
    size_t used = end - (c.s.c_str() + c.i);
    c.i += used;
    return used > 0;
}

static bool FlatObject(Cursor& c, std::map<std::string, double>* out) {
    if (!c.Eat('{')) return false;
    if (c.Eat('}')) return true;
    do {
        std::string name;
        double v;
        if (!Name(c, &name) || !Number(c, &v)) return false;
        (*out)[name] = v;
    } while (c.Eat(','));
    return c.Eat('}');
}

static bool Actors(Cursor& c, std::vector<std::map<std::string, double>>* actors) {
    if (!c.Eat('[')) return false;
    if (c.Eat(']')) return true;
    do {
        actors->emplace_back();
        if (!FlatObject(c, &actors->back())) return false;
    } while (c.Eat(','));
    return c.Eat(']');
}

static bool Matrix(Cursor& c, double m[16]) {
    if (!c.Eat('[')) return false;
    for (int k = 0; k < 16; k++)
        if ((k && !c.Eat(',')) || !Number(c, &m[k])) return false;
    return c.Eat(']');
}

bool ParseTraceLine(const std::string& line, TraceStep* step) {
    Cursor c{line};
    if (!c.Eat('{')) return false;
    do {
        std::string name;
        if (!Name(c, &name)) return false;
        double v;
        if (name == "actors") { if (!Actors(c, &step->actors)) return false; }
        else if (name == "modelview") { if (!Matrix(c, step->modelview)) return false; }
        else if (!Number(c, &v)) return false;
        else if (name == "step") step->step = (long)v;
        else if (name == "ran") step->ran = v != 0;
        else step->v[name] = v;
    } while (c.Eat(','));
    return c.Eat('}');
}

ReplayResult RunReplayTool(const std::string& sceneDir, long steps, const std::string& events,
                           const std::string& extraArgs, const std::string& stdinText) {
    ReplayResult r;
    std::string work = MakeTempDir();
    std::string eventsPath = work + "/events.txt", tracePath = work + "/trace.jsonl";
    std::string errPath = work + "/stderr.txt", inPath = work + "/stdin.txt";
    WriteTextFile(eventsPath, events);
    WriteTextFile(inPath, stdinText);
    std::string cmd = ToolCommand("ambler-replay") + " '" + sceneDir + "' --steps " +
                      std::to_string(steps) + " --events '" + eventsPath + "' --trace '" +
                      tracePath + "' " + extraArgs + " < '" + inPath + "' 2> '" + errPath + "'";
    int status = system(cmd.c_str());
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.errors = ReadFile(errPath);
    r.traceText = ReadFile(tracePath);
    std::istringstream lines(r.traceText);
    std::string line;
    while (std::getline(lines, line)) {
        TraceStep s;
        EXPECT_TRUE(ParseTraceLine(line, &s)) << "malformed trace line: " << line;
        r.steps.push_back(s);
    }
    std::string cleanup = "rm -rf '" + work + "'";
    if (system(cleanup.c_str()) != 0) ADD_FAILURE() << "cannot remove " << work;
    return r;
}
