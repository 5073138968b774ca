// scene_polygons.cpp -- the two static polygon lists: the plain coloured
// list, and the textured list with its texture switching and near-viewer
// culling.
#include <GL/gl.h>

#include "motion/motion.h"
#include "render/render.h"
#include "scene/scene.h"

// Binds name unless this frame's last bind was the same name.
void BindTextureIfChanged(unsigned name) {
    if (name == boundTexture) return;
    boundTexture = name;
    glBindTexture(GL_TEXTURE_2D, name);
}

// The flat list keeps whatever texturing state the last polygon drawn left.
void DrawFlatPolygons() {
    int n = flatPolyVertexCount;
    if (n < 1) return;
    // Local copies of the table pointers: every GL call could change the
    // globals for all the compiler knows, so it would reload them per vertex.
    const double *x = flatPolyX.data, *y = flatPolyY.data, *z = flatPolyZ.data;
    const int* end = flatPolyEnd.data;
    glColor3d(flatPolyColorR[1], flatPolyColorG[1], flatPolyColorB[1]);
    glBegin(GL_POLYGON);
    for (int v = 1; v <= n; v++) {
        glVertex3d(x[v], y[v], z[v]);
        if (end[v] != 1) continue;
        glEnd();
        if (v < n) {
            glColor3d(flatPolyColorR[v + 1], flatPolyColorG[v + 1], flatPolyColorB[v + 1]);
            glBegin(GL_POLYGON);
        }
    }
    // A file whose last vertex lacks its end mark still closes its polygon.
    if (end[n] != 1) glEnd();
}

// Strict comparisons on x and z only: a vertex exactly cullDistance away is
// not near.
bool IsNearViewer(int v) {
    double d = (double)cullDistance;
    return d > texPolyX[v] - viewer.viewerX && d > viewer.viewerX - texPolyX[v] &&
           d > texPolyZ[v] - viewer.viewerZ && d > viewer.viewerZ - texPolyZ[v];
}

// Last vertex of the polygon that starts at f (never past the list's end).
static int PolygonEnd(int f, int n) {
    int e = f;
    while (e < n && texPolyEnd[e] != 1) e++;
    return e;
}

// First vertex of the first polygon from f on with a near vertex, looking at
// vertices before the list's last one only; 0 when there is none.
static int NextNearPolygon(int f, int n) {
    for (int v = f; v < n; v++) {
        if (IsNearViewer(v)) return f;
        if (texPolyEnd[v] == 1) f = v + 1;
    }
    return 0;
}

// One polygon of the textured list, f..e. Texturing is switched only when
// the kind changes from the previous drawn polygon (and always for the
// first); the first polygon's colour follows glBegin when it is textured.
static void DrawListPolygon(int f, int e, bool textured, bool first, bool previousTextured) {
    if (!textured && (first || previousTextured)) glDisable(GL_TEXTURE_2D);
    if (textured && (first || !previousTextured)) glEnable(GL_TEXTURE_2D);
    if (textured) BindTextureIfChanged(texPolyTexId[f - 1]);
    bool colourAfterBegin = first && textured;
    if (!colourAfterBegin) glColor3d(texPolyColorR[f], texPolyColorG[f], texPolyColorB[f]);
    glBegin(GL_POLYGON);
    if (colourAfterBegin) glColor3d(texPolyColorR[f], texPolyColorG[f], texPolyColorB[f]);
    const double *x = texPolyX.data, *y = texPolyY.data, *z = texPolyZ.data;
    const double *s = texPolyS.data, *t = texPolyT.data;
    for (int v = f; v <= e; v++) {
        if (textured) glTexCoord2d(s[v], t[v]);
        glVertex3d(x[v], y[v], z[v]);
    }
    glEnd();
}

// After a drawn textured polygon, culling examines the following ones; after
// a drawn plain one the next is drawn unexamined. A flag other than 1 is a
// plain polygon.
void DrawTexturedPolygons() {
    int n = texPolyVertexCount;
    if (n < 1) return;
    bool culling = cullEnabled == 1;
    bool first = true, previousTextured = false, examining = false;
    for (int f = 1; f <= n;) {
        if (examining) {
            f = NextNearPolygon(f, n);
            if (f == 0) return;
        }
        int e = PolygonEnd(f, n);
        bool textured = texPolyTexFlag[f - 1] == 1;
        DrawListPolygon(f, e, textured, first, previousTextured);
        first = false;
        previousTextured = textured;
        examining = culling && textured;
        f = e + 1;
    }
}
