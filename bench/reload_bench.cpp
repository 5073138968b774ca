// reload_bench.cpp -- what reloading costs: per demo scene, the time from a
// save to the first frame of the new scene (the reload itself, the watch's
// wait for the save to settle, and one frame); and the idle processor use of
// the program with --watch against without it, measured from outside.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "app/app.h"
#include "app/author.h"
#include "bench/bench_util.h"
#include "platform/headless.h"
#include "scene/scene.h"

constexpr int RELOADS = 9;      // per demo; odd, for the median
constexpr int IDLE_PAIRS = 5;   // interleaved with and without --watch
constexpr double IDLE_SECONDS = 3.0;

static void PrintFigure(const char* what, std::vector<double> v, const char* unit) {
    std::sort(v.begin(), v.end());
    std::printf("%-34s median %8.2f %s  min %8.2f  max %8.2f  (%zu runs)\n", what, Median(v), unit,
                v.front(), v.back(), v.size());
}

// Reloads of one demo on the headless backend, each followed by its first
// frame; the clock runs on the virtual tick so the frame always passes.
static void TimeReloads(const std::string& demo) {
    std::string dir = std::string(AMBLER_SOURCE_DIR) + "/scenes/" + demo;
    if (chdir(dir.c_str()) != 0) return;
    if (!Plat_Init(PLAT_HEADLESS, 320, 240)) return;
    uint32_t tick = 1000;
    Plat_SetVirtualTick(tick);
    if (!StartApplication(PLAT_SHOW_NORMAL)) return;
    std::vector<double> ms;
    for (int r = 0; r < RELOADS; r++) {
        double start = NowMs();
        bool ok = ReloadScene(false);
        Plat_SetVirtualTick(tick += 1000);
        DisplayFrame();
        glFinish();
        ms.push_back(NowMs() - start);
        if (!ok) std::printf("%s: reload failed\n", demo.c_str());
    }
    std::string name = demo + ": reload and first frame";
    PrintFigure(name.c_str(), ms, "ms");
    // One poll of the watch over this scene's files, when nothing changed.
    EnableSceneWatch();
    RememberWatchedFiles();
    std::vector<double> pollUs;
    uint32_t now = 0;
    for (int r = 0; r < RELOADS; r++) {
        constexpr int POLLS = 200;
        double start = NowMs();
        for (int i = 0; i < POLLS; i++) PollSceneWatch(now += WATCH_INTERVAL_MS);
        pollUs.push_back((NowMs() - start) * 1000.0 / POLLS);
    }
    ResetSceneWatch();
    name = demo + ": one watch poll";
    PrintFigure(name.c_str(), pollUs, "us");
    ShutdownSequence();
    PlatMessage msg;
    while (Plat_PeekMessage() && Plat_GetMessage(&msg)) {
    }
    Plat_Quit();
}

// Percent of one core the program uses over IDLE_SECONDS in dir.
static double ProgramCpuShare(const char* dir, bool watch) {
    std::string program = std::string(AMBLER_BIN_DIR) + "/ambler";
    int pid = fork();
    if (pid == 0) {
        if (chdir(dir) != 0 || !freopen("/dev/null", "r", stdin)) _exit(127);
        if (watch) execl(program.c_str(), program.c_str(), "--watch", (char*)nullptr);
        else execl(program.c_str(), program.c_str(), (char*)nullptr);
        _exit(127);
    }
    usleep(1000000);  // let it load and show its window
    double cpu0 = ChildCpuSeconds(pid), wall0 = NowMs();
    usleep((useconds_t)(IDLE_SECONDS * 1e6));
    double share = 100.0 * (ChildCpuSeconds(pid) - cpu0) / ((NowMs() - wall0) / 1000.0);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return share;
}

int main() {
    std::printf("The watch waits for two polls %d ms apart that agree before it reloads,\n"
                "so a save is followed by the figures below plus %d to %d ms.\n",
                WATCH_INTERVAL_MS, WATCH_INTERVAL_MS, 2 * WATCH_INTERVAL_MS);
    for (const char* demo : {"walk", "follow", "drive", "chase"}) TimeReloads(demo);

    char dir[] = "/tmp/ambler-watch-idle-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    std::vector<double> watching, plain;
    TimeInterleaved(
        IDLE_PAIRS, [&] { return ProgramCpuShare(dir, true); },
        [&] { return ProgramCpuShare(dir, false); }, &watching, &plain);
    PrintFigure("idle CPU, empty scene, --watch", watching, "% ");
    PrintFigure("idle CPU, empty scene, no watch", plain, "% ");
    bool met = Median(watching) <= 5.0;
    std::printf("target: at most 5%% of a core with --watch: %s\n", met ? "met" : "NOT met");
    std::string cleanup = std::string("rm -rf ") + dir;
    return system(cleanup.c_str()) == 0 ? 0 : 1;
}
