// reload.cpp -- F5 and --watch: the scene read again while the program runs.
//
// The new text is read once, checked, and only then loaded. The check runs
// the loader with the checker's diagnostics in a child process, because the
// loader fills the one global scene model: a broken file read in-process
// would already have replaced the scene it must leave running. Linux forks;
// Windows, which cannot, starts the program itself again with
// RELOAD_CHECK_OPTION and hands it the text (app/reload_windows.cpp).
#include <GL/gl.h>
#include <unistd.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <sys/wait.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/app.h"
#include "app/author.h"
#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"
#include "scene/bitmap.h"
#include "scene/scene_diagnostics.h"
#include "scene/scene_file.h"
#include "scene/scene_reader.h"
#include "scene/file_read.h"
#include "scene/memory_budget.h"
#include "scene/textures.h"

constexpr int SUMMARY_LENGTH = 120;  // longer summaries are cut: the window shows one line

const std::string& ReloadProblem() { return run.author.reloadProblem; }
void ForgetReloadProblem() { run.author.reloadProblem.clear(); }

// The scene file as the program's reader holds it; false when it cannot
// be opened or read.
static bool ReadSceneBytes(std::string* bytes) {
    FileReadOptions options = {sceneMemory.budget, true, true, false};
    FileBytes read;
    bool opened = ReadWholeFile(SCENE_FILE_NAME, options, &read) == FILE_READ_OK;
    if (opened) bytes->assign(read.data, read.length);
    ReleaseFileBytes(&read);
    return opened;
}

// The name diagnostics give the file: absolute, so that an editor can jump
// to it from any terminal.
static std::string ReportedFileName() {
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return SCENE_FILE_NAME;
    return std::string(cwd) + "/" + SCENE_FILE_NAME;
}

// Loads text with the checker's diagnostics hook, apart from any running
// scene, and writes the diagnostic lines to out. Returns 1 when they hold
// an error, 0 when not.
static int CheckTextHere(const std::string& text, const std::string& file, FILE* out) {
    std::vector<SceneDiagnostic> diagnostics;
    SceneReadOptions options;
    options.diagnostics = &diagnostics;
    auto scene = std::make_unique<Scene>();
    ReadSceneFromMemory(*scene, text.data(), text.size(), options);
    int errors = 0, warnings = 0;
    std::string lines = FormatSceneDiagnostics(diagnostics, *scene, file, &errors, &warnings);
    if (out) fputs(lines.c_str(), out);
    if (out) fflush(out);
    return errors ? 1 : 0;
}

#ifdef _WIN32
bool RunAsReloadCheck(int argc, char** argv, int* status) {
    if (argc != 3 || std::strcmp(argv[1], RELOAD_CHECK_OPTION) != 0) return false;
    _setmode(_fileno(stdin), _O_BINARY);  // the text byte for byte: no CR LF folding
    std::string text;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) text.append(buffer, n);
    *status = CheckTextHere(text, argv[2], stdout);
    return true;
}

static int CheckSceneText(const std::string& text, std::string* report) {
    return CheckSceneTextInChildProcess(text, ReportedFileName(), report);
}
#else
bool RunAsReloadCheck(int, char**, int*) { return false; }

// Checks text without touching the running scene. Returns 1 when it has
// errors, 0 when not, -1 when the check could not run; *report receives the
// diagnostic lines.
static int CheckSceneText(const std::string& text, std::string* report) {
    std::string file = ReportedFileName();
    int fds[2];
    if (pipe(fds) != 0) return -1;
    fflush(nullptr);  // nothing buffered is written twice
    pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (child == 0) {
        close(fds[0]);
        FILE* out = fdopen(fds[1], "w");
        _exit(CheckTextHere(text, file, out));  // no atexit handlers: they belong to the parent's window and GL
    }
    close(fds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) report->append(buffer, (size_t)n);
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) ? 1 : 0;
}
#endif

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

// Replaces the running scene with the checked text, as window creation
// loads it, and re-applies the render state and projection it drives.
static void LoadCheckedText(const std::string& text, bool fromStart) {
    auto level = std::make_unique<LoadedScene>();
    SceneReadOptions options;
    options.keepSideKeyMode = run.keepSideKeyMode != 0;
    options.stdinText = run.stdinText;
    ReleaseSceneTextures(loaded->textures);
    std::unique_ptr<LoadedScene> old = std::move(loaded);
    ReadSceneFromMemory(level->scene, text.data(), text.size(), options);
    StartLoadedScene(*level);
    // Lights and shading a new file switches off must not stay on.
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    PrepareSceneForDrawing(*level);
    if (!fromStart) KeepViewer(*old, *level);
    old.reset();
    loaded = std::move(level);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    ResizeScene(viewport[2], viewport[3]);
}

bool ReloadScene(bool fromStart) {
    std::string text, report;
    if (!ReadSceneBytes(&text)) {
        run.author.reloadProblem = std::string(SCENE_FILE_NAME) + ": cannot be read; old scene kept";
        std::fprintf(stderr, "ambler: %s\n", run.author.reloadProblem.c_str());
        return false;
    }
    int check = CheckSceneText(text, &report);
    std::fputs(report.c_str(), stderr);
    if (check != 0) {
        run.author.reloadProblem = check < 0 ? "reload failed: the check could not run; old scene kept"
                                             : SummaryOf(report) + " (old scene kept)";
        if (check < 0) std::fprintf(stderr, "ambler: %s\n", run.author.reloadProblem.c_str());
        return false;
    }
    LoadCheckedText(text, fromStart);
    run.author.reloadProblem.clear();
    NoteSceneFileMissing(false);
    RememberWatchedFiles();
    std::fprintf(stderr, "ambler: reloaded %s\n", SCENE_FILE_NAME);
    return true;
}
