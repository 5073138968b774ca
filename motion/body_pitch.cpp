// body_pitch.cpp -- the spring that lets the vehicle body's pitch settle
// after braking, and the idle engine shake (view modes 2 and 4).
#include <cmath>

#include "motion/behaviour.h"
#include "motion/motion.h"
#include "scene/scene.h"

constexpr double PEAK_REVERSAL_DIVISOR = -1.4;  // each swing past the peak comes back 1/1.4 as far

// Both values small and non-zero: the body comes to rest.
static void SettleIfSmall(double& p, double& q, double threshold) {
    if (p != 0 && q != 0 && fabs(p) < threshold && fabs(q) < threshold) p = q = 0;
}

// One frame of the spring on pitch p and peak q; c recentres at speed.
static void StepPitchSpring(const Scene& scene, ViewerState& viewer, double& p, double& q,
                            double c) {
    const double s = PITCH_STEP, t = PITCH_STEP * PITCH_SETTLE_FACTOR;
    if (viewer.forwardSpeed != 0 && viewer.fastDriving == 1) {
        if (p > 0) {
            p -= c * s;
            if (p < 0) p = 0;
            q = p - s;
            return;
        }
        if (p < 0) {
            p += c * s;
            if (p > 0) p = 0;
            q = p + s;
            return;
        }
    }
    if (q == 0) {
        if (scene.viewMode == VIEW_FOLLOW_VEHICLE) p -= viewer.engineShake;
        if (scene.viewMode == VIEW_DRIVE || scene.viewMode == VIEW_FOLLOW_VEHICLE)
            viewer.engineShake = -viewer.engineShake;
        return;
    }
    if (viewer.forwardSpeed != 0 && viewer.braking != 1)
        return;  // the spring runs stopped or braking
    if (p < q) {
        p -= s * PITCH_SWING_FACTOR;
        SettleIfSmall(p, q, t);
        if (p < -q) {
            q = q / PEAK_REVERSAL_DIVISOR;
            p += t;
        }
    } else if (p > q) {
        p += s * PITCH_SWING_FACTOR;
        SettleIfSmall(p, q, t);
        if (p > -q) {
            q = q / PEAK_REVERSAL_DIVISOR;
            p -= t;
        }
    }
}

// One frame of the spring on bodyPitch and bodyPitchPeak.
void SettleBodyPitch(const Scene& scene, ViewerState& viewer, double recentreFactor) {
    double p = viewer.bodyPitch, q = viewer.bodyPitchPeak;
    StepPitchSpring(scene, viewer, p, q, recentreFactor);
    viewer.bodyPitch = p;
    viewer.bodyPitchPeak = q;
}
