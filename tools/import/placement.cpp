// placement.cpp -- where the walk starts: the floor to walk on, an open
// spot on it away from the walls, and the longest open view from there.
#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

#include "tools/import/import.h"

namespace {

// A face whose normal is this close to vertical is a floor (or a ceiling):
// it lies within about 20 degrees of level.
constexpr double FLOOR_NORMAL_Y = 0.94;
// Floors closer in height than this are one floor (20 cm).
constexpr double FLOOR_BAND = 2.0;

struct Normal {
    double x, y, z, area2;  // unit normal and twice the triangle's area
};

Normal FaceNormal(const Triangle& t) {
    double ux = t.p[1].x - t.p[0].x, uy = t.p[1].y - t.p[0].y, uz = t.p[1].z - t.p[0].z;
    double vx = t.p[2].x - t.p[0].x, vy = t.p[2].y - t.p[0].y, vz = t.p[2].z - t.p[0].z;
    double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(len > 0)) return {0, 0, 0, 0};
    return {nx / len, ny / len, nz / len, len};
}

// Wall points bucketed on a square grid, for nearest-point questions.
class PointGrid {
  public:
    PointGrid(const std::vector<ScenePoint>& points, double cell) : points_(points), cell_(cell) {
        for (size_t k = 0; k < points.size(); k++) cells_[Key(Cell(points[k].x), Cell(points[k].z))].push_back(k);
    }
    // The smallest of max(|dx|, |dz|) to any point, looking no farther
    // than limit (which it returns when nothing is nearer).
    double Nearest(double x, double z, double limit) const {
        double best = limit;
        long long cx = Cell(x), cz = Cell(z);
        long long rings = (long long)std::ceil(limit / cell_) + 1;
        for (long long dx = -rings; dx <= rings; dx++)
            for (long long dz = -rings; dz <= rings; dz++) {
                auto it = cells_.find(Key(cx + dx, cz + dz));
                if (it == cells_.end()) continue;
                for (size_t k : it->second)
                    best = std::min(best, std::max(std::fabs(points_[k].x - x), std::fabs(points_[k].z - z)));
            }
        return best;
    }

  private:
    long long Cell(double v) const { return (long long)std::floor(v / cell_); }
    static unsigned long long Key(long long cx, long long cz) {
        return ((unsigned long long)(uint32_t)cx << 32) | (uint32_t)cz;
    }
    const std::vector<ScenePoint>& points_;
    double cell_;
    std::unordered_map<unsigned long long, std::vector<size_t>> cells_;
};

long long Band(double y) { return (long long)std::floor(y / FLOOR_BAND); }

}  // namespace

double FindWalkingFloor(const std::vector<Triangle>& triangles) {
    std::map<long long, double> area;
    double lowest = -MAX_SCENE_COORDINATE;
    for (const Triangle& t : triangles) {
        for (const Point3& p : t.p) lowest = std::max(lowest, p.y);
        Normal n = FaceNormal(t);
        if (std::fabs(n.y) < FLOOR_NORMAL_Y) continue;
        area[Band((t.p[0].y + t.p[1].y + t.p[2].y) / 3)] += n.area2;
    }
    if (area.empty()) return lowest;  // nothing level: stand below the model
    double largest = 0;
    for (auto& [band, a] : area) largest = std::max(largest, a);
    // A roof may be as large as the ground floor; the lower one is walked on.
    long long chosen = 0;
    for (auto& [band, a] : area)
        if (a >= largest / 2) chosen = band;  // map order: the last is the lowest (largest y)
    double sum = 0, weight = 0;
    for (const Triangle& t : triangles) {
        Normal n = FaceNormal(t);
        double y = (t.p[0].y + t.p[1].y + t.p[2].y) / 3;
        if (std::fabs(n.y) < FLOOR_NORMAL_Y || Band(y) != chosen) continue;
        sum += y * n.area2;
        weight += n.area2;
    }
    return sum / weight;
}

