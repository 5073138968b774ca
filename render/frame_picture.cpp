// frame_picture.cpp -- a frame's picture kept after its step, the blend of
// two pictures for a frame drawn between steps, and its drawing.
#include "render/frame_picture.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "motion/motion.h"
#include "render/render.h"

// ---- Rigid transforms. Column-major: element (row r, column c) is m[4c + r].

namespace {

struct Rigid {
    double r[3][3];  // rotation, r[row][column]
    double t[3];     // translation
};

struct Quat {
    double w, x, y, z;
};

// A modelview made of rotations and translations only; anything else (a
// scale, a projection, a NaN from a degenerate look-at) is not blended.
bool ToRigid(const float m[16], Rigid* out) {
    for (int i = 0; i < 16; i++)
        if (!std::isfinite(m[i])) return false;
    if (std::fabs(m[3]) > 1e-6 || std::fabs(m[7]) > 1e-6 || std::fabs(m[11]) > 1e-6 ||
        std::fabs(m[15] - 1) > 1e-6)
        return false;
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++) out->r[r][c] = m[4 * c + r];
    for (int r = 0; r < 3; r++) out->t[r] = m[12 + r];
    // Columns of unit length and at right angles, to single precision's
    // rounding over a few dozen GL calls.
    for (int c = 0; c < 3; c++)
        for (int d = c; d < 3; d++) {
            double dot = 0;
            for (int r = 0; r < 3; r++) dot += out->r[r][c] * out->r[r][d];
            if (std::fabs(dot - (c == d ? 1.0 : 0.0)) > 1e-3) return false;
        }
    return true;
}

void FromRigid(const Rigid& g, float m[16]) {
    for (int c = 0; c < 3; c++) {
        for (int r = 0; r < 3; r++) m[4 * c + r] = (float)g.r[r][c];
        m[4 * c + 3] = 0;
    }
    for (int r = 0; r < 3; r++) m[12 + r] = (float)g.t[r];
    m[15] = 1;
}

Quat ToQuat(const double r[3][3]) {
    Quat q;
    double trace = r[0][0] + r[1][1] + r[2][2];
    if (trace > 0) {
        double s = std::sqrt(trace + 1) * 2;
        q = {0.25 * s, (r[2][1] - r[1][2]) / s, (r[0][2] - r[2][0]) / s, (r[1][0] - r[0][1]) / s};
    } else if (r[0][0] > r[1][1] && r[0][0] > r[2][2]) {
        double s = std::sqrt(1 + r[0][0] - r[1][1] - r[2][2]) * 2;
        q = {(r[2][1] - r[1][2]) / s, 0.25 * s, (r[0][1] + r[1][0]) / s, (r[0][2] + r[2][0]) / s};
    } else if (r[1][1] > r[2][2]) {
        double s = std::sqrt(1 + r[1][1] - r[0][0] - r[2][2]) * 2;
        q = {(r[0][2] - r[2][0]) / s, (r[0][1] + r[1][0]) / s, 0.25 * s, (r[1][2] + r[2][1]) / s};
    } else {
        double s = std::sqrt(1 + r[2][2] - r[0][0] - r[1][1]) * 2;
        q = {(r[1][0] - r[0][1]) / s, (r[0][2] + r[2][0]) / s, (r[1][2] + r[2][1]) / s, 0.25 * s};
    }
    return q;
}

void FromQuat(Quat q, double r[3][3]) {
    double n = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    q = {q.w / n, q.x / n, q.y / n, q.z / n};
    r[0][0] = 1 - 2 * (q.y * q.y + q.z * q.z);
    r[0][1] = 2 * (q.x * q.y - q.z * q.w);
    r[0][2] = 2 * (q.x * q.z + q.y * q.w);
    r[1][0] = 2 * (q.x * q.y + q.z * q.w);
    r[1][1] = 1 - 2 * (q.x * q.x + q.z * q.z);
    r[1][2] = 2 * (q.y * q.z - q.x * q.w);
    r[2][0] = 2 * (q.x * q.z - q.y * q.w);
    r[2][1] = 2 * (q.y * q.z + q.x * q.w);
    r[2][2] = 1 - 2 * (q.x * q.x + q.y * q.y);
}

