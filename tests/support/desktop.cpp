// desktop.cpp -- real-window helpers over xdotool and xprop.
#include "tests/support/desktop.h"

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "tests/support/tool_command.h"

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

int StartProgramLogged(const std::string& program, const std::vector<std::string>& args,
                       const std::string& errPath,
                       const std::vector<std::pair<std::string, std::string>>& env) {
    int pid = fork();
    if (pid == 0) {
        for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        if (chdir("/") != 0) _exit(127);
        int null = open("/dev/null", O_RDONLY);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(null, 0);
        dup2(err, 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

int StartProgramOnTerminal(const std::string& program, const std::string& dir, int* master) {
    int slave = -1;
    if (openpty(master, &slave, nullptr, nullptr, nullptr) != 0) return -1;
    int pid = fork();
    if (pid == 0) {
        close(*master);
        setsid();
        ioctl(slave, TIOCSCTTY, 0);
        dup2(slave, 0);
        dup2(slave, 1);
        dup2(slave, 2);
        if (slave > 2) close(slave);
        if (chdir(dir.c_str()) != 0) _exit(127);
        execl(program.c_str(), program.c_str(), (char*)nullptr);
        _exit(127);
    }
    close(slave);
    return pid;
}

static void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void PauseMs(int ms) { SleepMs(ms); }

std::string WaitForWindow(int pid, int timeoutMs) {
    timeoutMs *= WindowWaitScale();
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
    timeoutMs *= WindowWaitScale();
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

void HoldKey(const std::string& window, const std::string& key, bool down) {
    Shell("xdotool windowfocus --sync " + window + " 2>/dev/null; xdotool " +
          (down ? "keydown " : "keyup ") + key);
}

void MovePointer(int x, int y) {
    Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " 2>/dev/null");
}

void PressLeftButton(bool down) { Shell(std::string("xdotool ") + (down ? "mousedown 1" : "mouseup 1")); }

int WaitForExit(int pid, int timeoutMs) {
    timeoutMs *= WindowWaitScale();
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
