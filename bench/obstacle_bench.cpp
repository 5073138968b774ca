// obstacle_bench.cpp -- one frame's failed deflection search (every probe
// blocked) against 100,000 obstacle points: the grid index against a scan of
// every point, side by side in one run. Target: at most 1 ms per frame with
// the index.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "motion/motion.h"
#include "scene/scene.h"

namespace {

constexpr int OBSTACLE_POINTS = 100000;
constexpr double WORLD = 20000;  // the scattered points fill [-WORLD, WORLD] on both axes
constexpr double MOVE_ANGLE = 0.3;

typedef bool (*ObstacleCheck)(double x, double z, double r);

// The scene of obstacle points, its index, and the viewer that searches.
std::unique_ptr<Scene> sceneHolder = std::make_unique<Scene>();
Scene& scene = *sceneHolder;
ObstacleIndex obstacles;
ViewerState viewer;
FollowCamera camera;

bool Indexed(double x, double z, double r) { return ObstacleNear(obstacles, x, z, r); }
bool Scanned(double x, double z, double r) { return ObstacleNearLinear(scene, x, z, r); }

// Scattered points, plus a patch of blockers boxing the viewer in at the
// origin. blockersLast puts the patch at the end of the table (the scan's
// worst case); otherwise its points are shuffled in among the others.
void MakeScene(bool blockersLast) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> spread(-WORLD, WORLD);
    std::vector<std::pair<double, double>> points;
    for (int i = -2; i <= 2; i++)
        for (int j = -2; j <= 2; j++) points.push_back({i * 6.0, j * 6.0});
    size_t blockers = points.size();
    while (points.size() < (size_t)OBSTACLE_POINTS) {
        double x = spread(rng), z = spread(rng);
        if (std::fabs(x) > 100 || std::fabs(z) > 100) points.push_back({x, z});
    }
    if (blockersLast) std::rotate(points.begin(), points.begin() + blockers, points.end());
    else std::shuffle(points.begin(), points.end(), rng);
    scene.obstacleX.Allocate(points.size() + 1);
    scene.obstacleZ.Allocate(points.size() + 1);
    for (size_t i = 0; i < points.size(); i++) {
        scene.obstacleX[i + 1] = points[i].first;
        scene.obstacleZ[i + 1] = points[i].second;
    }
    scene.obstacleCount = (int)points.size();
    obstacles = BuildObstacleIndex(scene);
}

void SetUpViewer() {
    scene.degToRad = M_PI / 180;
    scene.collisionRadius = scene.collisionProbeSpeed = 8;
    scene.maxDeflection = 60 * scene.degToRad;
    scene.deflectionDamping = 3;
    viewer.viewerX = viewer.viewerZ = 0;
    viewer.forwardSpeed = 2;
    viewer.blocked = 0;
    viewer.walkProbePhase = 1;
    viewer.walkDeflection = 0;
}

// The probe positions of one search in their order: the plain step, then
// +0.01 ... and -0.01 ... radians, each a probe step long.
std::vector<std::pair<double, double>> ProbePositions() {
    std::vector<std::pair<double, double>> probes = {{-sin(MOVE_ANGLE) * 2, -cos(MOVE_ANGLE) * 2}};
    double d = 0;
    int phase = 1;
    for (;;) {
        if (phase == 1) {
            d += 0.01;
            if (d >= scene.maxDeflection) phase = 2, d = 0;
        }
        if (phase == 2) {
            d -= 0.01;
            if (d <= -scene.maxDeflection) break;
        }
        probes.push_back({-sin(MOVE_ANGLE + d) * 8, -cos(MOVE_ANGLE + d) * 8});
    }
    return probes;
}

// Milliseconds per search with the given check; every probe must be blocked.
double TimeProbes(ObstacleCheck check, int frames, bool* allBlocked) {
    std::vector<std::pair<double, double>> probes = ProbePositions();
    *allBlocked = true;
    auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; f++)
        for (auto [x, z] : probes) *allBlocked &= check(x, z, scene.collisionRadius);
    std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / frames;
}

// Milliseconds per frame of the real step with its search (indexed).
double TimeRealSearch(int frames, bool* gaveUp) {
    *gaveUp = true;
    auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; f++) {
        SetUpViewer();
        viewer.moveAngle = MOVE_ANGLE;
        HeldKeys keys;
        MotionStep m{scene, obstacles, keys, viewer, camera};
        *gaveUp &= !MoveWithDeflection(m, WALK_PROBES, viewer.moveAngle, scene.collisionRadius, false);
    }
    std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / frames;
}

void RunLayout(bool blockersLast) {
    MakeScene(blockersLast);
    SetUpViewer();
    bool indexedBlocked, linearBlocked, gaveUp;
    TimeProbes(Indexed, 20, &indexedBlocked);  // warm the caches
    double indexed = TimeProbes(Indexed, 2000, &indexedBlocked);
    double linear = TimeProbes(Scanned, 20, &linearBlocked);
    double real = TimeRealSearch(2000, &gaveUp);
    printf("blockers %s of the table:\n", blockersLast ? "at the end" : "shuffled through the rest");
    printf("  probes per search           %zu\n", ProbePositions().size());
    printf("  indexed check   %9.4f ms per frame (all blocked: %s)\n", indexed,
           indexedBlocked ? "yes" : "NO");
    printf("  linear scan     %9.4f ms per frame (all blocked: %s)\n", linear,
           linearBlocked ? "yes" : "NO");
    printf("  speed-up        %9.1f x\n", linear / indexed);
    printf("  MoveWithDeflection (indexed, real search) %.4f ms per frame (gave up: %s)\n", real,
           gaveUp ? "yes" : "NO");
    printf("  target <= 1 ms per frame indexed: %s\n", real <= 1.0 && indexed <= 1.0 ? "met" : "MISSED");
}

}  // namespace

int main() {
    printf("obstacle_bench: %d obstacle points, radius 8, maxDeflection 60 degrees\n",
           OBSTACLE_POINTS);
    auto start = std::chrono::steady_clock::now();
    MakeScene(true);
    std::chrono::duration<double, std::milli> built = std::chrono::steady_clock::now() - start;
    printf("scene and index built in %.1f ms\n", built.count());
    RunLayout(true);
    RunLayout(false);
    return 0;
}
