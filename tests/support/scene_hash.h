// scene_hash.h -- one number for everything a scene holds, so that tests can
// say two scenes are the same, or that one was not touched, in one line.
#pragma once

#include <cstdint>

struct Scene;

// FNV-1a over every count, setting, derived value, table entry and texture
// name of scene. Two scenes read from the same text hash the same wherever
// their tables sit.
uint64_t HashScene(const Scene& scene);
