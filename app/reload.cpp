// reload.cpp -- F5 and --watch: the scene read again while the program runs.
//
// The new text is read into a scene of its own beside the running one, with
// the checker's diagnostics. Only a clean read replaces the running scene,
// in one step; a broken file, or one that does not fit in the memory budget
// beside the running scene, leaves it as it was, so no second process is
// ever needed to try a file out.
#include <GL/gl.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/app.h"
#include "app/author.h"
#include "app/model_open.h"
#include "motion/motion.h"
#include "platform/system.h"
#include "render/render.h"
#include "scene/scene.h"
#include "scene/bitmap.h"
#include "scene/scene_diagnostics.h"
#include "scene/scene_file.h"
#include "scene/scene_reader.h"
#include "scene/memory_budget.h"
#include "scene/textures.h"

constexpr int SUMMARY_LENGTH = 120;  // longer summaries are cut: the window shows one line

const std::string& ReloadProblem() { return run.author.reloadProblem; }
void ForgetReloadProblem() { run.author.reloadProblem.clear(); }
void SetReloadProblem(const std::string& problem) {
    run.author.reloadProblem =
        problem.size() > SUMMARY_LENGTH ? problem.substr(0, SUMMARY_LENGTH - 3) + "..." : problem;
}

// The name diagnostics give the file: absolute, so that an editor can jump
// to it from any terminal.
static std::string ReportedFileName() {
    char cwd[4096];
    if (!Sys_WorkingFolder(cwd, sizeof cwd)) return SCENE_FILE_NAME;
    return std::string(cwd) + "/" + SCENE_FILE_NAME;
}

enum NewSceneRead { NEW_SCENE_GOOD, NEW_SCENE_BROKEN, NEW_SCENE_UNREADABLE, NEW_SCENE_TOO_LARGE };

// Reads the scene file into level beside the running scene, with the
// checker's diagnostics, whose lines go to *report. The running scene stays
// charged to the memory budget throughout, so the two together never pass
// it. A reload never creates the file.
static NewSceneRead ReadNewScene(LoadedScene& level, std::string* report) {
    std::vector<SceneDiagnostic> diagnostics;
    SceneReadOptions options;
    options.keepSideKeyMode = run.keepSideKeyMode != 0;
    options.stdinText = run.stdinText;
    options.diagnostics = &diagnostics;
    level.read = ReadSceneFile(level.scene, SCENE_FILE_NAME, false, options);
    if (level.read.outcome == SCENE_OUT_OF_MEMORY) return NEW_SCENE_TOO_LARGE;
    if (level.read.outcome != SCENE_READ) return NEW_SCENE_UNREADABLE;
    int errors = 0, warnings = 0;
    *report = FormatSceneDiagnostics(diagnostics, level.scene, ReportedFileName(), &errors, &warnings);
    return errors ? NEW_SCENE_BROKEN : NEW_SCENE_GOOD;
}

// The first error line of a report, without the folder, for the window.
static std::string SummaryOf(const std::string& report) {
    size_t at = report.find(": error: ");
    if (at == std::string::npos) return "reload failed";
    size_t start = report.rfind('\n', at);
    start = start == std::string::npos ? 0 : start + 1;
    size_t end = report.find('\n', at);
    std::string line = report.substr(start, end == std::string::npos ? end : end - start);
    size_t name = line.find(std::string("/") + SCENE_FILE_NAME + ":");
    if (name != std::string::npos) line = line.substr(name + 1);
    if (line.size() > SUMMARY_LENGTH) line = line.substr(0, SUMMARY_LENGTH - 3) + "...";
    return line;
}

// Where the person is, kept across a reload: position, heading and tilt...
static double ViewerState::* const KEPT_POSITION[] = {
    &ViewerState::viewerX,     &ViewerState::viewerZ,       &ViewerState::heading,
    &ViewerState::viewAngle,   &ViewerState::moveAngle,     &ViewerState::followHeading,
    &ViewerState::tilt,        &ViewerState::lookTargetX,   &ViewerState::lookTargetY,
    &ViewerState::lookTargetZ};

// Puts the person back into the scene just started. Speed and camera only
// carry over within the same driving or follow view mode: another mode
// means another kind of motion.
static void KeepViewer(const LoadedScene& old, LoadedScene& level) {
    const ViewerState& was = old.motion.viewer;
    ViewerState& viewer = level.motion.viewer;
    for (double ViewerState::*field : KEPT_POSITION) viewer.*field = was.*field;
    int viewMode = level.scene.viewMode;
    if (old.scene.viewMode != viewMode || viewMode < VIEW_DRIVE || viewMode > VIEW_FOLLOW_VEHICLE)
        return;
    viewer.forwardSpeed = was.forwardSpeed;
    viewer.turnDelta = was.turnDelta;
    FollowCamera& camera = level.motion.camera;
    const FollowCamera& cameraWas = old.motion.camera;
    camera.observerX = cameraWas.observerX;
    camera.observerY = cameraWas.observerY;
    camera.observerZ = cameraWas.observerZ;
    camera.boomLength = cameraWas.boomLength;
}

// Starts the new scene in place of the running one, as window creation
// starts the first, and re-applies the render state and projection it
// drives. The old scene's texture objects go first, so the new ones take
// the same names.
static void StartNewScene(std::unique_ptr<LoadedScene> level, bool fromStart) {
    ReleaseSceneTextures(loaded->textures);
    StartLoadedScene(*level);
    // Lights and shading a new file switches off must not stay on.
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    PrepareSceneForDrawing(*level);
    if (!fromStart) KeepViewer(*loaded, *level);
    loaded = std::move(level);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    ResizeScene(viewport[2], viewport[3]);
}

// Keeps problem as the window's summary and says it on stderr.
static void KeepOldScene(const std::string& problem) {
    run.author.reloadProblem = problem;
    std::fprintf(stderr, "ambler: %s\n", problem.c_str());
}

bool ReloadScene(bool fromStart) {
    std::string report;
    if (!RefreshOpenModel(&run.author.reloadProblem)) {
        std::fprintf(stderr, "ambler: %s\n", run.author.reloadProblem.c_str());
        return false;
    }
    auto level = std::make_unique<LoadedScene>();
    NewSceneRead read = ReadNewScene(*level, &report);
    if (read == NEW_SCENE_UNREADABLE) {
        KeepOldScene(std::string(SCENE_FILE_NAME) + ": cannot be read; old scene kept");
        return false;
    }
    std::fputs(report.c_str(), stderr);
    if (read == NEW_SCENE_TOO_LARGE) {
        KeepOldScene(std::string(SCENE_OUT_OF_MEMORY_MESSAGE) + " (old scene kept)");
        return false;
    }
    if (read == NEW_SCENE_BROKEN) {
        run.author.reloadProblem = SummaryOf(report) + " (old scene kept)";
        return false;
    }
    StartNewScene(std::move(level), fromStart);
    run.author.reloadProblem.clear();
    NoteSceneFileMissing(false);
    RememberWatchedFiles();
    std::fprintf(stderr, "ambler: reloaded %s\n", SCENE_FILE_NAME);
    return true;
}
