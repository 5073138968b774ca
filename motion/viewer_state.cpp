// viewer_state.cpp -- storage of the viewer and motion state, and its reset.
#include "motion/behaviour.h"
#include "motion/motion.h"
#include "scene/scene.h"

ViewerState viewer;

void ResetViewerState() {
    viewer = ViewerState{};
    viewer.viewerX = startEyeX;
    viewer.viewerEyeY = startEyeY;
    viewer.viewerZ = startEyeZ;
}

// The viewer at the scene's start point, heading and look target; in view
// modes 3 and 4 the trailing camera at the file's observer point.
void PlaceViewerAtStart() {
    viewer.heading = -startHeading;
    viewer.followHeading = viewer.heading;
    bool followView = viewMode == VIEW_FOLLOW_WALKER || viewMode == VIEW_FOLLOW_VEHICLE;
    if (followView) {
        observerX = observerStartX;
        observerY = observerStartY;
        observerZ = observerStartZ;
    }
    viewer.viewerX = startEyeX;
    viewer.viewerEyeY = startEyeY;
    viewer.viewerZ = startEyeZ;
    viewer.lookTargetX = followView ? viewer.viewerX : startTargetX;
    viewer.lookTargetY = followView ? viewer.viewerEyeY : startTargetY;
    viewer.lookTargetZ = followView ? viewer.viewerZ : startTargetZ;
    boomRestLength = observerDistance;
    viewer.viewAngle = (startHeading - 270.0) * degToRad;
    viewer.currentAcceleration = driveAcceleration;
}
