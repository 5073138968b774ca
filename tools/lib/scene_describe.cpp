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

static SceneVertex TexturedVertex(int v) {
    SceneVertex out;
    out.red = texPolyColorR[v];
    out.green = texPolyColorG[v];
    out.blue = texPolyColorB[v];
    out.x = texPolyX[v];
    out.y = texPolyY[v];
    out.z = texPolyZ[v];
    out.end = texPolyEnd[v];
    out.s = texPolyS[v];
    out.t = texPolyT[v];
    out.texFlag = texPolyTexFlag[v - 1];
    out.texName = texPolyTexName[v - 1].text();
    return out;
}

static SceneVertex AvatarVertex(int v) {
    SceneVertex out;
    out.red = avatarPolyColorR[v];
    out.green = avatarPolyColorG[v];
    out.blue = avatarPolyColorB[v];
    out.joint = avatarPolyJoint[v];
    out.x = avatarPolyX[v];
    out.y = avatarPolyY[v];
    out.z = avatarPolyZ[v];
    out.end = avatarPolyEnd[v];
    out.s = avatarPolyS[v];
    out.t = avatarPolyT[v];
    out.texFlag = avatarPolyTexFlag[v - 1];
    out.texName = avatarPolyTexName[v - 1].text();
    return out;
}

static SceneVertex PartVertex(int p, int i) {
    SceneVertex out;
    out.red = partColorR(p, i);
    out.green = partColorG(p, i);
    out.blue = partColorB(p, i);
    out.joint = partJoint(p, i);
    out.x = partX(p, i);
    out.y = partY(p, i);
    out.z = partZ(p, i);
    out.end = partEnd(p, i);
    out.s = partS(p, i);
    out.t = partT(p, i);
    out.texFlag = partTexFlag(p - 1, i);
    out.texName = partTexName(p - 1, i).text();
    return out;
}

static void DescribeAvatarJoints(SceneDescription& scene) {
    scene.avatarJoints.assign(avatarJointCount < 0 ? 0 : avatarJointCount + 1, SceneJoint());
    for (int g = 0; g <= avatarJointCount; ++g) {
        for (int k = 0; k < POSE_COUNT; ++k) {
            ScenePose& pose = scene.avatarJoints[g].poses[k];
            double pivot[3] = {avatarJointPivotX[g][k], avatarJointPivotY[g][k],
                               avatarJointPivotZ[g][k]};
            double swing[3] = {avatarJointSwingZ[g][k], avatarJointSwingY[g][k],
                               avatarJointSwingX[g][k]};
            double tilt[3] = {avatarJointTiltZ[g][k], avatarJointTiltY[g][k],
                              avatarJointTiltX[g][k]};
            double step[3] = {avatarJointStepZ[g][k], avatarJointStepY[g][k],
                              avatarJointStepX[g][k]};
            for (int a = 0; a < 3; ++a) {
                pose.pivot[a] = pivot[a];
                pose.swing[a] = swing[a];
                pose.tilt[a] = tilt[a];
            }
            pose.swingDivisor = RecoverDivisor(swing, step);
        }
    }
}

static void DescribeActorJoints(SceneActor& actor, int i) {
    int last = actorJointCount[i];
    actor.joints.assign(last < 0 ? 0 : last + 1, SceneJoint());
    for (int j = 0; j <= last; ++j) {
        for (int k = 0; k < POSE_COUNT; ++k) {
            ScenePose& pose = actor.joints[j].poses[k];
            double pivot[3] = {actorJointPivotX[j][k][i], actorJointPivotY[j][k][i],
                               actorJointPivotZ[j][k][i]};
            double swing[3] = {actorJointSwingZ[j][k][i], actorJointSwingY[j][k][i],
                               actorJointSwingX[j][k][i]};
            double step[3] = {actorJointStepZ[j][k][i], actorJointStepY[j][k][i],
                              actorJointStepX[j][k][i]};
            for (int a = 0; a < 3; ++a) {
                pose.pivot[a] = pivot[a];
                pose.swing[a] = swing[a];
            }
            pose.swingDivisor = RecoverDivisor(swing, step);
        }
    }
}

static SceneActor DescribeActor(int i) {
    SceneActor a;
    a.avoidsObstacles = actorAvoidsObstacles[i];
    a.usesWaypoints = actorUsesWaypoints[i];
    a.cullEnabled = actorCullEnabled[i];
    a.cullDistance = actorCullDistance[i];
    a.rangeLimited = actorRangeLimited[i];
    a.activeRange = actorActiveRange[i];
    for (int w = 1; w <= actorWaypointCount[i]; ++w)
        a.waypoints.push_back({actorWaypointX(w, i), actorWaypointZ(w, i)});
    double start[3] = {actorStartX[i], actorStartY[i], actorStartZ[i]};
    double front[3] = {actorFrontX[i], actorFrontY[i], actorFrontZ[i]};
    for (int k = 0; k < 3; ++k) {
        a.start[k] = start[k];
        a.front[k] = front[k];
    }
    a.startHeading = actorStartHeading[i];
    a.modelHeadingOffset = actorModelHeadingOffset[i];
    for (int p = 1; p <= actorPartVertexCount[i]; ++p) a.parts.push_back(PartVertex(p, i));
    a.maxSpeed = actorMaxSpeed[i];
    a.collisionRadius = actorCollisionRadius[i];
    DescribeActorJoints(a, i);
    return a;
}

void DescribeLoadedScene(SceneDescription& scene) {
    scene = SceneDescription();
    CopySettingsFromModel(scene);
    for (int v = 1; v <= texPolyVertexCount; ++v) scene.texVertices.push_back(TexturedVertex(v));
    for (int v = 1; v <= flatPolyVertexCount; ++v) {
        scene.flatVertices.push_back({flatPolyColorR[v], flatPolyColorG[v], flatPolyColorB[v],
                                      flatPolyX[v], flatPolyY[v], flatPolyZ[v], flatPolyEnd[v]});
    }
    for (int v = 1; v <= avatarPolyVertexCount; ++v)
        scene.avatarVertices.push_back(AvatarVertex(v));
    if (avatarPolyVertexCount > 0) DescribeAvatarJoints(scene);
    for (int w = 1; w <= obstacleCount; ++w)
        scene.obstacles.push_back({obstacleX[w], obstacleZ[w]});
    for (int i = 0; i <= actorLastIndex; ++i) scene.actors.push_back(DescribeActor(i));
    scene.partCapacity = actorLastIndex >= 0 ? partCapacity : 0;
}