// The shorter arc: q and -q are the same rotation, so the far one is flipped.
Quat Slerp(Quat a, Quat b, double alpha) {
    double dot = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
    if (dot < 0) b = {-b.w, -b.x, -b.y, -b.z}, dot = -dot;
    double ka = 1 - alpha, kb = alpha;
    if (dot < 0.9999) {  // closer than that, a straight blend is as good and cannot divide by ~0
        double theta = std::acos(dot), s = std::sin(theta);
        ka = std::sin((1 - alpha) * theta) / s;
        kb = std::sin(alpha * theta) / s;
    }
    return {ka * a.w + kb * b.w, ka * a.x + kb * b.x, ka * a.y + kb * b.y, ka * a.z + kb * b.z};
}

void BlendRotation(const Rigid& a, const Rigid& b, double alpha, Rigid* out) {
    FromQuat(Slerp(ToQuat(a.r), ToQuat(b.r), alpha), out->r);
}

// The point the matrix maps to the origin: a camera's eye.
void EyeOf(const Rigid& g, double e[3]) {
    for (int c = 0; c < 3; c++) e[c] = -(g.r[0][c] * g.t[0] + g.r[1][c] * g.t[1] + g.r[2][c] * g.t[2]);
}

double Lerp(double a, double b, double alpha) { return a + (b - a) * alpha; }

// out = a * b, column-major doubles.
void Multiply(const double a[16], const double b[16], double out[16]) {
    double m[16];
    for (int c = 0; c < 4; c++)
        for (int r = 0; r < 4; r++) {
            double s = 0;
            for (int k = 0; k < 4; k++) s += a[4 * k + r] * b[4 * c + k];
            m[4 * c + r] = s;
        }
    memcpy(out, m, sizeof m);
}

void ToDouble(const float m[16], double out[16]) {
    for (int i = 0; i < 16; i++) out[i] = m[i];
}

void ToFloat(const double m[16], float out[16]) {
    for (int i = 0; i < 16; i++) out[i] = (float)m[i];
}

void Translation(double x, double y, double z, double m[16]) {
    static const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    memcpy(m, identity, sizeof identity);
    m[12] = x, m[13] = y, m[14] = z;
}

// As glRotate: degrees about the unit axis (x, y, z); 0.01745... is pi / 180.
void Rotation(double degrees, double x, double y, double z, double m[16]) {
    double a = degrees * 0.017453292519943295, c = std::cos(a), s = std::sin(a), k = 1 - c;
    Translation(0, 0, 0, m);
    m[0] = x * x * k + c, m[4] = x * y * k - z * s, m[8] = x * z * k + y * s;
    m[1] = y * x * k + z * s, m[5] = y * y * k + c, m[9] = y * z * k - x * s;
    m[2] = z * x * k - y * s, m[6] = z * y * k + x * s, m[10] = z * z * k + c;
}

// m = m * T(p) * rotation * T(-p): the rotation about the world point p.
void RotateAbout(double m[16], const double p[3], const double rotation[16]) {
    double t[16];
    Translation(p[0], p[1], p[2], t);
    Multiply(m, t, m);
    Multiply(m, rotation, m);
    Translation(-p[0], -p[1], -p[2], t);
    Multiply(m, t, m);
}

// A light's eye position taken back to the world through camera g.
void LightToWorld(const Rigid& g, const float eye[4], double world[4]) {
    double v[3];
    for (int i = 0; i < 3; i++) v[i] = eye[i] - eye[3] * g.t[i];
    for (int c = 0; c < 3; c++) world[c] = g.r[0][c] * v[0] + g.r[1][c] * v[1] + g.r[2][c] * v[2];
    world[3] = eye[3];
}

