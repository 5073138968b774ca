// diagnostic_text.cpp -- the reader's diagnostics as FILE:LINE:COLUMN lines
// that name the field and its record, as ambler-check prints them and a
// failed reload reports them.
#include <cstdio>
#include <string>

#include "scene/scene.h"
#include "scene/scene_diagnostics.h"

constexpr int SHOWN_PER_KIND = 20;  // more of one kind add nothing for the author

// "texPolyX (textured vertex 17)": the field and the record it belongs to.
static std::string FieldAndRecord(const SceneDiagnostic& d) {
    const SceneFieldInfo& info = sceneFieldInfo[d.field];
    std::string text = info.name;
    const int* r = d.record;
    char record[96] = "";
    switch (info.context) {
        case CTX_SCENE: break;
        case CTX_OBSTACLE: std::snprintf(record, sizeof record, "obstacle point %d", r[0]); break;
        case CTX_ACTOR: std::snprintf(record, sizeof record, "actor %d", r[0]); break;
        case CTX_WAYPOINT:
            std::snprintf(record, sizeof record, "actor %d, waypoint %d", r[0], r[1]);
            break;
        case CTX_AVATAR_JOINT:
            std::snprintf(record, sizeof record, "avatar joint %d, pose %d", r[0], r[1]);
            break;
        case CTX_AVATAR_VERTEX:
            std::snprintf(record, sizeof record, "avatar vertex %d", r[0]);
            break;
        case CTX_PART_VERTEX:
            std::snprintf(record, sizeof record, "actor %d, part vertex %d", r[0], r[1]);
            break;
        case CTX_ACTOR_JOINT:
            std::snprintf(record, sizeof record, "actor %d, joint %d, pose %d", r[0], r[1], r[2]);
            break;
        case CTX_TEX_VERTEX:
            std::snprintf(record, sizeof record, "textured vertex %d", r[0]);
            break;
        case CTX_FLAT_VERTEX: std::snprintf(record, sizeof record, "plain vertex %d", r[0]); break;
    }
    if (record[0]) text += std::string(" (") + record + ")";
    return text;
}

static std::string CountMessage(const SceneDiagnostic& d, const Scene& scene,
                                const std::string& where) {
    char text[256];
    if (d.field == FIELD_actorPartVertexCount && scene.partCapacity < 1 && d.value > d.limit)
        std::snprintf(text, sizeof text,
                      "part count %lld in %s is out of range: partCapacity is below 1, so the "
                      "part tables keep their first size and at most %lld fit here",
                      d.value, where.c_str(), d.limit);
    else if (d.value > d.limit)
        std::snprintf(text, sizeof text, "count %lld in %s is out of range: at most %lld fit here",
                      d.value, where.c_str(), d.limit);
    else
        std::snprintf(text, sizeof text, "count %lld in %s is out of range", d.value,
                      where.c_str());
    return std::string(text) + "; the count keeps its default and reading stops here";
}

static std::string Message(const SceneDiagnostic& d, const Scene& scene) {
    std::string where = FieldAndRecord(d);
    std::string token = std::string("\"") + d.token + "\"";
    switch (d.kind) {
        case DIAG_MALFORMED:
            return "malformed number " + token + " in " + where +
                   "; reading stops here and every later field keeps its default";
        case DIAG_END_OF_FILE:
            return "the file ends early, in " + where +
                   "; it and every later field keep their defaults";
        case DIAG_COUNT_RANGE: return CountMessage(d, scene, where);
        case DIAG_NAME_MISSING:
            return "texture name in " + where + " looks missing: the next line (" + token +
                   ") was taken as the name, and every later field is shifted";
        case DIAG_TEXTURE_FLAG:
            return "texture flag " + std::to_string(d.value) + " in " + where +
                   " is neither 0 nor 1: the slot is not textured";
        case DIAG_JOINT_NUMBER:
            return "joint number " + std::to_string(d.value) + " in " + where +
                   " is outside 0..19 and not -10 (no joint)";
        case DIAG_FLAT_LIST_OPEN:
            return "the last plain vertex has end flag " + std::to_string(d.value) + " in " +
                   where + ": its polygon is never closed";
        case DIAG_TRAILING_CONTENT: return "content after the last field is ignored, from " + token;
        case DIAG_NAME_CUT:
            return "texture name in " + where + " is " + std::to_string(d.value) +
                   " characters long: only its first " + std::to_string(d.limit) +
                   " are kept, so the program looks for a file of that shorter name";
        case DIAG_KIND_COUNT: break;
    }
    return "";
}

std::string FormatSceneDiagnostics(const std::vector<SceneDiagnostic>& diagnostics,
                                   const Scene& scene, const std::string& file, int* errors,
                                   int* warnings) {
    std::string out;
    int shown[DIAG_KIND_COUNT] = {};
    int hidden[DIAG_KIND_COUNT] = {};
    for (const SceneDiagnostic& d : diagnostics) {
        ++*(d.error ? errors : warnings);
        if (shown[d.kind] == SHOWN_PER_KIND) {
            ++hidden[d.kind];
            continue;
        }
        ++shown[d.kind];
        char position[64];
        std::snprintf(position, sizeof position, ":%d:%d: ", d.line, d.column);
        out += file + position + (d.error ? "error: " : "warning: ") + Message(d, scene) + "\n";
    }
    for (int kind = 0; kind < DIAG_KIND_COUNT; ++kind)
        if (hidden[kind])
            out += file + ": " + std::to_string(hidden[kind]) + " more like the above not shown\n";
    return out;
}
