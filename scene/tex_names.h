// tex_names.h -- the texture names of the scene's slots. Each distinct name
// is kept once, in one pool; a slot holds only its name's offset there, so
// that a hundred thousand slots cost a few hundred kilobytes instead of the
// tens of megabytes that a fixed-width name per slot would touch.
#pragma once

#include <cstddef>
#include <cstdint>

// The pool: names end in a zero byte; offset 0 is the empty name, which is
// what a zeroed slot therefore names. Charged to the scene memory budget.
struct TexNamePool {
    char* text;            // never null
    size_t used;           // bytes of text in use
    size_t capacity;       // bytes of text held (0 while text is the static empty name)
    uint32_t* index;       // open addressing by hash: offset + 1 of a name, 0 free
    size_t indexSize;      // a power of two, or 0
    size_t names;          // distinct non-empty names
    uint32_t last;         // the offset interned last: runs of one name skip the hash
    size_t lastLength;
};
extern TexNamePool texNamePool;

// The name at offset: a zero-terminated string that lives until the pool is
// reset.
inline const char* TexNameText(uint32_t offset) { return texNamePool.text + offset; }

// The offset of the name [name, name + length), added when new. Throws
// SceneOutOfMemory past the budget.
uint32_t InternTexName(const char* name, size_t length);

// Empties the pool and gives its memory back; every offset then names "".
void ResetTexNames();
