// main.cpp -- ambler-scenegen OUT_DIR [NAME...]: writes the demo scenes
// (all four, or the ones named) into OUT_DIR/<name>/, the same on every run.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/signals.h"
#include "tools/scenegen/scenegen.h"

int main(int argc, char** argv) {
    InstallToolQuitSignals(0);
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: ambler-scenegen OUT_DIR [walk|follow|drive|chase]...\n");
        return 2;
    }
    std::string out = argv[1];
    if (mkdir(out.c_str(), 0777) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "ambler-scenegen: cannot create %s: %s\n", out.c_str(), std::strerror(errno));
        return 1;
    }
    std::vector<std::string> names;
    for (int k = 2; k < argc; k++) names.push_back(argv[k]);
    if (names.empty()) names.assign(DEMO_NAMES, DEMO_NAMES + 4);
    for (const std::string& name : names) {
        std::string error;
        if (!WriteDemo(name, out + "/" + name, &error)) {
            std::fprintf(stderr, "ambler-scenegen: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
