// scene_load_bench.cpp -- loads a large generated scene with the program's
// reader and with a stdio fscanf reader of the same field order, in one run,
// and prints the load times, MB/s, the median ratio of interleaved pairs
// with its spread, and the reader's peak RSS
// against the file size plus twice the tables' payload.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "scene/scene.h"
#include "scene/scene_file.h"
#include "scene/scene_reader.h"
#include "bench/bench_util.h"
#include "bench/load_bench_common.h"

// ---- Measuring.

static double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Processor time of this process (user and system), in seconds: on a shared
// machine it is the fairer measure of two readers than the wall clock.
static double CpuSeconds() {
    return (double)std::clock() / CLOCKS_PER_SEC;
}

// Wall and processor seconds of one load.
struct LoadTime {
    double wall, cpu;
};

template <typename Load>
static LoadTime TimeLoad(Load load) {
    double cpu = CpuSeconds();
    auto start = std::chrono::steady_clock::now();
    load();
    return {Seconds(start), CpuSeconds() - cpu};
}

// A field of /proc/self/status in kB (VmRSS, VmHWM), or -1.
static long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0 && line[length] == ':')
            return std::stol(line.substr(length + 1));
    return -1;
}

// Starts a new peak-RSS window at the current RSS; false when the kernel does not allow it.
static bool ResetPeakRss() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return bool(clear);
}

// A checksum of what a load left in the model, to see both readers agree;
// the yardstick's names are in its own tables.
static double ModelChecksum(const Scene& s, bool yardstick) {
    double sum = 0;
    for (int v = 1; v <= s.flatPolyVertexCount; ++v) sum += s.flatPolyX[v] + s.flatPolyEnd[v];
    for (int v = 1; v <= s.texPolyVertexCount; ++v)
        sum += s.texPolyS[v] + (yardstick ? baseTexPolyName[v - 1].text[7]
                                          : SlotName(s, s.texPolyTexName[v - 1])[7]);
    for (int i = 0; i <= s.actorLastIndex; ++i)
        for (int p = 1; p <= s.actorPartVertexCount[i]; ++p)
            sum += s.partZ(p, i) + s.partJoint(p, i);
    for (int i = 0; i <= s.actorLastIndex; ++i)
        sum += s.actorWaypointX(s.actorWaypointCount[i], i) + s.actorJointStepZ[19][6][i];
    return sum + s.obstacleZ[s.obstacleCount] + s.engineShake;
}

int main() {
    // Fixed thresholds: large blocks go straight back to the system when
    // freed, so one reader's tables do not inflate the other's peak.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    char dirTemplate[] = "/tmp/ambler-scene-bench-XXXXXX";
    if (!mkdtemp(dirTemplate)) return 1;
    std::string path = std::string(dirTemplate) + "/Hod.pro";
    auto start = std::chrono::steady_clock::now();
    WriteBenchScene(path);
    double megabytes = 0;
    {
        std::ifstream file(path, std::ios::binary | std::ios::ate);
        megabytes = (double)file.tellg() / 1e6;
    }
    std::printf(
        "scene: 100001 textured, 1000000 plain, 1000 avatar vertices; 50 actors x 2001 part\n"
        "vertices x 20 joints; 10000 obstacle points; 5000 waypoints\n");
    std::printf("file: %.1f MB, written in %.2f s\n", megabytes, Seconds(start));

    // The first load of each reader is measured for memory. Time is taken
    // in PAIRS interleaved pairs (A B, then B A), so that both readers meet
    // the same machine load; the median pair ratio is the figure.
    const int PAIRS = 7;
    std::vector<double> baseWall, oursWall, wallRatios, cpuRatios;
    double baselineSum = 0, peakKb = 0;
    long rssBefore = 0;
    bool peakReset = false, agree = true;
    size_t payload = 0;
    auto scene = std::make_unique<Scene>();
    for (int pair = 0; pair < PAIRS; ++pair) {
        LoadTime base{}, ours{};
        auto loadBase = [&] {
            ResetScene(*scene);
            malloc_trim(0);
            base = TimeLoad([&] { BaselineLoad(*scene, path.c_str()); });
            baselineSum = ModelChecksum(*scene, true);
        };
        auto loadOurs = [&] {
            ResetScene(*scene);
            malloc_trim(0);
            if (pair == 0) {
                rssBefore = StatusKb("VmRSS");
                peakReset = ResetPeakRss();
            }
            SceneReadResult read;
            ours = TimeLoad([&] { read = ReadSceneFile(*scene, path.c_str(), false, SceneReadOptions()); });
            if (pair == 0) {
                peakKb = StatusKb("VmHWM");
                payload = TablesPayload(*scene);
            }
            agree = agree && read.status == READ_OK && ModelChecksum(*scene, false) == baselineSum;
        };
        if (pair % 2 == 0) {
            loadBase();
            loadOurs();
        } else {  // the baseline's checksum is from the pair before: the same file
            loadOurs();
            loadBase();
        }
        baseWall.push_back(base.wall);
        oursWall.push_back(ours.wall);
        wallRatios.push_back(base.wall / ours.wall);
        cpuRatios.push_back(base.cpu / ours.cpu);
    }

    auto spread = [](const std::vector<double>& v) {
        return std::make_pair(*std::min_element(v.begin(), v.end()),
                              *std::max_element(v.begin(), v.end()));
    };
    std::printf("%d interleaved pairs, in process:\n", PAIRS);
    std::printf("  fscanf baseline: median %.3f s (%.1f MB/s)\n", Median(baseWall),
                megabytes / Median(baseWall));
    std::printf("  scene reader:    median %.3f s (%.1f MB/s)\n", Median(oursWall),
                megabytes / Median(oursWall));
    auto [wallMin, wallMax] = spread(wallRatios);
    auto [cpuMin, cpuMax] = spread(cpuRatios);
    std::printf("speed-up: wall median %.1fx (min %.1f, max %.1f), processor time median %.1fx "
                "(min %.1f, max %.1f); target at least 5x; results %s\n",
                Median(wallRatios), wallMin, wallMax, Median(cpuRatios), cpuMin, cpuMax,
                agree ? "agree" : "DIFFER");
    double limitMb = megabytes + 2 * payload / 1e6;
    std::printf("peak RSS during the first load: %.1f MB (%.1f MB before it)%s\n", peakKb / 1e3,
                rssBefore / 1e3, peakReset ? "" : " [peak could not be reset: whole-process peak]");
    std::printf("file %.1f MB + 2 x tables payload %.1f MB = %.1f MB: %s\n", megabytes,
                payload / 1e6, limitMb, peakKb / 1e3 <= limitMb ? "within" : "EXCEEDED");
    unlink(path.c_str());
    rmdir(dirTemplate);
    return 0;
}
