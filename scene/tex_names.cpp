// tex_names.cpp -- a scene's one pool of texture names.
#include "scene/tex_names.h"

#include <cstring>
#include <utility>

#include "scene/memory_budget.h"

constexpr size_t FIRST_TEXT_BYTES = 4096;
constexpr size_t FIRST_INDEX_SLOTS = 256;
constexpr size_t MOST_TEXT_BYTES = UINT32_MAX;  // offsets are 32 bits

TexNamePool& TexNamePool::operator=(TexNamePool&& other) noexcept {
    if (this == &other) return *this;
    Reset();
    text = std::exchange(other.text, nullptr);
    used = std::exchange(other.used, 1);
    capacity = std::exchange(other.capacity, 0);
    index = std::exchange(other.index, nullptr);
    indexSize = std::exchange(other.indexSize, 0);
    names = std::exchange(other.names, 0);
    last = std::exchange(other.last, 0);
    lastLength = std::exchange(other.lastLength, 0);
    return *this;
}

void TexNamePool::Reset() {
    if (capacity) SceneFree(text, capacity, 1);
    if (index) SceneFree(index, indexSize, sizeof *index);
    text = nullptr;
    used = 1;
    capacity = 0;
    index = nullptr;
    indexSize = names = 0;
    last = 0;
    lastLength = 0;
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

static bool SameName(const TexNamePool& pool, uint32_t offset, const char* name, size_t length) {
    const char* kept = pool.Text(offset);
    return std::memcmp(kept, name, length) == 0 && kept[length] == '\0';
}

// The index slot of the name: where it is, or the free slot where it goes.
static size_t FindSlot(const TexNamePool& pool, const char* name, size_t length, uint64_t hash) {
    size_t mask = pool.indexSize - 1;
    for (size_t k = hash & mask;; k = (k + 1) & mask) {
        uint32_t entry = pool.index[k];
        if (entry == 0 || SameName(pool, entry - 1, name, length)) return k;
    }
}

// Doubles the index (or makes the first) and places every name again.
static void GrowIndex(TexNamePool& pool) {
    size_t oldSize = pool.indexSize;
    uint32_t* old = pool.index;
    size_t size = oldSize ? oldSize * 2 : FIRST_INDEX_SLOTS;
    pool.index = static_cast<uint32_t*>(SceneAllocate(size, sizeof *pool.index));
    pool.indexSize = size;
    for (size_t k = 0; k < oldSize; k++) {
        if (!old[k]) continue;
        const char* kept = pool.text + old[k] - 1;
        size_t length = std::strlen(kept);
        pool.index[FindSlot(pool, kept, length, HashName(kept, length))] = old[k];
    }
    if (old) SceneFree(old, oldSize, sizeof *old);
}

// Room for `more` bytes of text, growing by doubling; the first byte of a
// fresh pool is the empty name.
static void ReserveText(TexNamePool& pool, size_t more) {
    size_t needed = pool.used + more;
    if (needed <= pool.capacity) return;
    if (needed > MOST_TEXT_BYTES) throw SceneOutOfMemory();
    size_t capacity = pool.capacity ? pool.capacity : FIRST_TEXT_BYTES;
    while (capacity < needed) capacity *= 2;
    char* text = static_cast<char*>(SceneAllocate(capacity, 1));  // zeroed: offset 0 is ""
    if (pool.capacity) {
        std::memcpy(text, pool.text, pool.used);
        SceneFree(pool.text, pool.capacity, 1);
    }
    pool.text = text;
    pool.capacity = capacity;
}

uint32_t TexNamePool::Intern(const char* name, size_t length) {
    // Slots of one polygon usually name one texture.
    if (text && length == lastLength && SameName(*this, last, name, length)) return last;
    length = strnlen(name, length);  // a zero byte ends a name, as it ends a C string
    if (length == 0) return 0;
    if (2 * (names + 1) > indexSize) GrowIndex(*this);
    uint64_t hash = HashName(name, length);
    size_t slot = FindSlot(*this, name, length, hash);
    if (index[slot] == 0) {
        ReserveText(*this, length + 1);
        uint32_t offset = (uint32_t)used;
        std::memcpy(text + offset, name, length);
        text[offset + length] = '\0';
        used += length + 1;
        index[slot] = offset + 1;
        names++;
    }
    last = index[slot] - 1;
    lastLength = length;
    return last;
}
