// smooth_display_bench.cpp -- the figures of smooth display:
//   1. evenness: the coefficient of variation of the presented camera's
//      move per refresh at 60 Hz, walking straight and turning in the walk
//      demo, and of the townsfolk's moves, against frames at the steps only;
//   2. presented frames a second in the real window, walk demo, 200 x 150
//      and 1920 x 1080 (F3 on a screen that size), smooth against design;
//   3. idle CPU on the empty scene, smooth against design;
//   4. mouse to picture: from a mouse move to the first frame showing it,
//      at 60 Hz, on the virtual clock (drawing time not included).
// Real-window figures are interleaved A B A B; each prints the median with
// its minimum and maximum, and the load average before and after.
//
// usage: smooth_display_bench [SECONDS_PER_RUN (5)] [PAIRS (3)] [PARTS (1234)]
// Needs an X display (tools/with-display.sh); the 1920 x 1080 figure needs
// a screen at least that large (--xvfb-option -screen --xvfb-option 0 ...).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "bench/bench_util.h"
#include "platform/headless.h"
#include "tools/lib/present_trace.h"

namespace {

const std::string BIN = AMBLER_BIN_DIR, SOURCE = AMBLER_SOURCE_DIR;

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

void PrintSpread(const char* what, const std::vector<double>& v, const char* unit) {
    std::vector<double> s = v;
    std::sort(s.begin(), s.end());
    printf("  %-34s median %8.3f %s  (min %.3f, max %.3f, n %zu)\n", what, Median(v), unit, s.front(),
           s.back(), v.size());
}

// ---- 1. Evenness, from the replay tool's traces.

struct Traces {
    std::vector<PresentRecord> frames;
    std::vector<std::vector<double>> stepMatrix;              // trace modelview per step
    std::vector<std::vector<std::array<double, 2>>> actorsAt;  // walked x, z per step and actor
};

// The per-step trace's modelviews and actors, read with the present
// trace's number reader: every line lists its fields in a fixed order.
void ReadStepTrace(const std::string& path, Traces* t) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<double> m(16);
        size_t at = line.find("\"modelview\": [");
        if (at == std::string::npos) continue;
        const char* p = line.c_str() + at + 14;
        for (int i = 0; i < 16; i++) {
            m[i] = strtod(p, (char**)&p);
            p += 2;
        }
        t->stepMatrix.push_back(m);
        std::vector<std::array<double, 2>> actors;
        for (size_t x = line.find("\"actorWalkedX\": "); x != std::string::npos;
             x = line.find("\"actorWalkedX\": ", x + 1)) {
            size_t z = line.find("\"actorWalkedZ\": ", x);
            actors.push_back({atof(line.c_str() + x + 16), atof(line.c_str() + z + 16)});
        }
        t->actorsAt.push_back(actors);
    }
}

Traces RunWalk(const std::string& events) {
    char dir[] = "/tmp/ambler-smooth-XXXXXX";
    if (!mkdtemp(dir)) exit(1);
    std::string work = dir;
    std::ofstream(work + "/events") << events;
    std::string cmd = BIN + "/ambler-replay " + SOURCE + "/scenes/walk --steps 121 --events " + work +
                      "/events --display-hz 60 --present-trace " + work + "/present --trace " +
                      work + "/trace";
    if (system(cmd.c_str()) != 0) fprintf(stderr, "smooth_display_bench: %s failed\n", cmd.c_str());
    Traces t;
    t.frames = ReadPresentTrace(work + "/present");
    ReadStepTrace(work + "/trace", &t);
    std::string clean = "rm -rf " + work;
    if (system(clean.c_str()) != 0) {}
    return t;
}

double Distance(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return std::hypot(b[0] - a[0], b[2] - a[2]);
}

