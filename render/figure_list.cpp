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
    const unsigned* texId;
    int* jointApplied;
};

// The avatar's list (count kept inside its tables).
static FigureList AvatarList() {
    FigureList L;
    int rows = (int)avatarPolyX.size;
    L.count = avatarPolyVertexCount < rows ? avatarPolyVertexCount : rows - 1;
    L.x = avatarPolyX.data; L.y = avatarPolyY.data; L.z = avatarPolyZ.data;
    L.r = avatarPolyColorR.data; L.g = avatarPolyColorG.data; L.b = avatarPolyColorB.data;
    L.s = avatarPolyS.data; L.t = avatarPolyT.data;
    L.end = avatarPolyEnd.data; L.joint = avatarPolyJoint.data;
    L.texFlag = avatarPolyTexFlag.data; L.texId = avatarPolyTexId.data;
    L.jointApplied = &avatarJointApplied;
    return L;
}

// Actor i's list; empty when the part tables hold no column for it.
static FigureList ActorList(int i) {
    FigureList L;
    L.count = 0;
    if (i < 0 || (size_t)i >= partX.cols || (size_t)i >= actorPartVertexCount.size) return L;
    int rows = (int)partX.rows;
    int n = actorPartVertexCount[i];
    L.count = n < rows ? n : rows - 1;
    L.x = partX.Column(i); L.y = partY.Column(i); L.z = partZ.Column(i);
    L.r = partColorR.Column(i); L.g = partColorG.Column(i); L.b = partColorB.Column(i);
    L.s = partS.Column(i); L.t = partT.Column(i);
    L.end = partEnd.Column(i); L.joint = partJoint.Column(i);
    L.texFlag = partTexFlag.Column(i); L.texId = partTexId.Column(i);
    L.jointApplied = &actorJointApplied;
    return L;
}

// The joint transform a list walk has applied; the tables do not change
// during a walk, so its pose serves the undo without a second lookup.
struct AppliedJoint {
    int* flag;  // the figure's joint-applied flag
    JointPose pose;
};

// At the end of a polygon whose last vertex carries joint: keeps, changes or
// drops the joint transform for the polygons that follow.
static void SwitchJoint(int figure, int joint, AppliedJoint& applied) {
    if (joint != NO_JOINT && !JointUsable(figure, joint)) joint = NO_JOINT;
    if (*applied.flag == 1 && joint != appliedJoint) {
        *applied.flag = 0;
        UndoJointPose(applied.pose);
    }
    if (joint != NO_JOINT && *applied.flag != 1) {
        *applied.flag = 1;
        appliedJoint = joint;
        applied.pose = LookupJoint(figure, joint);
        appliedAngleX = applied.pose.angleX;
        appliedAngleY = applied.pose.angleY;
        appliedAngleZ = applied.pose.angleZ;
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
void DrawPartList(int figure) {
    FigureList L = figure == AVATAR_FIGURE ? AvatarList() : ActorList(figure);
    if (L.count <= 0) return;
    bool textured = L.texFlag[0] == 1;
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        BindTextureIfChanged(L.texId[0]);
        glBegin(GL_POLYGON);
        glColor3d(L.r[1], L.g[1], L.b[1]);
    } else {
        glDisable(GL_TEXTURE_2D);
        glColor3d(L.r[1], L.g[1], L.b[1]);
        glBegin(GL_POLYGON);
    }
    AppliedJoint applied;
    applied.flag = L.jointApplied;
    int p = 1;
    for (;;) {
        p = SendPolygon(L, p, textured);
        glEnd();
        SwitchJoint(figure, L.joint[p], applied);
        if (p >= L.count) break;
        bool next = L.texFlag[p] == 1;
        if (textured && !next) glDisable(GL_TEXTURE_2D);
        if (!textured && next) glEnable(GL_TEXTURE_2D);
        textured = next;
        if (textured) BindTextureIfChanged(L.texId[p]);
        p++;
        glColor3d(L.r[p], L.g[p], L.b[p]);
        glBegin(GL_POLYGON);
    }
    // A transform still applied here would leak into the next list and the
    // camera; every list ends as it began, with none.
    if (*applied.flag == 1) {
        *applied.flag = 0;
        UndoJointPose(applied.pose);
    }
}
