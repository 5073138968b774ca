// scene_describe.cpp -- a description of the scene the model holds, so that
// a loaded (or programmatically filled) model can be written back to a file.
#include <cmath>

#include "tools/lib/scene_writer.h"

// The model keeps only each pose's steps (swing / divisor), not its divisor:
// recover one from the largest swing, exact for divisors that are powers of
// two; 1 where no swing tells it.
static double RecoverDivisor(const double swing[3], const double step[3]) {
    int axis = 0;
    for (int a = 1; a < 3; ++a)
        if (std::fabs(swing[a]) > std::fabs(swing[axis])) axis = a;
    if (swing[axis] == 0 || step[axis] == 0 || !std::isfinite(step[axis])) return 1;
    return swing[axis] / step[axis];
}

static SceneVertex TexturedVertex(const Scene& s, int v) {
    SceneVertex out;
    out.red = s.texPolyColorR[v];
    out.green = s.texPolyColorG[v];
    out.blue = s.texPolyColorB[v];
    out.x = s.texPolyX[v];
    out.y = s.texPolyY[v];
    out.z = s.texPolyZ[v];
    out.end = s.texPolyEnd[v];
    out.s = s.texPolyS[v];
    out.t = s.texPolyT[v];
    out.texFlag = s.texPolyTexFlag[v - 1];
    out.texName = SlotName(s, s.texPolyTexName[v - 1]);
    return out;
}

static SceneVertex AvatarVertex(const Scene& s, int v) {
    SceneVertex out;
    out.red = s.avatarPolyColorR[v];
    out.green = s.avatarPolyColorG[v];
    out.blue = s.avatarPolyColorB[v];
    out.joint = s.avatarPolyJoint[v];
    out.x = s.avatarPolyX[v];
    out.y = s.avatarPolyY[v];
    out.z = s.avatarPolyZ[v];
    out.end = s.avatarPolyEnd[v];
    out.s = s.avatarPolyS[v];
    out.t = s.avatarPolyT[v];
    out.texFlag = s.avatarPolyTexFlag[v - 1];
    out.texName = SlotName(s, s.avatarPolyTexName[v - 1]);
    return out;
}

static SceneVertex PartVertex(const Scene& s, int p, int i) {
    SceneVertex out;
    out.red = s.partColorR(p, i);
    out.green = s.partColorG(p, i);
    out.blue = s.partColorB(p, i);
    out.joint = s.partJoint(p, i);
    out.x = s.partX(p, i);
    out.y = s.partY(p, i);
    out.z = s.partZ(p, i);
    out.end = s.partEnd(p, i);
    out.s = s.partS(p, i);
    out.t = s.partT(p, i);
    out.texFlag = s.partTexFlag(p - 1, i);
    out.texName = SlotName(s, s.partTexName(p - 1, i));
    return out;
}

static void DescribeAvatarJoints(SceneDescription& scene, const Scene& s) {
    scene.avatarJoints.assign(s.avatarJointCount < 0 ? 0 : s.avatarJointCount + 1, SceneJoint());
    for (int g = 0; g <= s.avatarJointCount; ++g) {
        for (int k = 0; k < POSE_COUNT; ++k) {
            ScenePose& pose = scene.avatarJoints[g].poses[k];
            double pivot[3] = {s.avatarJointPivotX[g][k], s.avatarJointPivotY[g][k],
                               s.avatarJointPivotZ[g][k]};
            double swing[3] = {s.avatarJointSwingZ[g][k], s.avatarJointSwingY[g][k],
                               s.avatarJointSwingX[g][k]};
            double tilt[3] = {s.avatarJointTiltZ[g][k], s.avatarJointTiltY[g][k],
                              s.avatarJointTiltX[g][k]};
            double step[3] = {s.avatarJointStepZ[g][k], s.avatarJointStepY[g][k],
                              s.avatarJointStepX[g][k]};
            for (int a = 0; a < 3; ++a) {
                pose.pivot[a] = pivot[a];
                pose.swing[a] = swing[a];
                pose.tilt[a] = tilt[a];
            }
            pose.swingDivisor = RecoverDivisor(swing, step);
        }
    }
}