// Moves of the camera between consecutive refreshes within steps [from, to):
// as presented (blended), and as the steps' own frames would show them.
void CameraMoves(const Traces& t, long from, long to, bool turn, std::vector<double>* smooth,
                 std::vector<double>* design) {
    for (size_t i = 1; i < t.frames.size(); i++) {
        const PresentRecord &a = t.frames[i - 1], &b = t.frames[i];
        if (a.step < from || b.step >= to) continue;
        const double* da = t.stepMatrix[a.step].data();
        const double* db = t.stepMatrix[b.step].data();
        if (turn) {
            smooth->push_back(std::fabs(std::remainder(CameraYaw(b.modelview) - CameraYaw(a.modelview), 360)));
            design->push_back(std::fabs(std::remainder(CameraYaw(db) - CameraYaw(da), 360)));
        } else {
            smooth->push_back(Distance(CameraEye(a.modelview), CameraEye(b.modelview)));
            design->push_back(Distance(CameraEye(da), CameraEye(db)));
        }
    }
}

// Per actor, over stretches where it walks the same distance every step
// (no turn, no stop): its move per refresh, blended and at the steps only.
void ActorMoves(const Traces& t, std::vector<double>* smoothCv, std::vector<double>* designCv) {
    size_t actors = t.actorsAt.empty() ? 0 : t.actorsAt[0].size();
    auto stepMove = [&](long s, size_t i) {
        return std::hypot(t.actorsAt[s][i][0] - t.actorsAt[s - 1][i][0],
                          t.actorsAt[s][i][1] - t.actorsAt[s - 1][i][1]);
    };
    for (size_t i = 0; i < actors; i++) {
        std::vector<double> smooth, design;
        for (size_t f = 1; f < t.frames.size(); f++) {
            const PresentRecord &a = t.frames[f - 1], &b = t.frames[f];
            if (a.step < 2 || b.step + 1 >= (long)t.actorsAt.size()) continue;
            double m = stepMove(a.step, i);
            if (m == 0 || std::fabs(stepMove(a.step - 1, i) - m) > 1e-9 ||
                std::fabs(stepMove(b.step, i) - m) > 1e-9)
                continue;
            smooth.push_back(std::hypot(b.actors[i][0] - a.actors[i][0], b.actors[i][1] - a.actors[i][1]));
            design.push_back(std::hypot(t.actorsAt[b.step][i][0] - t.actorsAt[a.step][i][0],
                                        t.actorsAt[b.step][i][1] - t.actorsAt[a.step][i][1]));
        }
        if (smooth.size() < 20) continue;
        smoothCv->push_back(CoefficientOfVariation(smooth));
        designCv->push_back(CoefficientOfVariation(design));
    }
}

void Evenness() {
    printf("1. Evenness at 60 Hz, walk demo (coefficient of variation of the move per refresh;\n"
           "   virtual clock, so one run gives the figure)\n");
    Traces t = RunWalk("0 down up\n60 up up\n60 down right\n120 up right\n");
    std::vector<double> walkS, walkD, turnS, turnD, actorS, actorD;
    CameraMoves(t, 20, 55, false, &walkS, &walkD);
    CameraMoves(t, 70, 115, true, &turnS, &turnD);
    ActorMoves(t, &actorS, &actorD);
    printf("  walking straight  smooth %.2e   design %.3f   (%zu refreshes)\n",
           CoefficientOfVariation(walkS), CoefficientOfVariation(walkD), walkS.size());
    printf("  turning           smooth %.2e   design %.3f   (%zu refreshes)\n",
           CoefficientOfVariation(turnS), CoefficientOfVariation(turnD), turnS.size());
    if (!actorS.empty()) {
        std::vector<double> s = actorS, d = actorD;
        std::sort(s.begin(), s.end());
        std::sort(d.begin(), d.end());
        printf("  townsfolk (%zu walking steadily)  smooth median %.4f max %.4f   design median %.4f\n",
               actorS.size(), Median(actorS), s.back(), Median(actorD));
    }
}

// ---- 2 and 3. The real window.

