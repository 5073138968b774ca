// drive_step_bench.cpp -- the whole motion step of a driving frame against
// 100,000 obstacle points, beside a walking frame's failed deflection search
// on the same points, measured side by side in one run.
//
// Driving frames (view mode 2, Up held): one whose every vehicle probe is
// blocked (the search gives up after about 21 probes), and one that is
// deflected past a corner (7 probes, the heading turn, the damped step).
// Walking: one failed search of about 210 probes with maxDeflection 60.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "bench/bench_util.h"
#include "app/app.h"
#include "motion/motion.h"
#include "scene/scene.h"

constexpr int OBSTACLES = 100000;
constexpr double FIELD_HALF_SIZE = 2000;  // points spread over 4000 x 4000
constexpr int FRAMES_PER_BATCH = 200;
constexpr int BATCHES = 31;  // interleaved; odd, for a plain median

// The scene, its index, and the vehicle with its keys.
static std::unique_ptr<Scene> sceneHolder = std::make_unique<Scene>();
static Scene& scene = *sceneHolder;
static ObstacleIndex obstacles;
static ViewerState viewer;
static FollowCamera camera;
static HeldKeys heldKeys;

// The loader's defaults and derived values, view mode 2, random points plus
// the corner of the deflected frame, far from the others.
static void BuildScene() {
    ResetScene(scene);
    scene.viewMode = 2;
    scene.degToRad = M_PI / 180;
    scene.collisionProbeSpeed = scene.collisionRadius;
    scene.followCollisionRadius = 2.5 * scene.collisionRadius;
    scene.maxDeflection = 60 * scene.degToRad;
    scene.driveMaxDeflection *= scene.degToRad;
    scene.collisionTurnDivisor = 100 / scene.collisionTurnDivisor;
    scene.lookDistance = 10;
    scene.obstacleCount = OBSTACLES;
    scene.obstacleX.Allocate(OBSTACLES + 1);
    scene.obstacleZ.Allocate(OBSTACLES + 1);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-FIELD_HALF_SIZE, FIELD_HALF_SIZE);
    for (int i = 1; i < OBSTACLES; i++) {
        scene.obstacleX[i] = coordinate(random);
        scene.obstacleZ[i] = coordinate(random);
    }
    scene.obstacleX[OBSTACLES] = 10003;  // the design's corner, 3 across and 9 ahead
    scene.obstacleZ[OBSTACLES] = 9991;
    obstacles = BuildObstacleIndex(scene);
}

// The viewer at (x, z) facing -z with the given speed, nothing blocked.
static void PlaceViewer(double x, double z, double speed) {
    viewer = ViewerState();
    viewer.viewerX = x;
    viewer.viewerZ = z;
    viewer.forwardSpeed = speed;
    viewer.currentAcceleration = 0;  // Up held keeps the speed
    viewer.viewAngle = M_PI / 2;
}

// Milliseconds per frame of one batch of frames.
template <typename Frame>
static double TimeBatch(Frame frame) {
    double start = NowMs();
    for (int k = 0; k < FRAMES_PER_BATCH; k++) frame();
    return (NowMs() - start) / FRAMES_PER_BATCH;
}

int main() {
    BuildScene();
    heldKeys.upHeld = heldKeys.moveKeyHeld = 1;
    const double blockedX = scene.obstacleX[1], blockedZ = scene.obstacleZ[1];  // inside a square
    MotionStep m{scene, obstacles, heldKeys, viewer, camera};
    auto driveGivingUp = [&] {
        PlaceViewer(blockedX, blockedZ, 1);
        StepDrivingViewer(m);
    };
    auto driveDeflected = [&] {
        PlaceViewer(10000, 10000, 2);
        StepDrivingViewer(m);
    };
    auto walkGivingUp = [&] {
        PlaceViewer(blockedX, blockedZ, 1);
        MoveWithDeflection(m, WALK_PROBES, 0, scene.collisionRadius, false);
    };

    driveGivingUp();
    bool gaveUp = viewer.forwardSpeed == 0 && viewer.blocked == 1;
    driveDeflected();
    bool deflected = std::fabs(viewer.heading + 4) < 1e-9 && viewer.blocked == 0;
    if (!gaveUp || !deflected) {
        std::printf("set-up error: gave up %d, deflected %d\n", gaveUp, deflected);
        return 1;
    }

    std::vector<double> giveUp, deflect, walk;
    for (int b = 0; b < BATCHES; b++) {
        giveUp.push_back(TimeBatch(driveGivingUp));
        deflect.push_back(TimeBatch(driveDeflected));
        walk.push_back(TimeBatch(walkGivingUp));
    }
    double g = Median(giveUp), d = Median(deflect), w = Median(walk);
    std::printf("obstacle points: %d; median of %d batches of %d frames\n", OBSTACLES, BATCHES,
                FRAMES_PER_BATCH);
    std::printf("driving frame, every vehicle probe blocked: %9.4f ms\n", g);
    std::printf("driving frame, deflected past a corner:     %9.4f ms\n", d);
    std::printf("walking frame, failed search (~210 probes): %9.4f ms\n", w);
    std::printf("driving frame / walking failed search:      %9.3f (worst driving frame)\n",
                std::max(g, d) / w);
    return 0;
}
