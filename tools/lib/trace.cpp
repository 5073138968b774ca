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
    Field(o, "viewerX", viewerX); Field(o, "viewerEyeY", viewerEyeY); Field(o, "viewerZ", viewerZ);
    Field(o, "heading", heading); Field(o, "viewAngle", viewAngle); Field(o, "moveAngle", moveAngle);
    Field(o, "lookTargetX", lookTargetX); Field(o, "lookTargetY", lookTargetY);
    Field(o, "lookTargetZ", lookTargetZ); Field(o, "tilt", tilt); Field(o, "turnDelta", turnDelta);
    Field(o, "forwardSpeed", forwardSpeed); Field(o, "sidestepSpeed", sidestepSpeed);
    Field(o, "walkedX", walkedX); Field(o, "walkedZ", walkedZ); Field(o, "blocked", blocked);
    Field(o, "walkProbePhase", walkProbePhase); Field(o, "walkDeflection", walkDeflection);
    Field(o, "sidestepProbePhase", sidestepProbePhase);
    Field(o, "sidestepDeflection", sidestepDeflection);
    Field(o, "crouchOffset", crouchOffset); Field(o, "jumpOffset", jumpOffset);
    Field(o, "jumpRising", jumpRising); Field(o, "jumpFalling", jumpFalling);
    Field(o, "jumpSpent", jumpSpent); Field(o, "followHeading", followHeading);
    Field(o, "avatarPose", avatarPose); Field(o, "observerX", observerX);
    Field(o, "observerY", observerY); Field(o, "observerZ", observerZ);
    Field(o, "boomLength", boomLength); Field(o, "boomRestLength", boomRestLength);
    Field(o, "bodyPitch", bodyPitch); Field(o, "bodyPitchPeak", bodyPitchPeak);
    Field(o, "bodyRoll", bodyRoll); Field(o, "engineShake", engineShake);
    Field(o, "braking", braking); Field(o, "fastDriving", fastDriving);
    Field(o, "driftTurn", driftTurn); Field(o, "pauseState", pauseState);
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
