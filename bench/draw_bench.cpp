// draw_bench.cpp -- the static polygon lists against a bare loop that sends
// the same GL calls from a precomputed flat list, and the load time of the
// scene's bitmaps. Run under an X server (xvfb-run) for the GL context.
//
// Scene: 100,001 textured-list vertices (quads, one in ten plain, the
// texture changing every 16 polygons, 64 distinct 128 x 128 bitmaps) and
// 200,000 flat vertices (quads), spread in front of the camera at 200 x 150.
#include <GL/gl.h>
#include <GL/glu.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "app/app.h"
#include "motion/motion.h"
#include "render/render.h"
#include "scene/bitmap.h"
#include "scene/scene.h"
#include "scene/textures.h"
#include "tools/lib/bitmap_writer.h"

constexpr int TEXTURED_VERTICES = 100001;
constexpr int FLAT_VERTICES = 200000;
constexpr int BITMAP_COUNT = 64;
constexpr int BITMAP_SIDE = 128;
constexpr int WIDTH = 200, HEIGHT = 150;
constexpr int RUNS = 31;  // interleaved pairs; odd, for a plain median

static unsigned seed = 1;

// The scene drawn, its texture objects and the viewer (culling is off).
static std::unique_ptr<Scene> sceneHolder = std::make_unique<Scene>();
static Scene& scene = *sceneHolder;
static SceneTextures textures;
static ViewerState viewer;
static PlatWindow mainWindow;
static PlatDC windowDC;
static PlatGLContext glContext;
static double Random(double lo, double hi) {
    seed = seed * 1103515245u + 12345u;
    return lo + (hi - lo) * ((seed >> 8) & 0xFFFF) / 65535.0;
}

// ---- Scene generation.

static void WriteBitmaps(const std::string& folder) {
    std::vector<unsigned char> rgb(BITMAP_SIDE * BITMAP_SIDE * 3);
    for (int b = 0; b < BITMAP_COUNT; b++) {
        for (size_t i = 0; i < rgb.size(); i++) rgb[i] = (unsigned char)(i * 7 + b * 37);
        std::string path = folder + "/tex" + std::to_string(b) + ".bmp";
        if (!WriteBitmap24(path.c_str(), rgb.data(), BITMAP_SIDE, BITMAP_SIDE)) exit(1);
    }
}

// A small quad at a random place in front of the camera (which looks along
// -z from the origin), vertices v..v+3 of the given tables.
static void PutQuad(Table<double>& x, Table<double>& y, Table<double>& z, Table<int>& end, int v,
                    int count) {
    double cx = Random(-60, 60), cy = Random(-45, 45), cz = Random(-400, -100), s = Random(1, 4);
    for (int i = 0; i < 4 && v + i <= count; i++) {
        x[v + i] = cx + (i == 1 || i == 2 ? s : 0);
        y[v + i] = cy + (i >= 2 ? s : 0);
        z[v + i] = cz;
        end[v + i] = i == 3 || v + i == count;
    }
}

static void BuildTexturedList() {
    int n = TEXTURED_VERTICES;
    scene.texPolyVertexCount = n;
    for (Table<double>* t : {&scene.texPolyColorR, &scene.texPolyColorG, &scene.texPolyColorB, &scene.texPolyX, &scene.texPolyY,
                             &scene.texPolyZ, &scene.texPolyS, &scene.texPolyT})
        t->Allocate(n + 10);
    scene.texPolyEnd.Allocate(n + 10);
    scene.texPolyTexFlag.Allocate(n + 10);
    scene.texPolyTexName.Allocate(n + 10);
    scene.texPolyEnd[0] = 1;
    for (int v = 1, p = 0; v <= n; v += 4, p++) {
        PutQuad(scene.texPolyX, scene.texPolyY, scene.texPolyZ, scene.texPolyEnd, v, n);
        scene.texPolyColorR[v] = 1;
        scene.texPolyColorG[v] = Random(0.5, 1);
        scene.texPolyColorB[v] = 1;
        for (int i = 0; i < 4 && v + i <= n; i++) {
            scene.texPolyS[v + i] = i == 1 || i == 2;
            scene.texPolyT[v + i] = i >= 2;
            // Every vertex line names a file, as in a real scene file.
            char name[32];
            int length = snprintf(name, sizeof name, "tex%d.bmp", (p / 16) % BITMAP_COUNT);
            scene.texPolyTexName[v + i - 1].offset = scene.texNames.Intern(name, (size_t)length);
            scene.texPolyTexFlag[v + i - 1] = p % 10 != 9;
        }
    }
}

