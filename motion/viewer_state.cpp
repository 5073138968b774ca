// viewer_state.cpp -- storage of the viewer and motion state, and its reset.
#include "motion/behaviour.h"
#include "motion/motion.h"
#include "scene/scene.h"

double viewerX, viewerZ, viewerEyeY;
double heading, viewAngle, moveAngle;
double lookTargetX, lookTargetY, lookTargetZ;
double tilt, turnDelta;
double forwardSpeed, sidestepSpeed;
double stepX, stepZ;
double walkedX, walkedZ;
int blocked;

int walkProbePhase = 1, sidestepProbePhase = 1;
double walkDeflection, sidestepDeflection;
double walkSpeedBeforeProbe, sidestepSpeedBeforeProbe;
double walkProbeAngle, sidestepProbeAngle;

double crouchOffset, jumpOffset;
int jumpRising, jumpFalling, jumpSpent;

double followHeading;
int avatarPose;

double currentAcceleration;
double bodyPitch, bodyPitchPeak, bodyRoll;
int braking, driftTurn;
int fastDriving = 1;
double steerLimit, driftSteerLimit;

void ResetViewerState() {
    viewerX = startEyeX;
    viewerEyeY = startEyeY;
    viewerZ = startEyeZ;
    heading = viewAngle = moveAngle = 0.0;
    lookTargetX = lookTargetY = lookTargetZ = 0.0;
    tilt = turnDelta = forwardSpeed = sidestepSpeed = 0.0;
    stepX = stepZ = walkedX = walkedZ = 0.0;
    blocked = 0;
    walkProbePhase = sidestepProbePhase = 1;
    walkDeflection = sidestepDeflection = 0.0;
    walkSpeedBeforeProbe = sidestepSpeedBeforeProbe = 0.0;
    walkProbeAngle = sidestepProbeAngle = 0.0;
    crouchOffset = jumpOffset = 0.0;
    jumpRising = jumpFalling = jumpSpent = 0;
    followHeading = 0.0;
    avatarPose = POSE_STANDING;
    currentAcceleration = 0.0;
    bodyPitch = bodyPitchPeak = bodyRoll = 0.0;
    braking = driftTurn = 0;
    fastDriving = 1;
    steerLimit = driftSteerLimit = 0.0;
}

// The viewer at the scene's start point, heading and look target; in view
// modes 3 and 4 the trailing camera at the file's observer point.
void PlaceViewerAtStart() {
    heading = -startHeading;
    followHeading = heading;
    bool followView = viewMode == VIEW_FOLLOW_WALKER || viewMode == VIEW_FOLLOW_VEHICLE;
    if (followView) {
        observerX = observerStartX;
        observerY = observerStartY;
        observerZ = observerStartZ;
    }
    viewerX = startEyeX;
    viewerEyeY = startEyeY;
    viewerZ = startEyeZ;
    lookTargetX = followView ? viewerX : startTargetX;
    lookTargetY = followView ? viewerEyeY : startTargetY;
    lookTargetZ = followView ? viewerZ : startTargetZ;
    boomRestLength = observerDistance;
    viewAngle = (startHeading - 270.0) * degToRad;
    currentAcceleration = driveAcceleration;
}
