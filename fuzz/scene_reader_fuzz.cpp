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
static void HoldKeys(unsigned mask) {
    heldKeys.upHeld = (mask & FUZZ_KEY_UP) != 0;
    heldKeys.downHeld = (mask & FUZZ_KEY_DOWN) != 0;
    heldKeys.leftHeld = (mask & FUZZ_KEY_LEFT) != 0;
    heldKeys.rightHeld = (mask & FUZZ_KEY_RIGHT) != 0;
    heldKeys.ctrlHeld = (mask & FUZZ_KEY_CTRL) != 0;
    heldKeys.spaceHeld = (mask & FUZZ_KEY_SPACE) != 0;
    heldKeys.moveKeyHeld = heldKeys.upHeld || heldKeys.downHeld;
    heldKeys.sideKeyHeld = heldKeys.leftHeld || heldKeys.rightHeld;
}

// One frame as the frame function runs it once pacing lets it through.
static void RunFrame() {
    boundTexture = 0;
    StepMotion();
    DrawFrameStages(heldKeys);
    FinishFrame();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSceneInput input = SplitFuzzSceneInput(data, size);
    ResetSceneModel();
    sceneStdinText = input.stdinText.c_str();
    ReadSceneFromMemory(input.scene, input.sceneLength);
    sceneStdinText = nullptr;
    StartLoadedScene();
    SetClosingSentinels();
    for (int frame = 0; frame < FUZZ_FRAMES; frame++) {
        HoldKeys(frame + 1 < FUZZ_FRAMES ? input.keys : 0);
        RunFrame();
    }
    HoldKeys(0);
    return 0;
}
