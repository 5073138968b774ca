// seed_corpus.cpp -- writes the scene fuzz target's seed inputs: small
// generated scenes of every shape the file can take (each list, an avatar
// with joints, actors with parts, joints and waypoints, obstacles) in every
// view mode, some with held keys and standard-input sizes in the prefix.
//
// Usage: ambler-fuzz-seeds DIR   (DIR must exist)
#include <cstdio>
#include <fstream>
#include <string>

#include "fuzz/fuzz_input.h"
#include "scene/scene.h"
#include "tools/lib/scene_writer.h"

struct SeedShape {
    const char* name;
    SceneShape shape;
    int viewMode;
    unsigned keys;          // 0: the whole seed is the scene (no prefix)
    const char* stdinText;  // used only with a prefix
};

// Small on purpose: the fuzzer mutates faster on short inputs, and every
// record kind appears at least once.
static const SeedShape SEEDS[] = {
    {"empty", {}, 1, 0, ""},
    {"textured", {.texVertices = 12, .textureNames = 3, .seed = 2}, 1, 0, ""},
    {"flat", {.flatVertices = 15, .seed = 3}, 2, 0, ""},
    {"obstacles", {.flatVertices = 6, .obstacles = 6, .seed = 4}, 1, FUZZ_KEY_UP, ""},
    {"avatar", {.avatarVertices = 10, .avatarJoints = 3, .textureNames = 2, .seed = 5}, 3,
     FUZZ_KEY_UP | FUZZ_KEY_LEFT, ""},
    {"actors",
     {.actors = 3, .partVertices = 7, .actorJoints = 2, .waypoints = 2, .obstacles = 3, .seed = 6},
     1, FUZZ_KEY_UP, "2 9 2 4"},
    {"drive", {.texVertices = 8, .flatVertices = 8, .obstacles = 4, .seed = 7}, 2,
     FUZZ_KEY_UP | FUZZ_KEY_RIGHT | FUZZ_KEY_CTRL, ""},
    {"chase",
     {.texVertices = 6, .avatarVertices = 6, .avatarJoints = 2, .actors = 1, .partVertices = 4,
      .actorJoints = 1, .obstacles = 2, .seed = 8},
     4, FUZZ_KEY_UP | FUZZ_KEY_SPACE, "0 3"},
    {"walk-jump", {.flatVertices = 5, .obstacles = 2, .seed = 9}, 1, FUZZ_KEY_SPACE | FUZZ_KEY_DOWN,
     ""},
    {"walk-crouch", {.flatVertices = 5, .seed = 10}, 1, FUZZ_KEY_CTRL | FUZZ_KEY_RIGHT, ""},
    {"everything",
     {.texVertices = 6, .flatVertices = 6, .avatarVertices = 6, .avatarJoints = 2, .actors = 2,
      .partVertices = 5, .actorJoints = 2, .waypoints = 3, .obstacles = 3, .textureNames = 2,
      .seed = 11},
     3, FUZZ_KEY_UP | FUZZ_KEY_RIGHT, "1 6 1 5"},
};

static bool WriteSeed(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return bool(out);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    int written = 0;
    for (const SeedShape& seed : SEEDS) {
        SceneDescription scene;
        GenerateScene(scene, seed.shape);
        SetSetting(scene, FIELD_viewMode, seed.viewMode);
        for (bool crlf : {false, true}) {
            std::string text = FormatScene(scene, SceneWriteOptions{crlf});
            std::string bytes =
                seed.keys ? JoinFuzzSceneInput(seed.keys, seed.stdinText, text) : text;
            std::string path = dir + "/" + seed.name + (crlf ? "-crlf" : "") + ".seed";
            if (!WriteSeed(path, bytes)) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
            written++;
        }
    }
    std::printf("%d scene seeds in %s\n", written, dir.c_str());
    return 0;
}
