// smooth_display.cpp -- frames at the screen's rate between the steps.
//
// Every step keeps a picture of what its frame draws. A frame t ms after the
// last step draws the previous step's picture blended toward the last one
// by t / 40, so the screen runs one step behind the steps and every motion
// is spread evenly over the refreshes (the way Crispy Doom draws between its
// tics). The mouse look is the exception: what the mouse turned since the
// last step is added on top at once, so it shows at the next refresh.
#include <GL/gl.h>

#include <cmath>
#include <utility>

#include "app/app.h"
#include "app/author.h"
#include "render/render.h"

constexpr double MAX_PRESENT_COST_MS = 30;  // frames wait for a step no longer than this

void BreakSmoothDisplay() {
    run.smooth.breakPending = true;
    run.smooth.redrawPending = true;
}

void RequestSmoothRedraw() { run.smooth.redrawPending = true; }

FramePicture& NextStepPicture() {
    SmoothDisplay& s = run.smooth;
    if (s.breakPending) {
        s.breakPending = false;
        s.current.valid = false;
    }
    std::swap(s.previous, s.current);
    return s.current;
}

void KeepStepPicture(uint32_t tick) {
    SmoothDisplay& s = run.smooth;
    s.current.mouseYaw = s.mouseYaw;
    s.currentTick = tick;
    s.serial++;
    s.pictureScene = loaded.get();
    s.moving = s.previous.valid && !SamePicture(s.previous, s.current, loaded->scene);
    // A still step after a frame that showed the one before in full leaves
    // the screen as it is.
    if (!s.moving && s.previous.valid && s.shownSerial + 1 == s.serial && s.shownAlpha >= 1)
        s.shownSerial = s.serial;
}

// Lines over the picture (help, notices): a change needs a frame.
static size_t OverlayLines() {
    return (run.author.helpVisible ? 1000 : 0) + NoticeLines(Plat_GetTickCount()).size();
}

// The blend fraction of a frame msSinceStep after the last step; 1 when
// there is nothing to blend from.
static double AlphaAt(double msSinceStep) {
    if (!run.smooth.previous.valid) return 1;
    double alpha = msSinceStep / MIN_FRAME_INTERVAL;
    return alpha < 0 ? 0 : alpha > 1 ? 1 : alpha;
}

// False when a frame at alpha would show what the last presented one
// showed: the idle screen draws nothing.
static bool FrameWanted(double alpha) {
    const SmoothDisplay& s = run.smooth;
    // After a reload the pictures are of a scene that is gone: the new
    // scene's first step brings the next one.
    if (!s.current.valid || s.pictureScene != loaded.get()) return false;
    if (s.redrawPending) return true;
    const ViewerState& viewer = loaded->motion.viewer;
    if (s.mouseYaw != s.shownMouseYaw || viewer.tilt != s.shownTilt) return true;
    if (OverlayLines() != s.shownOverlayLines) return true;
    if (s.shownSerial == s.serial) return s.moving && alpha > s.shownAlpha;
    // The last frame showed the step before in full, which is this pair's start.
    if (s.shownSerial + 1 == s.serial && s.shownAlpha >= 1) return s.moving && alpha > 0;
    return true;
}

static void NoteShown(double alpha) {
    SmoothDisplay& s = run.smooth;
    s.redrawPending = false;
    s.shownSerial = s.serial;
    // A still pair blends to its end at any fraction: the screen shows the
    // last step in full, and the next still step needs no frame.
    s.shownAlpha = s.moving ? alpha : 1;
    s.shownMouseYaw = s.mouseYaw;
    s.shownTilt = loaded->motion.viewer.tilt;
    s.shownOverlayLines = OverlayLines();
}

bool PresentSmoothFrame(double msSinceStep, PresentedFrame* report, bool keepDrawState) {
    SmoothDisplay& s = run.smooth;
    if (!run.glContext || !loaded) return false;
    double alpha = AlphaAt(msSinceStep);
    if (!FrameWanted(alpha)) return false;
    const Scene& scene = loaded->scene;
    const ViewerState& viewer = loaded->motion.viewer;
    s.drawStartedMs = Plat_MillisecondsSince(s.currentTick);
    BlendPictures(s.previous, s.current, alpha, &s.drawn);
    ApplyMouseLook(s.drawn, scene, viewer.viewAngle, s.mouseYaw - s.drawn.mouseYaw,
                   viewer.tilt - s.drawn.tilt);
    if (keepDrawState) glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    DrawPicture(s.drawn, scene, loaded->textures);
    if (report) {
        report->alpha = alpha;
        for (int i = 0; i < 16; i++) report->modelview[i] = s.drawn.sceneMatrix[i];
        report->picture = &s.drawn;
    }
    if (s.pacing == PACING_SMOOTH) {
        // What the frame costs to draw, without the swap's wait for the
        // display, which is no work and must not make frames look slow.
        uint32_t start = s.currentTick;
        double began = s.drawStartedMs;
        if (run.frameOverlayHook) run.frameOverlayHook();
        glFinish();
        s.presentCost = s.presentCost * 0.75 + (Plat_MillisecondsSince(start) - began) * 0.25;
        Plat_SwapBuffers(run.windowDC);
    } else {
        FinishFrame();
    }
    if (keepDrawState) glPopAttrib();
    NoteShown(alpha);
    return true;
}

