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
#include <set>
#include <string>

#include "app/app.h"
#include "app/author.h"
#include "app/model_open.h"
#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"
#include "scene/bitmap.h"
#include "scene/scene_file.h"
#include "scene/scene_reader.h"
#include "scene/stdin_sizes.h"
#include "scene/textures.h"
#include "tools/check/check.h"

constexpr int SUMMARY_LENGTH = 120;  // longer summaries are cut: the window shows one line

static std::string reloadProblem;  // W: ReloadScene

const std::string& ReloadProblem() { return reloadProblem; }
void ForgetReloadProblem() { reloadProblem.clear(); }
void SetReloadProblem(const std::string& problem) {
    reloadProblem = problem.size() > SUMMARY_LENGTH ? problem.substr(0, SUMMARY_LENGTH - 3) + "..." : problem;
}

// The scene file as the program's reader holds it; false when it cannot
// be opened or read.
static bool ReadSceneBytes(std::string* bytes) {
    bool opened = OpenSceneText(SCENE_FILE_NAME, false) == FILE_READ_OK;
    if (opened) bytes->assign(readText, (size_t)(readEnd - readText));
    CloseSceneText();
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
    sceneStdinText = "";
    checkDiagnostics.clear();
    sceneDiagnosticHook = CollectDiagnostic;
    ReadSceneFromMemory(text.data(), text.size());
    int errors = 0, warnings = 0;
    if (out) PrintDiagnostics(out, file, &errors, &warnings);
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

void ReleaseSceneTextures() {
    std::set<unsigned> ids;
    std::set<TextureImage*> images;
    for (int k = 0; k < texPolyVertexCount && (size_t)k < texPolyTexId.size; k++) {
        ids.insert(texPolyTexId[k]);
        images.insert(texPolyImage[k]);
    }
    for (int k = 0; k < avatarPolyVertexCount && (size_t)k < avatarPolyTexId.size; k++) {
        ids.insert(avatarPolyTexId[k]);
        images.insert(avatarPolyImage[k]);
    }
    for (size_t i = 0; i < partTexId.cols; i++)
        for (size_t p = 0; p < partTexId.rows; p++) {
            ids.insert(partTexId(p, i));
            images.insert(partImage(p, i));
        }
    ids.erase(0);
    images.erase(nullptr);
    for (unsigned id : ids) glDeleteTextures(1, &id);
    for (TextureImage* image : images) FreeTextureImage(image);
}

// Where the person is, kept across a reload: position, heading and tilt...
static double* const KEPT_POSITION[] = {
    &viewer.viewerX,     &viewer.viewerZ,       &viewer.heading, &viewer.viewAngle,
    &viewer.moveAngle,   &viewer.followHeading, &viewer.tilt,    &viewer.lookTargetX,
    &viewer.lookTargetY, &viewer.lookTargetZ};
// ...and in the driving and follow view modes the speed and the camera.
static double* const KEPT_MOTION[] = {&viewer.forwardSpeed, &viewer.turnDelta, &observerX,
                                      &observerY,           &observerZ,        &boomLength};
constexpr size_t KEPT_POSITION_COUNT = sizeof KEPT_POSITION / sizeof KEPT_POSITION[0];
constexpr size_t KEPT_MOTION_COUNT = sizeof KEPT_MOTION / sizeof KEPT_MOTION[0];

struct KeptViewer {
    int viewMode;
    double position[KEPT_POSITION_COUNT];
    double motion[KEPT_MOTION_COUNT];
};

static KeptViewer KeepViewer() {
    KeptViewer k{viewMode, {}, {}};
    for (size_t i = 0; i < KEPT_POSITION_COUNT; i++) k.position[i] = *KEPT_POSITION[i];
    for (size_t i = 0; i < KEPT_MOTION_COUNT; i++) k.motion[i] = *KEPT_MOTION[i];
    return k;
}

// Puts the person back. Speed and camera only carry over within the same
// driving or follow view mode: another mode means another kind of motion.
static void RestoreViewer(const KeptViewer& k) {
    for (size_t i = 0; i < KEPT_POSITION_COUNT; i++) *KEPT_POSITION[i] = k.position[i];
    if (k.viewMode != viewMode || viewMode < VIEW_DRIVE || viewMode > VIEW_FOLLOW_VEHICLE) return;
    for (size_t i = 0; i < KEPT_MOTION_COUNT; i++) *KEPT_MOTION[i] = k.motion[i];
}

// Replaces the running scene with the checked text, as window creation
// loads it, and re-applies the render state and projection it drives.
static void LoadCheckedText(const std::string& text, bool fromStart) {
    KeptViewer kept = KeepViewer();
    ReleaseSceneTextures();
    ResetSceneModel();
    const char* stdinText = sceneStdinText;
    sceneStdinText = "";  // standard input was read at start; a reload must never wait on it
    ReadSceneFromMemory(text.data(), text.size());
    sceneStdinText = stdinText;
    StartLoadedScene();
    boomLength = 0;  // as at start: the boom eases out from the viewer
    // Lights and shading a new file switches off must not stay on.
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    SetRenderState();
    CreateSceneTextures();
    SetClosingSentinels();
    FinishRenderState();
    if (!fromStart) RestoreViewer(kept);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    ResizeScene(viewport[2], viewport[3]);
}

bool ReloadScene(bool fromStart) {
    std::string text, report;
    if (!RefreshOpenModel(&reloadProblem)) {
        std::fprintf(stderr, "ambler: %s\n", reloadProblem.c_str());
        return false;
    }
    if (!ReadSceneBytes(&text)) {
        reloadProblem = std::string(SCENE_FILE_NAME) + ": cannot be read; old scene kept";
        std::fprintf(stderr, "ambler: %s\n", reloadProblem.c_str());
        return false;
    }
    int check = CheckSceneText(text, &report);
    std::fputs(report.c_str(), stderr);
    if (check != 0) {
        reloadProblem = check < 0 ? "reload failed: the check could not run; old scene kept"
                                  : SummaryOf(report) + " (old scene kept)";
        if (check < 0) std::fprintf(stderr, "ambler: %s\n", reloadProblem.c_str());
        return false;
    }
    LoadCheckedText(text, fromStart);
    reloadProblem.clear();
    NoteSceneFileMissing(false);
    RememberWatchedFiles();
    std::fprintf(stderr, "ambler: reloaded %s\n", SCENE_FILE_NAME);
    return true;
}
