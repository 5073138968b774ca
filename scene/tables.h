// tables.h -- the two storage shapes of the scene model: a table indexed by
// vertex number, and a grid indexed [row][actor] for the per-actor lists.
// Each owns its block: it moves with its scene and gives the block back to
// the memory budget when the scene goes.
#pragma once

#include <cstddef>
#include <utility>

#include "scene/memory_budget.h"

// One-level table. Release() and Allocate() replace the whole block; fresh
// blocks are zeroed, so entries a short file never supplies read as 0. Every
// block is charged to the scene's memory budget; Allocate throws
// SceneOutOfMemory past it.
template <typename T>
struct Table {
    T* data = nullptr;
    size_t size = 0;

    Table() = default;
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;
    Table(Table&& other) noexcept
        : data(std::exchange(other.data, nullptr)), size(std::exchange(other.size, 0)) {}
    Table& operator=(Table&& other) noexcept {
        if (this != &other) {
            Release();
            data = std::exchange(other.data, nullptr);
            size = std::exchange(other.size, 0);
        }
        return *this;
    }
    ~Table() { Release(); }

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

    Grid() = default;
    Grid(const Grid&) = delete;
    Grid& operator=(const Grid&) = delete;
    Grid(Grid&& other) noexcept
        : data(std::exchange(other.data, nullptr)),
          rows(std::exchange(other.rows, 0)),
          cols(std::exchange(other.cols, 0)) {}
    Grid& operator=(Grid&& other) noexcept {
        if (this != &other) {
            Release();
            data = std::exchange(other.data, nullptr);
            rows = std::exchange(other.rows, 0);
            cols = std::exchange(other.cols, 0);
        }
        return *this;
    }
    ~Grid() { Release(); }

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
    const T* Column(ptrdiff_t actor) const { return data + actor * rows; }
};
