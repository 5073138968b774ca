// main.cpp -- ambler-check [DIR | FILE]: reads a scene file with the
// program's own reader and reports what a scene author needs to know.
// Exit status: 0 clean, 1 warnings only, 2 errors. It never creates a file,
// never reads standard input and opens no window.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/command_line.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "scene/stdin_sizes.h"
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
    struct stat info;
    if (stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        *dir = target;
        *file = target + "/Hod.pro";
        return;
    }
    *file = target;
    size_t slash = target.find_last_of('/');
    *dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
}

int main(int argc, char** argv) {
    if (argc >= 2 && !std::strcmp(argv[1], "--decode")) {
        if (argc != 4) return std::fputs(USAGE, stderr), 2;
        return DecodeCommand(argv[2], argv[3]);
    }
    if (argc == 2 && !std::strcmp(argv[1], "--version"))
        return std::printf("%s\n", VersionLine("ambler-check").c_str()), 0;
    bool help = argc == 2 && (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help"));
    bool unknownOption = argc == 2 && !help && argv[1][0] == '-' && argv[1][1] != 0;
    if (argc > 2 || help || unknownOption) {
        if (unknownOption) std::fprintf(stderr, "ambler-check: unknown option %s\n", argv[1]);
        std::fputs(USAGE, help ? stdout : stderr);
        return help ? 0 : USAGE_EXIT_STATUS;
    }
    std::string file, dir;
    ResolveTarget(argc == 2 ? argv[1] : ".", &file, &dir);
    struct stat info;
    if (stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::printf("%s: error: no scene file there (the program would create an empty one)\n",
                    file.c_str());
        return 2;
    }
    ResetSceneModel();
    RememberDefaultSettings();
    keepSideKeyMode = 1;  // report the file's own value
    sceneStdinText = "";
    sceneDiagnosticHook = CollectDiagnostic;
    bool opened = ReadSceneFile(file.c_str(), false);
    sceneDiagnosticHook = nullptr;
    if (!opened) {
        std::printf("%s: error: cannot read the scene file\n", file.c_str());
        return 2;
    }
    int errors = 0, warnings = 0;
    PrintSceneSummary(stdout, file, (long long)info.st_size);
    PrintTextures(stdout, dir, &warnings);
    PrintDiagnostics(stdout, file, &errors, &warnings);
    std::printf("%d error%s, %d warning%s\n", errors, errors == 1 ? "" : "s", warnings,
                warnings == 1 ? "" : "s");
    return errors ? 2 : warnings ? 1 : 0;
}
