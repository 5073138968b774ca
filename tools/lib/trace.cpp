// trace.cpp -- the replay trace record, read straight from the globals.
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

static void ViewerFields(std::string& o) {
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
    Field(o, "observerX", observerX);
    Field(o, "observerY", observerY); Field(o, "observerZ", observerZ);
    Field(o, "boomLength", boomLength); Field(o, "boomRestLength", boomRestLength);
    Field(o, "bodyPitch", viewer.bodyPitch);
    Field(o, "bodyPitchPeak", viewer.bodyPitchPeak);
    Field(o, "bodyRoll", viewer.bodyRoll);
    Field(o, "engineShake", engineShake);
    Field(o, "braking", viewer.braking);
    Field(o, "fastDriving", viewer.fastDriving);
    Field(o, "driftTurn", viewer.driftTurn);
    Field(o, "pauseState", pauseState);
}

static void ActorFields(std::string& o, int i) {
    o += "{\"actorX\": ";
    Double(o, actorX[i]);
    Field(o, "actorZ", actorZ[i]); Field(o, "actorWalkedX", actorWalkedX[i]);
    Field(o, "actorWalkedZ", actorWalkedZ[i]); Field(o, "actorHeading", actorHeading[i]);
    Field(o, "actorSpeed", actorSpeed[i]); Field(o, "actorTimer", actorTimer[i]);
    Field(o, "actorPose", actorPose[i]); Field(o, "actorState", actorState[i]);
    Field(o, "actorBlocked", actorBlocked[i]); Field(o, "actorProbeAngle", actorProbeAngle[i]);
    o += "}";
}

std::string TraceLine(long step, bool ran) {
    std::string o = "{\"step\": " + std::to_string(step) + ", \"ran\": " + (ran ? "true" : "false");
    ViewerFields(o);
    o += ", \"actors\": [";
    for (int i = 0; i <= actorLastIndex && i < ACTOR_CAPACITY; i++) {
        if (i) o += ", ";
        ActorFields(o, i);
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
