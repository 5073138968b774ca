// main.cpp -- ambler-soak: the replay runner on random input for many
// steps, checking every step's state for NaN and infinity, GL errors, and
// (optionally) that memory stays flat.
#include <GL/gl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "app/signals.h"
#include "platform/platform.h"
#include "tools/lib/replay_run.h"
#include "tools/lib/trace.h"

static const char USAGE[] =
    "usage: ambler-soak SCENE_DIR [--steps N] [--seed S] [--view-mode M] [--check-rss]\n"
    "                   [--rss-every N]\n";

struct SoakOptions {
    std::string sceneDir;
    long steps = 100000;
    unsigned seed = 1;
    bool checkRss = false;
    long rssEvery = 0;  // print the resident size every so many steps
};

static const unsigned KEYS[] = {VK_CONTROL, VK_SPACE, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};
constexpr int SOAK_GRACE_MS = 250;   // the run stops at the next step after a quit signal
constexpr long WARM_UP_STEPS = 1000;  // memory must be flat after these
constexpr int MAX_SIZE = 640;         // resizes reach this size during the warm-up

// Random but plausible input: keys held for a while, mouse moves, short
// pauses with drags, resizes, and now and then F3.
static std::vector<ReplayEvent> RandomEvents(long steps, unsigned seed) {
    std::mt19937 rng(seed);
    auto chance = [&](int percent) { return (int)(rng() % 1000) < percent * 10; };
    auto coord = [&](int limit) { return (int)(rng() % (unsigned)limit); };
    std::vector<ReplayEvent> events;
    bool held[6] = {};
    long resumeAt = -1;
    for (long s = 0; s < steps; s++) {
        auto add = [&](ReplayEventKind k, unsigned key, int x, int y) {
            events.push_back({s, k, key, x, y, 0});
        };
        for (int k = 0; k < 6; k++)
            if (chance(held[k] ? 6 : 4)) {
                add(held[k] ? EV_UP : EV_DOWN, KEYS[k], 0, 0);
                held[k] = !held[k];
            }
        if (chance(30)) add(EV_MOVE, 0, coord(MAX_SIZE), coord(MAX_SIZE));
        if (s == resumeAt) add(EV_DOWN, VK_F2, 0, 0);
        if (resumeAt < s && chance(1)) {
            add(EV_DOWN, VK_F2, 0, 0);
            add(EV_LBDOWN, 0, coord(100), coord(100));
            add(EV_MOVE, 0, coord(MAX_SIZE), coord(MAX_SIZE));
            add(EV_LBUP, 0, coord(MAX_SIZE), coord(MAX_SIZE));
            resumeAt = s + 1 + coord(5);
        }
        if (s == 10) add(EV_SIZE, 0, MAX_SIZE, MAX_SIZE);  // the largest size, early
        else if (chance(1)) add(EV_SIZE, 0, coord(MAX_SIZE + 1), coord(MAX_SIZE + 1));
        if (chance(1) && chance(20)) add(EV_DOWN, VK_F3, 0, 0);
    }
    return events;
}

// The resident size at rest. The driver keeps the last frame's binned
// geometry until the next frame, more or less with what was in view, so an
// empty frame (a clear, no swap) lets it go before we look; what is left is
// the memory that outlives a frame, where a leak would show.
static long RestingKilobytes() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFinish();
    FILE* f = fopen("/proc/self/status", "r");
    char line[256];
    long kb = 0;
    while (f && fgets(line, sizeof line, f))
        if (strncmp(line, "VmRSS:", 6) == 0) kb = atol(line + 6);
    if (f) fclose(f);
    return kb;
}

