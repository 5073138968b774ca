// scene_start.cpp -- loading the scene and starting everything that stands
// on it: the viewer and follow camera at their starts, the frame clock, and
// the obstacle index.
#include "app/app.h"
#include "motion/behaviour.h"
#include "motion/motion.h"
#include "scene/scene.h"
#include "scene/scene_file.h"

void StartLoadedScene() {
    ResetViewerState();
    ComputeDerivedValues();
    PlaceViewerAtStart();
    frameTick = lastFrameTime = Plat_GetTickCount();
    BuildObstacleIndex();
}

void LoadScene() {
    ReadSceneFile(SCENE_FILE_NAME, true);
    StartLoadedScene();
    if (const char* message = SceneFileMessage()) Plat_MessageBox(message, "Error");
}