void LightToEye(const double m[16], const double world[4], float eye[4]) {
    for (int r = 0; r < 4; r++)
        eye[r] = (float)(m[r] * world[0] + m[4 + r] * world[1] + m[8 + r] * world[2] +
                         m[12 + r] * world[3]);
}

bool SameMatrix(const float a[16], const float b[16]) { return memcmp(a, b, 16 * sizeof(float)) == 0; }

bool SameLights(const FramePicture& a, const FramePicture& b) {
    return memcmp(a.lightEye, b.lightEye, sizeof a.lightEye) == 0;
}

bool SameAngles(const JointTable& a, const JointTable& b) { return memcmp(a, b, sizeof(JointTable)) == 0; }

void BlendTable(const JointTable& a, const JointTable& b, double alpha, JointTable& out) {
    for (int j = 0; j < JOINT_CAPACITY; j++)
        for (int k = 0; k < POSE_COUNT; k++) out[j][k] = Lerp(a[j][k], b[j][k], alpha);
}

}  // namespace

bool BlendCameraMatrix(const float a[16], const float b[16], double alpha, float out[16]) {
    Rigid ga, gb, g;
    if (!ToRigid(a, &ga) || !ToRigid(b, &gb)) return false;
    double ea[3], eb[3], e[3];
    EyeOf(ga, ea);
    EyeOf(gb, eb);
    for (int i = 0; i < 3; i++) e[i] = Lerp(ea[i], eb[i], alpha);
    BlendRotation(ga, gb, alpha, &g);
    for (int r = 0; r < 3; r++) g.t[r] = -(g.r[r][0] * e[0] + g.r[r][1] * e[1] + g.r[r][2] * e[2]);
    FromRigid(g, out);
    return true;
}

bool BlendPlacementMatrix(const float a[16], const float b[16], double alpha, float out[16]) {
    Rigid ga, gb, g;
    if (!ToRigid(a, &ga) || !ToRigid(b, &gb)) return false;
    for (int i = 0; i < 3; i++) g.t[i] = Lerp(ga.t[i], gb.t[i], alpha);
    BlendRotation(ga, gb, alpha, &g);
    FromRigid(g, out);
    return true;
}

double BlendHeading(double a, double b, double alpha) {
    if (alpha <= 0) return a;
    if (alpha >= 1) return b;
    return a + std::remainder(b - a, 360.0) * alpha;
}

// ---- Capture.

void CaptureSceneView(FramePicture& p, const ViewerState& viewer) {
    glGetFloatv(GL_MODELVIEW_MATRIX, p.sceneMatrix);
    glGetLightfv(GL_LIGHT0, GL_POSITION, p.lightEye[0]);
    glGetLightfv(GL_LIGHT1, GL_POSITION, p.lightEye[1]);
    p.cullX = viewer.viewerX;
    p.cullZ = viewer.viewerZ;
    p.textured = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    p.texture = bound;
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, p.texCoord);
    p.tilt = viewer.tilt;
    p.valid = true;
}

void CaptureActors(FramePicture& p, const Scene& scene, const ViewerState& viewer,
                   const ActorMotion* actors) {
    int n = scene.actorLastIndex + 1;
    if (n < 0) n = 0;
    if (n > ACTOR_CAPACITY) n = ACTOR_CAPACITY;
    p.actorCount = n;
    p.actors.assign(actors, actors + n);
    p.actorDrawn.resize(n);
    for (int i = 0; i < n; i++) p.actorDrawn[i] = ActorInDrawingRange(scene, viewer, i, actors[i]);
}