static void BuildFlatList() {
    int n = FLAT_VERTICES;
    scene.flatPolyVertexCount = n;
    for (Table<double>* t : {&scene.flatPolyColorR, &scene.flatPolyColorG, &scene.flatPolyColorB, &scene.flatPolyX,
                             &scene.flatPolyY, &scene.flatPolyZ})
        t->Allocate(n + 10);
    scene.flatPolyEnd.Allocate(n + 10);
    scene.flatPolyEnd[0] = 1;
    for (int v = 1; v <= n; v += 4) {
        PutQuad(scene.flatPolyX, scene.flatPolyY, scene.flatPolyZ, scene.flatPolyEnd, v, n);
        scene.flatPolyColorR[v] = Random(0, 1);
        scene.flatPolyColorG[v] = Random(0, 1);
        scene.flatPolyColorB[v] = Random(0, 1);
    }
}

// ---- The bare loop: the same calls, precomputed.

enum Op : unsigned char { OP_COLOR, OP_BEGIN, OP_END, OP_TEXCOORD, OP_VERTEX, OP_ENABLE, OP_DISABLE, OP_BIND };

struct Command {
    Op op;
    unsigned name;
    double a, b, c;
};

static std::vector<Command> bare;

static void Emit(Op op, double a = 0, double b = 0, double c = 0, unsigned name = 0) {
    bare.push_back({op, name, a, b, c});
}

// The flat list's calls: colour and begin per polygon, vertices, end.
static void RecordFlatCalls() {
    int n = scene.flatPolyVertexCount;
    Emit(OP_COLOR, scene.flatPolyColorR[1], scene.flatPolyColorG[1], scene.flatPolyColorB[1]);
    Emit(OP_BEGIN);
    for (int v = 1; v <= n; v++) {
        Emit(OP_VERTEX, scene.flatPolyX[v], scene.flatPolyY[v], scene.flatPolyZ[v]);
        if (scene.flatPolyEnd[v] != 1) continue;
        Emit(OP_END);
        if (v < n) {
            Emit(OP_COLOR, scene.flatPolyColorR[v + 1], scene.flatPolyColorG[v + 1], scene.flatPolyColorB[v + 1]);
            Emit(OP_BEGIN);
        }
    }
}

// The textured list's calls with culling off, texturing switched on a change
// of kind, binds on a change of texture within the frame.
static void RecordTexturedCalls() {
    int n = scene.texPolyVertexCount;
    bool first = true, previousTextured = false;
    unsigned bound = 0;
    for (int f = 1; f <= n;) {
        int e = f;
        while (e < n && scene.texPolyEnd[e] != 1) e++;
        bool textured = scene.texPolyTexFlag[f - 1] == 1;
        if (!textured && (first || previousTextured)) Emit(OP_DISABLE);
        if (textured && (first || !previousTextured)) Emit(OP_ENABLE);
        if (textured && textures.texPolyTexId[f - 1] != bound) Emit(OP_BIND, 0, 0, 0, bound = textures.texPolyTexId[f - 1]);
        if (!(first && textured)) Emit(OP_COLOR, scene.texPolyColorR[f], scene.texPolyColorG[f], scene.texPolyColorB[f]);
        Emit(OP_BEGIN);
        if (first && textured) Emit(OP_COLOR, scene.texPolyColorR[f], scene.texPolyColorG[f], scene.texPolyColorB[f]);
        for (int v = f; v <= e; v++) {
            if (textured) Emit(OP_TEXCOORD, scene.texPolyS[v], scene.texPolyT[v]);
            Emit(OP_VERTEX, scene.texPolyX[v], scene.texPolyY[v], scene.texPolyZ[v]);
        }
        Emit(OP_END);
        first = false;
        previousTextured = textured;
        f = e + 1;
    }
}

static void DrawBare() {
    for (const Command& c : bare) {
        switch (c.op) {
        case OP_COLOR: glColor3d(c.a, c.b, c.c); break;
        case OP_BEGIN: glBegin(GL_POLYGON); break;
        case OP_END: glEnd(); break;
        case OP_TEXCOORD: glTexCoord2d(c.a, c.b); break;
        case OP_VERTEX: glVertex3d(c.a, c.b, c.c); break;
        case OP_ENABLE: glEnable(GL_TEXTURE_2D); break;
        case OP_DISABLE: glDisable(GL_TEXTURE_2D); break;
        case OP_BIND: glBindTexture(GL_TEXTURE_2D, c.name); break;
        }
    }
}

