// scene_reader_fuzz.cpp -- libFuzzer target: the scene reader on arbitrary
// bytes with arbitrary standard-input sizes, then the derived values, the
// closing flags and a few frames of motion and drawing on what was read
// (GL calls go to no-op stubs, so every table access is still checked).
//
// Input: an optional prefix up to a zero byte within the first
// FUZZ_PREFIX_LIMIT bytes, then the scene text. The prefix's first byte
// chooses the keys held during the frames, the rest is standard input.
// Without a prefix the whole input is the scene, with no standard input
// and Up held.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "app/app.h"
#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "scene/stdin_sizes.h"
#include "fuzz/fuzz_input.h"

constexpr int FUZZ_FRAMES = 3;  // enough for a key's effect and a frame after it

// The key-held flags as the key handler would leave them for a mask of
// FUZZ_KEY_* bits.
static HeldKeys KeysOf(unsigned mask) {
    HeldKeys keys;
    keys.upHeld = (mask & FUZZ_KEY_UP) != 0;
    keys.downHeld = (mask & FUZZ_KEY_DOWN) != 0;
    keys.leftHeld = (mask & FUZZ_KEY_LEFT) != 0;
    keys.rightHeld = (mask & FUZZ_KEY_RIGHT) != 0;
    keys.ctrlHeld = (mask & FUZZ_KEY_CTRL) != 0;
    keys.spaceHeld = (mask & FUZZ_KEY_SPACE) != 0;
    keys.moveKeyHeld = keys.upHeld || keys.downHeld;
    keys.sideKeyHeld = keys.leftHeld || keys.rightHeld;
    return keys;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSceneInput input = SplitFuzzSceneInput(data, size);
    // A scene of its own for every input, as every load makes a new one.
    auto level = std::make_unique<LoadedScene>();
    SceneReadOptions options;
    options.stdinText = input.stdinText.c_str();
    level->read = ReadSceneFromMemory(level->scene, input.scene, input.sceneLength, options);
    StartLoadedScene(*level);
    SetClosingSentinels(level->scene);
    // Frames as the frame function runs them once pacing lets them through.
    for (int frame = 0; frame < FUZZ_FRAMES; frame++) {
        HeldKeys keys = KeysOf(frame + 1 < FUZZ_FRAMES ? input.keys : 0);
        StepMotion(*level, keys);
        DrawFrameStages(*level, keys);
        FinishFrame();
    }
    return 0;
}