void CaptureAvatar(FramePicture& p, const Scene& scene, const ViewerState& viewer,
                   const AvatarJoints& joints) {
    glGetFloatv(GL_MODELVIEW_MATRIX, p.avatarMatrix);
    p.avatarDrawn = scene.avatarPolyVertexCount != 0;
    p.avatarPose = viewer.avatarPose;
    p.avatar = joints;
}

// ---- Blend.

// The lights as the blended camera places them: each light's world point
// (or direction) under its own step's camera, blended, seen by the new one.
static void BlendLights(const FramePicture& a, const FramePicture& b, double alpha,
                        FramePicture* out) {
    if (SameLights(a, b) && SameMatrix(a.sceneMatrix, b.sceneMatrix)) return;
    Rigid ga, gb;
    if (!ToRigid(a.sceneMatrix, &ga) || !ToRigid(b.sceneMatrix, &gb)) return;
    double m[16];
    ToDouble(out->sceneMatrix, m);
    for (int l = 0; l < 2; l++) {
        double wa[4], wb[4], w[4];
        LightToWorld(ga, a.lightEye[l], wa);
        LightToWorld(gb, b.lightEye[l], wb);
        for (int i = 0; i < 4; i++) w[i] = Lerp(wa[i], wb[i], alpha);
        LightToEye(m, w, out->lightEye[l]);
    }
}

static void BlendActor(const ActorMotion& a, const ActorMotion& b, double alpha, ActorMotion* out) {
    if (a.actorPose != b.actorPose) {
        *out = alpha < 0.5 ? a : b;  // another pose swings other joints: no in-between
        return;
    }
    *out = b;
    out->actorWalkedX = Lerp(a.actorWalkedX, b.actorWalkedX, alpha);
    out->actorWalkedZ = Lerp(a.actorWalkedZ, b.actorWalkedZ, alpha);
    out->actorHeading = BlendHeading(a.actorHeading, b.actorHeading, alpha);
    if (!SameAngles(a.actorJointAngleX, b.actorJointAngleX))
        BlendTable(a.actorJointAngleX, b.actorJointAngleX, alpha, out->actorJointAngleX);
    if (!SameAngles(a.actorJointAngleY, b.actorJointAngleY))
        BlendTable(a.actorJointAngleY, b.actorJointAngleY, alpha, out->actorJointAngleY);
    if (!SameAngles(a.actorJointAngleZ, b.actorJointAngleZ))
        BlendTable(a.actorJointAngleZ, b.actorJointAngleZ, alpha, out->actorJointAngleZ);
}

// The avatar rides on the blended camera at its own blended place in the
// world, so it stays where the scene under it is.
static void BlendAvatar(const FramePicture& a, const FramePicture& b, double alpha,
                        FramePicture* out) {
    const FramePicture& nearest = alpha < 0.5 ? a : b;
    out->avatarDrawn = nearest.avatarDrawn;
    if (a.avatarPose != b.avatarPose) {
        out->avatarPose = nearest.avatarPose;
        out->avatar = nearest.avatar;
    } else {
        BlendTable(a.avatar.avatarJointAngleX, b.avatar.avatarJointAngleX, alpha, out->avatar.avatarJointAngleX);
        BlendTable(a.avatar.avatarJointAngleY, b.avatar.avatarJointAngleY, alpha, out->avatar.avatarJointAngleY);
        BlendTable(a.avatar.avatarJointAngleZ, b.avatar.avatarJointAngleZ, alpha, out->avatar.avatarJointAngleZ);
    }
    if (SameMatrix(a.avatarMatrix, b.avatarMatrix) && SameMatrix(a.sceneMatrix, b.sceneMatrix))
        return;
    Rigid sa, sb;
    if (!ToRigid(a.sceneMatrix, &sa) || !ToRigid(b.sceneMatrix, &sb)) {
        memcpy(out->avatarMatrix, nearest.avatarMatrix, sizeof out->avatarMatrix);
        return;
    }
    // Placement in the world = inverse(scene camera) * avatar matrix.
    float placeA[16], placeB[16], place[16];
    double inv[16], m[16], s[16];
    for (const FramePicture* p : {&a, &b}) {
        Rigid g;
        ToRigid(p->sceneMatrix, &g);
        Translation(0, 0, 0, inv);
        for (int r = 0; r < 3; r++)
            for (int c = 0; c < 3; c++) inv[4 * c + r] = g.r[c][r];
        double e[3];
        EyeOf(g, e);
        for (int r = 0; r < 3; r++) inv[12 + r] = e[r];
        ToDouble(p->avatarMatrix, m);
        Multiply(inv, m, m);
        ToFloat(m, p == &a ? placeA : placeB);
    }
    if (!BlendPlacementMatrix(placeA, placeB, alpha, place)) {
        memcpy(out->avatarMatrix, nearest.avatarMatrix, sizeof out->avatarMatrix);
        return;
    }
    ToDouble(out->sceneMatrix, s);
    ToDouble(place, m);
    Multiply(s, m, m);
    ToFloat(m, out->avatarMatrix);
}

