// scene_writer.cpp -- formatting a scene description as "Hod.pro" text in
// the loader's field order, and the description of a loaded scene.
#include "tools/lib/scene_writer.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

// Text output that flushes to a file (when given one) every megabyte, so
// that large scenes never sit whole in memory.
struct SceneOutput {
    std::string text;
    FILE* file;
    const char* lineEnd;
    bool failed;
};

static void Flush(SceneOutput& out) {
    if (!out.file || out.text.empty()) return;
    if (std::fwrite(out.text.data(), 1, out.text.size(), out.file) != out.text.size())
        out.failed = true;
    out.text.clear();
}

static void EndLine(SceneOutput& out) {
    out.text += out.lineEnd;
    if (out.text.size() > (1u << 20)) Flush(out);
}

// Shortest text that reads back to exactly the same double.
static void PutDecimal(SceneOutput& out, double value) {
    char buffer[32];
    std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (!out.text.empty() && out.text.back() != '\n') out.text += ' ';
    out.text.append(buffer, r.ptr);
}

static void PutInt(SceneOutput& out, long long value) {
    char buffer[24];
    std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (!out.text.empty() && out.text.back() != '\n') out.text += ' ';
    out.text.append(buffer, r.ptr);
}

static void PutName(SceneOutput& out, const std::string& name) {
    out.text += " #";
    out.text += name;
}

static bool IsIntSetting(int k) { return sceneSettingSlots[k].intValue != nullptr; }

static void PutSettings(SceneOutput& out, const SceneDescription& scene) {
    for (int k = 0; k < SCENE_SETTING_COUNT; ++k) {
        if (IsIntSetting(k)) PutInt(out, (long long)scene.settings[k]);
        else PutDecimal(out, scene.settings[k]);
        EndLine(out);
    }
}

// The settings hold at most 57 values; the index is the field's place.
static int SettingIndex(SceneField field) { return field - FIELD_displayModeIndex; }

static int PartCapacityOf(const SceneDescription& scene) {
    if (scene.partCapacity != 0) return scene.partCapacity;
    size_t longest = scene.actors.empty() ? 0 : 1;
    for (const SceneActor& actor : scene.actors) longest = std::max(longest, actor.parts.size());
    return (int)longest;
}

// A vertex record; figure lists carry a joint, textured lists a slot.
static void PutVertex(SceneOutput& out, const SceneVertex& v, bool startsPolygon, bool figure) {
    if (startsPolygon) {
        PutDecimal(out, v.red);
        PutDecimal(out, v.green);
        PutDecimal(out, v.blue);
    }
    if (figure) PutInt(out, v.joint);
    PutDecimal(out, v.x);
    PutDecimal(out, v.y);
    PutDecimal(out, v.z);
    PutInt(out, v.end);
    PutDecimal(out, v.s);
    PutDecimal(out, v.t);
    PutInt(out, v.texFlag);
    PutName(out, v.texName);
    EndLine(out);
}

static void PutVertexList(SceneOutput& out, const std::vector<SceneVertex>& list, bool figure) {
    int previousEnd = 1;  // the sentinel entry 0
    for (const SceneVertex& v : list) {
        PutVertex(out, v, previousEnd == 1, figure);
        previousEnd = v.end;
    }
}

static void PutPose(SceneOutput& out, const ScenePose& pose, bool withTilt) {
    for (double v : pose.pivot) PutDecimal(out, v);
    for (double v : pose.swing) PutDecimal(out, v);
    if (withTilt)
        for (double v : pose.tilt) PutDecimal(out, v);
    PutDecimal(out, pose.swingDivisor);
    EndLine(out);
}

static void PutJoints(SceneOutput& out, const std::vector<SceneJoint>& joints, bool withTilt) {
    PutInt(out, (long long)joints.size() - 1);
    EndLine(out);
    for (const SceneJoint& joint : joints)
        for (const ScenePose& pose : joint.poses) PutPose(out, pose, withTilt);
}

