// scene_polygons.cpp -- the two static polygon lists: the plain coloured
// list, and the textured list with its texture switching and near-viewer
// culling.
#include <GL/gl.h>

#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"

// Binds name unless this frame's last bind was the same name.
void BindTextureIfChanged(FrameDraw& f, unsigned name) {
    if (name == f.boundTexture) return;
    f.boundTexture = name;
    glBindTexture(GL_TEXTURE_2D, name);
}

// The flat list keeps whatever texturing state the last polygon drawn left.
void DrawFlatPolygons(const Scene& scene) {
    int n = scene.flatPolyVertexCount;
    if (n < 1) return;
    // Local copies of the table pointers: every GL call could change the
    // scene for all the compiler knows, so it would reload them per vertex.
    const double *x = scene.flatPolyX.data, *y = scene.flatPolyY.data, *z = scene.flatPolyZ.data;
    const int* end = scene.flatPolyEnd.data;
    glColor3d(scene.flatPolyColorR[1], scene.flatPolyColorG[1], scene.flatPolyColorB[1]);
    glBegin(GL_POLYGON);
    for (int v = 1; v <= n; v++) {
        glVertex3d(x[v], y[v], z[v]);
        if (end[v] != 1) continue;
        glEnd();
        if (v < n) {
            glColor3d(scene.flatPolyColorR[v + 1], scene.flatPolyColorG[v + 1], scene.flatPolyColorB[v + 1]);
            glBegin(GL_POLYGON);
        }
    }
    // A file whose last vertex lacks its end mark still closes its polygon.
    if (end[n] != 1) glEnd();
}

// Strict comparisons on x and z only: a vertex exactly cullDistance away is
// not near.
bool IsNearViewer(const Scene& scene, const ViewerState& viewer, int v) {
    double d = (double)scene.cullDistance;
    return d > scene.texPolyX[v] - viewer.viewerX && d > viewer.viewerX - scene.texPolyX[v] &&
           d > scene.texPolyZ[v] - viewer.viewerZ && d > viewer.viewerZ - scene.texPolyZ[v];
}

// Last vertex of the polygon that starts at f (never past the list's end).
static int PolygonEnd(const Scene& scene, int f, int n) {
    int e = f;
    while (e < n && scene.texPolyEnd[e] != 1) e++;
    return e;
}

// First vertex of the first polygon from f on with a near vertex, looking at
// vertices before the list's last one only; 0 when there is none.
static int NextNearPolygon(const Scene& scene, const ViewerState& viewer, int f, int n) {
    for (int v = f; v < n; v++) {
        if (IsNearViewer(scene, viewer, v)) return f;
        if (scene.texPolyEnd[v] == 1) f = v + 1;
    }
    return 0;
}

// One polygon of the textured list, f..e. Texturing is switched only when
// the kind changes from the previous drawn polygon (and always for the
// first); the first polygon's colour follows glBegin when it is textured.
static void DrawListPolygon(FrameDraw& draw, int f, int e, bool textured, bool first,
                            bool previousTextured) {
    const Scene& scene = draw.scene;
    const std::vector<unsigned>& ids = draw.textures.texPolyTexId;
    if (!textured && (first || previousTextured)) glDisable(GL_TEXTURE_2D);
    if (textured && (first || !previousTextured)) glEnable(GL_TEXTURE_2D);
    if (textured) BindTextureIfChanged(draw, (size_t)(f - 1) < ids.size() ? ids[f - 1] : 0);
    bool colourAfterBegin = first && textured;
    if (!colourAfterBegin) glColor3d(scene.texPolyColorR[f], scene.texPolyColorG[f], scene.texPolyColorB[f]);
    glBegin(GL_POLYGON);
    if (colourAfterBegin) glColor3d(scene.texPolyColorR[f], scene.texPolyColorG[f], scene.texPolyColorB[f]);
    const double *x = scene.texPolyX.data, *y = scene.texPolyY.data, *z = scene.texPolyZ.data;
    const double *s = scene.texPolyS.data, *t = scene.texPolyT.data;
    for (int v = f; v <= e; v++) {
        if (textured) glTexCoord2d(s[v], t[v]);
        glVertex3d(x[v], y[v], z[v]);
    }
    glEnd();
}

// After a drawn textured polygon, culling examines the following ones; after
// a drawn plain one the next is drawn unexamined. A flag other than 1 is a
// plain polygon.
void DrawTexturedPolygons(FrameDraw& draw, const ViewerState& viewer) {
    const Scene& scene = draw.scene;
    int n = scene.texPolyVertexCount;
    if (n < 1) return;
    bool culling = scene.cullEnabled == 1;
    bool first = true, previousTextured = false, examining = false;
    for (int f = 1; f <= n;) {
        if (examining) {
            f = NextNearPolygon(scene, viewer, f, n);
            if (f == 0) return;
        }
        int e = PolygonEnd(scene, f, n);
        bool textured = scene.texPolyTexFlag[f - 1] == 1;
        DrawListPolygon(draw, f, e, textured, first, previousTextured);
        first = false;
        previousTextured = textured;
        examining = culling && textured;
        f = e + 1;
    }
}
