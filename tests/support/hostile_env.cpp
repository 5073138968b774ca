// hostile_env.cpp -- giant bitmaps, one-texture scenes, and programs that are
// signalled and timed.
#include "tests/support/hostile_env.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>

#include "tests/support/hostile_scene.h"
#include "tests/support/temp_scene.h"

static void Put32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    for (int k = 0; k < 4; k++) b[at + k] = (unsigned char)(v >> (8 * k));
}

void WriteGiantBitmap(const std::string& path, int width, int height) {
    std::vector<unsigned char> head(54, 0);
    uint64_t row = ((uint64_t)width * 3 + 3) / 4 * 4;
    uint64_t size = 54 + row * (uint64_t)height;
    head[0] = 'B';
    head[1] = 'M';
    Put32(head, 2, (uint32_t)size);
    Put32(head, 10, 54);
    Put32(head, 14, 40);
    Put32(head, 18, (uint32_t)width);
    Put32(head, 22, (uint32_t)height);
    head[26] = 1;   // planes
    head[28] = 24;  // bits per pixel
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(write(fd, head.data(), head.size()), (ssize_t)head.size());
    ASSERT_EQ(ftruncate(fd, (off_t)size), 0);
    close(fd);
}

void WriteSceneNaming(const std::string& dir, const std::string& texture) {
    ASSERT_TRUE(SaveTextFile(dir + "/Hod.pro", SceneParts(texture).Text()));
}

Started StartIn(const std::string& dir, const std::vector<std::string>& argv, bool stdinNeverEnds,
                const std::string& stderrPath, const std::vector<std::string>& environment) {
    Started s;
    int pipeFds[2] = {-1, -1};
    if (stdinNeverEnds && pipe(pipeFds) != 0) return s;
    s.pid = fork();
    if (s.pid == 0) {
        int in = stdinNeverEnds ? pipeFds[0] : open("/dev/null", O_RDONLY);
        dup2(in, 0);
        if (stdinNeverEnds) close(pipeFds[1]);
        int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0) dup2(err, 2);
        if (chdir(dir.c_str()) != 0) _exit(127);
        for (const std::string& setting : environment) putenv(const_cast<char*>(setting.c_str()));
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    if (stdinNeverEnds) {
        close(pipeFds[0]);
        s.stdinWriter = pipeFds[1];
    }
    return s;
}

std::vector<std::string> HoldEnvironment(const std::string& file, const char* call, int after,
                                         const std::string& sign) {
    std::vector<std::string> environment = {
        std::string("LD_PRELOAD=") + AMBLER_HOLD_IO_LIB, "AMBLER_HOLD_FILE=" + file,
        std::string("AMBLER_HOLD_CALL=") + call, "AMBLER_HOLD_AFTER=" + std::to_string(after),
        "AMBLER_HOLD_SIGN=" + sign};
    // A sanitizer build's runtime would refuse a library loaded before it.
    const char* asan = getenv("ASAN_OPTIONS");
    environment.push_back(std::string("ASAN_OPTIONS=") + (asan ? asan : "") +
                          ":verify_asan_link_order=0");
    return environment;
}

bool WaitForHold(const std::string& sign) {
    for (int waited = 0; waited < 30000; waited += 10) {
        if (access(sign.c_str(), F_OK) == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

static double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

int WaitForEnd(Started& program, int timeoutMs) {
    double end = NowMs() + timeoutMs;
    int status = 0, result = -1;
    for (;;) {
        if (waitpid(program.pid, &status, WNOHANG) == program.pid) {
            result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (NowMs() > end) {
            kill(program.pid, SIGKILL);
            waitpid(program.pid, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (program.stdinWriter >= 0) close(program.stdinWriter);
    program.stdinWriter = -1;
    return result;
}

int SignalAndWait(Started& program, int sig, int timeoutMs, double* elapsedMs) {
    double start = NowMs();
    kill(program.pid, sig);
    int status = WaitForEnd(program, timeoutMs);
    *elapsedMs = NowMs() - start;
    return status;
}

std::vector<int> ChildrenOf(int pid) {
    std::vector<int> children;
    DIR* proc = opendir("/proc");
    while (dirent* e = proc ? readdir(proc) : nullptr) {
        char path[300], text[512];
        snprintf(path, sizeof path, "/proc/%s/stat", e->d_name);
        FILE* f = e->d_name[0] >= '1' && e->d_name[0] <= '9' ? fopen(path, "r") : nullptr;
        if (!f) continue;
        size_t n = fread(text, 1, sizeof text - 1, f);
        fclose(f);
        text[n] = 0;
        const char* close = strrchr(text, ')');
        int parent = 0;
        if (close && sscanf(close + 1, " %*c %d", &parent) == 1 && parent == pid)
            children.push_back(atoi(e->d_name));
    }
    if (proc) closedir(proc);
    return children;
}
