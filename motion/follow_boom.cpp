// follow_boom.cpp -- the boom of the trailing camera of view modes 3 and
// 4: how far it may reach past obstacle points, and how it eases there.
#include <cmath>

#include "motion/behaviour.h"
#include "motion/motion.h"
#include "scene/scene.h"

// The eye length behind the viewer, against the view direction.
void PlaceBoomEye(const ViewerState& viewer, FollowCamera& camera, double length) {
    camera.observerX = viewer.viewerX - cos(viewer.viewAngle) * length;
    camera.observerZ = viewer.viewerZ + sin(viewer.viewAngle) * length;
}

// A step that is not a positive number would never reach observerDistance,
// and a tiny one would take a frame forever: the first gives the full
// length at once, the second is widened to BOOM_MAX_STEPS steps.
void FindBoomLength(MotionStep& m, double step) {
    const Scene& scene = m.scene;
    const ViewerState& viewer = m.viewer;
    FollowCamera& camera = m.camera;
    if (!(step > 0)) {
        camera.boomRestLength = scene.observerDistance;
        PlaceBoomEye(viewer, camera, camera.boomRestLength);
        return;
    }
    if (scene.observerDistance / step > BOOM_MAX_STEPS)
        step = scene.observerDistance / BOOM_MAX_STEPS;
    camera.boomRestLength = step;
    PlaceBoomEye(viewer, camera, camera.boomRestLength);
    for (;;) {
        if (ObstacleNear(m.obstacles, camera.observerX, camera.observerZ, scene.collisionRadius)) {
            camera.boomRestLength -= step;
            break;
        }
        if (!(camera.boomRestLength < scene.observerDistance)) {
            camera.boomRestLength = scene.observerDistance;
            break;
        }
        camera.boomRestLength += step;
        PlaceBoomEye(viewer, camera, camera.boomRestLength);
    }
    PlaceBoomEye(viewer, camera, camera.boomRestLength);
}

// Grows slowly; shrinks quickly, the more so while the camera's heading
// still lags behind the viewer's.
void EaseBoom(const ViewerState& viewer, FollowCamera& camera, double grow, double shrinkBase) {
    double gap = fabs(viewer.followHeading - viewer.heading);
    double& length = camera.boomLength;
    if (length < camera.boomRestLength) {
        length += grow;
        if (length > camera.boomRestLength) length = camera.boomRestLength;
    } else if (length > camera.boomRestLength) {
        length -= gap * 3 + shrinkBase;
        if (length < camera.boomRestLength) length = camera.boomRestLength;
    }
    PlaceBoomEye(viewer, camera, length);
}
