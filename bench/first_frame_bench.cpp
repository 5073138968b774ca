// first_frame_bench.cpp -- time from exec to the first frame swapped, for
// each demo scene: `ambler` is started in the demo's folder with a probe
// preloaded that notes the clock at the first swap and ends the process.
// Prints the median of several starts with the minimum and maximum.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

// The monotonic clock in seconds.
static double Now() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count();
}

// Seconds from the fork before exec to the probe's first swap; -1 on failure.
static double TimeToFirstFrame(const std::string& sceneDir, const std::string& stampFile) {
    std::remove(stampFile.c_str());
    std::string program = std::string(AMBLER_BIN_DIR) + "/ambler";
    std::string probe = std::string(AMBLER_BIN_DIR) + "/libfirst_frame_probe.so";
    double start = Now();
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(sceneDir.c_str()) != 0) _exit(127);
        setenv("LD_PRELOAD", probe.c_str(), 1);
        setenv("AMBLER_FIRST_FRAME_FILE", stampFile.c_str(), 1);
        freopen("/dev/null", "r", stdin);
        execl(program.c_str(), program.c_str(), (char*)nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::ifstream stamp(stampFile);
    double swapped = -1;
    if (!(stamp >> swapped)) return -1;
    return swapped - start;
}

int main() {
    const int STARTS = 7;
    char dirTemplate[] = "/tmp/ambler-first-frame-XXXXXX";
    if (!mkdtemp(dirTemplate)) return 1;
    std::string stampFile = std::string(dirTemplate) + "/stamp";
    std::printf("time from exec to the first frame swapped, %d starts each:\n", STARTS);
    for (const char* demo : {"walk", "follow", "drive", "chase"}) {
        std::string dir = std::string(AMBLER_SOURCE_DIR) + "/scenes/" + demo;
        std::vector<double> seconds;
        for (int k = 0; k < STARTS; ++k) {
            double t = TimeToFirstFrame(dir, stampFile);
            if (t < 0) {
                std::printf("  %-7s no frame was swapped (is there a display?)\n", demo);
                break;
            }
            seconds.push_back(t);
        }
        if (seconds.size() != (size_t)STARTS) continue;
        std::sort(seconds.begin(), seconds.end());
        std::ifstream scene(dir + "/Hod.pro", std::ios::binary | std::ios::ate);
        std::printf("  %-7s %6.1f KB scene: median %.3f s (min %.3f, max %.3f)\n", demo,
                    (double)scene.tellg() / 1e3, seconds[STARTS / 2], seconds.front(),
                    seconds.back());
    }
    std::remove(stampFile.c_str());
    rmdir(dirTemplate);
    return 0;
}
