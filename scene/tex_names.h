// tex_names.h -- the texture names of a scene's slots. Each distinct name
// is kept once, in one pool per scene; a slot holds only its name's offset
// there, so that a hundred thousand slots cost a few hundred kilobytes
// instead of the tens of megabytes that a fixed-width name per slot would
// touch.
#pragma once

#include <cstddef>
#include <cstdint>

// A slot's texture name, kept in its scene's pool; a zeroed slot names "".
struct TexName {
    uint32_t offset;
};

// The pool: names end in a zero byte; offset 0 is the empty name, which is
// what a zeroed slot therefore names. Its memory is charged to the scene
// memory budget and given back with the pool.
struct TexNamePool {
    char* text = nullptr;   // null until the first name
    size_t used = 1;        // bytes of text in use (offset 0 is the empty name)
    size_t capacity = 0;    // bytes of text held
    uint32_t* index = nullptr;  // open addressing by hash: offset + 1 of a name, 0 free
    size_t indexSize = 0;       // a power of two, or 0
    size_t names = 0;           // distinct non-empty names
    uint32_t last = 0;          // the offset interned last: runs of one name skip the hash
    size_t lastLength = 0;

    TexNamePool() = default;
    TexNamePool(const TexNamePool&) = delete;
    TexNamePool& operator=(const TexNamePool&) = delete;
    TexNamePool(TexNamePool&& other) noexcept { *this = static_cast<TexNamePool&&>(other); }
    TexNamePool& operator=(TexNamePool&& other) noexcept;
    ~TexNamePool() { Reset(); }

    // The name at offset: a zero-terminated string that lives until the
    // pool is reset.
    const char* Text(uint32_t offset) const { return text ? text + offset : ""; }
    // The offset of the name [name, name + length), added when new. Throws
    // SceneOutOfMemory past the budget.
    uint32_t Intern(const char* name, size_t length);
    // Empties the pool and gives its memory back; every offset then names "".
    void Reset();
};
