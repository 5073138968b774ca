// trace.cpp -- the replay trace record, read from the program's state.
#include "tools/lib/trace.h"

#include <cmath>
#include <cstdio>

#include "app/app.h"
#include "platform/headless.h"
#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"

// Round-trip exact doubles, with the spellings JSON readers accept for
// values JSON itself cannot hold.
static void Double(std::string& out, double v) {
    if (std::isnan(v)) {
        out += "NaN";
    } else if (std::isinf(v)) {
        out += v > 0 ? "Infinity" : "-Infinity";
    } else {
        char buf[32];
        snprintf(buf, sizeof buf, "%.17g", v);
        out += buf;
    }
}

static void Field(std::string& out, const char* name, double v) {
    out += ", \"";
    out += name;
    out += "\": ";
    Double(out, v);
}

static void Field(std::string& out, const char* name, int v) {
    out += ", \"";
    out += name;
    out += "\": ";
    out += std::to_string(v);
}

static void ViewerFields(std::string& o, const ViewerState& viewer, const FollowCamera& camera) {
    Field(o, "viewerX", viewer.viewerX);
    Field(o, "viewerEyeY", viewer.viewerEyeY);
    Field(o, "viewerZ", viewer.viewerZ);
    Field(o, "heading", viewer.heading);
    Field(o, "viewAngle", viewer.viewAngle);
    Field(o, "moveAngle", viewer.moveAngle);
    Field(o, "lookTargetX", viewer.lookTargetX);
    Field(o, "lookTargetY", viewer.lookTargetY);
    Field(o, "lookTargetZ", viewer.lookTargetZ);
    Field(o, "tilt", viewer.tilt);
    Field(o, "turnDelta", viewer.turnDelta);
    Field(o, "forwardSpeed", viewer.forwardSpeed);
    Field(o, "sidestepSpeed", viewer.sidestepSpeed);
    Field(o, "walkedX", viewer.walkedX);
    Field(o, "walkedZ", viewer.walkedZ);
    Field(o, "blocked", viewer.blocked);
    Field(o, "walkProbePhase", viewer.walkProbePhase);
    Field(o, "walkDeflection", viewer.walkDeflection);
    Field(o, "sidestepProbePhase", viewer.sidestepProbePhase);
    Field(o, "sidestepDeflection", viewer.sidestepDeflection);
    Field(o, "crouchOffset", viewer.crouchOffset);
    Field(o, "jumpOffset", viewer.jumpOffset);
    Field(o, "jumpRising", viewer.jumpRising);
    Field(o, "jumpFalling", viewer.jumpFalling);
    Field(o, "jumpSpent", viewer.jumpSpent);
    Field(o, "followHeading", viewer.followHeading);
    Field(o, "avatarPose", viewer.avatarPose);
    Field(o, "observerX", camera.observerX);
    Field(o, "observerY", camera.observerY);
    Field(o, "observerZ", camera.observerZ);
    Field(o, "boomLength", camera.boomLength);
    Field(o, "boomRestLength", camera.boomRestLength);
    Field(o, "bodyPitch", viewer.bodyPitch);
    Field(o, "bodyPitchPeak", viewer.bodyPitchPeak);
    Field(o, "bodyRoll", viewer.bodyRoll);
    Field(o, "engineShake", viewer.engineShake);
    Field(o, "braking", viewer.braking);
    Field(o, "fastDriving", viewer.fastDriving);
    Field(o, "driftTurn", viewer.driftTurn);
    Field(o, "pauseState", run.pauseState);
}

static void ActorFields(std::string& o, const ActorMotion& a) {
    o += "{\"actorX\": ";
    Double(o, a.actorX);
    Field(o, "actorZ", a.actorZ);
    Field(o, "actorWalkedX", a.actorWalkedX);
    Field(o, "actorWalkedZ", a.actorWalkedZ);
    Field(o, "actorHeading", a.actorHeading);
    Field(o, "actorSpeed", a.actorSpeed);
    Field(o, "actorTimer", a.actorTimer);
    Field(o, "actorPose", a.actorPose);
    Field(o, "actorState", a.actorState);
    Field(o, "actorBlocked", a.actorBlocked);
    Field(o, "actorProbeAngle", a.actorProbeAngle);
    o += "}";
}

std::string TraceLine(long step, bool ran) {
    std::string o = "{\"step\": " + std::to_string(step) + ", \"ran\": " + (ran ? "true" : "false");
    const LoadedScene& level = *loaded;
    ViewerFields(o, level.motion.viewer, level.motion.camera);
    o += ", \"actors\": [";
    for (int i = 0; i <= level.scene.actorLastIndex && i < ACTOR_CAPACITY; i++) {
        if (i) o += ", ";
        ActorFields(o, level.motion.actors[i]);
    }
    o += "], \"modelview\": [";
    double m[16];
    Plat_GetModelview(m);
    for (int i = 0; i < 16; i++) {
        if (i) o += ", ";
        Double(o, m[i]);
    }
    o += "]}\n";
    return o;
}

std::string PresentTraceLine(double t, long step, const PresentedFrame& frame) {
    std::string o = "{\"t\": ";
    Double(o, t);
    o += ", \"step\": " + std::to_string(step);
    Field(o, "alpha", frame.alpha);
    o += ", \"modelview\": [";
    for (int i = 0; i < 16; i++) {
        if (i) o += ", ";
        Double(o, frame.modelview[i]);
    }
    o += "], \"actors\": [";
    const FramePicture& p = *frame.picture;
    for (int i = 0; i < p.actorCount; i++) {
        o += i ? ", [" : "[";
        Double(o, p.actors[i].actorWalkedX);
        o += ", ";
        Double(o, p.actors[i].actorWalkedZ);
        o += ", ";
        Double(o, p.actors[i].actorHeading);
        o += "]";
    }
    o += "]}\n";
    return o;
}
