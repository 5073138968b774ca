// scene_file.cpp -- placeholder until the reader lands.
#include "scene/scene_file.h"
#include "app/app.h"
#include "motion/motion.h"
#include "scene/scene.h"
#include <cmath>
#include <cstdio>
void LoadScene() {
    FILE* f = fopen("Hod.pro", "a"); if (f) fclose(f);
    ResetViewerState();
    degToRad = M_PI / 180.0;
    frameTick = lastFrameTime = Plat_GetTickCount();
}
void SetClosingSentinels() {}
