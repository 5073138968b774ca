// camera.cpp -- every camera the modelview is loaded with: the viewer's
// look-at with its tilt and lights, the trailing camera of view modes 3 and
// 4, and the projection with the start camera after a resize.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "motion/camera.h"
#include "motion/motion.h"
#include "motion/behaviour.h"
#include "scene/scene.h"

// The tilt turns the view about a pivot that walks with the viewer; the
// view angle splits it between the x and z axes.
void RotateTiltAboutPivot(const Scene& scene, const ViewerState& viewer, double pivotOffset) {
    float px = (float)(scene.startEyeX + viewer.walkedX);
    float py = (float)(scene.startEyeY + pivotOffset);
    float pz = (float)(scene.startEyeZ + viewer.walkedZ);
    glTranslatef(px, py, pz);
    glRotatef((float)(sin(viewer.viewAngle) * viewer.tilt), 1.0f, 0.0f, 0.0f);
    glRotatef((float)(cos(viewer.viewAngle) * viewer.tilt), 0.0f, 0.0f, 1.0f);
    glTranslatef(-px, -py, -pz);
}

// The target at lookDistance along the view angle (its height stays).
void UpdateLookTarget(const Scene& scene, ViewerState& viewer) {
    viewer.lookTargetX = viewer.viewerX + cos(viewer.viewAngle) * scene.lookDistance;
    viewer.lookTargetZ = viewer.viewerZ - sin(viewer.viewAngle) * scene.lookDistance;
}

// Identity, then the look-at with eye and centre lowered by eyeOffset.
void LoadViewerLookAt(const ViewerState& viewer, double eyeOffset) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(viewer.viewerX, viewer.viewerEyeY + eyeOffset, viewer.viewerZ, viewer.lookTargetX,
              viewer.lookTargetY + eyeOffset, viewer.lookTargetZ, 0.0, -1.0, 0.0);
}

// The whole view-mode-1 placement: target, look-at, tilt.
void PlaceViewerCamera(const Scene& scene, ViewerState& viewer, double eyeOffset,
                       double pivotOffset, bool updateTarget) {
    if (updateTarget) UpdateLookTarget(scene, viewer);
    LoadViewerLookAt(viewer, eyeOffset);
    RotateTiltAboutPivot(scene, viewer, pivotOffset);
}

// Positions go through the modelview just loaded, so the lights follow the
// viewer; the eye offsets of crouch and jump are left out on purpose.
void PlaceViewerLights(const Scene& scene, const ViewerState& viewer) {
    if (scene.light0Enabled == 1) {
        const GLfloat position[] = {(float)viewer.viewerX, (float)(viewer.viewerEyeY + 150.0f),
                                    (float)(viewer.viewerZ + 200.0f), 1.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
    }
    if (scene.light1Enabled == 1) {
        const GLfloat position[] = {(float)viewer.viewerX, (float)viewer.viewerEyeY,
                                    (float)(viewer.viewerZ + 5000.0f), 1.0f};
        glLightfv(GL_LIGHT1, GL_POSITION, position);
    }
}

// Replaces the modelview matrix with the observer's camera (up is -y).
static void LoadObserverCamera(const ViewerState& viewer, const FollowCamera& camera) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(camera.observerX, camera.observerY, camera.observerZ, viewer.lookTargetX,
              viewer.lookTargetY, viewer.lookTargetZ, 0, -1, 0);
}

void LoadFollowCamera(const Scene& scene, const ViewerState& viewer, FollowCamera& camera) {
    camera.observerY = tan(viewer.tilt * scene.degToRad) * camera.boomLength + scene.observerStartY;
    LoadObserverCamera(viewer, camera);
}

void LoadWindowCameras(const Scene& scene, ViewerState& viewer, const FollowCamera& camera,
                       int width, int height) {
    float aspect = (float)((double)width / (double)height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective((double)scene.fieldOfView, aspect, 1.0, scene.farPlane);
    if (scene.viewMode == VIEW_FOLLOW_WALKER || scene.viewMode == VIEW_FOLLOW_VEHICLE) {
        LoadObserverCamera(viewer, camera);
        return;
    }
    // The level start camera of view modes 1 and 2 (and any other).
    UpdateLookTarget(scene, viewer);
    LoadViewerLookAt(viewer, 0);
    PlaceViewerLights(scene, viewer);
}
