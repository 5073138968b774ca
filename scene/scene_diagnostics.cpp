// scene_diagnostics.cpp -- building a diagnostic: position, record cursors.
#include "scene/scene_diagnostics.h"

#include "scene/scene.h"
#include "scene/scene_reader.h"

int RecordCursorCount(FieldContext context) {
    switch (context) {
        case CTX_SCENE: return 0;
        case CTX_OBSTACLE:
        case CTX_ACTOR:
        case CTX_AVATAR_VERTEX:
        case CTX_TEX_VERTEX:
        case CTX_FLAT_VERTEX: return 1;
        case CTX_WAYPOINT:
        case CTX_AVATAR_JOINT:
        case CTX_PART_VERTEX: return 2;
        case CTX_ACTOR_JOINT: return 3;
    }
    return 0;
}

// The loader's cursors that identify the record of a field.
static void CaptureRecord(const RecordCursors& at, FieldContext context, int record[3]) {
    record[0] = record[1] = record[2] = 0;
    switch (context) {
        case CTX_SCENE: break;
        case CTX_OBSTACLE: record[0] = at.obstacleIndex; break;
        case CTX_ACTOR: record[0] = at.actorIndex; break;
        case CTX_WAYPOINT:
            record[0] = at.actorIndex;
            record[1] = at.waypointIndex;
            break;
        case CTX_AVATAR_JOINT:
            record[0] = at.jointIndex;
            record[1] = at.poseIndex;
            break;
        case CTX_AVATAR_VERTEX: record[0] = at.avatarPolyIndex; break;
        case CTX_PART_VERTEX:
            record[0] = at.actorIndex;
            record[1] = at.partIndex;
            break;
        case CTX_ACTOR_JOINT:
            record[0] = at.actorIndex;
            record[1] = at.jointIndex;
            record[2] = at.poseIndex;
            break;
        case CTX_TEX_VERTEX: record[0] = at.texPolyIndex; break;
        case CTX_FLAT_VERTEX: record[0] = at.flatPolyIndex; break;
    }
}

// The text at position at: one token, or with wholeLine the rest of its
// line; cut to fit.
static void CopyToken(const char* at, const char* end, bool wholeLine, char* out, size_t size) {
    size_t n = 0;
    for (const char* p = at; p < end && n + 1 < size; ++p, ++n) {
        char c = *p;
        if (c == '\n' || c == '\r') break;
        if (!wholeLine && (c == ' ' || c == '\t' || c == '\v' || c == '\f')) break;
        out[n] = c;
    }
    out[n] = '\0';
}

void ReportSceneDiagnostic(SceneReader& r, DiagnosticKind kind, SceneField field, const char* at,
                           long long value, long long limit) {
    if (!r.diagnostics) return;
    SceneDiagnostic diagnostic{};
    diagnostic.kind = kind;
    diagnostic.error =
        kind == DIAG_MALFORMED || kind == DIAG_END_OF_FILE || kind == DIAG_COUNT_RANGE;
    diagnostic.field = field;
    TextPosition(r, at, &diagnostic.line, &diagnostic.column);
    CaptureRecord(r.at, sceneFieldInfo[field].context, diagnostic.record);
    bool wholeLine =
        kind == DIAG_NAME_MISSING || kind == DIAG_TRAILING_CONTENT || kind == DIAG_NAME_CUT;
    CopyToken(at, r.end, wholeLine, diagnostic.token, sizeof diagnostic.token);
    diagnostic.value = value;
    diagnostic.limit = limit;
    r.diagnostics->push_back(diagnostic);
}
