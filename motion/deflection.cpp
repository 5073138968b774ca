// deflection.cpp -- one step of the viewer with the obstacle check and the
// deflection search that lets it slide past an obstacle.
#include <cmath>

#include "motion/motion.h"
#include "scene/scene.h"

namespace {

// One variable set of the search: walking and sidestepping keep their own.
struct ProbeVariables {
    double* speed;
    int* phase;
    double* deflection;
    double* speedBeforeProbe;
    double* probeAngle;
};

// The viewer's fields behind one set.
ProbeVariables VariablesOf(ViewerState& viewer, ProbeSet set) {
    if (set == SIDESTEP_PROBES)
        return {&viewer.sidestepSpeed, &viewer.sidestepProbePhase, &viewer.sidestepDeflection,
                &viewer.sidestepSpeedBeforeProbe, &viewer.sidestepProbeAngle};
    return {&viewer.forwardSpeed, &viewer.walkProbePhase, &viewer.walkDeflection,
            &viewer.walkSpeedBeforeProbe, &viewer.walkProbeAngle};
}

constexpr double PROBE_TURN = 0.01;  // radians between two probe directions
// Beyond a full turn the probes only repeat directions already tried; the
// cap keeps a huge, infinite or NaN setting from hanging the frame.
constexpr double MAX_SEARCH_DEFLECTION = 2 * M_PI;

// maxDeflection, capped for the search.
double SearchLimit(const Scene& scene) {
    if (std::isnan(scene.maxDeflection) || scene.maxDeflection > MAX_SEARCH_DEFLECTION)
        return MAX_SEARCH_DEFLECTION;
    return scene.maxDeflection;
}

// The next probe direction: up from 0 first, then down from 0. False when
// both sides are used up (the search gives up).
bool AdvanceProbe(const ProbeVariables& v, double limit) {
    if (*v.phase == 1) {
        *v.deflection += PROBE_TURN;
        if (*v.deflection >= limit) {
            *v.phase = 2;
            *v.deflection = 0;
        }
    }
    if (*v.phase == 2) {
        *v.deflection -= PROBE_TURN;
        if (*v.deflection <= -limit) return false;
    }
    return true;
}

// The free position was found by a probe of this frame: the step goes along
// that probe at the viewer's own speed, slowed when the damped turn exceeds 1.
void TakeDampedProbeStep(const Scene& scene, ViewerState& viewer, const ProbeVariables& v) {
    UndoStep(viewer);
    double damped = std::fabs(*v.deflection) * scene.deflectionDamping;
    if (damped < 1.0) damped = 1.0;
    *v.speed = *v.speedBeforeProbe / damped;
    TakeStep(viewer, *v.probeAngle, *v.speed);
}

}  // namespace

// Moves the viewer against the direction of angle; the step is kept for its undo.
void TakeStep(ViewerState& viewer, double angle, double speed) {
    viewer.stepX = sin(angle) * speed;
    viewer.stepZ = cos(angle) * speed;
    viewer.viewerX -= viewer.stepX;
    viewer.viewerZ -= viewer.stepZ;
}

// Takes back the last step.
void UndoStep(ViewerState& viewer) {
    viewer.viewerX += viewer.stepX;
    viewer.viewerZ += viewer.stepZ;
}

// The step, then probes a probe step long at +0.01, +0.02 ... and -0.01 ...
// radians off angle until one is free; false when none is.
bool MoveWithDeflection(MotionStep& m, ProbeSet set, double angle, double radius,
                        bool placeCamera) {
    const Scene& scene = m.scene;
    ViewerState& viewer = m.viewer;
    ProbeVariables v = VariablesOf(viewer, set);
    double limit = SearchLimit(scene);
    bool probed = false;
    TakeStep(viewer, angle, *v.speed);
    *v.speedBeforeProbe = *v.speed;
    while (FindObstacleHit(m.obstacles, viewer, radius)) {
        UndoStep(viewer);
        viewer.blocked = 1;
        *v.speed = *v.speedBeforeProbe < 0 ? -scene.collisionProbeSpeed : scene.collisionProbeSpeed;
        if (!AdvanceProbe(v, limit)) {
            *v.phase = 1;
            *v.deflection = 0;
            viewer.forwardSpeed = 0;
            viewer.sidestepSpeed = 0;
            return false;
        }
        *v.probeAngle = angle + *v.deflection;
        TakeStep(viewer, *v.probeAngle, *v.speed);
        probed = true;
    }
    // A blocked flag left by an earlier frame (a give-up, a jump into an
    // obstacle) must not send this frame's free step along a stale probe
    // direction: only a probe of this frame redirects the step.
    if (probed) TakeDampedProbeStep(scene, viewer, v);
    viewer.blocked = 0;
    *v.deflection = 0;
    *v.phase = 1;
    viewer.walkedZ -= viewer.stepZ;
    viewer.walkedX -= viewer.stepX;
    if (placeCamera) {
        PlaceViewerCamera(scene, viewer, viewer.crouchOffset, 0, true);
        PlaceViewerLights(scene, viewer);
    }
    return true;
}
