// posix_programs.cpp -- the program's own path and the programs it runs.
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/system.h"

extern char** environ;

const char* Sys_ProgramPath(char* buffer, size_t size) {
    if (size == 0) return nullptr;
    ssize_t length = readlink("/proc/self/exe", buffer, size - 1);
    if (length <= 0) return nullptr;
    buffer[length] = '\0';
    return buffer;
}

bool Sys_RunProgram(const char* const* argv, int* exitStatus, int* error) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child;
    int started = posix_spawn(&child, argv[0], &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        if (error) *error = started;
        return false;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    *exitStatus = WIFSIGNALED(status) ? -WTERMSIG(status) : WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    return true;
}
