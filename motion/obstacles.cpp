// obstacles.cpp -- the obstacle check: is some obstacle square around a
// point? Answered from a uniform grid over the obstacle points, with the
// plain scan kept as the reference the grid must agree with.
#include <algorithm>
#include <cmath>
#include <vector>

#include "motion/motion.h"
#include "scene/scene.h"

namespace {

// A grid with cells of this size or larger than this many per point is slow
// to build for no gain in the query.
constexpr double CELLS_PER_POINT = 2.0;
// Cells are kept far above the rounding error of the coordinates, so one
// cell of margin around a query covers every point it could contain.
constexpr double CELL_OVER_ROUNDING = 1e-12;

// The entries 1..n that the tables really hold: a count beyond the tables
// would read past them.
int UsableObstacleCount(const Scene& scene) {
    if (!scene.obstacleX.data || !scene.obstacleZ.data || scene.obstacleCount <= 0) return 0;
    size_t n = std::min(scene.obstacleX.size, scene.obstacleZ.size);
    if (n < 1) return 0;
    return (int)std::min<size_t>((size_t)scene.obstacleCount, n - 1);
}

// The containment test of one obstacle square, strict on every side: a
// point exactly r away on an axis is outside.
inline bool SquareContains(double ox, double oz, double x, double z, double r) {
    return x - ox < r && ox - x < r && z - oz < r && oz - z < r;
}

// Cell index of a coordinate along one axis, clamped to 0..cells-1 in
// double first so that far-away values never overflow the int.
inline int CellOf(double offset, double cell, int cells) {
    double c = std::floor(offset / cell);
    if (!(c >= 0)) return 0;
    if (c >= cells - 1) return cells - 1;
    return (int)c;
}

// Chooses the cell size and count for m points in the box [0,ex] x [0,ez].
void ChooseCells(ObstacleIndex& grid, int m, double ex, double ez) {
    double area = ex * ez;
    double cell = area > 0 ? std::sqrt(area / m) : std::max(ex, ez) / m;
    cell = std::max(cell, grid.magnitude * CELL_OVER_ROUNDING);
    if (!(cell > 0) || !std::isfinite(cell)) cell = 1;
    double limit = CELLS_PER_POINT * m + 16;
    while ((std::floor(ex / cell) + 1) * (std::floor(ez / cell) + 1) > limit) cell *= 2;
    grid.cell = cell;
    grid.nx = (int)std::floor(ex / cell) + 1;
    grid.nz = (int)std::floor(ez / cell) + 1;
}

// Sorts the points into their cells (a counting sort).
void FillCells(ObstacleIndex& grid, const Scene& scene, const std::vector<int>& points) {
    size_t cells = (size_t)grid.nx * grid.nz;
    std::vector<int> cellOfPoint(points.size());
    grid.cellStart.assign(cells + 1, 0);
    for (size_t k = 0; k < points.size(); k++) {
        int i = points[k];
        int cx = CellOf(scene.obstacleX[i] - grid.minX, grid.cell, grid.nx);
        int cz = CellOf(scene.obstacleZ[i] - grid.minZ, grid.cell, grid.nz);
        cellOfPoint[k] = cz * grid.nx + cx;
        grid.cellStart[cellOfPoint[k] + 1]++;
    }
    for (size_t c = 0; c < cells; c++) grid.cellStart[c + 1] += grid.cellStart[c];
    std::vector<int> fill(grid.cellStart.begin(), grid.cellStart.end() - 1);
    grid.pointX.assign(points.size(), 0.0);
    grid.pointZ.assign(points.size(), 0.0);
    for (size_t k = 0; k < points.size(); k++) {
        int slot = fill[cellOfPoint[k]]++;
        grid.pointX[slot] = scene.obstacleX[points[k]];
        grid.pointZ[slot] = scene.obstacleZ[points[k]];
    }
}

// Any indexed point within r of (x, z), looking at every point.
bool ScanAllIndexed(const ObstacleIndex& grid, double x, double z, double r) {
    for (size_t k = 0; k < grid.pointX.size(); k++)
        if (SquareContains(grid.pointX[k], grid.pointZ[k], x, z, r)) return true;
    return false;
}

}  // namespace

