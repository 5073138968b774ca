// flat_snapshot.h -- what reading a scene text leaves of the plain list and
// of the reader's state, taken with the plain list read by one thread and
// then by two, so that a test or a fuzz target can see they agree.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene/scene_diagnostics.h"
#include "scene/scene_file.h"
#include "scene/scene_reader.h"

struct FlatSnapshot {
    int status = 0;
    int count = 0;
    std::vector<unsigned char> tables;      // every flat table's bytes
    std::vector<unsigned char> diagnostics;  // every diagnostic's bytes, in order
    bool kept = false;                       // the second thread's half was kept
};

// Reads text with plain lists of at least splitVertices read by two threads.
inline FlatSnapshot ReadFlatSnapshot(const char* text, size_t length, int splitVertices) {
    std::vector<SceneDiagnostic> diagnostics;
    SceneReadOptions options;
    options.diagnostics = &diagnostics;
    options.flatSplitVertices = splitVertices;
    auto scene = std::make_unique<Scene>();
    SceneReadResult read = ReadSceneFromMemory(*scene, text, length, options);
    const Scene& sc = *scene;

    FlatSnapshot s;
    s.status = read.status;
    s.count = sc.flatPolyVertexCount;
    s.kept = read.flatSplitKept;
    auto add = [&s](const void* data, size_t bytes) {
        const unsigned char* b = static_cast<const unsigned char*>(data);
        s.tables.insert(s.tables.end(), b, b + bytes);
    };
    for (const Table<double>* t : {&sc.flatPolyColorR, &sc.flatPolyColorG, &sc.flatPolyColorB,
                                   &sc.flatPolyX, &sc.flatPolyY, &sc.flatPolyZ})
        add(t->data, t->size * sizeof(double));
    add(sc.flatPolyEnd.data, sc.flatPolyEnd.size * sizeof(int));
    for (const SceneDiagnostic& d : diagnostics) {
        SceneDiagnostic copy;
        std::memset(&copy, 0, sizeof copy);  // padding compares equal too
        copy.kind = d.kind;
        copy.error = d.error;
        copy.field = d.field;
        copy.line = d.line;
        copy.column = d.column;
        std::memcpy(copy.record, d.record, sizeof copy.record);
        copy.value = d.value;
        copy.limit = d.limit;
        std::memcpy(copy.token, d.token, strnlen(d.token, sizeof d.token));
        const unsigned char* b = reinterpret_cast<const unsigned char*>(&copy);
        s.diagnostics.insert(s.diagnostics.end(), b, b + sizeof copy);
    }
    return s;
}

inline bool SameFlatSnapshot(const FlatSnapshot& a, const FlatSnapshot& b) {
    return a.status == b.status && a.count == b.count && a.tables == b.tables &&
           a.diagnostics == b.diagnostics;
}
