// figures.cpp -- the jointed figures: the walking people of the town (as
// actors and as the follow demo's avatar) and the driving demos' car.
#include <cmath>

#include "tools/scenegen/scenegen.h"

enum PersonJoint { LEFT_LEG, RIGHT_LEG, LEFT_ARM, RIGHT_ARM, PERSON_JOINTS };

// Joint pivots in the person's frame (feet on y = 0, facing -z; the
// person's left is +x).
static const Vec3 PERSON_PIVOTS[PERSON_JOINTS] = {
    {1.65, -8.6, 0}, {-1.65, -8.6, 0}, {4.0, -14.0, 0}, {-4.0, -14.0, 0}};

struct PersonParts {
    std::vector<Polygon> body;  // torso and head, never jointed
    std::vector<Polygon> limbs[PERSON_JOINTS];
};

// A colour times k.
static Colour Times(Colour a, double k) { return {a.r * k, a.g * k, a.b * k}; }

// A leg: trouser box and a shoe that sticks out forward.
static std::vector<Polygon> Leg(double x0, double x1, const Outfit& o) {
    std::vector<Polygon> leg = Box({x0, -9.0, -1.1}, {x1, -1.0, 1.1}, o.trousers, PTEX_CLOTH);
    for (Polygon& p : Box({x0 - 0.1, -1.3, -2.6}, {x1 + 0.1, 0.0, 1.2}, Colour{0.16, 0.12, 0.1}))
        leg.push_back(p);
    return leg;
}

// An arm: sleeve and hand.
static std::vector<Polygon> Arm(double x0, double x1, const Outfit& o) {
    std::vector<Polygon> arm = Box({x0, -14.7, -0.9}, {x1, -9.6, 0.9}, o.shirt, PTEX_CLOTH);
    for (Polygon& p : Box({x0 + 0.1, -9.6, -0.7}, {x1 - 0.1, -8.2, 0.7}, o.skin, PTEX_SKIN))
        arm.push_back(p);
    return arm;
}

// The person's polygons in its own frame, limbs tagged with their joints.
static PersonParts MakePerson(const Outfit& o) {
    PersonParts parts;
    parts.body = Box({-3.2, -14.9, -1.5}, {3.2, -8.3, 1.5}, o.shirt, PTEX_CLOTH);
    for (Polygon& p : Box({-3.25, -9.2, -1.55}, {3.25, -8.3, 1.55}, Times(o.trousers, 0.6)))
        parts.body.push_back(p);  // belt
    std::vector<Polygon> head = Box({-1.5, -17.9, -1.6}, {1.5, -14.9, 1.4}, o.skin, PTEX_SKIN);
    head[0].texture = PTEX_FACE;
    head[1].texture = PLAIN;  // back of the head: hair
    head[1].colour = o.hair;
    head[4].texture = PLAIN;  // top
    head[4].colour = o.hair;
    for (Polygon& p : head) parts.body.push_back(p);
    parts.limbs[LEFT_LEG] = Leg(0.35, 2.95, o);
    parts.limbs[RIGHT_LEG] = Leg(-2.95, -0.35, o);
    parts.limbs[LEFT_ARM] = Arm(3.3, 4.7, o);
    parts.limbs[RIGHT_ARM] = Arm(-4.7, -3.3, o);
    for (int j = 0; j < PERSON_JOINTS; j++)
        for (Polygon& p : parts.limbs[j]) p.joint = j;
    return parts;
}

// Body first (drawn before any joint transform), then the limbs in joint
// order.
static std::vector<Polygon> Flatten(const PersonParts& parts) {
    std::vector<Polygon> all = parts.body;
    for (const std::vector<Polygon>& limb : parts.limbs) all.insert(all.end(), limb.begin(), limb.end());
    return all;
}

// Moves polygons down by dy (up is minus y).
static void ShiftY(std::vector<Polygon>& polygons, double dy) {
    for (Polygon& p : polygons)
        for (Vec3& v : p.points) v.y += dy;
}

// A pose about pivot that does not move.
static ScenePose StillPose(Vec3 pivot) {
    ScenePose pose;
    pose.pivot[0] = pivot.x;
    pose.pivot[1] = pivot.y;
    pose.pivot[2] = pivot.z;
    return pose;
}

