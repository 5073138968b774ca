// memory_budget.cpp -- the scene's allocations and the budget they are
// charged to.
#include "scene/memory_budget.h"

#ifndef _WIN32
#include <sys/mman.h>
#endif

#include <cstdint>
#include <cstdlib>

#include "scene/prefault.h"

size_t sceneMemoryBudget = SCENE_MEMORY_BUDGET;
size_t sceneMemoryInUse;

constexpr size_t HUGE_PAGE = (size_t)2 << 20;      // the x86-64 transparent huge page
// From a quarter of a huge page up, a block gets a mapping of whole huge
// pages: the wasted tail is smaller than the time that 4 KB faults cost.
constexpr size_t OWN_MAPPING_BYTES = HUGE_PAGE / 4;

bool ChargeSceneMemory(size_t bytes) {
    if (bytes > sceneMemoryBudget || sceneMemoryInUse > sceneMemoryBudget - bytes) return false;
    sceneMemoryInUse += bytes;
    return true;
}

void ReturnSceneMemory(size_t bytes) {
    sceneMemoryInUse = bytes > sceneMemoryInUse ? 0 : sceneMemoryInUse - bytes;
}

#ifdef _WIN32
static void* MapAligned(size_t bytes) { return std::calloc(1, bytes); }
static void munmap(void* block, size_t) { std::free(block); }
#else
// A fresh mapping of bytes aligned to a huge page, so that the system can
// back it with huge pages; null when none can be had.
static void* MapAligned(size_t bytes) {
    size_t span = bytes + HUGE_PAGE;
    void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    uintptr_t start = (uintptr_t)raw, aligned = (start + HUGE_PAGE - 1) & ~(uintptr_t)(HUGE_PAGE - 1);
    if (aligned > start) munmap(raw, aligned - start);
    uintptr_t end = aligned + bytes, rawEnd = start + span;
    if (rawEnd > end) munmap((void*)end, rawEnd - end);
#ifdef MADV_HUGEPAGE
    madvise((void*)aligned, bytes, MADV_HUGEPAGE);
#endif
    return (void*)aligned;
}
#endif

// Own mappings are whole huge pages (a smaller one cannot hold a huge page).
static size_t MappedBytes(size_t bytes) { return (bytes + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1); }

void* SceneAllocate(size_t count, size_t size) {
    size_t bytes;
    if (__builtin_mul_overflow(count, size, &bytes) || !ChargeSceneMemory(bytes))
        throw SceneOutOfMemory();
    void* block = bytes >= OWN_MAPPING_BYTES ? MapAligned(MappedBytes(bytes))
                                             : std::calloc(count, size);
    if (!block) {
        ReturnSceneMemory(bytes);
        throw SceneOutOfMemory();
    }
    if (bytes >= OWN_MAPPING_BYTES) QueuePrefault(block, MappedBytes(bytes));
    return block;
}

void SceneFree(void* block, size_t count, size_t size) {
    if (!block) return;
    size_t bytes = count * size;
    if (bytes >= OWN_MAPPING_BYTES) {
        UnqueuePrefault(block);
        munmap(block, MappedBytes(bytes));
    }
    else
        std::free(block);
    ReturnSceneMemory(bytes);
}