int StartAmbler(const std::string& dir, bool design, const std::string& countFile) {
    std::string program = BIN + "/ambler";
    int pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "r", stdin)) _exit(127);
        if (!countFile.empty()) {
            setenv("LD_PRELOAD", (BIN + "/libswap_count_probe.so").c_str(), 1);
            setenv("AMBLER_SWAP_COUNT_FILE", countFile.c_str(), 1);
        }
        if (design) execl(program.c_str(), program.c_str(), "--pacing", "design", dir.c_str(), (char*)nullptr);
        else execl(program.c_str(), program.c_str(), dir.c_str(), (char*)nullptr);
        _exit(127);
    }
    return pid;
}

void Stop(int pid) {
    kill(pid, SIGTERM);
    int status;
    waitpid(pid, &status, 0);
}

// The probe's last note of swaps so far and when; waits for the first.
bool ReadCount(const std::string& path, double* swaps, double* when) {
    for (int tries = 0; tries < 50; tries++) {
        std::ifstream in(path);
        if (in >> *swaps >> *when) return true;
        usleep(100000);
    }
    return false;
}

std::string measuredSize;  // the maximised window's size, as the window manager gave it

// Frames a second over `seconds`, once the window shows (and is maximised).
double FrameRate(bool design, bool full, double seconds) {
    std::string countFile = "/tmp/ambler-swaps-" + std::to_string(getpid());
    unlink(countFile.c_str());
    int pid = StartAmbler(SOURCE + "/scenes/walk", design, countFile);
    usleep(1500000);
    if (full) {
        std::string cmd = "w=$(xdotool search --sync --onlyvisible --pid " + std::to_string(pid) +
                          " | head -1) && xdotool windowactivate --sync $w key F3";
        if (system(cmd.c_str()) != 0) fprintf(stderr, "smooth_display_bench: F3 failed\n");
        usleep(1500000);
        FILE* size = popen(("xdotool getwindowgeometry $(xdotool search --onlyvisible --pid " +
                            std::to_string(pid) + " | head -1) | sed -n 's/.*Geometry: //p'").c_str(),
                           "r");
        char text[64] = "";
        if (size && fgets(text, sizeof text, size)) measuredSize = std::string(text, strcspn(text, "\n"));
        if (size) pclose(size);
    }
    double c0 = 0, t0 = 0, c1 = 0, t1 = 0;
    ReadCount(countFile, &c0, &t0);
    usleep((useconds_t)(seconds * 1e6));
    ReadCount(countFile, &c1, &t1);
    Stop(pid);
    unlink(countFile.c_str());
    return t1 > t0 ? (c1 - c0) / (t1 - t0) : 0;
}

double IdleCpu(const std::string& dir, bool design, double seconds) {
    int pid = StartAmbler(dir, design, "");
    usleep(1500000);
    double cpu0 = ChildCpuSeconds(pid), wall0 = NowMs();
    usleep((useconds_t)(seconds * 1e6));
    double share = 100.0 * (ChildCpuSeconds(pid) - cpu0) / ((NowMs() - wall0) / 1000);
    Stop(pid);
    return share;
}

void RealWindow(double seconds, int pairs) {
    printf("2. Presented frames a second, real window, walk demo (llvmpipe), %d pairs of %.0f s\n",
           pairs, seconds);
    printf("   load before: %s\n", LoadAverage().c_str());
    for (bool full : {false, true}) {
        std::vector<double> smooth, design;
        for (int r = 0; r < pairs; r++) {
            if (r % 2 == 0) {
                smooth.push_back(FrameRate(false, full, seconds));
                design.push_back(FrameRate(true, full, seconds));
            } else {
                design.push_back(FrameRate(true, full, seconds));
                smooth.push_back(FrameRate(false, full, seconds));
            }
        }
        printf("  %s\n", full ? ("maximised with F3: " + measuredSize).c_str() : "200 x 150");
        PrintSpread("smooth (default)", smooth, "frames/s");
        PrintSpread("--pacing design", design, "frames/s");
    }
    printf("   load after: %s\n", LoadAverage().c_str());
    printf("3. Idle CPU, empty scene, %d pairs of %.0f s\n", pairs, seconds);
    char dir[] = "/tmp/ambler-idle-XXXXXX";
    if (!mkdtemp(dir)) return;
    std::vector<double> smooth, design;
    TimeInterleaved(pairs, [&] { return IdleCpu(dir, false, seconds); },
                    [&] { return IdleCpu(dir, true, seconds); }, &smooth, &design);
    PrintSpread("smooth (default)", smooth, "% of a core");
    PrintSpread("--pacing design", design, "% of a core");
    printf("   load after: %s\n", LoadAverage().c_str());
    std::string clean = std::string("rm -rf ") + dir;
    if (system(clean.c_str()) != 0) {}
}