void BlendPictures(const FramePicture& a, const FramePicture& b, double alpha, FramePicture* out) {
    if (!a.valid || alpha >= 1) {
        *out = b;
        return;
    }
    if (alpha <= 0 || !b.valid || a.actorCount != b.actorCount) {
        *out = alpha < 0.5 || !b.valid ? a : b;
        return;
    }
    const FramePicture& nearest = alpha < 0.5 ? a : b;
    *out = b;
    out->cullX = nearest.cullX;
    out->cullZ = nearest.cullZ;
    out->textured = nearest.textured;
    out->texture = nearest.texture;
    memcpy(out->texCoord, nearest.texCoord, sizeof out->texCoord);
    out->mouseYaw = Lerp(a.mouseYaw, b.mouseYaw, alpha);
    out->tilt = Lerp(a.tilt, b.tilt, alpha);
    if (!SameMatrix(a.sceneMatrix, b.sceneMatrix) &&
        !BlendCameraMatrix(a.sceneMatrix, b.sceneMatrix, alpha, out->sceneMatrix))
        memcpy(out->sceneMatrix, nearest.sceneMatrix, sizeof out->sceneMatrix);
    memcpy(out->lightEye, nearest.lightEye, sizeof out->lightEye);
    BlendLights(a, b, alpha, out);
    for (int i = 0; i < b.actorCount; i++) {
        out->actorDrawn[i] = nearest.actorDrawn[i];
        BlendActor(a.actors[i], b.actors[i], alpha, &out->actors[i]);
    }
    BlendAvatar(a, b, alpha, out);
}

bool SamePicture(const FramePicture& a, const FramePicture& b, const Scene& scene) {
    if (a.valid != b.valid || a.actorCount != b.actorCount) return false;
    bool lists = scene.flatPolyVertexCount >= 1 || scene.texPolyVertexCount >= 1;
    bool actors = false;
    for (int i = 0; i < a.actorCount; i++) {
        if (a.actorDrawn[i] != b.actorDrawn[i]) return false;
        if (!a.actorDrawn[i]) continue;
        actors = true;
        const ActorMotion &x = a.actors[i], &y = b.actors[i];
        if (x.actorWalkedX != y.actorWalkedX || x.actorWalkedZ != y.actorWalkedZ ||
            x.actorHeading != y.actorHeading || x.actorPose != y.actorPose ||
            !SameAngles(x.actorJointAngleX, y.actorJointAngleX) ||
            !SameAngles(x.actorJointAngleY, y.actorJointAngleY) ||
            !SameAngles(x.actorJointAngleZ, y.actorJointAngleZ))
            return false;
    }
    if (lists || actors) {
        if (!SameMatrix(a.sceneMatrix, b.sceneMatrix)) return false;
        bool lit = scene.light0Enabled == 1 || scene.light1Enabled == 1;
        if (lit && !SameLights(a, b)) return false;
        if (scene.texPolyVertexCount >= 1 && (a.cullX != b.cullX || a.cullZ != b.cullZ)) return false;
    }
    if (a.avatarDrawn != b.avatarDrawn) return false;
    if (!a.avatarDrawn) return true;
    return SameMatrix(a.avatarMatrix, b.avatarMatrix) && a.avatarPose == b.avatarPose &&
           SameAngles(a.avatar.avatarJointAngleX, b.avatar.avatarJointAngleX) &&
           SameAngles(a.avatar.avatarJointAngleY, b.avatar.avatarJointAngleY) &&
           SameAngles(a.avatar.avatarJointAngleZ, b.avatar.avatarJointAngleZ);
}

