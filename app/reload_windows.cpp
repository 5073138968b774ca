// reload_windows.cpp -- the check of a reload in a process of its own on
// Windows, which has no fork: the program is started again with the hidden
// RELOAD_CHECK_OPTION, the text goes to it through a pipe on its standard
// input, and its diagnostics come back through another on its output.
#ifdef _WIN32
#undef APIENTRY
#undef WINGDIAPI
#undef CALLBACK
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <string>

#include "app/author.h"

constexpr DWORD REPORT_PIPE_BYTES = 1 << 16;  // a long report never waits on the reader

// Writes all of text to pipe; false when the reader went away.
static bool WriteAll(HANDLE pipe, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        DWORD chunk = (DWORD)std::min<size_t>(text.size() - done, 1 << 20), wrote = 0;
        if (!WriteFile(pipe, text.data() + done, chunk, &wrote, nullptr) || wrote == 0)
            return false;
        done += wrote;
    }
    return true;
}

int CheckSceneTextInChildProcess(const std::string& text, const std::string& file,
                                 std::string* report) {
    char self[4096];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self) return -1;
    // Only the child's ends are inherited.
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE textRead, textWrite, reportRead, reportWrite;
    if (!CreatePipe(&textRead, &textWrite, &inherit, 0)) return -1;
    if (!CreatePipe(&reportRead, &reportWrite, &inherit, REPORT_PIPE_BYTES)) {
        CloseHandle(textRead);
        CloseHandle(textWrite);
        return -1;
    }
    SetHandleInformation(textWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(reportRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = textRead;
    start.hStdOutput = reportWrite;
    start.hStdError = reportWrite;  // anything else it says reaches the user with the report
    // Windows paths hold no double quote, so quoting each argument is enough.
    std::string command = std::string("\"") + self + "\" " + RELOAD_CHECK_OPTION + " \"" + file + "\"";
    PROCESS_INFORMATION child = {};
    BOOL started = CreateProcessA(self, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                  nullptr, nullptr, &start, &child);
    CloseHandle(textRead);
    CloseHandle(reportWrite);
    if (!started) {
        CloseHandle(textWrite);
        CloseHandle(reportRead);
        return -1;
    }
    WriteAll(textWrite, text);  // a child that stopped reading says why in its report
    CloseHandle(textWrite);
    char buffer[4096];
    DWORD got;
    while (ReadFile(reportRead, buffer, sizeof buffer, &got, nullptr) && got > 0)
        report->append(buffer, got);
    CloseHandle(reportRead);
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 2;
    GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    return status == 0 ? 0 : status == 1 ? 1 : -1;
}
#endif
