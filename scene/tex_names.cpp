// tex_names.cpp -- the scene's one pool of texture names.
#include "scene/tex_names.h"

#include <cstring>

#include "scene/memory_budget.h"

static char emptyName[1];  // the pool before the first name: "" at offset 0

TexNamePool texNamePool = {emptyName, 1, 0, nullptr, 0, 0, 0, 0};

constexpr size_t FIRST_TEXT_BYTES = 4096;
constexpr size_t FIRST_INDEX_SLOTS = 256;
constexpr size_t MOST_TEXT_BYTES = UINT32_MAX;  // offsets are 32 bits

void ResetTexNames() {
    TexNamePool& pool = texNamePool;
    if (pool.capacity) SceneFree(pool.text, pool.capacity, 1);
    if (pool.index) SceneFree(pool.index, pool.indexSize, sizeof *pool.index);
    pool = {emptyName, 1, 0, nullptr, 0, 0, 0, 0};
}

// A hash of the name's bytes, eight at a time.
static uint64_t HashName(const char* name, size_t length) {
    uint64_t hash = 0x9E3779B97F4A7C15ull ^ length;
    for (size_t i = 0; i < length; i += 8) {
        uint64_t word = 0;
        std::memcpy(&word, name + i, length - i < 8 ? length - i : 8);
        hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
        hash ^= hash >> 32;
    }
    return hash;
}

static bool SameName(uint32_t offset, const char* name, size_t length) {
    const char* kept = texNamePool.text + offset;
    return std::memcmp(kept, name, length) == 0 && kept[length] == '\0';
}

// The index slot of the name: where it is, or the free slot where it goes.
static size_t FindSlot(const char* name, size_t length, uint64_t hash) {
    const TexNamePool& pool = texNamePool;
    size_t mask = pool.indexSize - 1;
    for (size_t k = hash & mask;; k = (k + 1) & mask) {
        uint32_t entry = pool.index[k];
        if (entry == 0 || SameName(entry - 1, name, length)) return k;
    }
}

// Doubles the index (or makes the first) and places every name again.
static void GrowIndex() {
    TexNamePool& pool = texNamePool;
    size_t oldSize = pool.indexSize;
    uint32_t* old = pool.index;
    size_t size = oldSize ? oldSize * 2 : FIRST_INDEX_SLOTS;
    pool.index = static_cast<uint32_t*>(SceneAllocate(size, sizeof *pool.index));
    pool.indexSize = size;
    for (size_t k = 0; k < oldSize; k++) {
        if (!old[k]) continue;
        const char* kept = pool.text + old[k] - 1;
        size_t length = std::strlen(kept);
        pool.index[FindSlot(kept, length, HashName(kept, length))] = old[k];
    }
    if (old) SceneFree(old, oldSize, sizeof *old);
}

// Room for `more` bytes of text, growing by doubling.
static void ReserveText(size_t more) {
    TexNamePool& pool = texNamePool;
    size_t needed = pool.used + more;
    if (needed <= pool.capacity) return;
    if (needed > MOST_TEXT_BYTES) throw SceneOutOfMemory();
    size_t capacity = pool.capacity ? pool.capacity : FIRST_TEXT_BYTES;
    while (capacity < needed) capacity *= 2;
    char* text = static_cast<char*>(SceneAllocate(capacity, 1));
    std::memcpy(text, pool.text, pool.used);
    if (pool.capacity) SceneFree(pool.text, pool.capacity, 1);
    pool.text = text;
    pool.capacity = capacity;
}

uint32_t InternTexName(const char* name, size_t length) {
    TexNamePool& pool = texNamePool;
    // Slots of one polygon usually name one texture.
    if (length == pool.lastLength && SameName(pool.last, name, length)) return pool.last;
    length = strnlen(name, length);  // a zero byte ends a name, as it ends a C string
    if (length == 0) return 0;
    if (2 * (pool.names + 1) > pool.indexSize) GrowIndex();
    uint64_t hash = HashName(name, length);
    size_t slot = FindSlot(name, length, hash);
    if (pool.index[slot] == 0) {
        ReserveText(length + 1);
        uint32_t offset = (uint32_t)pool.used;
        std::memcpy(pool.text + offset, name, length);
        pool.text[offset + length] = '\0';
        pool.used += length + 1;
        pool.index[slot] = offset + 1;
        pool.names++;
    }
    pool.last = pool.index[slot] - 1;
    pool.lastLength = length;
    return pool.last;
}
