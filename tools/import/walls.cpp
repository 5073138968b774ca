// walls.cpp -- obstacle points along the footprints of the model's walls,
// so walking into one slides along it instead of passing through.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>

#include "tools/import/import.h"

namespace {

// A face whose normal leans less than this from horizontal is a wall: its
// surface stands within about 20 degrees of upright.
constexpr double WALL_NORMAL_Y = 0.34;

// The part of a triangle between two heights (scene y, lo < hi), as a
// polygon; empty when the triangle does not reach between them.
std::vector<Point3> ClipToBand(const Triangle& tri, double lo, double hi) {
    std::vector<Point3> poly(tri.p, tri.p + 3);
    auto clip = [&](double limit, bool keepBelow) {
        std::vector<Point3> out;
        for (size_t k = 0; k < poly.size(); k++) {
            const Point3& a = poly[k];
            const Point3& b = poly[(k + 1) % poly.size()];
            bool ina = keepBelow ? a.y <= limit : a.y >= limit;
            bool inb = keepBelow ? b.y <= limit : b.y >= limit;
            if (ina) out.push_back(a);
            if (ina != inb) {
                double f = (limit - a.y) / (b.y - a.y);
                out.push_back({a.x + (b.x - a.x) * f, limit, a.z + (b.z - a.z) * f});
            }
        }
        poly.swap(out);
    };
    clip(hi, true);
    if (!poly.empty()) clip(lo, false);
    return poly;
}

// Packs a grid cell into one key for the set of points already placed;
// coordinates are bounded, so each cell number fits in 32 bits.
unsigned long long CellKey(double x, double z, double cell) {
    long long cx = (long long)std::floor(x / cell), cz = (long long)std::floor(z / cell);
    return ((unsigned long long)(uint32_t)cx << 32) | (uint32_t)cz;
}

}  // namespace

std::vector<ScenePoint> WallPoints(const std::vector<Triangle>& triangles, const WallOptions& options,
                                   bool* capped) {
    std::vector<ScenePoint> points;
    // Two points closer than half the spacing add nothing: the back and
    // front of a thin wall, or the two triangles of one quad.
    const double cell = options.spacing / 2;
    std::unordered_set<unsigned long long> taken;
    auto add = [&](double x, double z) {
        if (taken.insert(CellKey(x, z, cell)).second) points.push_back({x, z});
    };
    size_t tries = 0;
    // Scene y grows downward: the head is at the smaller y.
    double lo = options.floorY - options.headHeight, hi = options.floorY - options.kneeHeight;
    for (const Triangle& tri : triangles) {
        Point3 u = {tri.p[1].x - tri.p[0].x, tri.p[1].y - tri.p[0].y, tri.p[1].z - tri.p[0].z};
        Point3 v = {tri.p[2].x - tri.p[0].x, tri.p[2].y - tri.p[0].y, tri.p[2].z - tri.p[0].z};
        Point3 n = {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
        double len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (!(len > 0) || std::fabs(n.y / len) >= WALL_NORMAL_Y) continue;
        std::vector<Point3> band = ClipToBand(tri, lo, hi);
        if (band.empty()) continue;
        // The footprint runs along the face's horizontal direction.
        double dx = -n.z, dz = n.x, dl = std::hypot(dx, dz);
        dx /= dl;
        dz /= dl;
        const Point3* first = &band[0];
        const Point3* last = &band[0];
        for (const Point3& p : band) {
            double along = p.x * dx + p.z * dz;
            if (along < first->x * dx + first->z * dz) first = &p;
            if (along > last->x * dx + last->z * dz) last = &p;
        }
        double length = std::hypot(last->x - first->x, last->z - first->z);
        double steps = std::max(1.0, std::ceil(length / options.spacing - 1e-9));
        for (double k = 0; k <= steps; k++) {
            // Points that fall where one stands already cost as much as new
            // ones: a face repeated over and over is bounded too.
            if (points.size() >= options.maxPoints || ++tries > 8 * options.maxPoints) {
                if (capped) *capped = true;
                return points;
            }
            double f = k / steps;
            add(first->x + (last->x - first->x) * f, first->z + (last->z - first->z) * f);
        }
    }
    if (capped) *capped = false;
    return points;
}
