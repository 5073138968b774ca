// shading.cpp -- a fixed light folded into each polygon's colour at
// import. The program's own lights carry no normals, so without this every
// face of one colour looks the same and an untextured model is a flat fog.
#include <cmath>

#include "tools/import/import.h"

namespace {

// Toward the sun: high (scene up is minus y), from one side and a little
// behind, so that walls facing along x and along z differ in brightness.
const double SUN[3] = {0.45, -0.8, 0.36};
constexpr double SKY_LEVEL = 0.45;   // every face sees this much of the sky
constexpr double LEVEL_BONUS = 0.2;  // floors and roofs see more of it than walls
constexpr double SUN_LEVEL = 0.35;   // a face square to the sun gets this much more

}  // namespace

double ShadeLevel(const Triangle& t) {
    const Point3 &a = t.p[0], &b = t.p[1], &c = t.p[2];
    double u[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, v[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
    double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    double sun = std::sqrt(SUN[0] * SUN[0] + SUN[1] * SUN[1] + SUN[2] * SUN[2]);
    if (!(length > 0)) return SKY_LEVEL + LEVEL_BONUS;  // a sliver: no facing to speak of
    // Both sides are drawn and models wind their faces either way, so a
    // face is lit from whichever side the light falls on.
    double facing = std::fabs(n[0] * SUN[0] + n[1] * SUN[1] + n[2] * SUN[2]) / (length * sun);
    double level = std::fabs(n[1]) / length;
    return SKY_LEVEL + LEVEL_BONUS * level + SUN_LEVEL * facing;
}