// Leg and arm swing amplitudes about x for a walking pose; the right side
// swings the other way, and each arm against its leg.
constexpr double LEG_SWING = 36;  // degrees from one end of the stride to the other
constexpr double ARM_SWING = 40;
static const double WALK_SIGN[PERSON_JOINTS] = {1, -1, -1, 1};
static const double WALK_AMPLITUDE[PERSON_JOINTS] = {LEG_SWING, LEG_SWING, ARM_SWING, ARM_SWING};

void MakeWalker(SceneActor& actor, const Outfit& outfit, double stepDivisor, double brightness) {
    Outfit lit = {Times(outfit.shirt, brightness), Times(outfit.trousers, brightness),
                  Times(outfit.skin, brightness), Times(outfit.hair, brightness)};
    PersonParts parts = MakePerson(lit);
    // An actor joint has no fixed tilt, and its angle runs from 0 to the
    // amplitude, so each limb is built turned back by half the amplitude to
    // swing evenly about hanging straight.
    for (int j = 0; j < PERSON_JOINTS; j++)
        RotateAboutX(parts.limbs[j], PERSON_PIVOTS[j], WALK_SIGN[j] * WALK_AMPLITUDE[j] / 2);
    actor.parts = FigureList(Flatten(parts));
    actor.joints.assign(PERSON_JOINTS, SceneJoint());
    for (int j = 0; j < PERSON_JOINTS; j++) {
        for (int k = 0; k < POSE_COUNT; k++) actor.joints[j].poses[k] = StillPose(PERSON_PIVOTS[j]);
        ScenePose& walking = actor.joints[j].poses[1];
        walking.swing[2] = WALK_SIGN[j] * WALK_AMPLITUDE[j];
        walking.swingDivisor = Round3(stepDivisor);
    }
}

// One avatar pose: swing about x or z with a fixed tilt of minus half the
// swing, so the limb swings evenly about its rest direction.
static void SetAvatarSwing(ScenePose& pose, int axis, double amplitude, double divisor) {
    pose.swing[axis] = amplitude;
    pose.tilt[axis] = -amplitude / 2;
    pose.swingDivisor = Round3(divisor);
}

void MakeAvatarPerson(SceneDescription& scene, const Outfit& outfit, double feetY,
                      double stepDivisor) {
    const int AXIS_Z = 0, AXIS_X = 2;  // swing and tilt order: about z, y, x
    PersonParts parts = MakePerson(outfit);
    std::vector<Polygon> all = Flatten(parts);
    ShiftY(all, feetY);
    scene.avatarVertices = FigureList(all);
    scene.avatarJoints.assign(PERSON_JOINTS, SceneJoint());
    for (int j = 0; j < PERSON_JOINTS; j++) {
        Vec3 pivot = PERSON_PIVOTS[j];
        pivot.y += feetY;
        SceneJoint& joint = scene.avatarJoints[j];
        for (int k = 0; k < POSE_COUNT; k++) joint.poses[k] = StillPose(pivot);
        double amplitude = WALK_SIGN[j] * WALK_AMPLITUDE[j];
        bool leg = j == LEFT_LEG || j == RIGHT_LEG;
        SetAvatarSwing(joint.poses[1], AXIS_X, amplitude, stepDivisor);         // forward
        SetAvatarSwing(joint.poses[2], AXIS_X, amplitude * 0.6, stepDivisor * 1.2);  // back
        if (leg) {
            SetAvatarSwing(joint.poses[3], AXIS_X, amplitude * 0.45, 3);  // turning on the spot
            SetAvatarSwing(joint.poses[4], AXIS_Z, WALK_SIGN[j] * 24, 4);  // sidestep: legs open and close
        } else {
            // Arms held out a little while turning and sidestepping.
            joint.poses[3].tilt[AXIS_Z] = -WALK_SIGN[j] * 18;
            joint.poses[4].tilt[AXIS_Z] = -WALK_SIGN[j] * 30;
        }
    }
}

