// fuzz_input.h -- how the scene fuzz target splits its input into held keys,
// standard input and scene text; shared with the seed writer and the
// regression tests so that saved inputs mean the same everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

// A zero byte within this many leading bytes ends the prefix.
constexpr size_t FUZZ_PREFIX_LIMIT = 64;

enum : unsigned {
    FUZZ_KEY_UP = 1,
    FUZZ_KEY_DOWN = 2,
    FUZZ_KEY_LEFT = 4,
    FUZZ_KEY_RIGHT = 8,
    FUZZ_KEY_CTRL = 16,
    FUZZ_KEY_SPACE = 32,
};

struct FuzzSceneInput {
    unsigned keys;          // FUZZ_KEY_* bits held during the frames
    std::string stdinText;  // in place of standard input ("" = none)
    const char* scene;      // the scene text, not zero-terminated
    size_t sceneLength;
};

// Splits one fuzz input (see scene_reader_fuzz.cpp).
inline FuzzSceneInput SplitFuzzSceneInput(const uint8_t* data, size_t size) {
    const void* zero = std::memchr(data, 0, size < FUZZ_PREFIX_LIMIT ? size : FUZZ_PREFIX_LIMIT);
    if (!zero) return {FUZZ_KEY_UP, "", reinterpret_cast<const char*>(data), size};
    size_t prefix = (size_t)(static_cast<const uint8_t*>(zero) - data);
    FuzzSceneInput input;
    input.keys = prefix >= 1 ? data[0] : 0;
    input.stdinText.assign(reinterpret_cast<const char*>(data) + (prefix >= 1 ? 1 : 0),
                           prefix >= 1 ? prefix - 1 : 0);
    input.scene = reinterpret_cast<const char*>(data) + prefix + 1;
    input.sceneLength = size - prefix - 1;
    return input;
}

// The input that SplitFuzzSceneInput turns back into keys, stdin and scene
// (stdinText shorter than FUZZ_PREFIX_LIMIT - 1 bytes, without zero bytes).
inline std::string JoinFuzzSceneInput(unsigned keys, const std::string& stdinText,
                                      const std::string& scene) {
    std::string input(1, (char)(keys ? keys : 0x40));  // 0x40: no key, but not a zero byte
    return input + stdinText + std::string(1, '\0') + scene;
}
