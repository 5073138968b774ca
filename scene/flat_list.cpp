// flat_list.cpp -- the plain coloured list. In a large scene it is most of
// the file, so on a machine with a second core the list's second half is
// read on another thread while this one reads the first half.
//
// The other thread guesses where its half starts from the usual layout, one
// vertex record to a line, and takes only the plain number shapes. Its work
// is kept only when this thread, arriving at the half, stands where the
// guess put it and in the same state (the end flag before it). Then both
// read the same tokens from the same state, so the tables are what one
// thread alone would have made. Otherwise the other thread's entries are
// put back to zero, as the fresh tables held them, and this thread reads on
// alone.
#include <algorithm>
#include <cstring>
#include <thread>

#include "scene/plain_numbers.h"
#include "scene/scene.h"
#include "scene/scene_diagnostics.h"
#include "scene/scene_reader.h"
#include "scene/scene_records.h"

// The second half: vertices first..last.
struct FlatHalf {
    Scene* scene;           // in: the tables written
    const char* textEnd;    // in: the end of the text
    const char* listStart;  // in: the first byte of vertex 1's record
    int first, last;        // in
    const char* start;      // out: where vertex `first` starts, by the guess
    int endBefore;          // out: the end flag that ends the line before it
    int written;            // out: the last vertex with an entry written
    bool complete;          // out: every field of first..last read, all plain
    const char* cursor;     // out: after the last field
    const char* flagStart;  // out: where the last end flag starts
};

// Vertices first..last through the full reader, as on one thread.
static void ReadFlatRange(SceneReader& r, int first, int last) {
    Scene& s = r.scene;
    for (int v = first; v <= last; ++v) {
        r.at.flatPolyIndex = v;
        if (s.flatPolyEnd[v - 1] == 1) {
            ReadDecimal(r, s.flatPolyColorR[v], FIELD_flatPolyColorR);
            ReadDecimal(r, s.flatPolyColorG[v], FIELD_flatPolyColorG);
            ReadDecimal(r, s.flatPolyColorB[v], FIELD_flatPolyColorB);
        }
        ReadDecimal(r, s.flatPolyX[v], FIELD_flatPolyX);
        ReadDecimal(r, s.flatPolyY[v], FIELD_flatPolyY);
        ReadDecimal(r, s.flatPolyZ[v], FIELD_flatPolyZ);
        ReadInt(r, s.flatPolyEnd[v], FIELD_flatPolyEnd);
    }
}

// The start of the line `lines` line ends after p; null when the text has
// fewer. Whole blocks are counted first, which the compiler vectorises.
static const char* SkipLines(const char* p, const char* end, long lines) {
    constexpr size_t BLOCK = 1 << 16;
    while ((size_t)(end - p) > BLOCK) {
        long inBlock = (long)std::count(p, p + BLOCK, '\n');
        if (inBlock >= lines) break;
        lines -= inBlock;
        p += BLOCK;
    }
    for (; lines > 0; --lines) {
        const void* lineEnd = std::memchr(p, '\n', (size_t)(end - p));
        if (!lineEnd) return nullptr;
        p = static_cast<const char*>(lineEnd) + 1;
    }
    return p;
}

// The integer token that ends before `at` (after listStart), as a plain
// end flag; false when there is none or it is not plain.
static bool FlagBefore(const char* listStart, const char* at, int* flag) {
    const char* end = at;
    while (end > listStart && spaceTable.is[(unsigned char)end[-1]]) --end;
    const char* begin = end;
    while (begin > listStart && !spaceTable.is[(unsigned char)begin[-1]]) --begin;
    if (begin == end) return false;
    const char *cursor = begin, *start;
    return TryPlainInt(cursor, *flag, &start) && cursor == end;
}