void MakeAvatarCar(SceneDescription& scene, double groundY, Colour paint) {
    const double belt = groundY - 8.0, sill = groundY - 2.5, roof = groundY - 14.5;
    const Colour glass = {0.12, 0.16, 0.22}, black = {0.07, 0.07, 0.08}, stripe = {0.95, 0.95, 0.9};
    const Colour dark = Times(paint, 0.55);
    std::vector<Polygon> car;
    auto add = [&](const std::vector<Polygon>& polygons) { car.insert(car.end(), polygons.begin(), polygons.end()); };
    // Lower body, the bonnet split so the stripe is its own polygon.
    std::vector<Polygon> body = Box({-9, belt, -22}, {9, sill, 17}, paint);
    body[4] = Quad({-9, belt, 17}, {-9, belt, -22}, {-1.5, belt, -22}, {-1.5, belt, 17}, paint, PLAIN);
    add(body);
    add({Quad({-1.5, belt, 17}, {-1.5, belt, -22}, {1.5, belt, -22}, {1.5, belt, 17}, stripe, PLAIN)});
    add({Quad({1.5, belt, 17}, {1.5, belt, -22}, {9, belt, -22}, {9, belt, 17}, paint, PLAIN)});
    // Cabin: side glass, rear glass and roof; the windscreen is only its
    // frame, so the driver sees the road.
    add({Quad({-8.5, belt, -7}, {-8.5, belt, 13}, {-7.5, roof, 10}, {-7.5, roof, -1}, glass, PLAIN)});
    add({Quad({8.5, belt, -7}, {8.5, belt, 13}, {7.5, roof, 10}, {7.5, roof, -1}, glass, PLAIN)});
    add({Quad({-8.5, belt, 13}, {8.5, belt, 13}, {7.5, roof, 10}, {-7.5, roof, 10}, glass, PLAIN)});
    add({Quad({-7.5, roof, -1}, {7.5, roof, -1}, {7.5, roof, 10}, {-7.5, roof, 10}, paint, PLAIN)});
    add({Quad({-8.5, belt, -7}, {-7.4, belt, -7}, {-6.5, roof, -1}, {-7.5, roof, -1}, dark, PLAIN)});
    add({Quad({8.5, belt, -7}, {7.4, belt, -7}, {6.5, roof, -1}, {7.5, roof, -1}, dark, PLAIN)});
    add({Quad({-7.5, roof + 1.2, -1.6}, {7.5, roof + 1.2, -1.6}, {7.5, roof, -1}, {-7.5, roof, -1}, dark, PLAIN)});
    // Wheels, lights and plate.
    for (double x : {-10.0, 7.5})
        for (double z : {-20.0, 8.0}) add(Box({x, groundY - 6, z}, {x + 2.5, groundY, z + 7.5}, black));
    for (double x : {-7.5, 4.5}) {
        add({Quad({x, sill - 1, -22.25}, {x + 3, sill - 1, -22.25}, {x + 3, sill - 3, -22.25}, {x, sill - 3, -22.25}, {1, 0.95, 0.7}, PLAIN)});
        add({Quad({x, sill - 1, 17.25}, {x + 3, sill - 1, 17.25}, {x + 3, sill - 3, 17.25}, {x, sill - 3, 17.25}, {0.85, 0.05, 0.05}, PLAIN)});
    }
    add({Quad({-3, sill - 0.5, 17.25}, {3, sill - 0.5, 17.25}, {3, sill - 2.5, 17.25}, {-3, sill - 2.5, 17.25}, {0.95, 0.9, 0.2}, PLAIN)});
    // The aerial, last, on joint 0.
    Polygon aerial = Quad({5.8, belt, 15}, {6.2, belt, 15}, {6.2, belt - 12, 15}, {5.8, belt - 12, 15}, black, PLAIN);
    aerial.joint = 0;
    car.push_back(aerial);
    scene.avatarVertices = FigureList(car);
    scene.avatarJoints.assign(1, SceneJoint());
    for (int k = 0; k < POSE_COUNT; k++) {
        ScenePose& pose = scene.avatarJoints[0].poses[k];
        pose = StillPose({6, belt, 15});
        SetAvatarSwing(pose, 2, 14, 3.5);  // a springy wobble fore and aft
    }
}
