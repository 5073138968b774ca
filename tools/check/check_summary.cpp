// check_summary.cpp -- what the loaded scene holds: list sizes, the avatar,
// each actor, the obstacles and the settings that differ from the defaults.
#include <charconv>
#include <string>

#include "scene/scene.h"
#include "tools/check/check.h"

static double defaultSettings[SCENE_SETTING_COUNT];  // W: RememberDefaultSettings
static double defaultClear[3], defaultAvatarHeadingOffset;

static double SettingValue(int k) {
    const SettingSlot& slot = sceneSettingSlots[k];
    return slot.intValue ? *slot.intValue : *slot.decimalValue;
}

void RememberDefaultSettings() {
    for (int k = 0; k < SCENE_SETTING_COUNT; ++k) defaultSettings[k] = SettingValue(k);
    defaultClear[0] = clearRed;
    defaultClear[1] = clearGreen;
    defaultClear[2] = clearBlue;
    defaultAvatarHeadingOffset = avatarHeadingOffset;
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

static void PrintSettings(FILE* out) {
    std::fprintf(out, "Settings that differ from their defaults:\n");
    for (int k = 0; k < SCENE_SETTING_COUNT; ++k)
        PrintChangedSetting(out, sceneFieldInfo[sceneSettingSlots[k].field].name, SettingValue(k),
                            defaultSettings[k]);
    PrintChangedSetting(out, "clearRed", clearRed, defaultClear[0]);
    PrintChangedSetting(out, "clearGreen", clearGreen, defaultClear[1]);
    PrintChangedSetting(out, "clearBlue", clearBlue, defaultClear[2]);
    PrintChangedSetting(out, "avatarHeadingOffset", avatarHeadingOffset,
                        defaultAvatarHeadingOffset);
}

static void PrintActors(FILE* out) {
    std::fprintf(out, "Actors: %d", actorLastIndex + 1 > 0 ? actorLastIndex + 1 : 0);
    if (actorLastIndex >= 0) std::fprintf(out, " (part capacity %d)", partCapacity);
    std::fprintf(out, "\n");
    for (int i = 0; i <= actorLastIndex; ++i) {
        int parts = actorPartVertexCount[i];
        int polygons =
            parts >= 1 && (size_t)parts < partEnd.rows ? PolygonCount(partEnd.Column(i), parts) : 0;
        std::fprintf(out, "  actor %d: %s in %s, %s, %s, start (%s, %s, %s), heading %s\n", i,
                     Count(parts, "part vertex").c_str(), Count(polygons, "polygon").c_str(),
                     Count(actorJointCount[i] + 1, "joint").c_str(),
                     Count(actorWaypointCount[i], "waypoint").c_str(),
                     Number(actorStartX[i]).c_str(), Number(actorStartY[i]).c_str(),
                     Number(actorStartZ[i]).c_str(), Number(actorStartHeading[i]).c_str());
    }
}

void PrintSceneSummary(FILE* out, const std::string& file, long long fileBytes) {
    std::fprintf(out, "Scene file: %s (%lld bytes)\n", file.c_str(), fileBytes);
    int n = texPolyVertexCount;
    std::fprintf(out, "Textured list: %s in %s\n", Count(n, "vertex").c_str(),
                 Count(n >= 1 ? PolygonCount(texPolyEnd.data, n) : 0, "polygon").c_str());
    n = flatPolyVertexCount;
    std::fprintf(out, "Plain list: %s in %s\n", Count(n, "vertex").c_str(),
                 Count(n >= 1 ? PolygonCount(flatPolyEnd.data, n) : 0, "polygon").c_str());
    n = avatarPolyVertexCount;
    if (n != 0)
        std::fprintf(out, "Avatar: %s in %s, %s\n", Count(n, "vertex").c_str(),
                     Count(n >= 1 ? PolygonCount(avatarPolyEnd.data, n) : 0, "polygon").c_str(),
                     Count(avatarJointCount + 1, "joint").c_str());
    else
        std::fprintf(out, "Avatar: none\n");
    PrintActors(out);
    std::fprintf(out, "Obstacle points: %d\n", obstacleCount > 0 ? obstacleCount : 0);
    PrintSettings(out);
}
