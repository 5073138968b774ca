// fscanf_scene_reader.cpp -- the yardstick as a process of its own: reads one
// scene file with fscanf into the same tables, so that the whole-process
// benchmark times it exactly as it times ambler-check.
#include <cstdio>
#include <memory>

#include "bench/load_bench_common.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: fscanf_scene_reader FILE\n", stderr);
        return 2;
    }
    auto scene = std::make_unique<Scene>();
    BaselineLoad(*scene, argv[1]);
    // Something that depends on the last field, so the reads cannot be skipped.
    std::printf("%d %g\n", scene->flatPolyVertexCount, scene->flatPolyX[scene->flatPolyVertexCount]);
    return 0;
}
