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
void LagFollowHeading(bool wholeDegrees) {
    if (heading == followHeading) return;
    double s = FollowStep(heading - followHeading, wholeDegrees);
    if (s <= heading - followHeading || s <= followHeading - heading) {
        // One direction only: a step that rounds a hair past the heading
        // must not be taken back, or the camera would never arrive.
        if (followHeading < heading) followHeading = followHeading + s;
        else if (followHeading > heading) followHeading = followHeading - s;
    } else {
        CorrectHeading();
        followHeading = heading;
    }
    viewAngle = -(followHeading - 90) * degToRad;
}