// ---- 4. Mouse to picture, on the virtual clock.

void Drain() {
    PlatMessage msg;
    while (Plat_PeekMessage())
        if (Plat_GetMessage(&msg)) Plat_DispatchMessage(&msg);
}

void MoveMouse(uint32_t tick, int x, int y) {
    Plat_SetVirtualTick(tick);
    Plat_SetHeadlessCursor(x, y);
    MainWindowProc(run.mainWindow, WM_MOUSEMOVE, 0, MakeLParam(x, y));
    Drain();
}

// Steps every 40 ms and refreshes at 60 Hz from tick 0; a mouse move every
// 97 ms (so its phase against both walks through every value); for each,
// the time to the first presented frame whose view has turned, and to the
// next step (which is when the design's frame shows it).
void MouseLatency() {
    printf("4. Mouse to picture at 60 Hz, walk demo standing (virtual clock: the wait for the\n"
           "   frame that shows the move; add the frame's own drawing time)\n");
    if (chdir((SOURCE + "/scenes/walk").c_str()) != 0) return;
    if (!Plat_Init(PLAT_HEADLESS, 192, 150)) return;
    Plat_SetVirtualTick(0);
    run.smooth.pacing = PACING_SMOOTH;
    if (!StartApplication(PLAT_SHOW_NORMAL)) return;
    MoveMouse(1, 96, 0);  // both references to the centre
    std::vector<double> smooth, design;
    double lastYaw = 0;
    double nextMove = 100;
    bool waiting = false;
    double movedAt = 0, yawBefore = 0;
    int side = 0;
    for (long k = 1; k < 60 * 60; k++) {
        double refresh = k * 1000.0 / 60;
        // Steps and the mouse up to this refresh, in time order.
        for (;;) {
            double step = run.lastFrameTime + 40.0;
            double next = std::min(step, waiting ? 1e18 : nextMove);
            if (next > refresh) break;
            if (next == step) {
                Plat_SetVirtualTick((uint32_t)step);
                DisplayFrame();
                Drain();
            } else {
                MoveMouse((uint32_t)std::ceil(nextMove), side ? 0 : 192, 75);
                side = !side;
                waiting = true;
                movedAt = std::ceil(nextMove);
                yawBefore = lastYaw;
                // The design's next frame: the next step, never the one
                // that has just run.
                design.push_back((double)run.lastFrameTime + 40 - movedAt);
                nextMove += 97;
            }
        }
        Plat_SetVirtualTick((uint32_t)refresh);
        PresentedFrame frame;
        double since = refresh - (double)run.smooth.currentTick;
        if (!PresentSmoothFrame(since, &frame, false)) continue;
        double yaw = CameraYaw(frame.modelview);
        if (waiting && std::fabs(std::remainder(yaw - yawBefore, 360)) > 5) {
            smooth.push_back(refresh - movedAt);
            waiting = false;
        }
        lastYaw = yaw;
    }
    ShutdownSequence();
    Plat_Quit();
    PrintSpread("smooth (default)", smooth, "ms");
    PrintSpread("--pacing design (next step)", design, "ms");
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 5.0;
    int pairs = argc > 2 ? atoi(argv[2]) : 3;
    std::string parts = argc > 3 ? argv[3] : "1234";
    if (parts.find('1') != std::string::npos) Evenness();
    if (parts.find_first_of("23") != std::string::npos) RealWindow(seconds, pairs);
    if (parts.find('4') != std::string::npos) MouseLatency();
    return 0;
}
