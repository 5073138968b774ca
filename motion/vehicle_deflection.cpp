// vehicle_deflection.cpp -- one driving step with the obstacle check and the
// vehicle's deflection search, which also turns the vehicle away.
#include <cmath>

#include "motion/motion.h"
#include "scene/scene.h"

constexpr double DRIVE_PROBE_STEP = 0.1;  // radians between the vehicle's probe directions
constexpr double FULL_TURN = 2 * M_PI;    // probes beyond a full turn only repeat directions

// The obstacle half-size: the trailing view's larger square in view mode 4.
static double VehicleObstacleRadius(const Scene& scene) {
    return scene.viewMode == VIEW_FOLLOW_VEHICLE ? scene.followCollisionRadius : scene.collisionRadius;
}

// The search's reach; NaN and anything past a full turn count as a full turn,
// so every search ends.
static double VehicleDeflectionLimit(const Scene& scene) {
    return scene.driveMaxDeflection < FULL_TURN ? scene.driveMaxDeflection : FULL_TURN;
}

// Next probe direction: +0.1, +0.2, ... below the limit, then -0.1, -0.2, ...
// above minus the limit. False when both sides are spent.
static bool NextVehicleDeflection(ViewerState& viewer, double limit) {
    if (viewer.walkProbePhase == 1) {
        viewer.walkDeflection = viewer.walkDeflection + DRIVE_PROBE_STEP;
        if (viewer.walkDeflection >= limit) {
            viewer.walkProbePhase = 2;
            viewer.walkDeflection = 0;
        }
    }
    if (viewer.walkProbePhase != 1) {
        viewer.walkDeflection = viewer.walkDeflection - DRIVE_PROBE_STEP;
        if (viewer.walkDeflection <= -limit) return false;
    }
    return true;
}

// A probe found the way: turn away from the obstacle by the probe speed over
// collisionTurnDivisor, then go along the probe at the saved speed, slowed by
// the damped deflection.
static void RedirectAlongProbe(const Scene& scene, ViewerState& viewer) {
    UndoStep(viewer);
    double t = std::fabs(viewer.forwardSpeed / scene.collisionTurnDivisor);
    if (viewer.walkDeflection >= 0) {
        TurnVehicle(scene, viewer, -t);
    } else {
        viewer.walkDeflection = -viewer.walkDeflection;
        TurnVehicle(scene, viewer, t);
    }
    viewer.walkDeflection = viewer.walkDeflection * scene.driveDeflectionDamping;
    if (viewer.walkDeflection < 1.0) viewer.walkDeflection = 1.0;
    viewer.forwardSpeed = viewer.walkSpeedBeforeProbe / viewer.walkDeflection;
    TakeStep(viewer, viewer.walkProbeAngle, viewer.forwardSpeed);
}

// The step stands: the walked sums follow it, and the driver's seat keeps its
// look target and lights with the vehicle.
static void CompleteVehicleStep(const Scene& scene, ViewerState& viewer) {
    viewer.walkedZ = viewer.walkedZ - viewer.stepZ;
    viewer.walkedX = viewer.walkedX - viewer.stepX;
    if (scene.viewMode != VIEW_DRIVE) return;
    UpdateLookTarget(scene, viewer);
    PlaceViewerLights(scene, viewer);
}

// The vehicle's step with the search; false when it gave up.
bool MoveVehicleWithDeflection(MotionStep& m) {
    const Scene& scene = m.scene;
    ViewerState& viewer = m.viewer;
    const double radius = VehicleObstacleRadius(scene);
    const double limit = VehicleDeflectionLimit(scene);
    bool probed = false;
    TakeStep(viewer, viewer.moveAngle, viewer.forwardSpeed);
    viewer.walkSpeedBeforeProbe = viewer.forwardSpeed;
    while (FindObstacleHit(m.obstacles, viewer, radius)) {
        UndoStep(viewer);
        viewer.blocked = 1;
        viewer.forwardSpeed =
            viewer.walkSpeedBeforeProbe < 0 ? -scene.collisionProbeSpeed : scene.collisionProbeSpeed;
        if (!NextVehicleDeflection(viewer, limit)) {
            viewer.walkProbePhase = 1;
            viewer.walkDeflection = 0;
            viewer.forwardSpeed = 0;
            return false;
        }
        viewer.walkProbeAngle = viewer.moveAngle + viewer.walkDeflection;
        TakeStep(viewer, viewer.walkProbeAngle, viewer.forwardSpeed);
        probed = true;
    }
    // A blocked flag left by an earlier frame's give-up says nothing about
    // this step, which was checked and found free: it stands as taken.
    if (probed) RedirectAlongProbe(scene, viewer);
    viewer.blocked = 0;
    viewer.walkDeflection = 0;
    viewer.walkProbePhase = 1;
    CompleteVehicleStep(scene, viewer);
    return true;
}
