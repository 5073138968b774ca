// main.cpp -- ambler-replay: the program headless on a virtual clock, with
// scripted input, a JSON Lines trace and PNG shots.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <unistd.h>

#include "platform/headless.h"
#include "tools/lib/png_image.h"
#include "tools/lib/replay_run.h"
#include "tools/lib/trace.h"

static const char USAGE[] =
    "usage: ambler-replay SCENE_DIR [--steps N] [--events FILE] [--trace FILE]\n"
    "                     [--shot STEP:FILE.png]... [--size WxH] [--keep-side-key-mode]\n";

struct Arguments {
    ReplayOptions options;
    std::string eventsPath, tracePath;
    std::multimap<long, std::string> shots;
};

static int Fail(const std::string& message) {
    fprintf(stderr, "ambler-replay: %s\n%s", message.c_str(), USAGE);
    return 2;
}

static bool ParseLong(const char* s, long lo, long hi, long* v) {
    char* end;
    if (!*s) return false;
    *v = strtol(s, &end, 10);
    return *end == 0 && *v >= lo && *v <= hi;
}

static bool ParseSize(const char* s, int* w, int* h) {
    long a, b;
    const char* x = strchr(s, 'x');
    if (!x) return false;
    std::string first(s, x - s);
    return ParseLong(first.c_str(), 1, 65535, &a) && ParseLong(x + 1, 1, 65535, &b) &&
           ((*w = (int)a), (*h = (int)b), true);
}

static bool ParseShot(const char* s, Arguments* a) {
    const char* colon = strchr(s, ':');
    long step;
    if (!colon || !colon[1]) return false;
    std::string first(s, colon - s);
    if (!ParseLong(first.c_str(), 0, 0x7FFFFFFFL, &step)) return false;
    a->shots.insert({step, colon + 1});
    return true;
}

// Fills a from argv; returns an error message or "".
static std::string ParseArguments(int argc, char** argv, Arguments* a) {
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--keep-side-key-mode") {
            a->options.keepSideKeyMode = true;
        } else if (arg == "--steps" || arg == "--events" || arg == "--trace" || arg == "--shot" ||
                   arg == "--size") {
            if (!hasValue) return arg + " needs a value";
            const char* v = argv[++i];
            if (arg == "--steps" && !ParseLong(v, 0, 0x7FFFFFFFL, &a->options.steps))
                return "bad --steps '" + std::string(v) + "'";
            if (arg == "--events") a->eventsPath = v;
            if (arg == "--trace") a->tracePath = v;
            if (arg == "--shot" && !ParseShot(v, a)) return "bad --shot '" + std::string(v) + "'";
            if (arg == "--size" && !ParseSize(v, &a->options.width, &a->options.height))
                return "bad --size '" + std::string(v) + "'";
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else if (a->options.sceneDir.empty()) {
            a->options.sceneDir = arg;
        } else {
            return "more than one scene folder";
        }
    }
    return a->options.sceneDir.empty() ? "no scene folder given" : "";
}

// Writes the shots asked for after this step.
static void WriteShots(const Arguments& a, long step) {
    auto range = a.shots.equal_range(step);
    for (auto it = range.first; it != range.second; ++it) {
        const unsigned char* rgb;
        int w, h;
        if (!Plat_LastFrame(&rgb, &w, &h)) {
            fprintf(stderr, "ambler-replay: no frame drawn by step %ld for %s\n", step,
                    it->second.c_str());
            continue;
        }
        if (!WritePngBottomUp(it->second.c_str(), rgb, w, h))
            fprintf(stderr, "ambler-replay: cannot write %s\n", it->second.c_str());
    }
}

// Relative output paths are meant from where the tool was started, not
// from the scene folder it runs in.
static std::string Absolute(const std::string& path, const std::string& cwd) {
    if (path.empty() || path == "-" || path[0] == '/') return path;
    return cwd + "/" + path;
}

int main(int argc, char** argv) {
    Arguments a;
    std::string error = ParseArguments(argc, argv, &a);
    if (!error.empty()) return Fail(error);
    if (!a.eventsPath.empty() && !LoadReplayEvents(a.eventsPath.c_str(), &a.options.events, &error))
        return Fail(error);
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return Fail("cannot read the working folder");
    for (auto& shot : a.shots) shot.second = Absolute(shot.second, cwd);
    FILE* trace = nullptr;
    if (a.tracePath == "-") trace = stdout;
    else if (!a.tracePath.empty() && !(trace = fopen(Absolute(a.tracePath, cwd).c_str(), "w")))
        return Fail("cannot write " + a.tracePath);
    auto afterStep = [&](long step, bool ran) {
        if (trace) fputs(TraceLine(step, ran).c_str(), trace);
        WriteShots(a, step);
        return true;
    };
    int status = RunReplay(a.options, !a.shots.empty(), afterStep, &error);
    if (trace && trace != stdout) fclose(trace);
    else if (trace) fflush(trace);
    if (status != 0) fprintf(stderr, "ambler-replay: %s\n", error.c_str());
    return status;
}