double FloorBelow(const std::vector<Triangle>& triangles, double x, double z, double aboveY,
                  double fallback) {
    const double SLACK = 1.0;  // a camera standing on the floor itself still finds it
    double best = 0;
    bool found = false;
    for (const Triangle& t : triangles) {
        Normal n = FaceNormal(t);
        if (std::fabs(n.y) < 0.7) continue;  // ramps count, walls do not
        // Barycentric test in the ground plane.
        double x0 = t.p[0].x, z0 = t.p[0].z;
        double ax = t.p[1].x - x0, az = t.p[1].z - z0, bx = t.p[2].x - x0, bz = t.p[2].z - z0;
        double det = ax * bz - az * bx;
        if (det == 0) continue;
        double u = ((x - x0) * bz - (z - z0) * bx) / det, v = (ax * (z - z0) - az * (x - x0)) / det;
        if (u < 0 || v < 0 || u + v > 1) continue;
        double y = t.p[0].y + u * (t.p[1].y - t.p[0].y) + v * (t.p[2].y - t.p[0].y);
        if (y < aboveY - SLACK) continue;  // above the point
        if (!found || y < best) best = y, found = true;
    }
    return found ? best : fallback;
}

double LongestOpenHeading(const std::vector<ScenePoint>& walls, double x, double z, double radius,
                          double reach) {
    PointGrid grid(walls, std::max(radius * 4, 1.0));
    double bestHeading = 0, bestLength = -1;
    const int DIRECTIONS = 72;  // every 5 degrees
    for (int k = 0; k < DIRECTIONS; k++) {
        double h = k * 360.0 / DIRECTIONS, a = h * M_PI / 180;
        double dx = std::sin(a), dz = -std::cos(a), length = 0;
        for (double d = radius / 2; d <= reach; d += radius / 2) {
            if (grid.Nearest(x + dx * d, z + dz * d, radius) < radius) break;
            length = d;
        }
        if (length > bestLength + 1e-9) bestLength = length, bestHeading = h;
    }
    return bestHeading;
}

StartPlace ChooseStart(const std::vector<Triangle>& triangles, const std::vector<ScenePoint>& walls,
                       double floorY, double clearance) {
    StartPlace place;
    place.floorY = floorY;
    // Candidate spots: the centres of the floor's triangles and points
    // within the large ones, enough to find open ground in any room.
    std::vector<std::pair<double, double>> spots;
    double cx = 0, cz = 0, area = 0;
    for (const Triangle& t : triangles) {
        Normal n = FaceNormal(t);
        double y = (t.p[0].y + t.p[1].y + t.p[2].y) / 3;
        if (std::fabs(n.y) < FLOOR_NORMAL_Y || std::fabs(y - floorY) > FLOOR_BAND) continue;
        const int SPLIT = 4;
        for (int i = 0; i <= SPLIT; i++)
            for (int j = 0; i + j <= SPLIT; j++) {
                double u = (i + 0.5) / (SPLIT + 1.5), v = (j + 0.5) / (SPLIT + 1.5);
                spots.push_back({t.p[0].x + u * (t.p[1].x - t.p[0].x) + v * (t.p[2].x - t.p[0].x),
                                 t.p[0].z + u * (t.p[1].z - t.p[0].z) + v * (t.p[2].z - t.p[0].z)});
            }
        double tx = (t.p[0].x + t.p[1].x + t.p[2].x) / 3, tz = (t.p[0].z + t.p[1].z + t.p[2].z) / 3;
        cx += tx * n.area2;
        cz += tz * n.area2;
        area += n.area2;
    }
    if (area > 0) cx /= area, cz /= area;
    place.floorArea = area / 2;
    const size_t MAX_SPOTS = 20000;  // keeps the search to a moment on any model
    size_t stride = std::max<size_t>(1, spots.size() / MAX_SPOTS);
    PointGrid grid(walls, std::max(clearance * 2, 1.0));
    const double OPEN = clearance * 6;  // farther from walls than this is open enough
    double bestScore = -1;
    for (size_t k = 0; k < spots.size(); k += stride) {
        auto [x, z] = spots[k];
        double room = grid.Nearest(x, z, OPEN);
        if (room < clearance) continue;
        // Open spots first; among equally open ones, the one nearest the
        // floor's middle.
        double score = room * 1e6 - std::hypot(x - cx, z - cz);
        if (score > bestScore) bestScore = score, place.x = x, place.z = z;
    }
    place.how = "on the largest floor";
    if (bestScore < 0) {
        place.x = cx;
        place.z = cz;
        place.how = "in the middle of the floor (no spot clear of walls)";
    }
    place.heading = 0;
    return place;
}