static void DescribeActorJoints(SceneActor& actor, const Scene& s, int i) {
    int last = s.actorJointCount[i];
    actor.joints.assign(last < 0 ? 0 : last + 1, SceneJoint());
    for (int j = 0; j <= last; ++j) {
        for (int k = 0; k < POSE_COUNT; ++k) {
            ScenePose& pose = actor.joints[j].poses[k];
            double pivot[3] = {s.actorJointPivotX[j][k][i], s.actorJointPivotY[j][k][i],
                               s.actorJointPivotZ[j][k][i]};
            double swing[3] = {s.actorJointSwingZ[j][k][i], s.actorJointSwingY[j][k][i],
                               s.actorJointSwingX[j][k][i]};
            double step[3] = {s.actorJointStepZ[j][k][i], s.actorJointStepY[j][k][i],
                              s.actorJointStepX[j][k][i]};
            for (int a = 0; a < 3; ++a) {
                pose.pivot[a] = pivot[a];
                pose.swing[a] = swing[a];
            }
            pose.swingDivisor = RecoverDivisor(swing, step);
        }
    }
}

static SceneActor DescribeActor(const Scene& s, int i) {
    SceneActor a;
    a.avoidsObstacles = s.actorAvoidsObstacles[i];
    a.usesWaypoints = s.actorUsesWaypoints[i];
    a.cullEnabled = s.actorCullEnabled[i];
    a.cullDistance = s.actorCullDistance[i];
    a.rangeLimited = s.actorRangeLimited[i];
    a.activeRange = s.actorActiveRange[i];
    for (int w = 1; w <= s.actorWaypointCount[i]; ++w)
        a.waypoints.push_back({s.actorWaypointX(w, i), s.actorWaypointZ(w, i)});
    double start[3] = {s.actorStartX[i], s.actorStartY[i], s.actorStartZ[i]};
    double front[3] = {s.actorFrontX[i], s.actorFrontY[i], s.actorFrontZ[i]};
    for (int k = 0; k < 3; ++k) {
        a.start[k] = start[k];
        a.front[k] = front[k];
    }
    a.startHeading = s.actorStartHeading[i];
    a.modelHeadingOffset = s.actorModelHeadingOffset[i];
    for (int p = 1; p <= s.actorPartVertexCount[i]; ++p) a.parts.push_back(PartVertex(s, p, i));
    a.maxSpeed = s.actorMaxSpeed[i];
    a.collisionRadius = s.actorCollisionRadius[i];
    DescribeActorJoints(a, s, i);
    return a;
}

void DescribeLoadedScene(SceneDescription& scene, const Scene& s) {
    scene = SceneDescription();
    CopySettingsFromScene(scene, s);
    for (int v = 1; v <= s.texPolyVertexCount; ++v) scene.texVertices.push_back(TexturedVertex(s, v));
    for (int v = 1; v <= s.flatPolyVertexCount; ++v) {
        scene.flatVertices.push_back({s.flatPolyColorR[v], s.flatPolyColorG[v], s.flatPolyColorB[v],
                                      s.flatPolyX[v], s.flatPolyY[v], s.flatPolyZ[v], s.flatPolyEnd[v]});
    }
    for (int v = 1; v <= s.avatarPolyVertexCount; ++v)
        scene.avatarVertices.push_back(AvatarVertex(s, v));
    if (s.avatarPolyVertexCount > 0) DescribeAvatarJoints(scene, s);
    for (int w = 1; w <= s.obstacleCount; ++w)
        scene.obstacles.push_back({s.obstacleX[w], s.obstacleZ[w]});
    for (int i = 0; i <= s.actorLastIndex; ++i) scene.actors.push_back(DescribeActor(s, i));
    scene.partCapacity = s.actorLastIndex >= 0 ? s.partCapacity : 0;
}
