// camera_lag.cpp -- the trailing camera direction of view modes 3 and 4.
#include <climits>
#include <cmath>

#include "motion/motion.h"
#include "scene/scene.h"

// Truncates toward zero; values beyond the int range (and NaN, as 0) are
// pinned to the range rather than left undefined.
int SaturatingTruncate(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return INT_MAX;
    if (value <= -2147483648.0) return INT_MIN;
    return static_cast<int>(value);
}

// The catch-up step for a gap: half of it, at least FOLLOW_TURN_MIN_STEP.
// View mode 3 steps in whole degrees; the truncation of the absolute value
// gives the same result as truncating and then taking the absolute value,
// without the one int whose absolute value does not exist.
static double FollowStep(double gap, bool wholeDegrees) {
    if (wholeDegrees) {
        int s = SaturatingTruncate(std::fabs(gap / FOLLOW_TURN_DIVISOR));
        int minStep = SaturatingTruncate(FOLLOW_TURN_MIN_STEP);
        return s < minStep ? minStep : s;
    }
    double s = std::fabs(gap) / FOLLOW_TURN_DIVISOR;
    return s < FOLLOW_TURN_MIN_STEP ? FOLLOW_TURN_MIN_STEP : s;
}

// Moves followHeading toward heading by one catch-up step, or snaps it there
// (correcting the heading) when the gap is below a step; sets viewAngle.
void LagFollowHeading(const Scene& scene, ViewerState& viewer, bool wholeDegrees) {
    if (viewer.heading == viewer.followHeading) return;
    double s = FollowStep(viewer.heading - viewer.followHeading, wholeDegrees);
    if (s <= viewer.heading - viewer.followHeading || s <= viewer.followHeading - viewer.heading) {
        // One direction only: a step that rounds a hair past the heading
        // must not be taken back, or the camera would never arrive.
        if (viewer.followHeading < viewer.heading)
            viewer.followHeading = viewer.followHeading + s;
        else if (viewer.followHeading > viewer.heading)
            viewer.followHeading = viewer.followHeading - s;
    } else {
        CorrectHeading(viewer);
        viewer.followHeading = viewer.heading;
    }
    viewer.viewAngle = -(viewer.followHeading - 90) * scene.degToRad;
}
