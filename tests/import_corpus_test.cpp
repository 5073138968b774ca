// import_corpus_test.cpp -- damaged copies of real models of every format
// (cut short, bytes flipped, runs repeated, numbers replaced; a fixed
// seed) go through ambler-import. Each must end with status 0, 1 or 2,
// never by a signal and never hung past its time limit; a failed import
// leaves no folder, and an imported one passes the checker. Prints how
// each ended.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <thread>

#include "tests/import_support.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string MODELS = "/usr/share/assimp/models";
constexpr unsigned SEED = 29;
constexpr int SOURCES = 75;                          // four damaged copies of each
constexpr size_t MAX_SOURCE_BYTES = 512 * 1024;      // keeps the whole run to a minute or two
constexpr const char* TIME_LIMIT = "4";              // seconds, given to the importer
constexpr int HUNG_AFTER_S = 4 + 120;                // the importer's limit and a loaded machine's slack
constexpr int RUNNING_AT_ONCE = 2;

const char* const MODEL_EXTENSIONS[] = {
    "3d", "3ds", "3mf", "ac", "amf", "ase", "b3d", "blend", "bvh", "cob", "csm", "dae", "dxf", "fbx",
    "glb", "gltf", "hmp", "ifc", "iqm", "irr", "irrmesh", "lwo", "lws", "lxo", "m3d", "md2", "md5mesh",
    "mdc", "mdl", "ms3d", "nff", "obj", "off", "ogex", "ply", "q3o", "raw", "sib", "smd", "stl", "ter",
    "wrl", "x", "x3d", "xgl", "zae", "zgl",
};

std::string Lower(std::string s) {
    for (char& c : s) c = (char)std::tolower((unsigned char)c);
    return s;
}

// Model files of every format, small enough to go through quickly, in a
// fixed order, spread evenly over that order.
std::vector<std::string> SourceModels() {
    std::vector<std::string> all;
    for (const auto& entry : fs::recursive_directory_iterator(MODELS)) {
        if (!entry.is_regular_file() || entry.file_size() > MAX_SOURCE_BYTES || entry.file_size() == 0) continue;
        std::string ext = Lower(entry.path().extension().string());
        for (const char* e : MODEL_EXTENSIONS)
            if (ext == std::string(".") + e) all.push_back(entry.path().string());
    }
    std::sort(all.begin(), all.end());
    std::vector<std::string> chosen;
    for (int k = 0; k < SOURCES && !all.empty(); k++) chosen.push_back(all[k * all.size() / SOURCES]);
    return chosen;
}

enum Damage { CUT, FLIPPED, REPEATED, RENUMBERED, DAMAGE_COUNT };
const char* const DAMAGE_NAMES[] = {"cut", "flipped", "repeated", "renumbered"};

void FlipBytes(std::string& b, std::mt19937& rng) {
    int flips = 1 + (int)(rng() % 8);
    for (int k = 0; k < flips; k++) b[rng() % b.size()] ^= (char)(1 + rng() % 255);
}

// Numbers in the text swapped for ones a reader may trip on; a file with
// no digits gets flipped bytes.
void Renumber(std::string& b, std::mt19937& rng) {
    static const char* const NUMBERS[] = {"0", "-1", "65535", "4294967296", "999999999", "-2147483649",
                                          "1e38", "nan", "inf", "0.0000001"};
    std::vector<std::pair<size_t, size_t>> runs;  // start, length
    for (size_t k = 0; k < b.size();) {
        if (!std::isdigit((unsigned char)b[k])) {
            k++;
            continue;
        }
        size_t end = k;
        while (end < b.size() && (std::isdigit((unsigned char)b[end]) || b[end] == '.')) end++;
        runs.push_back({k, end - k});
        k = end;
    }
    if (runs.empty()) return FlipBytes(b, rng);
    int changes = 1 + (int)(rng() % 8);
    std::vector<std::pair<size_t, size_t>> picked;
    for (int k = 0; k < changes; k++) picked.push_back(runs[rng() % runs.size()]);
    std::sort(picked.rbegin(), picked.rend());  // from the end, so earlier places stay put
    picked.erase(std::unique(picked.begin(), picked.end()), picked.end());
    for (auto [at, length] : picked) b.replace(at, length, NUMBERS[rng() % std::size(NUMBERS)]);
}

std::string Damaged(const std::string& bytes, Damage damage, std::mt19937& rng) {
    std::string b = bytes;
    switch (damage) {
        case CUT: b.resize(rng() % b.size()); break;
        case FLIPPED: FlipBytes(b, rng); break;
        case REPEATED: {
            size_t length = 1 + rng() % std::min<size_t>(4096, b.size());
            size_t from = rng() % (b.size() - length + 1);
            int copies = 1 + (int)(rng() % 4);
            std::string run = b.substr(from, length);
            size_t to = rng() % (b.size() + 1);
            for (int k = 0; k < copies; k++) b.insert(to, run);
            break;
        }
        default: Renumber(b, rng); break;
    }
    return b;
}

// A damaged copy in a folder of its own, with links to what lies beside
// the original (materials, buffers, pictures), so the model finds them.
std::string PlaceDamagedCopy(const std::string& source, const std::string& dir, const std::string& bytes) {
    fs::create_directories(dir);
    std::error_code ec;
    fs::path original(source);
    int siblings = 0;
    for (const auto& entry : fs::directory_iterator(original.parent_path(), ec)) {
        if (entry.path() == original || !entry.is_regular_file() || ++siblings > 200) continue;
        fs::create_symlink(entry.path(), fs::path(dir) / entry.path().filename(), ec);
    }
    std::string copy = dir + "/" + original.filename().string();
    SaveTextFile(copy, bytes);
    return copy;
}

