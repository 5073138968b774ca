// desktop.cpp -- real-window helpers over xdotool and xprop.
#include "tests/support/desktop.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

std::string Shell(const std::string& command, int* status) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int s = pclose(p);
    if (status) *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return out;
}

int StartProgram(const std::string& program, const std::string& dir) {
    int pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        execl(program.c_str(), program.c_str(), (char*)nullptr);
        _exit(127);
    }
    return pid;
}

static void SleepMs(int ms) {
    timespec t = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&t, nullptr);
}

std::string WaitForWindow(int pid, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        std::string out = Shell("xdotool search --onlyvisible --pid " + std::to_string(pid) +
                                " 2>/dev/null | head -n 1");
        while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
        if (!out.empty()) return out;
        SleepMs(50);
    }
    return "";
}

WindowGeometry GetGeometry(const std::string& window) {
    WindowGeometry g;
    std::istringstream in(Shell("xdotool getwindowgeometry --shell " + window + " 2>/dev/null"));
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq);
        int v = atoi(line.c_str() + eq + 1);
        if (key == "X") g.x = v;
        if (key == "Y") g.y = v;
        if (key == "WIDTH") g.width = v;
        if (key == "HEIGHT") g.height = v;
    }
    return g;
}

void GetScreenSize(int* width, int* height) {
    std::istringstream in(Shell("xdotool getdisplaygeometry"));
    in >> *width >> *height;
}

bool WaitForGeometry(const std::string& window, int timeoutMs,
                     bool (*want)(const WindowGeometry&, int, int)) {
    int sw, sh;
    GetScreenSize(&sw, &sh);
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        if (want(GetGeometry(window), sw, sh)) return true;
        SleepMs(50);
    }
    return false;
}

void SendKey(const std::string& window, const std::string& key) {
    Shell("xdotool windowfocus --sync " + window + " 2>/dev/null; xdotool key --clearmodifiers " +
          key);
}

int WaitForExit(int pid, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        SleepMs(10);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}
