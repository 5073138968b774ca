// scene_load.cpp -- LoadScene, the program's (and a reload's) one path from
// "Hod.pro" to a scene ready to draw: the file, the values derived from it
// and the message about a file that could not be used. Kept apart from the
// reader so that tools which only read scenes do not link the window system.
#include <cmath>

#include "app/app.h"
#include "motion/motion.h"
#include "platform/platform.h"
#include "render/render.h"
#include "scene/scene.h"
#include "scene/scene_file.h"

static const char SCENE_FILE_NAME[] = "Hod.pro";
constexpr double DEG_TO_RAD = 0.017453292519943295;  // pi / 180

void ComputeDerivedValues() {
    heading = -startHeading;
    followHeading = heading;
    if (viewMode == 3 || viewMode == 4) {
        observerX = observerStartX;
        observerY = observerStartY;
        observerZ = observerStartZ;
    }
    viewerX = startEyeX;
    viewerEyeY = startEyeY;
    viewerZ = startEyeZ;
    bool followView = viewMode == 3 || viewMode == 4;
    lookTargetX = followView ? viewerX : startTargetX;
    lookTargetY = followView ? viewerEyeY : startTargetY;
    lookTargetZ = followView ? viewerZ : startTargetZ;
    double eyeDx = startEyeX - startTargetX, eyeDz = startEyeZ - startTargetZ;
    lookDistance = std::sqrt(eyeDx * eyeDx + eyeDz * eyeDz);
    double boomDx = observerStartX - observerTargetX, boomDz = observerStartZ - observerTargetZ;
    observerDistance = std::sqrt(boomDx * boomDx + boomDz * boomDz);
    boomRestLength = observerDistance;
    degToRad = DEG_TO_RAD;
    viewAngle = (startHeading - 270.0) * degToRad;
    followCameraStep = maxWalkSpeed / followCameraSteps;
    followCameraFastStep = 10.0 * followCameraStep;
    driveCameraStep = maxDriveSpeed / driveCameraSteps;
    driveCameraFastStep = 3.0 * driveCameraStep;
    followCollisionRadius = 2.5 * collisionRadius;
    if (viewMode == 2) engineShake = engineShake / 2.4;
    frameTick = lastFrameTime = Plat_GetTickCount();
    jumpStep = jumpHeight / 8.0;
    currentAcceleration = driveAcceleration;
    collisionProbeSpeed = collisionRadius;
    maxDeflection = maxDeflection * degToRad;
    driveMaxDeflection = driveMaxDeflection * degToRad;
    collisionTurnDivisor = (1.0 / collisionTurnDivisor) * 100.0;
}

void LoadScene() {
    ReadSceneFile(SCENE_FILE_NAME, true);
    ResetViewerState();
    ComputeDerivedValues();
    BuildObstacleIndex();
    if (const char* message = SceneFileMessage()) Plat_MessageBox(message, "Error");
}

