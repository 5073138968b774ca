// scene_start.cpp -- loading the scene and starting everything that stands
// on it: what moves at its start, the frame clock and the obstacle index.
#include <GL/gl.h>

#include "app/app.h"
#include "motion/behaviour.h"
#include "motion/motion.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "scene/textures.h"

void StartLoadedScene(LoadedScene& level) {
    ComputeDerivedValues(level.scene);
    StartSceneMotion(level.scene, level.motion);
    run.frameTick = run.lastFrameTime = Plat_GetTickCount();
    level.obstacles = BuildObstacleIndex(level.scene);
}

void PrepareSceneForDrawing(LoadedScene& level) {
    SetRenderState(level.scene);
    CreateSceneTextures(level.scene, level.textures);
    SetClosingSentinels(level.scene);
    FinishRenderState();
}

void LoadScene() {
    auto level = std::make_unique<LoadedScene>();
    SceneReadOptions options;
    options.keepSideKeyMode = run.keepSideKeyMode != 0;
    options.stdinText = run.stdinText;
    level->read = ReadSceneFile(level->scene, SCENE_FILE_NAME, true, options);
    loaded = std::move(level);
    StartLoadedScene(*loaded);
    if (const char* message = SceneFileMessage(loaded->read.outcome))
        Plat_MessageBox(message, "Error");
}
