// obstacle_index_test.cpp -- the grid index over the obstacle points must
// answer exactly as a scan of every point does, square edges included.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "motion/motion.h"
#include "scene/scene.h"

namespace {

typedef std::vector<std::pair<double, double>> Points;

// The scene the queries ask about, and its index.
std::unique_ptr<Scene> scene = std::make_unique<Scene>();
ObstacleIndex index;

void SetObstacles(const Points& points) {
    Scene& s = *scene;
    s.obstacleX.Allocate(points.size() + 1);
    s.obstacleZ.Allocate(points.size() + 1);
    for (size_t i = 0; i < points.size(); i++) {
        s.obstacleX[i + 1] = points[i].first;
        s.obstacleZ[i + 1] = points[i].second;
    }
    s.obstacleCount = (int)points.size();
    index = BuildObstacleIndex(s);
}

bool Near(double x, double z, double r) { return ObstacleNear(index, x, z, r); }
bool NearLinear(double x, double z, double r) { return ObstacleNearLinear(*scene, x, z, r); }

// The count changed in place: the index is built anew, as a load does.
void SetCount(int count) {
    scene->obstacleCount = count;
    index = BuildObstacleIndex(*scene);
}

struct Tally {
    int hits = 0, misses = 0, disagreements = 0;
};

void Compare(double x, double z, double r, Tally* tally) {
    bool indexed = Near(x, z, r);
    bool scanned = NearLinear(x, z, r);
    if (indexed != scanned) {
        tally->disagreements++;
        ADD_FAILURE() << "index says " << indexed << " at (" << x << ", " << z << ") r " << r;
    }
    (scanned ? tally->hits : tally->misses)++;
}

// Queries exactly on the four edges of a point's square, and one step of
// the double grid inside and outside each of them.
void CompareAtEdges(double ox, double oz, double r, double along, Tally* tally) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double ex : {ox - r, ox + r})
        for (double x : {ex, std::nextafter(ex, inf), std::nextafter(ex, -inf)})
            Compare(x, oz + along * r, r, tally);
    for (double ez : {oz - r, oz + r})
        for (double z : {ez, std::nextafter(ez, inf), std::nextafter(ez, -inf)})
            Compare(ox + along * r, z, r, tally);
}

// Point sets of several shapes: the grid's cell choice differs for each.
Points MakePoints(int shape, int n, std::mt19937& rng) {
    std::uniform_real_distribution<double> unit(0, 1);
    Points p;
    for (int i = 0; i < n; i++) {
        double a = unit(rng), b = unit(rng);
        switch (shape) {
            case 0: p.push_back({a * 2000 - 1000, b * 2000 - 1000}); break;   // spread
            case 1: p.push_back({std::floor(a * 40) * 4, std::floor(b * 40) * 4}); break;  // lattice
            case 2: p.push_back({a * 500, 7}); break;                          // one row
            case 3: p.push_back({(i % 5) * 1e-3, (i % 3) * 1e-3}); break;      // a speck, duplicates
            case 4: p.push_back({1e12 + a * 1e4, -1e12 + b * 1e4}); break;     // far from the origin
            default: p.push_back({a < 0.9 ? a * 50 : a * 1e6, b * 50}); break;  // a cluster and strays
        }
    }
    return p;
}

TEST(ObstacleIndex, AgreesWithTheScanOnRandomScenesAndSquareEdges) {
    std::mt19937 rng(20240517);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int shape = 0; shape < 6; shape++) {
        for (int n : {1, 7, 300, 5000}) {
            Points points = MakePoints(shape, n, rng);
            SetObstacles(points);
            double minX = 1e300, maxX = -1e300, minZ = 1e300, maxZ = -1e300;
            for (auto [x, z] : points) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minZ = std::min(minZ, z), maxZ = std::max(maxZ, z);
            }
            Tally tally;
            for (double r : {8.0, 20.0, 0.5, 2e-3, 1e4, unit(rng) * 30}) {
                for (int q = 0; q < 200; q++) {
                    double x = minX - 2 * r + unit(rng) * (maxX - minX + 4 * r);
                    double z = minZ - 2 * r + unit(rng) * (maxZ - minZ + 4 * r);
                    Compare(x, z, r, &tally);
                }
                for (int q = 0; q < 40; q++) {
                    auto [ox, oz] = points[rng() % points.size()];
                    CompareAtEdges(ox, oz, r, unit(rng) * 2 - 1, &tally);
                }
            }
            EXPECT_EQ(tally.disagreements, 0) << "shape " << shape << " n " << n;
            EXPECT_GT(tally.hits, 0) << "shape " << shape << " n " << n;
            EXPECT_GT(tally.misses, 0) << "shape " << shape << " n " << n;
        }
    }
}

