// scene_generate.cpp -- deterministic scenes of any size: polygon lists,
// an avatar and actors with joints, waypoints and obstacles.
#include <algorithm>

#include "tools/lib/scene_writer.h"

// A small deterministic generator (xorshift), the same on every machine.
struct SceneRandom {
    unsigned state;
};

static unsigned NextRandom(SceneRandom& r) {
    r.state ^= r.state << 13;
    r.state ^= r.state >> 17;
    r.state ^= r.state << 5;
    return r.state;
}

// A value between -range and range with two decimals, as authors write them
// (hundredths divided once, so the shortest text keeps two decimals).
static double Coordinate(SceneRandom& r, int range) {
    return ((int)(NextRandom(r) % (unsigned)(200 * range + 1)) - 100 * range) / 100.0;
}

// A colour component 0..1 in steps of 1/1000.
static double Colour(SceneRandom& r) { return (NextRandom(r) % 1001) / 1000.0; }

std::string GeneratedTextureName(int k) { return "texture" + std::to_string(k) + ".bmp"; }

// Splits n vertices into polygons of 3 to 6 (the last may be shorter) and
// fills a vertex list: colour on each polygon's first vertex, one joint and
// one texture name per polygon, the texture flag on the first slot only.
static void FillPolygons(std::vector<SceneVertex>& list, int n, int joints, int textureNames,
                         SceneRandom& r) {
    list.assign(std::max(n, 0), SceneVertex());
    for (int v = 0; v < n;) {
        int size = std::min(3 + (int)(NextRandom(r) % 4), n - v);
        int joint = joints > 0 && NextRandom(r) % 5 ? (int)(NextRandom(r) % joints) : NO_JOINT;
        int texture = textureNames > 0 ? (int)(NextRandom(r) % textureNames) : 0;
        int flag = textureNames > 0 && NextRandom(r) % 4 ? 1 : 0;
        for (int k = 0; k < size; ++k, ++v) {
            SceneVertex& vertex = list[v];
            if (k == 0) {
                vertex.red = Colour(r);
                vertex.green = Colour(r);
                vertex.blue = Colour(r);
                vertex.texFlag = flag;
            }
            vertex.joint = joint;
            vertex.x = Coordinate(r, 500);
            vertex.y = Coordinate(r, 50);
            vertex.z = Coordinate(r, 500);
            vertex.end = k == size - 1 ? 1 : 0;
            vertex.s = (NextRandom(r) % 5) * 0.25;
            vertex.t = (NextRandom(r) % 5) * 0.25;
            vertex.texName = GeneratedTextureName(texture);
        }
    }
}

static void FillFlatPolygons(std::vector<SceneFlatVertex>& list, int n, SceneRandom& r) {
    list.assign(std::max(n, 0), SceneFlatVertex());
    for (int v = 0; v < n;) {
        int size = std::min(3 + (int)(NextRandom(r) % 4), n - v);
        for (int k = 0; k < size; ++k, ++v) {
            SceneFlatVertex& vertex = list[v];
            if (k == 0) {
                vertex.red = Colour(r);
                vertex.green = Colour(r);
                vertex.blue = Colour(r);
            }
            vertex.x = Coordinate(r, 5000);
            vertex.y = Coordinate(r, 50);
            vertex.z = Coordinate(r, 5000);
            vertex.end = k == size - 1 ? 1 : 0;
        }
    }
}

// Joints whose poses swing by whole degrees over divisors that are powers
// of two (so steps are exact).
static void FillJoints(std::vector<SceneJoint>& joints, int count, bool withTilt, SceneRandom& r) {
    joints.assign(std::max(count, 0), SceneJoint());
    for (SceneJoint& joint : joints) {
        for (ScenePose& pose : joint.poses) {
            for (double& v : pose.pivot) v = Coordinate(r, 20);
            for (double& v : pose.swing) v = (int)(NextRandom(r) % 61) - 30;
            if (withTilt)
                for (double& v : pose.tilt) v = (int)(NextRandom(r) % 21) - 10;
            pose.swingDivisor = 1 << (NextRandom(r) % 4);
        }
    }
}

static void FillActor(SceneActor& a, int i, const SceneShape& shape, SceneRandom& r) {
    a.avoidsObstacles = i % 2;
    a.usesWaypoints = shape.waypoints > 0 ? 1 : 0;
    a.cullEnabled = i % 3 == 0;
    a.cullDistance = 400 + i;
    a.rangeLimited = i % 4 == 0;
    a.activeRange = 800 + i;
    a.waypoints.resize(std::max(shape.waypoints, 0));
    for (ScenePoint& w : a.waypoints) w = {Coordinate(r, 1000), Coordinate(r, 1000)};
    a.start[0] = Coordinate(r, 1000);
    a.start[1] = Coordinate(r, 10);
    a.start[2] = Coordinate(r, 1000);
    a.front[0] = a.start[0] + 1;
    a.front[1] = a.start[1];
    a.front[2] = a.start[2];
    a.startHeading = (int)(NextRandom(r) % 360);
    a.modelHeadingOffset = 90 * (i % 4);
    FillPolygons(a.parts, shape.partVertices, shape.actorJoints, shape.textureNames, r);
    a.maxSpeed = 1 + (i % 5) * 0.5;
    a.collisionRadius = 5 + i % 7;
    FillJoints(a.joints, shape.actorJoints, false, r);
}

void GenerateScene(SceneDescription& scene, const SceneShape& shape) {
    scene = SceneDescription();
    CopyDefaultSettings(scene);
    SceneRandom r{shape.seed ? shape.seed : 1};
    FillPolygons(scene.texVertices, shape.texVertices, 0, shape.textureNames, r);
    FillFlatPolygons(scene.flatVertices, shape.flatVertices, r);
    FillPolygons(scene.avatarVertices, shape.avatarVertices, shape.avatarJoints,
                 shape.textureNames, r);
    if (!scene.avatarVertices.empty()) {
        scene.avatarHeadingOffset = 180;
        FillJoints(scene.avatarJoints, shape.avatarJoints, true, r);
    }
    scene.obstacles.resize(std::max(shape.obstacles, 0));
    for (ScenePoint& p : scene.obstacles) p = {Coordinate(r, 2000), Coordinate(r, 2000)};
    scene.actors.resize(std::clamp(shape.actors, 0, ACTOR_CAPACITY));
    for (size_t i = 0; i < scene.actors.size(); ++i) FillActor(scene.actors[i], (int)i, shape, r);
}
