// scene_build.cpp -- turns the model's triangles into a walkable scene:
// the lists fitted to their capacities, walls, the start, the view mode's
// figure, and settings sized to the model.
#include <algorithm>
#include <cmath>

#include "tools/import/import.h"
#include "tools/scenegen/scenegen.h"

namespace {

const double SKY[3] = {0.56, 0.72, 0.9};     // the demos' sky
constexpr double COLLISION_RADIUS = 2.5;     // units: a person's half width, 25 cm
// The follow view widens the obstacle square 2.5 times; this radius keeps
// it at 40 cm, so a 1 m door still lets the avatar through.
constexpr double FOLLOW_COLLISION_RADIUS = 1.6;
// The driving demos' radii: the car seen from behind, and from its seat
// (where the bonnet ahead of the eye must stop short of the wall).
constexpr double CHASE_COLLISION_RADIUS = 6;
constexpr double DRIVER_COLLISION_RADIUS = 10;
// Points closer than the radius leave no gap between their squares, even
// along a diagonal wall; 0.6 keeps the band of squares thicker than a step.
constexpr double WALL_SPACING = 0.6 * COLLISION_RADIUS;
constexpr double KNEE_HEIGHT = 5;            // units: 50 cm, below it a step or a kerb
constexpr double MIN_FLOOR_AREA = 400;       // square units: 4 m2, room to stand and turn
// Crossing the model's width takes about this many frames (8 s at 25 per second).
constexpr double CROSSING_FRAMES = 200;

struct Bounds {
    Point3 lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    double maxEdge = 0;
    void Add(const Triangle& t) {
        for (int k = 0; k < 3; k++) {
            const Point3& p = t.p[k];
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
            const Point3& q = t.p[(k + 1) % 3];
            maxEdge = std::max(maxEdge, std::hypot(p.x - q.x, p.y - q.y, p.z - q.z));
        }
    }
    double Width() const { return std::max(hi.x - lo.x, hi.z - lo.z); }
    double Diagonal() const { return std::hypot(hi.x - lo.x, hi.y - lo.y, hi.z - lo.z); }
};

double Round5(double v) {
    double r = std::round(v * 1e5) / 1e5;
    return r == 0 ? 0.0 : r;
}

void EmitTexturedTriangle(const Triangle& t, double light, const std::string& name,
                          std::vector<SceneVertex>* list) {
    for (int k = 0; k < 3; k++) {
        SceneVertex v;
        // Grey, so the picture keeps its own hues under the texture's modulation.
        v.red = v.green = v.blue = Round3(light);
        v.x = Round3(t.p[k].x);
        v.y = Round3(t.p[k].y);
        v.z = Round3(t.p[k].z);
        v.end = k == 2 ? 1 : 0;
        v.s = Round5(t.s[k]);
        v.t = Round5(t.t[k]);
        v.texFlag = 1;
        v.texName = name;
        list->push_back(v);
    }
}

void EmitPlainTriangle(const Triangle& t, double light, std::vector<SceneFlatVertex>* list) {
    for (int k = 0; k < 3; k++) {
        SceneFlatVertex v;
        v.red = Round3(t.colour[0] * light);
        v.green = Round3(t.colour[1] * light);
        v.blue = Round3(t.colour[2] * light);
        v.x = Round3(t.p[k].x);
        v.y = Round3(t.p[k].y);
        v.z = Round3(t.p[k].z);
        v.end = k == 2 ? 1 : 0;
        list->push_back(v);
    }
}

// Fits one list, reporting by how much it had to be simplified.
bool Fit(std::vector<Triangle>* list, long limit, const char* what, long* before, ImportLog* log,
         std::string* error) {
    FitResult fit = FitToCapacity(list, limit);
    *before = fit.trianglesBefore;
    if (!fit.fits) {
        *error = std::string("the ") + what + " list cannot be made to fit: " +
                 std::to_string(fit.trianglesBefore) + " triangles, still " +
                 std::to_string(fit.trianglesAfter) + " after the coarsest simplification, room for " +
                 std::to_string(limit / 3);
        return false;
    }
    if (fit.simplified)
        log->Warn(std::string(what) + " list simplified from " + std::to_string(fit.trianglesBefore) +
                  " to " + std::to_string(fit.trianglesAfter) + " triangles (" +
                  std::to_string((int)std::round(100.0 * fit.trianglesAfter / fit.trianglesBefore)) +
                  "%) to fit its " + std::to_string(limit) + " vertices");
    return true;
}

// Walking, crouching and jumping sized to a person of the given eye height
// and a speed that crosses the model in a few seconds.
void PersonSettings(SceneDescription& scene, double eyeUnits, double width, int viewMode) {
    // Faster than a stroll on large models, but never more than the wall
    // band is thick, so a step cannot pass through a wall.
    double speed = std::clamp(width / CROSSING_FRAMES, 1.0, 1.6 * COLLISION_RADIUS);
    double acceleration = Round3(speed / 5);  // top speed in five frames, a whole number of steps
    if (viewMode == 2 || viewMode == 4) {
        DrivingSettings(scene);
    } else {
        WalkingSettings(scene, 5 * acceleration);
        SetSetting(scene, FIELD_walkAcceleration, acceleration);
        SetSetting(scene, FIELD_collisionRadius, COLLISION_RADIUS);
    }
    SetSetting(scene, FIELD_crouchDepth, Round3(eyeUnits * 0.44));  // the demos' 7 for a 16 eye
    SetSetting(scene, FIELD_jumpHeight, Round3(eyeUnits * 0.75));
    if (viewMode == 3) {
        // The follow demo's trailing camera and its limits.
        SetSetting(scene, FIELD_turnStep, 5);
        SetSetting(scene, FIELD_followCameraSteps, 8);
        SetSetting(scene, FIELD_tiltMax, 20);
        SetSetting(scene, FIELD_tiltMin, 40);
    }
}

// Half the side of the square about each obstacle point that the view
// mode's walker or car may not enter.
double ObstacleHalfSize(int viewMode) {
    switch (viewMode) {
        case 2: return DRIVER_COLLISION_RADIUS;
        case 3: return 2.5 * FOLLOW_COLLISION_RADIUS;  // the follow view widens it so
        case 4: return CHASE_COLLISION_RADIUS;
        default: return COLLISION_RADIUS;
    }
}

// Start pose, the view mode's figure and its camera, as the demos place them.
void PlaceViewer(SceneDescription& scene, int viewMode, const StartPlace& start, double eyeUnits) {
    double floor = start.floorY;
    SetSetting(scene, FIELD_viewMode, viewMode);
    if (viewMode == 3) {
        StartPose(scene, start.x, floor - 20, start.z, start.heading);
        SetSetting(scene, FIELD_collisionRadius, FOLLOW_COLLISION_RADIUS);
        ObserverPose(scene, 70, floor - 36);
        Outfit you = {{0.9, 0.15, 0.1}, {0.15, 0.2, 0.55}, {1, 1, 1}, {0.25, 0.15, 0.05}};
        MakeAvatarPerson(scene, you, 20, 4.0);
    } else if (viewMode == 4) {
        StartPose(scene, start.x, floor - 11, start.z, start.heading);
        SetSetting(scene, FIELD_collisionRadius, CHASE_COLLISION_RADIUS);
        ObserverPose(scene, 90, floor - 42);
        MakeAvatarCar(scene, 11, {0.1, 0.35, 0.8});
    } else if (viewMode == 2) {
        StartPose(scene, start.x, floor - 15, start.z, start.heading);
        SetSetting(scene, FIELD_collisionRadius, DRIVER_COLLISION_RADIUS);
        MakeAvatarCar(scene, 15, {0.8, 0.12, 0.1});
    } else {
        StartPose(scene, start.x, floor - eyeUnits, start.z, start.heading);
    }
}

}  // namespace

