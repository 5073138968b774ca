// idle_cpu_bench.cpp -- CPU use and frame rate of the real message loop on an
// empty scene, against a loop that polls without sleeping, in one run.
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <chrono>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/app.h"
#include "scene/scene.h"

static double Seconds(const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; }

static double CpuSeconds() {
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return Seconds(u.ru_utime) + Seconds(u.ru_stime);
}

static double WallSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The loop without sleeping: frames whenever the queue is empty.
static void PollingLoop(double seconds) {
    double end = WallSeconds() + seconds;
    PlatMessage msg;
    while (WallSeconds() < end) {
        while (Plat_PeekMessage())
            if (Plat_GetMessage(&msg)) Plat_DispatchMessage(&msg);
        DisplayFrame();
    }
}

// SIGALRM ends the real loop the way a desktop session does: SIGTERM,
// which the platform turns into a close request.
static void OnAlarm(int) { kill(getpid(), SIGTERM); }

static void Report(const char* name, double cpu, double wall, unsigned long frames) {
    printf("%-22s %5.1f s  CPU %5.1f%% of one core  %6.2f frames/s\n", name, wall,
           100.0 * cpu / wall, frames / wall);
}

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 10.0;
    char dir[] = "/tmp/ambler-idle-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0) return 1;  // an empty scene is created here
    if (!Plat_Init(PLAT_DESKTOP, 0, 0) || !StartApplication(PLAT_SHOW_NORMAL)) return 1;

    double cpu0 = CpuSeconds(), wall0 = WallSeconds();
    unsigned long frames0 = framesRun;
    PollingLoop(seconds / 3);
    Report("polling loop", CpuSeconds() - cpu0, WallSeconds() - wall0, framesRun - frames0);

    signal(SIGALRM, OnAlarm);
    alarm((unsigned)seconds);
    cpu0 = CpuSeconds();
    wall0 = WallSeconds();
    frames0 = framesRun;
    int code = RunMessageLoop();
    double cpu = CpuSeconds() - cpu0, wall = WallSeconds() - wall0;
    Report("ambler message loop", cpu, wall, framesRun - frames0);
    printf("target: at most 5%% CPU at 25 frames/s: %s\n",
           100.0 * cpu / wall <= 5.0 && (framesRun - frames0) / wall >= 24.5 ? "met" : "NOT met");
    Plat_Quit();
    std::string cleanup = std::string("rm -rf ") + dir;
    return code == 0 && system(cleanup.c_str()) == 0 ? 0 : 1;
}