// ---- The window's pacing.

// Steps come first: a frame begun `in` ms from now that could still be
// drawing when the next step is due waits until after it. Each step's
// picture is still shown once, as the design draws once a step, so a
// machine too slow for more never stops showing the scene.
static bool WouldDelayStep(double in) {
    if (run.pauseState == PAUSE_PAUSED) return false;
    const SmoothDisplay& s = run.smooth;
    double cost = s.presentCost < MAX_PRESENT_COST_MS ? s.presentCost : MAX_PRESENT_COST_MS;
    double untilStep = MIN_FRAME_INTERVAL - Plat_MillisecondsSince(run.lastFrameTime);
    return untilStep - in < cost;
}

static bool WouldHoldStep(double in) {
    return run.smooth.shownSerial == run.smooth.serial && WouldDelayStep(in);
}

// A step's picture not yet shown that would hold the next step if it waited
// for the refresh is shown at once instead: where a frame costs most of a
// step (a large window on a slow GL), the frames keep to the steps' beat, as
// the design's do, rather than pushing every step late.
static bool ShowNow(double untilRefresh) {
    return run.smooth.shownSerial != run.smooth.serial && WouldDelayStep(untilRefresh);
}

// Milliseconds until the next refresh is due (negative: overdue).
static double UntilRefresh() {
    return run.smooth.refreshDue - Plat_MillisecondsSince(run.smooth.refreshBase);
}

// One refresh period after the last one was due, keeping the display's
// beat; after a late frame the beat starts again from now.
static void ScheduleNextRefresh() {
    SmoothDisplay& s = run.smooth;
    double now = Plat_MillisecondsSince(s.refreshBase);
    double due = s.refreshDue + s.refreshPeriod;
    if (due < now) due = now + s.refreshPeriod;
    uint32_t base = Plat_GetTickCount();  // rebased, so the offsets stay small
    s.refreshDue = due - now + Plat_MillisecondsSince(base);
    s.refreshBase = base;
}

// The frame due now, unless it would show nothing new or hold up a step.
static bool PresentNow() {
    double sinceStep = Plat_MillisecondsSince(run.smooth.currentTick);
    if (!FrameWanted(AlphaAt(sinceStep)) || WouldHoldStep(0)) return false;
    return PresentSmoothFrame(sinceStep, nullptr, false);
}

void PresentWhenDue() {
    SmoothDisplay& s = run.smooth;
    if (s.pacing != PACING_SMOOTH || s.screenPaced || !run.glContext || !loaded) return;
    double until = UntilRefresh();
    if (until > 0 && !ShowNow(until)) return;
    if (PresentNow()) ScheduleNextRefresh();
}

void PresentAtScreenRefresh() {
    const SmoothDisplay& s = run.smooth;
    if (s.pacing == PACING_SMOOTH && s.screenPaced && run.glContext && loaded) PresentNow();
}

double SmoothFrameWakeIn() {
    SmoothDisplay& s = run.smooth;
    if (s.pacing != PACING_SMOOTH || s.screenPaced || !run.glContext || !loaded) return -1;
    double until = UntilRefresh();
    if (until < 0) until = 0;
    if (!FrameWanted(AlphaAt(Plat_MillisecondsSince(s.currentTick) + until))) return -1;
    if (WouldHoldStep(until)) return -1;
    return ShowNow(until) ? 0 : until;
}

void StartSmoothDisplay() {
    SmoothDisplay& s = run.smooth;
    if (s.pacing != PACING_SMOOTH) return;
    // Where the driver offers it, the swap waits for the display's refresh;
    // the loop's own beat below keeps to the same rate either way.
    Plat_SetSwapInterval(1);
    int hz = Plat_GetRefreshRate();
    s.refreshPeriod = 1000.0 / (hz >= 24 && hz <= 1000 ? hz : 60);
    s.refreshBase = Plat_GetTickCount();  // ticks are compared within 2^31 ms of it
    s.refreshDue = 0;
}