TEST(ObstacleIndex, StrictEdgesOnALattice) {
    // A lattice of spacing 16 with r 8: the squares touch without overlap,
    // so every shared edge is outside both squares.
    Points points;
    for (int i = 0; i < 50; i++)
        for (int j = 0; j < 50; j++) points.push_back({i * 16.0, j * 16.0});
    SetObstacles(points);
    EXPECT_FALSE(Near(8, 100, 8));
    EXPECT_FALSE(Near(8, 8, 8));
    EXPECT_TRUE(Near(7.999, 100, 8));
    EXPECT_TRUE(Near(16 * 49 + 7.999, 16 * 49, 8));
    EXPECT_FALSE(Near(16 * 49 + 8, 16 * 49, 8));
    Tally tally;
    for (int i = -1; i <= 100; i++)
        for (int j = -1; j <= 100; j++) Compare(i * 8.0, j * 8.0 + 3, 8, &tally);
    EXPECT_EQ(tally.disagreements, 0);
    EXPECT_GT(tally.hits, 0);
    EXPECT_GT(tally.misses, 0);
}

TEST(ObstacleIndex, NonFiniteValuesAndDegenerateRadii) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    SetObstacles({{0, 0}, {nan, 5}, {inf, 0}, {-inf, -inf}, {100, 100}, {5e307, -5e307}});
    Tally tally;
    for (double x : {0.0, 3.0, 100.0, nan, inf, -inf, 5e307})
        for (double z : {0.0, 5.0, 100.0, nan, -inf, -5e307})
            for (double r : {8.0, 0.0, -8.0, nan, inf, 1e308}) Compare(x, z, r, &tally);
    EXPECT_EQ(tally.disagreements, 0);
    EXPECT_TRUE(Near(1, 1, 8));
    EXPECT_FALSE(Near(1, 1, 0));
    EXPECT_TRUE(Near(-1e300, 1e300, inf));  // every finite point lies within
    EXPECT_FALSE(Near(nan, 0, 8));
}

TEST(ObstacleIndex, CountsAtOrBelowZeroOrPastTheTables) {
    SetObstacles({{0, 0}, {50, 50}});
    EXPECT_TRUE(Near(50, 51, 8));
    SetCount(1);  // the second point is no longer an obstacle
    EXPECT_FALSE(Near(50, 51, 8));
    SetCount(0);
    EXPECT_FALSE(Near(0, 0, 8));
    SetCount(-3);
    EXPECT_FALSE(Near(0, 0, 8));
    SetObstacles({{200, 200}, {300, 300}, {400, 400}});
    EXPECT_FALSE(Near(0, 0, 8));
    EXPECT_TRUE(Near(400, 401, 8));
    // A count beyond the tables reads only what they hold.
    SetCount(1000);
    EXPECT_TRUE(Near(400, 401, 8));
    EXPECT_FALSE(NearLinear(500, 500, 8));
}

TEST(ObstacleIndex, FindObstacleHitChecksTheViewer) {
    SetObstacles({{3, -9}});
    ViewerState viewer;
    viewer.viewerX = 0, viewer.viewerZ = -2;
    EXPECT_TRUE(FindObstacleHit(index, viewer, 8));
    viewer.viewerZ = -1;  // exactly 8 away on z
    EXPECT_FALSE(FindObstacleHit(index, viewer, 8));
    EXPECT_TRUE(FindObstacleHit(index, viewer, 8.001));
}

}  // namespace
