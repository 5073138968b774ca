// memory_budget.cpp -- the scene's allocations and the budget they are
// charged to.
#include "scene/memory_budget.h"

#include <cstdint>
#include <cstdlib>

#include "platform/system.h"
#include "scene/prefault.h"

SceneMemory sceneMemory;

constexpr size_t HUGE_PAGE = SYS_LARGE_PAGE;
// From a quarter of a huge page up, a block gets a mapping of whole huge
// pages: the wasted tail is smaller than the time that 4 KB faults cost.
constexpr size_t OWN_MAPPING_BYTES = HUGE_PAGE / 4;

bool ChargeSceneMemory(size_t bytes) {
    SceneMemory& m = sceneMemory;
    if (bytes > m.budget || m.inUse > m.budget - bytes) return false;
    m.inUse += bytes;
    return true;
}

void ReturnSceneMemory(size_t bytes) {
    SceneMemory& m = sceneMemory;
    m.inUse = bytes > m.inUse ? 0 : m.inUse - bytes;
}

// A block of its own, aligned to a huge page so that the system can back
// it with huge pages; null when none can be had.
static void* MapAligned(size_t bytes) {
    void* block = Sys_ReservePages(bytes);
    if (block && !Sys_CommitPages(block, bytes)) {
        Sys_ReleasePages(block, bytes);
        return nullptr;
    }
    return block;
}

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
        Sys_ReleasePages(block, MappedBytes(bytes));
    }
    else
        std::free(block);
    ReturnSceneMemory(bytes);
}
