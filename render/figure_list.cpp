// figure_list.cpp -- the polygon list walk shared by the actors and the
// avatar: texture switching, colours and the joint switch at polygon ends.
#include <GL/gl.h>

#include "render/figure_joints.h"
#include "render/render.h"
#include "scene/scene.h"

// One figure's list as flat columns indexed by vertex (texture slots by
// vertex - 1), with the vertex count kept inside the tables.
struct FigureList {
    int count;
    const double *x, *y, *z, *r, *g, *b, *s, *t;
    const int *end, *joint, *texFlag;
    const unsigned* texId;  // null before the scene's textures are made: no objects
};

// The texture object of slot k.
static unsigned TexIdOf(const FigureList& L, int k) { return L.texId ? L.texId[k] : 0; }

// The avatar's list (count kept inside its tables).
static FigureList AvatarList(const Scene& scene, const SceneTextures& textures) {
    FigureList L;
    int rows = (int)scene.avatarPolyX.size;
    L.count = scene.avatarPolyVertexCount < rows ? scene.avatarPolyVertexCount : rows - 1;
    L.x = scene.avatarPolyX.data; L.y = scene.avatarPolyY.data; L.z = scene.avatarPolyZ.data;
    L.r = scene.avatarPolyColorR.data; L.g = scene.avatarPolyColorG.data;
    L.b = scene.avatarPolyColorB.data;
    L.s = scene.avatarPolyS.data; L.t = scene.avatarPolyT.data;
    L.end = scene.avatarPolyEnd.data; L.joint = scene.avatarPolyJoint.data;
    L.texFlag = scene.avatarPolyTexFlag.data;
    L.texId = textures.avatarPolyTexId.empty() ? nullptr : textures.avatarPolyTexId.data();
    return L;
}

// Actor i's list; empty when the part tables hold no column for it.
static FigureList ActorList(const Scene& scene, const SceneTextures& textures, int i) {
    FigureList L;
    L.count = 0;
    if (i < 0 || (size_t)i >= scene.partX.cols || (size_t)i >= scene.actorPartVertexCount.size)
        return L;
    int rows = (int)scene.partX.rows;
    int n = scene.actorPartVertexCount[i];
    L.count = n < rows ? n : rows - 1;
    L.x = scene.partX.Column(i); L.y = scene.partY.Column(i); L.z = scene.partZ.Column(i);
    L.r = scene.partColorR.Column(i); L.g = scene.partColorG.Column(i);
    L.b = scene.partColorB.Column(i);
    L.s = scene.partS.Column(i); L.t = scene.partT.Column(i);
    L.end = scene.partEnd.Column(i); L.joint = scene.partJoint.Column(i);
    L.texFlag = scene.partTexFlag.Column(i);
    L.texId = textures.partTexId.empty() ? nullptr : textures.PartTexIdColumn((size_t)i);
    return L;
}

// The joint transform a list walk has applied; the tables do not change
// during a walk, so its pose serves the undo without a second lookup.
struct AppliedJoint {
    bool applied = false;
    int joint = 0;
    JointPose pose;
};

// At the end of a polygon whose last vertex carries joint: keeps, changes or
// drops the joint transform for the polygons that follow.
static void SwitchJoint(const FigureJoints& f, int joint, AppliedJoint& applied) {
    if (joint != NO_JOINT && !JointUsable(f, joint)) joint = NO_JOINT;
    if (applied.applied && joint != applied.joint) {
        applied.applied = false;
        UndoJointPose(applied.pose);
    }
    if (joint != NO_JOINT && !applied.applied) {
        applied.applied = true;
        applied.joint = joint;
        applied.pose = LookupJoint(f, joint);
        ApplyJointPose(applied.pose);
    }
}

// Sends vertices from p up to the end of its polygon (or the list's last
// vertex); returns the polygon's last vertex.
static int SendPolygon(const FigureList& L, int p, bool textured) {
    if (textured) {
        for (;; p++) {
            glTexCoord2d(L.s[p], L.t[p]);
            glVertex3d(L.x[p], L.y[p], L.z[p]);
            if (L.end[p] == 1 || p >= L.count) return p;
        }
    }
    for (;; p++) {
        glVertex3d(L.x[p], L.y[p], L.z[p]);
        if (L.end[p] == 1 || p >= L.count) return p;
    }
}

// Only a flag of exactly 1 textures a polygon; any other value draws it plain.
void DrawPartList(FrameDraw& draw, const FigureJoints& f) {
    FigureList L = f.figure == AVATAR_FIGURE ? AvatarList(draw.scene, draw.textures)
                                             : ActorList(draw.scene, draw.textures, f.figure);
    if (L.count <= 0) return;
    bool textured = L.texFlag[0] == 1;
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        BindTextureIfChanged(draw, TexIdOf(L, 0));
        glBegin(GL_POLYGON);
        glColor3d(L.r[1], L.g[1], L.b[1]);
    } else {
        glDisable(GL_TEXTURE_2D);
        glColor3d(L.r[1], L.g[1], L.b[1]);
        glBegin(GL_POLYGON);
    }
    AppliedJoint applied;
    int p = 1;
    for (;;) {
        p = SendPolygon(L, p, textured);
        glEnd();
        SwitchJoint(f, L.joint[p], applied);
        if (p >= L.count) break;
        bool next = L.texFlag[p] == 1;
        if (textured && !next) glDisable(GL_TEXTURE_2D);
        if (!textured && next) glEnable(GL_TEXTURE_2D);
        textured = next;
        if (textured) BindTextureIfChanged(draw, TexIdOf(L, p));
        p++;
        glColor3d(L.r[p], L.g[p], L.b[p]);
        glBegin(GL_POLYGON);
    }
    // A transform still applied here would leak into the next list and the
    // camera; every list ends as it began, with none.
    if (applied.applied) UndoJointPose(applied.pose);
}
