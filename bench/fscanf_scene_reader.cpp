// fscanf_scene_reader.cpp -- the yardstick as a process of its own: reads one
// scene file with fscanf into the same tables, so that the whole-process
// benchmark times it exactly as it times ambler-check.
#include <cstdio>

#include "bench/load_bench_common.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: fscanf_scene_reader FILE\n", stderr);
        return 2;
    }
    ResetSceneModel();
    BaselineLoad(argv[1]);
    // Something that depends on the last field, so the reads cannot be skipped.
    std::printf("%d %g\n", flatPolyVertexCount, flatPolyX[flatPolyVertexCount]);
    return 0;
}