// ---- The mouse look after the step.

void ApplyMouseLook(FramePicture& p, const Scene& scene, double viewAngle, double yaw, double tilt) {
    if (yaw == 0 && tilt == 0) return;
    if (scene.viewMode == VIEW_FOLLOW_WALKER) {
        // The trailing camera catches up at the steps by design; the figure
        // itself faces the new heading at once.
        double m[16], r[16];
        ToDouble(p.avatarMatrix, m);
        Rotation(-yaw, 0, 1, 0, r);
        Multiply(m, r, m);
        ToFloat(m, p.avatarMatrix);
        return;
    }
    if (scene.viewMode != VIEW_WALK) return;
    Rigid g;
    if (!ToRigid(p.sceneMatrix, &g)) return;
    double eye[3], m[16], r[16], world[2][4];
    EyeOf(g, eye);
    for (int l = 0; l < 2; l++) LightToWorld(g, p.lightEye[l], world[l]);
    ToDouble(p.sceneMatrix, m);
    if (tilt != 0) {
        double t[16];
        Rotation(std::sin(viewAngle) * tilt, 1, 0, 0, r);
        Rotation(std::cos(viewAngle) * tilt, 0, 0, 1, t);
        Multiply(r, t, r);
        RotateAbout(m, eye, r);
    }
    if (yaw != 0) {
        Rotation(yaw, 0, 1, 0, r);
        RotateAbout(m, eye, r);
    }
    ToFloat(m, p.sceneMatrix);
    for (int l = 0; l < 2; l++) LightToEye(m, world[l], p.lightEye[l]);
}

// ---- Drawing.

static void LoadLights(const float eye[2][4]) {
    glLoadIdentity();  // positions are given in eye coordinates
    glLightfv(GL_LIGHT0, GL_POSITION, eye[0]);
    glLightfv(GL_LIGHT1, GL_POSITION, eye[1]);
}

void DrawPicture(const FramePicture& p, const Scene& scene, const SceneTextures& textures) {
    // The steps read the modelview and the lights back as their state; a
    // frame between them must leave both exactly as it found them.
    float saved[2][4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, saved[0]);
    glGetLightfv(GL_LIGHT1, GL_POSITION, saved[1]);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    LoadLights(p.lightEye);
    glLoadMatrixf(p.sceneMatrix);
    FrameDraw draw{scene, textures};
    if (p.textured) glEnable(GL_TEXTURE_2D);
    else glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, (GLuint)p.texture);
    glTexCoord4fv(p.texCoord);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawFlatPolygons(scene);
    ViewerState cull;
    cull.viewerX = p.cullX;
    cull.viewerZ = p.cullZ;
    DrawTexturedPolygons(draw, cull);
    for (int i = 0; i < p.actorCount; i++)
        if (p.actorDrawn[i]) DrawActorFigure(draw, i, p.actors[i]);
    if (p.avatarDrawn) {
        glLoadMatrixf(p.avatarMatrix);
        ViewerState pose;
        pose.avatarPose = p.avatarPose;
        DrawAvatarPolygons(draw, pose, p.avatar);
    }
    LoadLights(saved);
    glPopMatrix();
}
