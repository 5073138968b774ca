// scene_diagnostics.h -- what the loader reports about a scene file when a
// checker asks for it: failures of the reader and suspicious values, each
// with its field, record and line and column.
//
// With no list to take them the loader makes none of the checks, and the
// reader's hot path only keeps the start of its last token.
#pragma once

#include <string>
#include <vector>

#include "scene/scene_fields.h"

enum DiagnosticKind {
    DIAG_MALFORMED,         // error: a token that is not a number of its kind
    DIAG_END_OF_FILE,       // error: the file ends before the last field
    DIAG_COUNT_RANGE,       // error: a count outside what the tables or the file can hold
    DIAG_NAME_MISSING,      // warning: a following numeric line was taken as a texture name
    DIAG_TEXTURE_FLAG,      // warning: a texture flag other than 0 and 1
    DIAG_JOINT_NUMBER,      // warning: a joint number outside 0..19 other than -10
    DIAG_FLAT_LIST_OPEN,    // warning: the plain list's last vertex has no end flag
    DIAG_TRAILING_CONTENT,  // warning: something follows the last field
    DIAG_NAME_CUT,          // warning: a texture name longer than the slot; value: its length
    DIAG_KIND_COUNT
};

struct SceneDiagnostic {
    DiagnosticKind kind;
    bool error;
    SceneField field;
    int line, column;    // 1-based; the column counts bytes
    int record[3];       // the record's cursors, as the field's context names them
    long long value;     // the offending value (counts, flags, joint numbers)
    long long limit;     // the largest count accepted there (count errors)
    char token[32];      // the token at the position (for names and trailing
                         // content the rest of its line), cut to fit
};

struct Scene;
struct SceneReader;

// Adds one diagnostic about the token at position at of the text being
// read, naming the record from the reader's cursors, to the reader's list.
void ReportSceneDiagnostic(SceneReader& r, DiagnosticKind kind, SceneField field, const char* at,
                           long long value, long long limit);
// Number of record cursors a field's context names (0 to 3).
int RecordCursorCount(FieldContext context);

// The diagnostics of a read of scene as FILE:LINE:COLUMN lines naming the
// field and its record (at most a few of each kind), added to the counts of
// errors and warnings.
std::string FormatSceneDiagnostics(const std::vector<SceneDiagnostic>& diagnostics,
                                   const Scene& scene, const std::string& file, int* errors,
                                   int* warnings);
