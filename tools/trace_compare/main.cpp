// main.cpp -- ambler-trace-compare [--float-modelview] A B: exit 0 when the
// two replay traces agree (integers exactly, doubles to a relative 1e-9; with
// the option the modelview to single precision), 1 with the first
// difference when they do not, 2 when a file cannot be read.
#include <cstring>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/lib/trace_compare.h"

// The whole file, or false when it cannot be read.
static bool ReadAll(const char* path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream ss;
    ss << in.rdbuf();
    *text = ss.str();
    return true;
}

int main(int argc, char** argv) {
    bool floatModelview = argc == 4 && std::strcmp(argv[1], "--float-modelview") == 0;
    if (argc != 3 && !floatModelview) {
        fprintf(stderr, "usage: ambler-trace-compare [--float-modelview] TRACE_A TRACE_B\n");
        return 2;
    }
    char** files = argv + argc - 2;
    std::string a, b, where;
    for (int k = 0; k < 2; k++) {
        if (!ReadAll(files[k], k == 0 ? &a : &b)) {
            fprintf(stderr, "ambler-trace-compare: cannot read %s\n", files[k]);
            return 2;
        }
    }
    if (TracesAgree(a, b, &where, floatModelview ? TRACE_FLOAT_MODELVIEW_TOLERANCE : 0)) return 0;
    printf("traces differ at %s\n", where.c_str());
    return 1;
}