bool BuildScene(const ImportOptions& options, const ModelData& model,
                const std::vector<std::string>& textureNames, SceneDescription* scene,
                BuildReport* report, ImportLog* log, const ProgressFn& progress, std::string* error) {
    std::vector<Triangle> textured, plain;
    for (const Triangle& t : model.triangles) {
        bool hasPicture = t.texture >= 0 && !textureNames[t.texture].empty();
        (hasPicture ? textured : plain).push_back(t);
    }
    progress("simplifying", 0.4);
    if (!Fit(&textured, TEXTURED_VERTEX_LIMIT, "textured", &report->texturedSimplifiedFrom, log, error) ||
        !Fit(&plain, FLAT_VERTEX_LIMIT, "plain", &report->flatSimplifiedFrom, log, error))
        return false;
    report->texturedKept = (long)textured.size();
    report->flatKept = (long)plain.size();
    // One texture after another, so the program binds each picture once.
    std::stable_sort(textured.begin(), textured.end(),
                     [](const Triangle& a, const Triangle& b) { return a.texture < b.texture; });

    Bounds bounds;
    for (const Triangle& t : textured) bounds.Add(t);
    for (const Triangle& t : plain) bounds.Add(t);
    std::vector<Triangle> all = textured;
    all.insert(all.end(), plain.begin(), plain.end());

    progress("walls", 0.6);
    double eyeUnits = options.eyeHeight * UNITS_PER_METRE;
    double reach = bounds.Diagonal();
    // A start that is given stands on the floor below it, and the walls
    // are those of that storey; otherwise the walk starts on the main floor.
    StartPlace start;
    bool placed = true;
    if (options.startGiven) {
        Point3 p = ModelToScene({options.start[0], options.start[1], options.start[2]}, model.up, model.scale);
        start.x = p.x;
        start.z = p.z;
        start.floorY = FloorBelow(all, p.x, p.z, p.y, FindWalkingFloor(all));
        start.how = "given by --start";
    } else if (!model.cameras.empty()) {
        // A camera in the air must not leave the walker floating.
        const ModelCamera& camera = model.cameras[0];
        start.x = camera.position.x;
        start.z = camera.position.z;
        start.floorY = FloorBelow(all, camera.position.x, camera.position.z, camera.position.y, FindWalkingFloor(all));
        start.how = "at the model's first camera";
    } else {
        start.floorY = FindWalkingFloor(all);
        placed = false;
    }
    if (!model.cameras.empty()) start.heading = model.cameras[0].heading;
    WallOptions walls;
    walls.floorY = start.floorY;
    walls.kneeHeight = KNEE_HEIGHT;
    walls.headHeight = eyeUnits + 1;  // the top of the head, 10 cm above the eyes
    walls.spacing = WALL_SPACING;
    walls.maxPoints = options.maxWallPoints;
    bool capped = false;
    std::vector<ScenePoint> points = WallPoints(all, walls, &capped);
    if (capped)
        log->Warn("obstacle points stopped at " + std::to_string(walls.maxPoints) +
                  "; walls beyond them do not stop the walker");

    progress("start", 0.7);
    bool outside = false;
    if (!placed) {
        start = ChooseStart(all, points, start.floorY, 2 * ObstacleHalfSize(options.viewMode));
        if (start.floorArea < MIN_FLOOR_AREA) {
            // Nothing to stand on inside: step back from the object, on the
            // ground below it, far enough to see it whole in a 60 degree view.
            double half = std::max(bounds.Width(), bounds.hi.y - bounds.lo.y) / 2;
            double distance = half / std::tan(M_PI / 6) + half + 2 * COLLISION_RADIUS;
            start.x = (bounds.lo.x + bounds.hi.x) / 2;
            start.z = bounds.lo.z - distance + (bounds.hi.z - bounds.lo.z) / 2;
            start.floorY = bounds.hi.y;
            start.heading = 180;  // toward plus z, where the object stands
            start.how = "in front of the model (it has no floor to stand on)";
            outside = true;
            reach += distance;
        }
    }
    // Views farther than this are all open enough; it bounds the search.
    const double MAX_REACH = 3000;  // units: 300 m
    if (options.headingGiven) start.heading = options.heading;
    else if (!outside && model.cameras.empty())
        start.heading = LongestOpenHeading(points, start.x, start.z, ObstacleHalfSize(options.viewMode),
                                           std::min(reach, MAX_REACH));
    start.heading = std::fmod(start.heading, 360.0);
    report->start = start;

    CommonSettings(*scene);
    PersonSettings(*scene, eyeUnits, bounds.Width(), options.viewMode);
    PlaceViewer(*scene, options.viewMode, start, eyeUnits);
    report->eyeY = GetSetting(*scene, FIELD_startEyeY);

    // Lights as the lit demos have them (the program keeps them by the viewer).
    SetSetting(*scene, FIELD_light0Enabled, 1);
    SetSetting(*scene, FIELD_light1Enabled, 1);
    SetSetting(*scene, FIELD_light0Level, 0.15);
    SetSetting(*scene, FIELD_light1Level, 0.28);
    SetSetting(*scene, FIELD_smoothShading, model.smoothNormals ? 1 : 0);
    for (int k = 0; k < 3; k++) scene->clear[k] = model.hasBackground ? Round3(model.background[k]) : SKY[k];
    // The whole model stays in view from anywhere in it; culling then only
    // skips what is beyond the far plane (a polygon is kept while any
    // corner is near, so the longest edge is added).
    double far = std::max(500.0, std::ceil(2 * reach));
    SetSetting(*scene, FIELD_farPlane, far);
    SetSetting(*scene, FIELD_cullEnabled, 1);
    SetSetting(*scene, FIELD_cullDistance, std::min(2e9, std::ceil(far + bounds.maxEdge)));

    auto light = [&](const Triangle& t) { return options.shading ? ShadeLevel(t) : 1.0; };
    for (const Triangle& t : textured)
        EmitTexturedTriangle(t, light(t), textureNames[t.texture], &scene->texVertices);
    for (const Triangle& t : plain) EmitPlainTriangle(t, light(t), &scene->flatVertices);
    if (options.obstacles)
        for (const ScenePoint& p : points) scene->obstacles.push_back({Round3(p.x), Round3(p.z)});
    report->obstaclePoints = (long)scene->obstacles.size();
    return true;
}