// The other thread's work: the half from its guessed start, plain fields only.
static void ReadHalf(FlatHalf* half) {
    Scene& s = *half->scene;
    const char* line = SkipLines(half->listStart, half->textEnd, half->first - 1);
    if (!line || !FlagBefore(half->listStart, line, &half->endBefore)) return;
    const char* c = SkipSpace(line);
    half->start = c;
    int endBefore = half->endBefore;
    for (int v = half->first; v <= half->last; ++v) {
        half->written = v;
        if (endBefore == 1 && !(TryPlainDecimal(c, s.flatPolyColorR[v]) &&
                                TryPlainDecimal(c, s.flatPolyColorG[v]) &&
                                TryPlainDecimal(c, s.flatPolyColorB[v])))
            return;
        if (!TryPlainDecimal(c, s.flatPolyX[v]) || !TryPlainDecimal(c, s.flatPolyY[v]) ||
            !TryPlainDecimal(c, s.flatPolyZ[v]) ||
            !TryPlainInt(c, s.flatPolyEnd[v], &half->flagStart))
            return;
        endBefore = s.flatPolyEnd[v];
    }
    half->cursor = c;
    half->complete = true;
}

// True when this thread, having read up to the half, stands where the other
// thread began and in the state it assumed.
static bool HalfAgrees(const SceneReader& r, const FlatHalf& half) {
    return half.complete && r.status == READ_OK && SkipSpace(r.cursor) == half.start &&
           r.scene.flatPolyEnd[half.first - 1] == half.endBefore;
}

// Puts the other thread's entries back to the zeros of the fresh tables.
static void UndoHalf(Scene& s, const FlatHalf& half) {
    if (half.written < half.first) return;
    size_t count = (size_t)(half.written - half.first + 1);
    for (Table<double>* t : {&s.flatPolyColorR, &s.flatPolyColorG, &s.flatPolyColorB,
                             &s.flatPolyX, &s.flatPolyY, &s.flatPolyZ})
        std::memset(&(*t)[half.first], 0, count * sizeof(double));
    std::memset(&s.flatPolyEnd[half.first], 0, count * sizeof(int));
}

// Waits for the other thread however this one leaves.
struct JoinOnExit {
    std::thread& thread;
    ~JoinOnExit() {
        if (thread.joinable()) thread.join();
    }
};

// Reads vertices 1..n, the second half on another thread when that pays.
static void ReadFlatList(SceneReader& r, int n) {
    FlatHalf half = {};
    r.flatSplitKept = false;
    std::thread other;
    JoinOnExit joinOnExit{other};
    int stop = n;
    if (n >= r.flatSplitVertices && n >= 2 && r.status == READ_OK &&
        std::thread::hardware_concurrency() > 1) {
        half.scene = &r.scene;
        half.textEnd = r.end;
        half.listStart = SkipSpace(r.cursor);
        half.first = n / 2 + 1;
        half.last = n;
        half.written = half.first - 1;
        try {
            other = std::thread(ReadHalf, &half);
            stop = n / 2;
        } catch (...) {
            // No thread: this one reads the whole list.
        }
    }
    ReadFlatRange(r, 1, stop);
    if (!other.joinable()) return;
    other.join();
    if (HalfAgrees(r, half)) {
        r.cursor = half.cursor;
        r.tokenStart = half.flagStart;
        r.at.flatPolyIndex = n;
        r.flatSplitKept = true;
        return;
    }
    UndoHalf(r.scene, half);
    ReadFlatRange(r, half.first, n);
}

void ReadFlatVertices(SceneReader& r) {
    const Scene& s = r.scene;
    int n = s.flatPolyVertexCount;
    ReadFlatList(r, n);
    // The plain list gets no closing flag after loading; an open last
    // polygon runs on into whatever the table holds next.
    if (r.Checking() && n >= 1 && r.status == READ_OK && s.flatPolyEnd[n] != 1)
        ReportSceneDiagnostic(r, DIAG_FLAT_LIST_OPEN, FIELD_flatPolyEnd, r.tokenStart,
                              s.flatPolyEnd[n], 0);
}
