// main.cpp -- ambler-replay: the program headless on a virtual clock, with
// scripted input, a JSON Lines trace and PNG shots.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "app/author.h"
#include "app/command_line.h"
#include "app/paths.h"
#include "app/signals.h"
#include "platform/platform.h"
#include "platform/headless.h"
#include "tools/lib/png_image.h"
#include "tools/lib/replay_run.h"
#include "tools/lib/trace.h"

static const char USAGE[] =
    "usage: ambler-replay SCENE_DIR [--steps N] [--events FILE] [--trace FILE]\n"
    "                     [--shot STEP:FILE.png]... [--size WxH] [--keep-side-key-mode]\n"
    "                     [--display-hz H] [--present-trace FILE]\n"
    "       ambler-replay --help | --version\n"
    "SCENE_DIR may also name the folder's Hod.pro.\n";

// Steps are milliseconds; a quit signal is noticed at the next one.
constexpr int REPLAY_GRACE_MS = 250;

struct Arguments {
    bool help = false, version = false;
    ReplayOptions options;
    std::string eventsPath, tracePath, presentPath;
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
    bool sceneGiven = false;
    std::string folderError;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--keep-side-key-mode") {
            a->options.keepSideKeyMode = true;
        } else if (arg == "--help" || arg == "-h") {
            a->help = true;
        } else if (arg == "--version") {
            a->version = true;
        } else if (arg == "--watch") {
            return "--watch has no meaning here: the replay reads its scene once and reloads only on f5";
        } else if (arg == "--steps" || arg == "--events" || arg == "--trace" || arg == "--shot" ||
                   arg == "--size" || arg == "--display-hz" || arg == "--present-trace") {
            if (!hasValue) return arg + " needs a value";
            const char* v = argv[++i];
            if (arg == "--steps" && !ParseLong(v, 0, 0x7FFFFFFFL, &a->options.steps))
                return "bad --steps '" + std::string(v) + "'";
            if (arg == "--events") a->eventsPath = v;
            if (arg == "--trace") a->tracePath = v;
            if (arg == "--shot" && !ParseShot(v, a)) return "bad --shot '" + std::string(v) + "'";
            if (arg == "--size" && !ParseSize(v, &a->options.width, &a->options.height))
                return "bad --size '" + std::string(v) + "'";
            long hz = 0;
            if (arg == "--display-hz" && !ParseLong(v, 0, 1000, &hz))
                return "bad --display-hz '" + std::string(v) + "' (an integer 0..1000)";
            if (arg == "--display-hz") a->options.displayHz = (int)hz;
            if (arg == "--present-trace") a->presentPath = v;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else if (!sceneGiven) {
            sceneGiven = true;
            folderError = SceneFolderOf(arg, &a->options.sceneDir);
        } else {
            return "more than one scene folder";
        }
    }
    if (a->help || a->version) return "";
    if (!sceneGiven) return "no scene folder given";
    return folderError;
}

// Writes the shots asked for after this step; false when one could not be
// written (it has said why).
static bool WriteShots(const Arguments& a, long step) {
    bool written = true;
    auto range = a.shots.equal_range(step);
    for (auto it = range.first; it != range.second; ++it) {
        const unsigned char* rgb;
        int w, h;
        if (!Plat_LastFrame(&rgb, &w, &h)) {
            fprintf(stderr, "ambler-replay: no frame drawn by step %ld for %s\n", step,
                    it->second.c_str());
            written = false;
            continue;
        }
        errno = 0;
        if (!WritePngBottomUp(it->second.c_str(), rgb, w, h)) {
            fprintf(stderr, "ambler-replay: cannot write %s%s%s\n", it->second.c_str(),
                    errno ? ": " : "", errno ? strerror(errno) : "");
            written = false;
        }
    }
    return written;
}

// Relative output paths are meant from where the tool was started, not
// from the scene folder it runs in; only they need that folder's name.
static bool MakeAbsolute(std::string* path, std::string* cwd) {
    if (path->empty() || *path == "-" || IsAbsolutePath(*path)) return true;
    if (cwd->empty()) {
        char* here = getcwd(nullptr, 0);
        if (!here) return false;
        *cwd = here;
        free(here);
    }
    *path = *cwd + "/" + *path;
    return true;
}