struct Import {
    std::string model, out, errors, label;
    pid_t pid = 0;
    Clock::time_point began;
    int status = 0;
    bool hung = false;
};

void Start(Import& run) {
    std::string program = std::string(AMBLER_BIN_DIR) + "/ambler-import";
    run.began = Clock::now();
    run.pid = fork();
    if (run.pid == 0) {
        int null = open("/dev/null", O_RDWR), err = open(run.errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(null, 0);
        dup2(null, 1);
        dup2(err, 2);
        execl(program.c_str(), "ambler-import", "--no-progress", "--time-limit", TIME_LIMIT, run.model.c_str(),
              run.out.c_str(), (char*)nullptr);
        _exit(127);
    }
}

// Runs the imports a few at a time; one that outlives its limit by far is
// killed and marked hung.
void RunAll(std::vector<Import>& runs) {
    size_t next = 0, running = 0;
    std::map<pid_t, Import*> byPid;
    while (next < runs.size() || running > 0) {
        while (running < RUNNING_AT_ONCE && next < runs.size()) {
            Start(runs[next]);
            byPid[runs[next].pid] = &runs[next];
            next++, running++;
        }
        int status = 0;
        pid_t done = waitpid(-1, &status, WNOHANG);
        if (done > 0 && byPid.count(done)) {
            byPid[done]->status = status;
            byPid.erase(done);
            running--;
            continue;
        }
        for (auto& [pid, run] : byPid)
            if (!run->hung && Clock::now() - run->began > std::chrono::seconds(HUNG_AFTER_S)) {
                run->hung = true;
                kill(pid, SIGKILL);
            }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string LastLine(const std::string& text) {
    std::string t = text;
    while (!t.empty() && t.back() == '\n') t.pop_back();
    return t.substr(t.find_last_of('\n') == std::string::npos ? 0 : t.find_last_of('\n') + 1);
}

// How a finished import ended, from its status and its last line.
std::string Ending(int status, const std::string& line) {
    if (status == 0) return "imported";
    if (line.find("took longer than") != std::string::npos) return "stopped at the time limit";
    if (line.find("ran out of memory") != std::string::npos) return "stopped at the memory limit";
    if (line.find("tried what it may not") != std::string::npos) return "stopped by the system call filter";
    size_t crashed = line.find("crashed (");
    if (crashed != std::string::npos) return "reader crashed: " + line.substr(crashed + 9, line.find(')', crashed) - crashed - 9);
    return "refused with a message";
}

}  // namespace

TEST(ImportCorpus, DamagedModelsEndWithAStatusInTimeAndLeaveNothingWhenTheyFail) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer build's reader has no memory limit; the fuzz targets cover this code";
#endif
    if (!FileExists(MODELS + "/OBJ/spider.obj")) GTEST_SKIP() << "assimp-testmodels is not installed";
    TempDir temp("import-corpus");
    std::vector<std::string> sources = SourceModels();
    ASSERT_EQ(sources.size(), (size_t)SOURCES);
    std::vector<Import> runs;
    for (size_t s = 0; s < sources.size(); s++) {
        std::string bytes = ReadWholeFile(sources[s]);
        for (int d = 0; d < DAMAGE_COUNT; d++) {
            std::mt19937 rng(SEED * 1000 + (unsigned)(s * DAMAGE_COUNT + d));
            std::string dir = temp.File(std::to_string(s) + "-" + DAMAGE_NAMES[d]);
            Import run;
            run.model = PlaceDamagedCopy(sources[s], dir, Damaged(bytes, (Damage)d, rng));
            run.out = dir + "/scene";
            run.errors = dir + ".err";
            run.label = sources[s].substr(MODELS.size() + 1) + " (" + DAMAGE_NAMES[d] + ")";
            runs.push_back(run);
        }
    }
    RunAll(runs);

    std::map<std::string, int> endings;
    for (const Import& run : runs) {
        SCOPED_TRACE(run.label);
        std::string errors = ReadWholeFile(run.errors), line = LastLine(errors);
        ASSERT_FALSE(run.hung) << "hung past its limit";
        ASSERT_TRUE(WIFEXITED(run.status)) << "ended by signal " << WTERMSIG(run.status);
        int status = WEXITSTATUS(run.status);
        EXPECT_TRUE(status == 0 || status == 1 || status == 2) << status;
        std::string dir = run.out.substr(0, run.out.find_last_of('/'));
        for (const std::string& name : FolderNames(dir))
            EXPECT_EQ(name.find(".ambler-import-"), std::string::npos) << "a folder under way left behind";
        if (status != 0) {
            EXPECT_FALSE(FileExists(run.out)) << "a failed import left its folder";
            if (status == 2) {
                EXPECT_EQ(line.rfind("ambler-import: " + run.model + ": ", 0), 0u) << errors;
            }
        } else {
            std::string check;
            EXPECT_EQ(RunBuiltTool("ambler-check", run.out, &check), 0) << check;
        }
        std::string ending = Ending(status, line);
        endings[ending]++;
        if (ending != "imported" && ending != "refused with a message")
            std::printf("  %-52s %s\n", run.label.c_str(), ending.c_str());
    }
    std::printf("%zu damaged models (%d sources, seed %u, time limit %s s):\n", runs.size(), SOURCES, SEED,
                TIME_LIMIT);
    for (const auto& [ending, count] : endings) std::printf("  %4d %s\n", count, ending.c_str());
}