static void PutActorBlocks1And2(SceneOutput& out, const SceneDescription& scene) {
    for (const SceneActor& a : scene.actors) {
        PutInt(out, a.avoidsObstacles);
        PutInt(out, a.usesWaypoints);
        PutInt(out, a.cullEnabled);
        PutDecimal(out, a.cullDistance);
        PutInt(out, a.rangeLimited);
        PutDecimal(out, a.activeRange);
        PutInt(out, (long long)a.waypoints.size());
        EndLine(out);
    }
    for (const SceneActor& a : scene.actors) {
        for (const ScenePoint& w : a.waypoints) {
            PutDecimal(out, w.x);
            PutDecimal(out, w.z);
            EndLine(out);
        }
    }
}

static void PutScene(SceneOutput& out, const SceneDescription& scene) {
    PutInt(out, (long long)scene.texVertices.size());
    PutInt(out, (long long)scene.flatVertices.size());
    PutInt(out, (long long)scene.avatarVertices.size());
    PutInt(out, (long long)scene.actors.size() - 1);
    PutInt(out, PartCapacityOf(scene));
    EndLine(out);
    PutSettings(out, scene);
    PutInt(out, (long long)scene.obstacles.size());
    EndLine(out);
    for (const ScenePoint& p : scene.obstacles) {
        PutDecimal(out, p.x);
        PutDecimal(out, p.z);
        EndLine(out);
    }
    PutActorBlocks1And2(out, scene);
    for (double c : scene.clear) PutDecimal(out, c);
    EndLine(out);
    if (!scene.avatarVertices.empty()) {
        PutDecimal(out, scene.avatarHeadingOffset);
        EndLine(out);
        PutJoints(out, scene.avatarJoints, true);
    }
    PutVertexList(out, scene.avatarVertices, true);
    for (const SceneActor& a : scene.actors) {
        PutInt(out, (long long)a.parts.size());
        for (double v : a.start) PutDecimal(out, v);
        for (double v : a.front) PutDecimal(out, v);
        PutDecimal(out, a.startHeading);
        PutDecimal(out, a.modelHeadingOffset);
        EndLine(out);
    }
    for (const SceneActor& a : scene.actors) PutVertexList(out, a.parts, true);
    for (const SceneActor& a : scene.actors) {
        PutDecimal(out, a.maxSpeed);
        PutDecimal(out, a.collisionRadius);
        EndLine(out);
        PutJoints(out, a.joints, false);
    }
    PutVertexList(out, scene.texVertices, false);
    int previousEnd = 1;
    for (const SceneFlatVertex& v : scene.flatVertices) {
        if (previousEnd == 1) {
            PutDecimal(out, v.red);
            PutDecimal(out, v.green);
            PutDecimal(out, v.blue);
        }
        PutDecimal(out, v.x);
        PutDecimal(out, v.y);
        PutDecimal(out, v.z);
        PutInt(out, v.end);
        EndLine(out);
        previousEnd = v.end;
    }
}

std::string FormatScene(const SceneDescription& scene, const SceneWriteOptions& options) {
    SceneOutput out{std::string(), nullptr, options.crlf ? "\r\n" : "\n", false};
    PutScene(out, scene);
    return out.text;
}

bool WriteSceneFile(const std::string& path, const SceneDescription& scene,
                    const SceneWriteOptions& options) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    SceneOutput out{std::string(), file, options.crlf ? "\r\n" : "\n", false};
    out.text.reserve((1u << 20) + 4096);
    PutScene(out, scene);
    Flush(out);
    bool closed = std::fclose(file) == 0;
    return closed && !out.failed;
}

double GetSetting(const SceneDescription& scene, SceneField field) {
    return scene.settings[SettingIndex(field)];
}

void SetSetting(SceneDescription& scene, SceneField field, double value) {
    scene.settings[SettingIndex(field)] = value;
}

void CopySettingsFromScene(SceneDescription& scene, const Scene& from) {
    for (int k = 0; k < SCENE_SETTING_COUNT; ++k) {
        const SettingSlot& slot = sceneSettingSlots[k];
        scene.settings[k] = slot.intValue ? from.*slot.intValue : from.*slot.decimalValue;
    }
    scene.clear[0] = from.clearRed;
    scene.clear[1] = from.clearGreen;
    scene.clear[2] = from.clearBlue;
    scene.avatarHeadingOffset = from.avatarHeadingOffset;
}

void CopyDefaultSettings(SceneDescription& scene) {
    static const Scene defaults;  // never written: the values before any load
    CopySettingsFromScene(scene, defaults);
}
