// memory_budget.h -- the one memory budget of the scenes a process holds:
// each file's text, the tables its counts size and the tables standard
// input asks for are all charged to it, so that no claim in a file or on
// standard input can take more than the budget or end the program. While a
// reload reads a second scene, the running one stays charged beside it.
#pragma once

#include <cstddef>

// A full-capacity scene takes about 150 MB; 1 GiB leaves room for plain
// lists of several million vertices while any claim beyond stays far below
// what a desktop machine has.
constexpr size_t SCENE_MEMORY_BUDGET = (size_t)1 << 30;

// The budget in force and the bytes charged to it now. One for the whole
// process, as the memory is: a table's allocation charges it wherever the
// table is, and a scene given back returns its share.
struct SceneMemory {
    size_t budget = SCENE_MEMORY_BUDGET;  // tests lower it
    size_t inUse = 0;
};
extern SceneMemory sceneMemory;

// Thrown by SceneAllocate when a block would pass the budget or the system
// has no memory for it; the load then ends as for a scene that failed to read.
struct SceneOutOfMemory {};

// The message the program shows then, in the bitmap loader's words.
constexpr const char SCENE_OUT_OF_MEMORY_MESSAGE[] = "Out of memory.";

// bytes (count x size, checked for overflow) of zeroed memory charged to the
// budget. Large blocks come from their own mapping in 2 MB pages, and are
// queued to be faulted in on a second thread when a load starts reading
// (prefault.h); a few large faults cost far less than many small ones.
// Throws SceneOutOfMemory.
void* SceneAllocate(size_t count, size_t size);
// Gives back a block from SceneAllocate of the same count and size.
void SceneFree(void* block, size_t count, size_t size);
// Charges or returns bytes held elsewhere (the text buffer); false, and
// nothing charged, past the budget.
bool ChargeSceneMemory(size_t bytes);
void ReturnSceneMemory(size_t bytes);
