// tables.h -- the two storage shapes of the scene model: a table indexed by
// vertex number, and a grid indexed [row][actor] for the per-actor lists.
#pragma once

#include <cstddef>

#include "scene/memory_budget.h"

// One-level table. Release() and Allocate() replace the whole block; fresh
// blocks are zeroed, so entries a short file never supplies read as 0. Every
// block is charged to the scene's memory budget; Allocate throws
// SceneOutOfMemory past it.
template <typename T>
struct Table {
    T* data = nullptr;
    size_t size = 0;

    // Replaces the block with n zeroed entries; n is at least 1.
    void Allocate(size_t n) {
        Release();
        if (n < 1) n = 1;
        data = static_cast<T*>(SceneAllocate(n, sizeof(T)));
        size = n;
    }
    void Release() {
        SceneFree(data, size, sizeof(T));
        data = nullptr;
        size = 0;
    }
    T& operator[](ptrdiff_t i) { return data[i]; }
    const T& operator[](ptrdiff_t i) const { return data[i]; }
};

// Rows 0..rows-1 by actors 0..cols-1, indexed grid(row, actor). Each actor's
// rows are stored together, because every loop over a figure's list walks
// the rows of one actor.
template <typename T>
struct Grid {
    T* data = nullptr;
    size_t rows = 0;
    size_t cols = 0;

    // Replaces the block with rows x cols zeroed entries (each at least 1).
    void Allocate(size_t r, size_t c) {
        Release();
        if (r < 1) r = 1;
        if (c < 1) c = 1;
        size_t cells;
        if (__builtin_mul_overflow(r, c, &cells)) throw SceneOutOfMemory();
        data = static_cast<T*>(SceneAllocate(cells, sizeof(T)));
        rows = r;
        cols = c;
    }
    void Release() {
        SceneFree(data, rows * cols, sizeof(T));
        data = nullptr;
        rows = cols = 0;
    }
    T& operator()(ptrdiff_t row, ptrdiff_t actor) { return data[actor * rows + row]; }
    const T& operator()(ptrdiff_t row, ptrdiff_t actor) const { return data[actor * rows + row]; }
    // One actor's rows, as a table indexed by row.
    T* Column(ptrdiff_t actor) { return data + actor * rows; }
};
