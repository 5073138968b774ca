// figures_bench.cpp -- the jointed figures (50 actors of 2,001 part vertices
// with 20 swinging joints each, and the avatar) drawn by the program against
// a bare loop that sends the same GL calls -- matrix calls, enables and
// binds included -- from a precomputed list, in one process. Prints the
// medians of interleaved runs and their ratio. Run under an X server
// (xvfb-run) for the GL context.
#include <GL/gl.h>
#include <GL/glu.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "app/app.h"
#include "motion/motion.h"
#include "render/figure_joints.h"
#include "render/render.h"
#include "scene/scene.h"
#include "tools/lib/bitmap_writer.h"
#include "tools/lib/scene_writer.h"

constexpr int WIDTH = 200, HEIGHT = 150;
constexpr int TEXTURE_NAMES = 8;
constexpr int AVATAR_VERTICES = 1000;
constexpr int RUNS = 31;  // interleaved pairs; odd, for a plain median

// ---- The scene: generated, written, and loaded by the program itself.

static void WriteScene(const std::string& folder) {
    SceneShape shape;
    shape.actors = ACTOR_CAPACITY;
    shape.partVertices = PART_CAPACITY;
    shape.actorJoints = JOINT_CAPACITY;
    shape.avatarVertices = AVATAR_VERTICES;
    shape.avatarJoints = JOINT_CAPACITY;
    shape.textureNames = TEXTURE_NAMES;
    SceneDescription scene;
    GenerateScene(scene, shape);
    SetSetting(scene, FIELD_fieldOfView, 60);
    SetSetting(scene, FIELD_farPlane, 6000);
    SetSetting(scene, FIELD_startEyeY, -300);
    SetSetting(scene, FIELD_startEyeZ, 2500);
    SetSetting(scene, FIELD_viewMode, 1);
    for (SceneActor& a : scene.actors) a.cullEnabled = 0;  // every actor drawn
    if (!WriteSceneFile(folder + "/Hod.pro", scene)) exit(1);
    std::vector<unsigned char> rgb(32 * 32 * 3);
    for (int k = 0; k < TEXTURE_NAMES; k++) {
        for (size_t i = 0; i < rgb.size(); i++) rgb[i] = (unsigned char)(i * 5 + k * 41);
        std::string path = folder + "/" + GeneratedTextureName(k);
        if (!WriteBitmap24(path.c_str(), rgb.data(), 32, 32)) exit(1);
    }
}

// ---- Figure state: every run starts from the same actor positions,
// headings, timers and joint angles: one copy of the scene's motion.

static SceneMotion* start;  // taken once the scene is loaded

static void Restore() { loaded->motion = *start; }

static FigureJoints Figure(int figure) {
    const SceneMotion& m = loaded->motion;
    if (figure == AVATAR_FIGURE)
        return {loaded->scene, figure, m.viewer.avatarPose, nullptr, &m.avatar};
    return {loaded->scene, figure, m.actors[figure].actorPose, &m.actors[figure], nullptr};
}

// ---- The program's way: what the frame's figure stages do (the actors'
// behaviour steps included; they send no GL calls).

static void DrawOurs() {
    LoadedScene& level = *loaded;
    const Scene& scene = level.scene;
    SceneMotion& m = level.motion;
    FrameDraw frame{scene, level.textures};  // as each frame that runs starts its drawing
    for (int i = 0; i <= scene.actorLastIndex; i++) {
        StepActor(scene, level.obstacles, m.viewer, i, m.actors[i]);
        AnimateActor(scene, m.viewer, i, m.actors[i]);
        DrawActor(frame, m.viewer, i, m.actors[i]);
    }
    MotionStep step{scene, level.obstacles, run.heldKeys, m.viewer, m.camera};
    StepViewCamera(step);
    AvatarPlacement placed = PlaceAvatar(scene, m.viewer);
    AnimateAvatarJoints(scene, m.viewer, m.avatar);
    DrawAvatarPolygons(frame, m.viewer, m.avatar);
    UnplaceAvatar(scene, m.viewer, m.camera, placed);
}

// ---- The bare loop: the same calls from a flat list. A polygon is one
// command; its vertices (x, y, z, s, t) sit packed in one array.

enum Op : unsigned char { OP_TRANSLATE, OP_ROTATE, OP_ENABLE, OP_DISABLE, OP_BIND, OP_POLYGON };

