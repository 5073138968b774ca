// tables.h -- the two storage shapes of the scene model: a table indexed by
// vertex number, and a grid indexed [row][actor] for the per-actor lists.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

// One-level table. Release() and Allocate() replace the whole block; fresh
// blocks are zeroed, so entries a short file never supplies read as 0.
template <typename T>
struct Table {
    T* data = nullptr;
    size_t size = 0;

    // Replaces the block with n zeroed entries; n is at least 1.
    void Allocate(size_t n) {
        Release();
        if (n < 1) n = 1;
        data = static_cast<T*>(std::calloc(n, sizeof(T)));
        if (!data) throw std::bad_alloc();
        size = n;
    }
    void Release() {
        std::free(data);
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
        data = static_cast<T*>(std::calloc(r * c, sizeof(T)));
        if (!data) throw std::bad_alloc();
        rows = r;
        cols = c;
    }
    void Release() {
        std::free(data);
        data = nullptr;
        rows = cols = 0;
    }
    T& operator()(ptrdiff_t row, ptrdiff_t actor) { return data[actor * rows + row]; }
    const T& operator()(ptrdiff_t row, ptrdiff_t actor) const { return data[actor * rows + row]; }
    // One actor's rows, as a table indexed by row.
    T* Column(ptrdiff_t actor) { return data + actor * rows; }
};