// The reference answer: every obstacle in table order.
bool ObstacleNearLinear(const Scene& scene, double x, double z, double r) {
    int n = UsableObstacleCount(scene);
    for (int i = 1; i <= n; i++)
        if (SquareContains(scene.obstacleX[i], scene.obstacleZ[i], x, z, r)) return true;
    return false;
}

// A point with an infinite or NaN coordinate can never be inside a square
// (the differences are infinite or NaN), so only finite points are indexed.
ObstacleIndex BuildObstacleIndex(const Scene& scene) {
    ObstacleIndex grid;
    int n = UsableObstacleCount(scene);
    std::vector<int> points;
    points.reserve(n);
    double maxX = 0, maxZ = 0;
    grid.minX = grid.minZ = grid.magnitude = 0;
    for (int i = 1; i <= n; i++) {
        double x = scene.obstacleX[i], z = scene.obstacleZ[i];
        if (!std::isfinite(x) || !std::isfinite(z)) continue;
        if (points.empty()) grid.minX = maxX = x, grid.minZ = maxZ = z;
        grid.minX = std::min(grid.minX, x), maxX = std::max(maxX, x);
        grid.minZ = std::min(grid.minZ, z), maxZ = std::max(maxZ, z);
        grid.magnitude = std::max({grid.magnitude, std::fabs(x), std::fabs(z)});
        points.push_back(i);
    }
    if (points.empty()) return grid;
    // The extents may overflow for points near the ends of the double range;
    // such a grid degenerates to one cell, which is still correct.
    double ex = maxX - grid.minX, ez = maxZ - grid.minZ;
    if (!std::isfinite(ex) || !std::isfinite(ez)) ex = ez = 0;
    ChooseCells(grid, (int)points.size(), ex, ez);
    FillCells(grid, scene, points);
    return grid;
}

// The cells around the query, one cell of margin on every side.
bool ObstacleNear(const ObstacleIndex& grid, double x, double z, double r) {
    if (grid.pointX.empty()) return false;
    // No square contains a point with a non-finite coordinate, and none has
    // a side of zero or less (or NaN).
    if (!std::isfinite(x) || !std::isfinite(z) || !(r > 0)) return false;
    double reach = r / grid.cell + 2;  // cells covered on each side, margin included
    double scale = std::fabs(x) + std::fabs(z) + r;
    if (!std::isfinite(r) || reach * reach * 4 > (double)grid.pointX.size() ||
        scale * CELL_OVER_ROUNDING > grid.cell)
        return ScanAllIndexed(grid, x, z, r);
    int x0 = CellOf(x - r - grid.minX, grid.cell, grid.nx) - 1;
    int x1 = CellOf(x + r - grid.minX, grid.cell, grid.nx) + 1;
    int z0 = CellOf(z - r - grid.minZ, grid.cell, grid.nz) - 1;
    int z1 = CellOf(z + r - grid.minZ, grid.cell, grid.nz) + 1;
    x0 = std::max(x0, 0), z0 = std::max(z0, 0);
    x1 = std::min(x1, grid.nx - 1), z1 = std::min(z1, grid.nz - 1);
    for (int cz = z0; cz <= z1; cz++) {
        int first = grid.cellStart[cz * grid.nx + x0];
        int last = grid.cellStart[cz * grid.nx + x1 + 1];  // a row's cells are contiguous
        for (int k = first; k < last; k++)
            if (SquareContains(grid.pointX[k], grid.pointZ[k], x, z, r)) return true;
    }
    return false;
}

// The viewer's own position against every obstacle square.
bool FindObstacleHit(const ObstacleIndex& index, const ViewerState& viewer, double radius) {
    return ObstacleNear(index, viewer.viewerX, viewer.viewerZ, radius);
}