struct Command {
    Op op;
    bool textured;          // polygon: texture coordinates sent
    bool colourAfterBegin;  // polygon: the list's first polygon when textured
    unsigned name;          // bind
    int first, count;       // polygon: packed vertices
    float f[4];             // translate, rotate
    double rgb[3];          // polygon colour
};

static std::vector<Command> bare;
static std::vector<double> packed;
static unsigned recordedBound;

static void EmitTranslate(float x, float y, float z) {
    Command c{};
    c.op = OP_TRANSLATE;
    c.f[0] = x, c.f[1] = y, c.f[2] = z;
    bare.push_back(c);
}

static void EmitRotate(float a, float x, float y, float z) {
    Command c{};
    c.op = OP_ROTATE;
    c.f[0] = a, c.f[1] = x, c.f[2] = y, c.f[3] = z;
    bare.push_back(c);
}

static void EmitSimple(Op op, unsigned name = 0) {
    Command c{};
    c.op = op;
    c.name = name;
    bare.push_back(c);
}

static void EmitBindIfChanged(unsigned name) {
    if (name != recordedBound) EmitSimple(OP_BIND, recordedBound = name);
}

static void EmitJoint(int figure, int joint, bool apply, double ax, double ay, double az) {
    JointPose p = LookupJoint(Figure(figure), joint);
    float px = (float)p.pivotX, py = (float)p.pivotY, pz = (float)p.pivotZ;
    EmitTranslate(px, py, pz);
    if (apply) {
        if (p.tiltX != 0) EmitRotate((float)-p.tiltX, 1, 0, 0);
        if (p.tiltY != 0) EmitRotate((float)-p.tiltY, 0, 1, 0);
        if (p.tiltZ != 0) EmitRotate((float)-p.tiltZ, 0, 0, 1);
        if (p.swingX != 0) EmitRotate((float)-ax, 1, 0, 0);
        if (p.swingY != 0) EmitRotate((float)-ay, 0, 1, 0);
        if (p.swingZ != 0) EmitRotate((float)-az, 0, 0, 1);
    } else {
        if (p.swingZ != 0) EmitRotate((float)az, 0, 0, 1);
        if (p.swingY != 0) EmitRotate((float)ay, 0, 1, 0);
        if (p.swingX != 0) EmitRotate((float)ax, 1, 0, 0);
        if (p.tiltZ != 0) EmitRotate((float)p.tiltZ, 0, 0, 1);
        if (p.tiltY != 0) EmitRotate((float)p.tiltY, 0, 1, 0);
        if (p.tiltX != 0) EmitRotate((float)p.tiltX, 1, 0, 0);
    }
    EmitTranslate(-px, -py, -pz);
}

// The calls of one figure list, walked from its tables by the list rules.
struct ListView {
    int n;
    const double *x, *y, *z, *r, *g, *b, *s, *t;
    const int *end, *joint, *flag;
    const unsigned* id;
};

static void RecordList(int figure, const ListView& L) {
    bool applied = false;
    int appliedJ = 0;
    double ax = 0, ay = 0, az = 0;
    bool textured = L.flag[0] == 1;
    EmitSimple(textured ? OP_ENABLE : OP_DISABLE);
    if (textured) EmitBindIfChanged(L.id[0]);
    for (int f = 1; f <= L.n;) {
        int e = f;
        while (e < L.n && L.end[e] != 1) e++;
        if (f > 1) {
            bool next = L.flag[f - 1] == 1;
            if (textured && !next) EmitSimple(OP_DISABLE);
            if (!textured && next) EmitSimple(OP_ENABLE);
            textured = next;
            if (textured) EmitBindIfChanged(L.id[f - 1]);
        }
        Command c{};
        c.op = OP_POLYGON;
        c.textured = textured;
        c.colourAfterBegin = f == 1 && textured;
        c.rgb[0] = L.r[f], c.rgb[1] = L.g[f], c.rgb[2] = L.b[f];
        c.first = (int)packed.size();
        c.count = e - f + 1;
        for (int v = f; v <= e; v++)
            packed.insert(packed.end(), {L.x[v], L.y[v], L.z[v], L.s[v], L.t[v]});
        bare.push_back(c);
        int J = L.joint[e];
        if (J != NO_JOINT && !JointUsable(Figure(figure), J)) J = NO_JOINT;
        if (applied && J != appliedJ) {
            applied = false;
            EmitJoint(figure, appliedJ, false, ax, ay, az);
        }
        if (J != NO_JOINT && !applied) {
            applied = true;
            appliedJ = J;
            JointPose p = LookupJoint(Figure(figure), J);
            ax = p.angleX, ay = p.angleY, az = p.angleZ;
            EmitJoint(figure, J, true, ax, ay, az);
        }
        f = e + 1;
    }
    if (applied) EmitJoint(figure, appliedJ, false, ax, ay, az);
}

