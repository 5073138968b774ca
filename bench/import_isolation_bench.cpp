// import_isolation_bench.cpp -- what reading the model in a process of its
// own costs: whole imports of the largest test model, and of a textured one
// whose pictures cross the pipe, by ambler-import against the same import
// with the model read in-process (import_in_process), each a process of
// its own, in interleaved pairs. Prints the median, least and most of each
// and of the pairs' differences and ratios, in wall time and in processor
// time (user and system, the reading process included): on a shared
// machine the first also waits for the others' work, the second does not.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_util.h"

constexpr int PAIRS = 9;  // odd, for the median
const std::string MODELS = "/usr/share/assimp/models";

struct Timing {
    std::vector<double> wall, cpu;
};

static void PrintSpread(const char* what, std::vector<double> v, const char* unit) {
    std::sort(v.begin(), v.end());
    std::printf("   %-28s median %9.3f %s  min %9.3f  max %9.3f\n", what, Median(v), unit, v.front(), v.back());
}

// One whole import by program into a fresh folder; its wall time is
// returned and its processor time kept.
static double TimeImport(const std::string& program, const std::string& model, const std::string& out,
                         Timing* timing) {
    std::error_code ec;
    std::filesystem::remove_all(out, ec);
    std::string path = std::string(AMBLER_BIN_DIR) + "/" + program;
    std::fflush(stdout);  // or the child's copy of the buffer is printed too
    double start = NowMs();
    pid_t pid = fork();
    if (pid == 0) {
        freopen("/dev/null", "w", stdout);
        execl(path.c_str(), program.c_str(), model.c_str(), out.c_str(), (char*)nullptr);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    wait4(pid, &status, 0, &usage);
    double ms = NowMs() - start;
    timing->cpu.push_back((usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                          (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::printf("  %s failed on %s\n", program.c_str(), model.c_str());
    return ms;
}

static void PrintPairs(const char* what, const std::vector<double>& child, const std::vector<double>& inProcess) {
    std::vector<double> difference, ratio;
    for (size_t k = 0; k < child.size(); k++) {
        difference.push_back(child[k] - inProcess[k]);
        ratio.push_back(child[k] / inProcess[k]);
    }
    std::printf(" %s\n", what);
    PrintSpread("ambler-import", child, "ms");
    PrintSpread("read in-process", inProcess, "ms");
    PrintSpread("difference per pair", difference, "ms");
    PrintSpread("ratio per pair", ratio, "x ");
}

static void Compare(const std::string& name, const std::string& out) {
    std::string model = MODELS + "/" + name;
    Timing child, inProcess, warm;
    TimeImport("ambler-import", model, out, &warm);  // the file cache and the libraries
    TimeInterleaved(
        PAIRS, [&] { return TimeImport("ambler-import", model, out, &child); },
        [&] { return TimeImport("import_in_process", model, out, &inProcess); }, &child.wall, &inProcess.wall);
    std::printf("%s (%d interleaved pairs)\n", name.c_str(), PAIRS);
    PrintPairs("wall time", child.wall, inProcess.wall);
    PrintPairs("processor time", child.cpu, inProcess.cpu);
}

int main() {
    if (!std::filesystem::exists(MODELS)) {
        std::printf("assimp-testmodels is not installed\n");
        return 1;
    }
    std::string out = std::filesystem::temp_directory_path().string() + "/ambler-import-bench-" +
                      std::to_string(getpid());
    Compare("BLEND/SuzanneSubdiv_252.blend", out);  // the largest: a quarter million triangles
    Compare("OBJ/spider.obj", out);                 // five JPEG textures through the pipe
    std::error_code ec;
    std::filesystem::remove_all(out, ec);
    return 0;
}
