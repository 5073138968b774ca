// scene_process_bench.cpp -- scene load as people feel it: `ambler-check DIR`
// on the full-capacity scene against the fscanf reader built as its own
// program, each timed from outside as a whole process (exec, read, tables,
// exit), in interleaved pairs. Prints the ratio's median, minimum and
// maximum, and ambler-check's peak RSS against the file size plus twice the
// tables' payload. Given another ambler-check (an earlier build) as its
// second argument, it also times that one against this one in the same way.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "bench/load_bench_common.h"
#include "scene/scene_file.h"
#include "scene/scene_reader.h"

// One finished run: wall seconds, processor seconds (user and system) and
// peak resident kilobytes.
struct ProcessRun {
    double seconds;
    double cpuSeconds;
    long peakKb;
    int status;
};

// Runs argv with its output discarded and waits for it.
static ProcessRun RunProcess(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        int input = open("/dev/null", O_RDONLY);
        dup2(input, STDIN_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage = {};
    wait4(pid, &status, 0, &usage);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                 (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return {seconds, cpu, usage.ru_maxrss, status};
}

int main(int argc, char** argv) {
    // At least 7 pairs, and an odd count so that the median is one of them.
    const int PAIRS = (argc > 1 ? std::max(7, std::atoi(argv[1])) : 9) | 1;
    char dirTemplate[] = "/tmp/ambler-process-bench-XXXXXX";
    if (!mkdtemp(dirTemplate)) return 1;
    std::string dir = dirTemplate, path = dir + "/Hod.pro";
    WriteBenchScene(path);
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return 1;
    double megabytes = (double)info.st_size / 1e6;

    // The payload of the tables as the program's reader sizes them.
    auto scene = std::make_unique<Scene>();
    bool readOk = ReadSceneFile(*scene, path.c_str(), false, SceneReadOptions()).status == READ_OK;
    double payloadMb = TablesPayload(*scene) / 1e6;
    scene.reset();

    std::string check = std::string(AMBLER_BIN_DIR) + "/ambler-check";
    std::string baseline = std::string(AMBLER_BIN_DIR) + "/fscanf_scene_reader";
    std::vector<double> checkSeconds, baseSeconds, ratios, cpuRatios;
    long checkPeakKb = 0, basePeakKb = 0;
    bool ran = true;
    for (int pair = 0; pair < PAIRS; ++pair) {
        ProcessRun a, b;
        if (pair % 2 == 0) {
            a = RunProcess({check, dir});
            b = RunProcess({baseline, path});
        } else {
            b = RunProcess({baseline, path});
            a = RunProcess({check, dir});
        }
        // ambler-check exits 1 for the generated scene's missing textures.
        ran = ran && WIFEXITED(a.status) && WEXITSTATUS(a.status) <= 1 && WIFEXITED(b.status) &&
              WEXITSTATUS(b.status) == 0;
        checkSeconds.push_back(a.seconds);
        baseSeconds.push_back(b.seconds);
        ratios.push_back(b.seconds / a.seconds);
        cpuRatios.push_back(b.cpuSeconds / a.cpuSeconds);
        checkPeakKb = std::max(checkPeakKb, a.peakKb);
        basePeakKb = std::max(basePeakKb, b.peakKb);
    }
    auto [lowest, highest] = std::minmax_element(ratios.begin(), ratios.end());
    std::printf("scene file: %.1f MB (full capacity); reader %s\n", megabytes,
                readOk ? "reads it whole" : "FAILED");
    std::printf("%d interleaved pairs, whole processes timed from outside:\n", PAIRS);
    std::printf("  ambler-check DIR:       median %.3f s (min %.3f, max %.3f)\n",
                Median(checkSeconds), *std::min_element(checkSeconds.begin(), checkSeconds.end()),
                *std::max_element(checkSeconds.begin(), checkSeconds.end()));
    std::printf("  fscanf_scene_reader:    median %.3f s (min %.3f, max %.3f)\n",
                Median(baseSeconds), *std::min_element(baseSeconds.begin(), baseSeconds.end()),
                *std::max_element(baseSeconds.begin(), baseSeconds.end()));
    std::printf("speed-up per pair: median %.1fx, min %.1fx, max %.1fx (target at least 5x)%s\n",
                Median(ratios), *lowest, *highest, ran ? "" : " [a run FAILED]");
    auto [cpuLowest, cpuHighest] = std::minmax_element(cpuRatios.begin(), cpuRatios.end());
    std::printf("processor time (user + system) per pair: median %.1fx, min %.1fx, max %.1fx\n",
                Median(cpuRatios), *cpuLowest, *cpuHighest);
    double limitMb = megabytes + 2 * payloadMb;
    std::printf("peak RSS: ambler-check %.1f MB, fscanf reader %.1f MB; limit file %.1f MB + 2 x "
                "tables %.1f MB = %.1f MB: %s\n",
                checkPeakKb / 1e3, basePeakKb / 1e3, megabytes, payloadMb, limitMb,
                checkPeakKb / 1e3 <= limitMb ? "within" : "EXCEEDED");
    if (argc > 2) {
        std::vector<double> otherSeconds, thisSeconds, gains, cpuGains;
        for (int pair = 0; pair < PAIRS; ++pair) {
            ProcessRun other, ours;
            if (pair % 2 == 0) {
                other = RunProcess({argv[2], dir});
                ours = RunProcess({check, dir});
            } else {
                ours = RunProcess({check, dir});
                other = RunProcess({argv[2], dir});
            }
            otherSeconds.push_back(other.seconds);
            thisSeconds.push_back(ours.seconds);
            gains.push_back(other.seconds / ours.seconds);
            cpuGains.push_back(other.cpuSeconds / ours.cpuSeconds);
        }
        auto [least, most] = std::minmax_element(gains.begin(), gains.end());
        std::printf("%s against this ambler-check, %d interleaved pairs:\n", argv[2], PAIRS);
        std::printf("  that one: median %.3f s; this one: median %.3f s\n", Median(otherSeconds),
                    Median(thisSeconds));
        std::printf("  this one is faster by: median %.2fx, min %.2fx, max %.2fx\n",
                    Median(gains), *least, *most);
        std::printf("  in processor time: median %.2fx\n", Median(cpuGains));
    }
    if (!getenv("AMBLER_BENCH_KEEP")) {
        unlink(path.c_str());
        rmdir(dirTemplate);
    } else {
        std::printf("scene kept in %s\n", dir.c_str());
    }
    return 0;
}