static void RecordBare() {
    LoadedScene& level = *loaded;
    const Scene& sc = level.scene;
    SceneMotion& m = level.motion;
    const ViewerState& viewer = m.viewer;
    recordedBound = 0;
    for (int i = 0; i <= sc.actorLastIndex; i++) {
        ActorMotion& a = m.actors[i];
        StepActor(sc, level.obstacles, viewer, i, a);  // where the actor stands this frame
        float x = (float)(sc.actorStartX[i] + a.actorWalkedX), y = (float)sc.actorStartY[i];
        float z = (float)(sc.actorStartZ[i] + a.actorWalkedZ);
        float turn = (float)(a.actorHeading + sc.actorModelHeadingOffset[i]);
        EmitTranslate(x, y, z);
        EmitRotate(-turn, 0, 1, 0);
        AnimateActor(sc, viewer, i, a);  // the angles this frame draws with
        ListView L{sc.actorPartVertexCount[i], sc.partX.Column(i), sc.partY.Column(i),
                   sc.partZ.Column(i), sc.partColorR.Column(i), sc.partColorG.Column(i),
                   sc.partColorB.Column(i), sc.partS.Column(i), sc.partT.Column(i),
                   sc.partEnd.Column(i), sc.partJoint.Column(i), sc.partTexFlag.Column(i),
                   level.textures.PartTexIdColumn(i)};
        RecordList(i, L);
        EmitRotate(turn, 0, 1, 0);
        EmitTranslate(-x, -y, -z);
    }
    // The avatar in view mode 1 (tilt 0 and no jump here).
    float x = (float)(sc.startEyeX + viewer.walkedX), y = (float)(sc.startEyeY - viewer.jumpOffset);
    float z = (float)(sc.startEyeZ + viewer.walkedZ),
          turn = (float)(viewer.heading + sc.avatarHeadingOffset);
    EmitTranslate(x, y, z);
    EmitRotate((float)-(cos(viewer.viewAngle) * viewer.tilt), 0, 0, 1);
    EmitRotate((float)-(sin(viewer.viewAngle) * viewer.tilt), 1, 0, 0);
    EmitRotate(-turn, 0, 1, 0);
    AnimateAvatarJoints(sc, viewer, m.avatar);
    ListView A{sc.avatarPolyVertexCount, sc.avatarPolyX.data, sc.avatarPolyY.data,
               sc.avatarPolyZ.data, sc.avatarPolyColorR.data, sc.avatarPolyColorG.data,
               sc.avatarPolyColorB.data, sc.avatarPolyS.data, sc.avatarPolyT.data,
               sc.avatarPolyEnd.data, sc.avatarPolyJoint.data, sc.avatarPolyTexFlag.data,
               level.textures.avatarPolyTexId.data()};
    RecordList(AVATAR_FIGURE, A);
    EmitRotate(turn, 0, 1, 0);
    EmitRotate((float)(sin(viewer.viewAngle) * viewer.tilt), 1, 0, 0);
    EmitRotate((float)(cos(viewer.viewAngle) * viewer.tilt), 0, 0, 1);
    EmitTranslate(-x, -y, -z);
}

static void DrawBare() {
    const double* data = packed.data();
    for (const Command& c : bare) {
        switch (c.op) {
        case OP_TRANSLATE: glTranslatef(c.f[0], c.f[1], c.f[2]); break;
        case OP_ROTATE: glRotatef(c.f[0], c.f[1], c.f[2], c.f[3]); break;
        case OP_ENABLE: glEnable(GL_TEXTURE_2D); break;
        case OP_DISABLE: glDisable(GL_TEXTURE_2D); break;
        case OP_BIND: glBindTexture(GL_TEXTURE_2D, c.name); break;
        case OP_POLYGON: {
            const double* v = data + c.first;
            const double* last = v + 5 * c.count;
            if (c.colourAfterBegin) {
                glBegin(GL_POLYGON);
                glColor3d(c.rgb[0], c.rgb[1], c.rgb[2]);
            } else {
                glColor3d(c.rgb[0], c.rgb[1], c.rgb[2]);
                glBegin(GL_POLYGON);
            }
            if (c.textured) {
                for (; v < last; v += 5) {
                    glTexCoord2d(v[3], v[4]);
                    glVertex3d(v[0], v[1], v[2]);
                }
            } else {
                for (; v < last; v += 5) glVertex3d(v[0], v[1], v[2]);
            }
            glEnd();
            break;
        }
        }
    }
}