// A copy of the scene folder whose file asks for another view mode: the
// view mode is the 27th number of the file, after which no names come.
static std::string CopyInViewMode(const std::string& dir, int viewMode) {
    char tmp[] = "/tmp/ambler-soak-XXXXXX";
    if (!mkdtemp(tmp)) return "";
    std::string copy = std::string(tmp) + "/scene";
    if (system(("cp -r '" + dir + "' '" + copy + "'").c_str()) != 0) return "";
    std::string path = copy + "/Hod.pro", text;
    FILE* f = fopen(path.c_str(), "rb");
    char buf[65536];
    size_t n;
    while (f && (n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    if (f) fclose(f);
    size_t pos = 0;
    for (int field = 1; field <= 27; field++) {
        size_t start = text.find_first_not_of(" \t\r\n", pos);
        if (start == std::string::npos) return "";
        pos = text.find_first_of(" \t\r\n", start);
        if (pos == std::string::npos) pos = text.size();
        if (field == 27) text.replace(start, pos - start, std::to_string(viewMode));
    }
    f = fopen(path.c_str(), "wb");
    if (!f || fwrite(text.data(), 1, text.size(), f) != text.size()) return "";
    fclose(f);
    return copy;
}

static bool ParseOptions(int argc, char** argv, SoakOptions* o, int* viewMode) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--check-rss") o->checkRss = true;
        else if (a == "--steps" && i + 1 < argc) o->steps = atol(argv[++i]);
        else if (a == "--seed" && i + 1 < argc) o->seed = (unsigned)atol(argv[++i]);
        else if (a == "--view-mode" && i + 1 < argc) *viewMode = atoi(argv[++i]);
        else if (a == "--rss-every" && i + 1 < argc) o->rssEvery = atol(argv[++i]);
        else if (a[0] != '-' && o->sceneDir.empty()) o->sceneDir = a;
        else return false;
    }
    return !o->sceneDir.empty() && o->steps > 0;
}

// The GL driver allocates and frees 64 KB blocks every frame, more or fewer
// with what is in view; kept in the heap, their fragments let the resident
// size creep with no memory live. Blocks of that size are mapped and handed
// back at once here, so the resident size follows the memory in use.
static void ReturnFreedBlocks() {
    mallopt(M_MMAP_THRESHOLD, 32 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
}

int main(int argc, char** argv) {
    InstallToolQuitSignals(SOAK_GRACE_MS);
    ReturnFreedBlocks();
    SoakOptions o;
    int viewMode = 0;
    if (!ParseOptions(argc, argv, &o, &viewMode)) return fprintf(stderr, "%s", USAGE), 2;
    ReplayOptions r;
    r.sceneDir = viewMode ? CopyInViewMode(o.sceneDir, viewMode) : o.sceneDir;
    if (r.sceneDir.empty()) return fprintf(stderr, "ambler-soak: cannot copy the scene\n"), 2;
    r.steps = o.steps;
    r.events = RandomEvents(o.steps, o.seed);
    long failures = 0, warmRss = 0, peakRss = 0, peakStep = 0, lastRss = LONG_MAX;
    auto check = [&](long step, bool ran) {
        std::string line = TraceLine(step, ran);
        if (line.find("NaN") != std::string::npos || line.find("Infinity") != std::string::npos) {
            if (failures++ < 5) fprintf(stderr, "step %ld: not finite: %s", step, line.c_str());
        }
        GLenum e = glGetError();
        if (e != GL_NO_ERROR && failures++ < 5) fprintf(stderr, "step %ld: GL error 0x%x\n", step, e);
        if (!o.checkRss && o.rssEvery <= 0) return failures < 100;
        // Memory counts once two steps in a row hold it: at the step where
        // the driver's 1 MB stream of immediate-mode vertices fills, the old
        // buffer outlives the new one's start by that one step.
        long rss = RestingKilobytes(), held = std::min(rss, lastRss);
        lastRss = rss;
        if (step <= WARM_UP_STEPS) warmRss = std::max(warmRss, held);
        else if (held > peakRss) peakRss = held, peakStep = step;
        if (o.rssEvery > 0 && step % o.rssEvery == 0) printf("step %ld: RSS %ld kB\n", step, rss);
        return failures < 100;
    };
    std::string error;
    int status = RunReplay(r, false, check, &error);
    if (viewMode) {
        std::string copyRoot = r.sceneDir.substr(0, r.sceneDir.rfind('/'));
        if (system(("rm -rf '" + copyRoot + "'").c_str()) != 0) fprintf(stderr, "cannot remove %s\n", copyRoot.c_str());
    }
    if (status != 0) return fprintf(stderr, "ambler-soak: %s\n", error.c_str()), 2;
    printf("%s", o.sceneDir.c_str());
    if (viewMode) printf(" in view mode %d", viewMode);
    printf(": %ld steps, %ld failed checks", o.steps, failures);
    if (o.checkRss && o.steps > WARM_UP_STEPS) {
        printf(", peak RSS at rest %ld kB in the warm-up, %ld kB later (step %ld)", warmRss,
               peakRss, peakStep);
        if (peakRss - warmRss > 1024) failures++, printf(" (grew by more than 1 MB)");
    }
    printf("\n");
    return failures ? 1 : 0;
}