static void DrawOurs() {
    FrameDraw frame{scene, textures};  // as each frame that runs starts its drawing
    DrawFlatPolygons(scene);
    DrawTexturedPolygons(frame, viewer);
}

// Both ways leave texturing as the list's last polygon left it; start each
// frame from the same state so the flat list draws alike.
static double TimeFrame(void (*draw)(), bool finish) {
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glFinish();
    double start = NowMs();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    if (finish) glFinish();
    return NowMs() - start;
}

static intptr_t BenchWindowProc(PlatWindow window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    return Plat_DefWindowProc(window, message, wParam, lParam);
}

static void MakeContext() {
    if (!Plat_Init(PLAT_HEADLESS, WIDTH, HEIGHT)) exit(1);
    mainWindow = Plat_CreateWindow(BenchWindowProc, 0, 0, WIDTH, HEIGHT);
    windowDC = Plat_GetDC(mainWindow);
    glContext = Plat_CreateGLContext(windowDC);
    Plat_MakeCurrent(windowDC, glContext);
    if (!glContext) {
        fprintf(stderr, "no GL context (run under xvfb-run)\n");
        exit(1);
    }
    glViewport(0, 0, WIDTH, HEIGHT);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(60.0, (double)WIDTH / HEIGHT, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(0, 0, 0, 0, 0, -100, 0, -1, 0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);
    glShadeModel(GL_FLAT);
}

// Decoding alone, then decoding with the texture objects and the name search
// over every slot.
static void MeasureLoading(const std::string& folder) {
    double start = NowMs();
    for (int b = 0; b < BITMAP_COUNT; b++) {
        std::string path = folder + "/tex" + std::to_string(b) + ".bmp";
        char message[BITMAP_MESSAGE_CAPACITY];
        TextureImage* image = ReadBitmapFile(path.c_str(), message, sizeof message);
        if (!image) exit(1);
        FreeTextureImage(image);
    }
    double decode = NowMs() - start;
    if (chdir(folder.c_str()) != 0) exit(1);
    start = NowMs();
    CreateSceneTextures(scene, textures);
    glFinish();
    double create = NowMs() - start;
    printf("load: %d bitmaps of %dx%d, 24-bit: decode only %.2f ms; CreateSceneTextures over "
           "%d slots (decode, mipmaps, texture objects) %.2f ms\n",
           BITMAP_COUNT, BITMAP_SIDE, BITMAP_SIDE, decode, TEXTURED_VERTICES, create);
}

int main() {
    char pattern[] = "/tmp/ambler_draw_bench_XXXXXX";
    std::string folder = mkdtemp(pattern);
    WriteBitmaps(folder);
    MakeContext();
    printf("renderer: %s\n", (const char*)glGetString(GL_RENDERER));
    BuildTexturedList();
    BuildFlatList();
    MeasureLoading(folder);
    RecordFlatCalls();
    RecordTexturedCalls();
    printf("calls per frame: %zu (plus clear and finish)\n", bare.size());

    TimeFrame(DrawOurs, true);
    std::vector<unsigned char> ours = FramePixels(WIDTH, HEIGHT);
    TimeFrame(DrawBare, true);
    printf("images identical: %s\n", ours == FramePixels(WIDTH, HEIGHT) ? "yes" : "NO");

    for (bool finish : {true, false}) {
        std::vector<double> oursMs, bareMs;
        TimeInterleaved(
            RUNS, [&] { return TimeFrame(DrawOurs, finish); },
            [&] { return TimeFrame(DrawBare, finish); }, &oursMs, &bareMs);
        double a = Median(oursMs), b = Median(bareMs);
        printf("%s: ours %.2f ms, bare loop %.2f ms, ratio %.3f (target <= 1.10), medians of %d "
               "interleaved runs\n",
               finish ? "frame (clear, lists, glFinish)" : "issue only (clear, lists)", a, b, a / b,
               RUNS);
    }
    std::string command = "rm -rf '" + folder + "'";
    return system(command.c_str()) == 0 ? 0 : 1;
}
