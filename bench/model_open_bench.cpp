// model_open_bench.cpp -- time from exec to the first frame swapped for
// `ambler MODEL` on the largest test model: cold (an empty cache, so the
// import runs first) against cached (the scene already in the cache), in
// interleaved pairs. Prints the median of each with its minimum and
// maximum, and the median of the pairs' ratios.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

static double Now() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count();
}

// Seconds from the fork to the probe's first swap; -1 on failure.
static double TimeToFirstFrame(const std::string& model, const std::string& cache, const std::string& stampFile) {
    std::remove(stampFile.c_str());
    std::string program = std::string(AMBLER_BIN_DIR) + "/ambler";
    std::string probe = std::string(AMBLER_BIN_DIR) + "/libfirst_frame_probe.so";
    double start = Now();
    pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        setenv("LD_PRELOAD", probe.c_str(), 1);
        setenv("AMBLER_FIRST_FRAME_FILE", stampFile.c_str(), 1);
        if (!freopen("/dev/null", "r", stdin) || !freopen("/dev/null", "w", stderr)) _exit(127);
        execl(program.c_str(), program.c_str(), model.c_str(), (char*)nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::ifstream stamp(stampFile);
    double swapped = -1;
    if (!(stamp >> swapped)) return -1;
    return swapped - start;
}

static void Print(const char* what, std::vector<double> v, const char* unit) {
    std::sort(v.begin(), v.end());
    std::printf("  %-22s median %.3f%s (min %.3f, max %.3f)\n", what, v[v.size() / 2], unit, v.front(), v.back());
}

int main(int argc, char** argv) {
    const int PAIRS = argc > 1 ? std::atoi(argv[1]) : 5;
    // The largest model of assimp-testmodels that the tests import.
    std::string model = "/usr/share/assimp/models/BLEND/SuzanneSubdiv_252.blend";
    if (!std::filesystem::exists(model)) return std::printf("no %s (assimp-testmodels)\n", model.c_str()), 0;
    char dirTemplate[] = "/tmp/ambler-model-open-XXXXXX";
    if (!mkdtemp(dirTemplate)) return 1;
    std::string dir = dirTemplate, stamp = dir + "/stamp", warm = dir + "/warm";
    if (TimeToFirstFrame(model, warm, stamp) < 0) return std::printf("no frame was swapped (is there a display?)\n"), 1;
    std::vector<double> cold, cached, ratio;
    for (int k = 0; k < PAIRS; k++) {
        std::string empty = dir + "/cold" + std::to_string(k);
        double a = TimeToFirstFrame(model, empty, stamp), b = TimeToFirstFrame(model, warm, stamp);
        std::filesystem::remove_all(empty);
        if (a < 0 || b < 0) return std::printf("a start swapped no frame\n"), 1;
        cold.push_back(a);
        cached.push_back(b);
        ratio.push_back(a / b);
    }
    std::printf("ambler %s, time from exec to the first frame, %d interleaved pairs:\n", model.c_str(), PAIRS);
    Print("cold (import first)", cold, " s");
    Print("cached", cached, " s");
    Print("cold / cached", ratio, "");
    std::filesystem::remove_all(dir);
    return 0;
}