// ---- Timing.

// Both ways start from the same figure state, the camera alone in the modelview
// matrix, texturing off and nothing bound.
static double TimeFrame(void (*draw)(), bool finish) {
    Restore();
    const ViewerState& viewer = loaded->motion.viewer;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(viewer.viewerX, viewer.viewerEyeY, viewer.viewerZ, 0, 0, 0, 0, -1, 0);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glFinish();
    double t0 = NowMs();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    if (finish) glFinish();
    return NowMs() - t0;
}

static std::vector<double> Modelview() {
    std::vector<double> m(16);
    glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

int main() {
    char pattern[] = "/tmp/ambler_figures_bench_XXXXXX";
    std::string folder = mkdtemp(pattern);
    WriteScene(folder);
    if (chdir(folder.c_str()) != 0) return 1;
    if (!Plat_Init(PLAT_HEADLESS, WIDTH, HEIGHT) || !StartApplication(PLAT_SHOW_NORMAL)) {
        fprintf(stderr, "no GL context (run under xvfb-run)\n");
        return 1;
    }
    printf("renderer: %s, %dx%d\n", (const char*)glGetString(GL_RENDERER), WIDTH, HEIGHT);
    const Scene& sc = loaded->scene;
    long vertices = sc.avatarPolyVertexCount;
    for (int i = 0; i <= sc.actorLastIndex; i++) vertices += sc.actorPartVertexCount[i];
    printf("figures: %d actors x %d part vertices x %d joints, avatar %d vertices x %d joints: "
           "%ld vertices per frame\n",
           sc.actorLastIndex + 1, sc.actorPartVertexCount[0], sc.actorJointCount[0] + 1,
           sc.avatarPolyVertexCount, sc.avatarJointCount + 1, vertices);

    start = new SceneMotion(loaded->motion);
    RecordBare();
    long polygons = 0, matrixCalls = 0, binds = 0, switches = 0;
    for (const Command& c : bare) {
        polygons += c.op == OP_POLYGON;
        matrixCalls += c.op == OP_TRANSLATE || c.op == OP_ROTATE;
        binds += c.op == OP_BIND;
        switches += c.op == OP_ENABLE || c.op == OP_DISABLE;
    }
    printf("calls per frame: %ld polygons, %ld matrix calls, %ld binds, %ld enables/disables\n",
           polygons, matrixCalls, binds, switches);

    TimeFrame(DrawOurs, true);
    std::vector<unsigned char> ours = FramePixels(WIDTH, HEIGHT);
    std::vector<double> oursMatrix = Modelview();
    TimeFrame(DrawBare, true);
    printf("images identical: %s; modelview after the figures identical: %s\n",
           ours == FramePixels(WIDTH, HEIGHT) ? "yes" : "NO", oursMatrix == Modelview() ? "yes" : "NO");

    for (bool finish : {true, false}) {
        std::vector<double> oursMs, bareMs;
        TimeInterleaved(
            RUNS, [&] { return TimeFrame(DrawOurs, finish); },
            [&] { return TimeFrame(DrawBare, finish); }, &oursMs, &bareMs);
        // Each pair ran back to back, so its ratio sees one machine load.
        std::vector<double> pairRatios;
        for (int r = 0; r < RUNS; r++) pairRatios.push_back(oursMs[r] / bareMs[r]);
        double a = Median(oursMs), b = Median(bareMs);
        printf("%s: ours %.2f ms, bare loop %.2f ms, ratio %.3f, median pair ratio %.3f "
               "(target <= 1.15), medians of %d interleaved runs\n",
               finish ? "frame (clear, figures, glFinish)" : "issue only (clear, figures)", a, b,
               a / b, Median(pairRatios), RUNS);
    }
    std::string command = "rm -rf '" + folder + "'";
    return system(command.c_str()) == 0 ? 0 : 1;
}
