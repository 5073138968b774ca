// author_frame.cpp -- the keys F1, F5, Shift+F5 and F12, the help text of
// each view mode, and the notices drawn over the frame.
#include <cstdio>

#include "app/app.h"
#include "app/author.h"
#include "platform/system.h"
#include "render/text_overlay.h"
#include "scene/scene.h"

constexpr uint32_t SCREENSHOT_NOTICE_MS = 3000;  // long enough to read the name, then out of the way

void NoteSceneFileMissing(bool missing) { run.author.sceneFileCreated = missing; }
bool HelpVisible() { return run.author.helpVisible; }
void RequestScreenshot() {
    run.author.screenshotRequested = true;
    RequestSmoothRedraw();  // the picture is read from the next frame drawn
}

void HandleAuthorKeyDown(unsigned key) {
    AuthorState& author = run.author;
    switch (key) {
        case VK_SHIFT: author.shiftHeld = true; break;
        case VK_F1: author.helpVisible = !author.helpVisible; break;
        case VK_F5: ReloadScene(author.shiftHeld); break;
        case VK_F12: RequestScreenshot(); break;
        default: break;
    }
}

void HandleAuthorKeyUp(unsigned key) {
    if (key == VK_SHIFT) run.author.shiftHeld = false;
}

// The controls of the README's table, for this view mode and build.
std::vector<std::string> HelpLines(const Scene& scene) {
    std::vector<std::string> lines;
    int viewMode = scene.viewMode;
    const char* side = scene.sideKeyMode == SIDE_KEYS_SIDESTEP ? "sidestep" : "turn";
    if (viewMode == VIEW_WALK || viewMode == VIEW_FOLLOW_WALKER) {
        lines.push_back(viewMode == VIEW_WALK ? "Walk (view mode 1)" : "Follow (view mode 3)");
        lines.push_back("Up / Down: walk forward / back");
        lines.push_back(std::string("Left / Right: ") + side);
        lines.push_back("Down with Left / Right: mirrored");
        if (viewMode == VIEW_WALK) {
            lines.push_back("Ctrl: crouch   Space: jump");
            lines.push_back("Mouse: turn, look up and down");
        } else {
            lines.push_back("Mouse: turn, raise the camera");
        }
    } else {
        lines.push_back(viewMode == VIEW_DRIVE ? "Drive (view mode 2)" : "Chase (view mode 4)");
        lines.push_back("Up: accelerate   Down: brake");
        lines.push_back("Left / Right: steer");
        lines.push_back("Ctrl: boost, no steering");
        lines.push_back("Space: handbrake (+Left/Right)");
    }
    lines.push_back("F2: pause   drag: move window");
    lines.push_back("F3: full screen   Esc: quit");
    lines.push_back("F5: reload   Shift+F5: restart");
    lines.push_back("F12: screenshot   F1: close help");
    lines.push_back(run.smooth.pacing == PACING_SMOOTH ? "Smooth; --pacing design: 25 fps"
                                                       : "25 fps (--pacing design)");
    return lines;
}

std::vector<std::string> NoticeLines(uint32_t now) {
    const AuthorState& author = run.author;
    std::vector<std::string> lines;
    if (author.sceneFileCreated)
        lines.push_back("No Hod.pro here: an empty one was made. Drop a scene folder or a model "
                        "here, or try make run.");
    if (!ReloadProblem().empty()) lines.push_back(ReloadProblem());
    if (!author.screenshotNotice.empty() && now - author.screenshotNoticeTick < SCREENSHOT_NOTICE_MS)
        lines.push_back(author.screenshotNotice);
    return lines;
}

void FinishAuthorFrame() {
    AuthorState& author = run.author;
    uint32_t now = Plat_GetTickCount();
    if (author.screenshotRequested) {
        author.screenshotRequested = false;
        std::string name = WriteScreenshot();
        author.screenshotNotice =
            name.empty() ? "screenshot failed: cannot write here" : "saved " + name;
        author.screenshotNoticeTick = now;
        char folder[4096];
        if (name.empty() || !Sys_WorkingFolder(folder, sizeof folder))
            std::fprintf(stderr, "ambler: %s\n", author.screenshotNotice.c_str());
        else
            std::fprintf(stderr, "ambler: saved %s/%s\n", folder, name.c_str());
    }
    std::vector<std::string> help;
    if (author.helpVisible && loaded) help = HelpLines(loaded->scene);
    DrawTextOverlay(help, NoticeLines(now));
}

void ResetAuthorState() { run.author = AuthorState(); }
