// follow_boom.cpp -- the boom of the trailing camera of view modes 3 and
// 4: how far it may reach past obstacle points, and how it eases there.
#include <cmath>

#include "motion/behaviour.h"
#include "motion/motion.h"
#include "scene/scene.h"

double observerX, observerY, observerZ;
double boomLength, boomRestLength;

// The eye length behind the viewer, against the view direction.
void PlaceBoomEye(double length) {
    observerX = viewer.viewerX - cos(viewer.viewAngle) * length;
    observerZ = viewer.viewerZ + sin(viewer.viewAngle) * length;
}

// A step that is not a positive number would never reach observerDistance,
// and a tiny one would take a frame forever: the first gives the full
// length at once, the second is widened to BOOM_MAX_STEPS steps.
void FindBoomLength(double step) {
    if (!(step > 0)) {
        boomRestLength = observerDistance;
        PlaceBoomEye(boomRestLength);
        return;
    }
    if (observerDistance / step > BOOM_MAX_STEPS) step = observerDistance / BOOM_MAX_STEPS;
    boomRestLength = step;
    PlaceBoomEye(boomRestLength);
    for (;;) {
        if (ObstacleNear(observerX, observerZ, collisionRadius)) {
            boomRestLength -= step;
            break;
        }
        if (!(boomRestLength < observerDistance)) {
            boomRestLength = observerDistance;
            break;
        }
        boomRestLength += step;
        PlaceBoomEye(boomRestLength);
    }
    PlaceBoomEye(boomRestLength);
}

// Grows slowly; shrinks quickly, the more so while the camera's heading
// still lags behind the viewer's.
void EaseBoom(double grow, double shrinkBase) {
    double gap = fabs(viewer.followHeading - viewer.heading);
    if (boomLength < boomRestLength) {
        boomLength += grow;
        if (boomLength > boomRestLength) boomLength = boomRestLength;
    } else if (boomLength > boomRestLength) {
        boomLength -= gap * 3 + shrinkBase;
        if (boomLength < boomRestLength) boomLength = boomRestLength;
    }
    PlaceBoomEye(boomLength);
}
