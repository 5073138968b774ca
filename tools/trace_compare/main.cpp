// main.cpp -- ambler-trace-compare A B: exit 0 when the two replay traces
// agree (integers exactly, doubles to a relative 1e-9), 1 with the first
// difference when they do not, 2 when a file cannot be read.
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
    if (argc != 3) {
        fprintf(stderr, "usage: ambler-trace-compare TRACE_A TRACE_B\n");
        return 2;
    }
    std::string a, b, where;
    for (int k = 1; k <= 2; k++) {
        if (!ReadAll(argv[k], k == 1 ? &a : &b)) {
            fprintf(stderr, "ambler-trace-compare: cannot read %s\n", argv[k]);
            return 2;
        }
    }
    if (TracesAgree(a, b, &where)) return 0;
    printf("traces differ at %s\n", where.c_str());
    return 1;
}
