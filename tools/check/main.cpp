// main.cpp -- ambler-check [DIR | FILE]: reads a scene file with the
// program's own reader and reports what a scene author needs to know.
// Exit status: 0 clean, 1 warnings only, 2 errors (or a report that could
// not be written), 128 + the signal when one cut it short. It never creates a file,
// never reads standard input and opens no window.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/command_line.h"
#include "app/paths.h"
#include "app/signals.h"
#include "scene/memory_budget.h"
#include "scene/scene.h"
#include "scene/scene_diagnostics.h"
#include "scene/scene_file.h"
#include "tools/check/check.h"

static const char USAGE[] =
    "usage: ambler-check [DIR | FILE]\n"
    "       ambler-check --decode FILE.bmp OUT.png\n"
    "       ambler-check --help | --version\n"
    "Checks DIR/Hod.pro (default: ./Hod.pro) or the given scene file, or writes\n"
    "a bitmap as the program decodes it.\n";

// The scene file a DIR or FILE argument names, and the folder its texture
// names are relative to.
static void ResolveTarget(const std::string& target, std::string* file, std::string* dir) {
    if (IsFolder(target)) {
        *dir = FolderForm(target);
        *file = *dir + "/Hod.pro";
        return;
    }
    *file = target;
    std::string name;
    SplitPath(target, dir, &name);
}

// A report that did not reach its reader is a failure, whatever it said.
static int Reported(int status) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
    std::fprintf(stderr, "ambler-check: cannot write the report: %s\n", std::strerror(errno));
    return 2;
}

// What is wrong with a scene file the reader could not use, and what the
// program would do with it in the working folder.
static std::string UnusableSceneFile(SceneFileOutcome outcome, const std::string& file) {
    const std::string emptyScene = " (the program would show a message and run an empty scene)";
    struct stat link;
    switch (outcome) {
        case SCENE_MISSING:
            if (lstat(file.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
                return "a link to a missing file (the program would not create a file through "
                       "it; it would show a message and run an empty scene)";
            return "no scene file there (the program would create an empty one and run an "
                   "empty scene)";
        case SCENE_NOT_REGULAR: {
            struct stat info;
            const char* kind = stat(file.c_str(), &info) != 0 ? "not a regular file"
                               : S_ISDIR(info.st_mode)        ? "a folder, not a file"
                               : S_ISFIFO(info.st_mode)       ? "a FIFO, not a regular file"
                               : S_ISSOCK(info.st_mode)       ? "a socket, not a regular file"
                                                               : "a device, not a regular file";
            return kind + emptyScene;
        }
        case SCENE_OUT_OF_MEMORY:
            return "the scene needs more than its memory budget of " +
                   std::to_string(SCENE_MEMORY_BUDGET >> 20) +
                   " MB (the program would show \"Out of memory.\" and run an empty scene)";
        case SCENE_NOT_CREATED:
        case SCENE_UNREADABLE:
        case SCENE_READ:
            break;
    }
    int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    std::string why = fd < 0 ? std::strerror(errno) : "a read failed";
    if (fd >= 0) close(fd);
    return "cannot read the scene file: " + why + emptyScene;
}

int main(int argc, char** argv) {
    InstallToolQuitSignals(0);  // nothing to finish: a check cut short just ends
    if (argc >= 2 && !std::strcmp(argv[1], "--decode")) {
        if (argc != 4) return std::fputs(USAGE, stderr), 2;
        return Reported(DecodeCommand(argv[2], argv[3]));
    }
    if (argc == 2 && !std::strcmp(argv[1], "--version"))
        return std::printf("%s\n", VersionLine("ambler-check").c_str()), Reported(0);
    bool help = argc == 2 && (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help"));
    bool unknownOption = argc == 2 && !help && argv[1][0] == '-' && argv[1][1] != 0;
    if (argc > 2 || help || unknownOption) {
        if (unknownOption) std::fprintf(stderr, "ambler-check: unknown option %s\n", argv[1]);
        std::fputs(USAGE, help ? stdout : stderr);
        return Reported(help ? 0 : USAGE_EXIT_STATUS);
    }
    std::string file, dir;
    ResolveTarget(argc == 2 ? argv[1] : ".", &file, &dir);
    std::vector<SceneDiagnostic> diagnostics;
    SceneReadOptions options;
    options.keepSideKeyMode = true;  // report the file's own value
    options.diagnostics = &diagnostics;
    auto scene = std::make_unique<Scene>();
    SceneReadResult read = ReadSceneFile(*scene, file.c_str(), false, options);
    if (read.outcome != SCENE_READ) {
        std::printf("%s: error: %s\n", file.c_str(), UnusableSceneFile(read.outcome, file).c_str());
        return Reported(2);
    }
    struct stat info;
    long long size = stat(file.c_str(), &info) == 0 ? (long long)info.st_size : 0;
    int errors = 0, warnings = 0;
    PrintSceneSummary(stdout, *scene, file, size);
    PrintTextures(stdout, *scene, dir, &warnings);
    std::fputs(FormatSceneDiagnostics(diagnostics, *scene, file, &errors, &warnings).c_str(),
               stdout);
    std::printf("%d error%s, %d warning%s\n", errors, errors == 1 ? "" : "s", warnings,
                warnings == 1 ? "" : "s");
    return Reported(errors ? 2 : warnings ? 1 : 0);
}