// Says which shots were asked for a step the run never reached.
static bool EveryShotCame(const Arguments& a, long stepsRun) {
    bool all = true;
    for (const auto& shot : a.shots)
        if (shot.first >= stepsRun) {
            fprintf(stderr, "ambler-replay: step %ld never ran: %s not written\n", shot.first,
                    shot.second.c_str());
            all = false;
        }
    return all;
}

// Flushes and closes the trace; false (with a message) when any of it
// could not be written. failedBefore: the errno of a write that failed
// during the run, or 0.
static bool FinishTrace(FILE* trace, const std::string& path, int failedBefore) {
    if (!trace) return true;
    bool ok = !failedBefore && fflush(trace) == 0 && !ferror(trace);
    int error = failedBefore ? failedBefore : errno;
    if (trace != stdout && fclose(trace) != 0 && ok) ok = false, error = errno;
    if (!ok)
        fprintf(stderr, "ambler-replay: cannot write the trace to %s: %s\n",
                path == "-" ? "standard output" : path.c_str(), strerror(error));
    return ok;
}

// The tool's exit status: 0, 1 when an output could not be written or a shot
// never came, 2 for a bad command line, scene folder or window, 128 + the
// signal that cut the run short.
int main(int argc, char** argv) {
    InstallToolQuitSignals(REPLAY_GRACE_MS);
    Arguments a;
    std::string error;
    error = ParseArguments(argc, argv, &a);
    if (!error.empty()) return Fail(error);
    if (a.help) return fputs(USAGE, stdout), 0;
    if (a.version) return printf("%s\n", VersionLine("ambler-replay").c_str()), 0;
    if (!a.eventsPath.empty() && !LoadReplayEvents(a.eventsPath.c_str(), &a.options.events, &error))
        return Fail(error);
    std::string cwd;
    bool located = MakeAbsolute(&a.tracePath, &cwd) && MakeAbsolute(&a.presentPath, &cwd);
    std::multimap<long, std::string> shots;
    for (auto& shot : a.shots) {
        std::string path = shot.second;
        located = MakeAbsolute(&path, &cwd) && located;
        shots.insert({shot.first, path});
    }
    a.shots.swap(shots);
    if (!located) return Fail(std::string("cannot name the working folder for a relative path: ") +
                              strerror(errno));
    FILE* trace = nullptr;
    if (a.tracePath == "-") trace = stdout;
    else if (!a.tracePath.empty() && !(trace = fopen(a.tracePath.c_str(), "w")))
        return Fail("cannot write " + a.tracePath + ": " + strerror(errno));
    FILE* present = nullptr;
    if (a.presentPath == "-") present = stdout;
    else if (!a.presentPath.empty() && !(present = fopen(a.presentPath.c_str(), "w")))
        return Fail("cannot write the present trace " + a.presentPath + ": " + strerror(errno));
    int presentFailed = 0;
    if (present)
        a.options.onPresent = [&](double t, long step, const PresentedFrame& frame) {
            if (!presentFailed && (fputs(PresentTraceLine(t, step, frame).c_str(), present) == EOF ||
                                   fflush(present) == EOF))
                presentFailed = errno ? errno : EIO;
        };
    int traceFailed = 0;  // the errno of the first failed write
    bool shotsWritten = true;
    long stepsRun = 0;
    // Each record goes out whole as soon as it is made: a quit signal whose
    // grace runs out while a step is slow (a loaded machine) then ends the
    // trace after the last whole record, never inside one.
    auto afterStep = [&](long step, bool ran) {
        if (trace && !traceFailed &&
            (fputs(TraceLine(step, ran).c_str(), trace) == EOF || fflush(trace) == EOF))
            traceFailed = errno ? errno : EIO;
        shotsWritten = WriteShots(a, step) && shotsWritten;
        stepsRun = step + 1;
        return true;
    };
    int status = RunReplay(a.options, !a.shots.empty(), afterStep, &error);
    bool traced = FinishTrace(trace, a.tracePath, traceFailed);
    if (present != trace) traced = FinishTrace(present, a.presentPath, presentFailed) && traced;
    if (status != 0) fprintf(stderr, "ambler-replay: %s\n", error.c_str());
    bool complete = EveryShotCame(a, stepsRun);
    if (status == 0 && !(traced && shotsWritten && complete)) status = 1;
    return status;
}
