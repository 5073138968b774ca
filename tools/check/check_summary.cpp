// check_summary.cpp -- what the loaded scene holds: list sizes, the avatar,
// each actor, the obstacles and the settings that differ from the defaults.
#include <charconv>
#include <string>

#include "scene/scene.h"
#include "tools/check/check.h"

static double SettingValue(const Scene& s, int k) {
    const SettingSlot& slot = sceneSettingSlots[k];
    return slot.intValue ? s.*slot.intValue : s.*slot.decimalValue;
}

// Shortest text that reads back as the same double.
static std::string Number(double value) {
    char buffer[32];
    std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

// Polygons of a list with end flags end[1..n]: runs that end at a flag of 1,
// and a last run the loader closes (or leaves open, in the plain list).
static int PolygonCount(const int* end, int n) {
    int polygons = 0;
    for (int v = 1; v <= n; ++v) polygons += end[v] == 1;
    return n >= 1 && end[n] != 1 ? polygons + 1 : polygons;
}

// "1 polygon", "3 polygons"; "vertex" has its own plural.
static std::string Count(long long n, const std::string& noun) {
    std::string plural = noun.size() > 5 && noun.compare(noun.size() - 6, 6, "vertex") == 0
                             ? noun.substr(0, noun.size() - 2) + "ices"
                             : noun + "s";
    return std::to_string(n) + " " + (n == 1 ? noun : plural);
}

static void PrintChangedSetting(FILE* out, const char* name, double value, double byDefault) {
    if (value != byDefault && !(value != value && byDefault != byDefault))
        std::fprintf(out, "  %s %s (default %s)\n", name, Number(value).c_str(),
                     Number(byDefault).c_str());
}

static void PrintSettings(FILE* out, const Scene& s) {
    static const Scene defaults;  // never written: the values before any load
    std::fprintf(out, "Settings that differ from their defaults:\n");
    for (int k = 0; k < SCENE_SETTING_COUNT; ++k)
        PrintChangedSetting(out, sceneFieldInfo[sceneSettingSlots[k].field].name,
                            SettingValue(s, k), SettingValue(defaults, k));
    PrintChangedSetting(out, "clearRed", s.clearRed, defaults.clearRed);
    PrintChangedSetting(out, "clearGreen", s.clearGreen, defaults.clearGreen);
    PrintChangedSetting(out, "clearBlue", s.clearBlue, defaults.clearBlue);
    PrintChangedSetting(out, "avatarHeadingOffset", s.avatarHeadingOffset,
                        defaults.avatarHeadingOffset);
}

static void PrintActors(FILE* out, const Scene& s) {
    std::fprintf(out, "Actors: %d", s.actorLastIndex + 1 > 0 ? s.actorLastIndex + 1 : 0);
    if (s.actorLastIndex >= 0) std::fprintf(out, " (part capacity %d)", s.partCapacity);
    std::fprintf(out, "\n");
    for (int i = 0; i <= s.actorLastIndex; ++i) {
        int parts = s.actorPartVertexCount[i];
        int polygons =
            parts >= 1 && (size_t)parts < s.partEnd.rows ? PolygonCount(s.partEnd.Column(i), parts) : 0;
        std::fprintf(out, "  actor %d: %s in %s, %s, %s, start (%s, %s, %s), heading %s\n", i,
                     Count(parts, "part vertex").c_str(), Count(polygons, "polygon").c_str(),
                     Count(s.actorJointCount[i] + 1, "joint").c_str(),
                     Count(s.actorWaypointCount[i], "waypoint").c_str(),
                     Number(s.actorStartX[i]).c_str(), Number(s.actorStartY[i]).c_str(),
                     Number(s.actorStartZ[i]).c_str(), Number(s.actorStartHeading[i]).c_str());
    }
}

void PrintSceneSummary(FILE* out, const Scene& s, const std::string& file, long long fileBytes) {
    std::fprintf(out, "Scene file: %s (%lld bytes)\n", file.c_str(), fileBytes);
    int n = s.texPolyVertexCount;
    std::fprintf(out, "Textured list: %s in %s\n", Count(n, "vertex").c_str(),
                 Count(n >= 1 ? PolygonCount(s.texPolyEnd.data, n) : 0, "polygon").c_str());
    n = s.flatPolyVertexCount;
    std::fprintf(out, "Plain list: %s in %s\n", Count(n, "vertex").c_str(),
                 Count(n >= 1 ? PolygonCount(s.flatPolyEnd.data, n) : 0, "polygon").c_str());
    n = s.avatarPolyVertexCount;
    if (n != 0)
        std::fprintf(out, "Avatar: %s in %s, %s\n", Count(n, "vertex").c_str(),
                     Count(n >= 1 ? PolygonCount(s.avatarPolyEnd.data, n) : 0, "polygon").c_str(),
                     Count(s.avatarJointCount + 1, "joint").c_str());
    else
        std::fprintf(out, "Avatar: none\n");
    PrintActors(out, s);
    std::fprintf(out, "Obstacle points: %d\n", s.obstacleCount > 0 ? s.obstacleCount : 0);
    PrintSettings(out, s);
}
