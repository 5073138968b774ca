// import_stages_test.cpp -- the importer's stages on geometry made here:
// axes, walls, floors and the start, fitting to capacity, texture names
// and scaling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/import/import.h"

namespace {

Triangle Tri(Point3 a, Point3 b, Point3 c, int texture = -1, int mesh = 0) {
    Triangle t;
    t.p[0] = a;
    t.p[1] = b;
    t.p[2] = c;
    t.texture = texture;
    t.mesh = mesh;
    return t;
}

// A vertical wall from (ax, az) to (bx, bz), scene y from top to bottom
// (top < bottom: up is minus y), as two triangles.
void Wall(std::vector<Triangle>& out, double ax, double az, double bx, double bz, double top,
          double bottom) {
    out.push_back(Tri({ax, bottom, az}, {bx, bottom, bz}, {bx, top, bz}));
    out.push_back(Tri({ax, bottom, az}, {bx, top, bz}, {ax, top, az}));
}

// A level rectangle at scene height y.
void Level(std::vector<Triangle>& out, double x0, double z0, double x1, double z1, double y) {
    out.push_back(Tri({x0, y, z0}, {x1, y, z0}, {x1, y, z1}));
    out.push_back(Tri({x0, y, z0}, {x1, y, z1}, {x0, y, z1}));
}

// The largest distance from any point of segment a..b to the nearest wall point.
double LargestGap(const std::vector<ScenePoint>& points, double ax, double az, double bx, double bz) {
    double worst = 0;
    for (int k = 0; k <= 1000; k++) {
        double x = ax + (bx - ax) * k / 1000, z = az + (bz - az) * k / 1000, best = 1e300;
        for (const ScenePoint& p : points) best = std::min(best, std::hypot(p.x - x, p.z - z));
        worst = std::max(worst, best);
    }
    return worst;
}

WallOptions Band() {
    WallOptions o;
    o.floorY = 0;
    o.kneeHeight = 5;
    o.headHeight = 18;
    o.spacing = 1.5;
    return o;
}

}  // namespace

TEST(ImportAxes, UpBecomesMinusYWithoutMirroring) {
    for (char up : {'y', 'z'}) {
        Point3 modelUp = up == 'y' ? Point3{0, 1, 0} : Point3{0, 0, 1};
        Point3 s = ModelToScene(modelUp, up, 10);
        EXPECT_NEAR(s.y, -10, 1e-12) << up;
        EXPECT_NEAR(std::hypot(s.x, s.z), 0, 1e-12) << up;
        // The images of x, y and z keep a right-handed frame.
        Point3 ex = ModelToScene({1, 0, 0}, up, 1), ey = ModelToScene({0, 1, 0}, up, 1),
               ez = ModelToScene({0, 0, 1}, up, 1);
        double det = ex.x * (ey.y * ez.z - ey.z * ez.y) - ex.y * (ey.x * ez.z - ey.z * ez.x) +
                     ex.z * (ey.x * ez.y - ey.y * ez.x);
        EXPECT_NEAR(det, 1, 1e-12) << up;
    }
}

TEST(ImportWalls, PointsCoverAWallFromEndToEndWithoutGaps) {
    std::vector<Triangle> tris;
    Wall(tris, 0, 0, 100, 0, -30, 0);     // straight, floor to above the head
    Wall(tris, 200, 0, 260, 45, -30, 0);  // diagonal
    std::vector<ScenePoint> points = WallPoints(tris, Band());
    for (const ScenePoint& p : points) {
        bool onFirst = std::fabs(p.z) < 1e-9 && p.x >= -1e-9 && p.x <= 100 + 1e-9;
        bool onSecond = std::fabs((p.x - 200) * 45 - p.z * 60) < 1e-6 && p.x >= 200 - 1e-9 && p.x <= 260 + 1e-9;
        EXPECT_TRUE(onFirst || onSecond) << p.x << "," << p.z;
    }
    // No stretch of either wall is farther than the spacing from a point,
    // well inside the collision radius, so the squares overlap all along.
    EXPECT_LE(LargestGap(points, 0, 0, 100, 0), 1.5);
    EXPECT_LE(LargestGap(points, 200, 0, 260, 45), 1.5);
    // The two triangles of each quad overlap along most of the wall; the
    // points they share are not written twice.
    double nominal = (100 + 75) / 1.5;
    EXPECT_LT(points.size(), 1.5 * nominal);
    std::printf("wall points: %zu along 175 units of wall (%.1f per metre)\n", points.size(),
                points.size() / 17.5);
}

TEST(ImportWalls, OnlyUprightFacesBetweenKneeAndHeadCount) {
    std::vector<Triangle> tris;
    Level(tris, 0, 0, 100, 100, 0);             // the floor
    Level(tris, 0, 0, 100, 100, -30);           // a ceiling
    Wall(tris, 0, 10, 100, 10, -4, 0);          // a kerb below the knee
    Wall(tris, 0, 20, 100, 20, -30, -21);       // a lintel above the head
    Wall(tris, 0, 30, 100, 30, -30, -60);       // a wall of the storey above
    // A ramp rising 10 over 100: walked on, not a wall.
    tris.push_back(Tri({0, 0, 40}, {100, 0, 40}, {100, -10, 50}));
    EXPECT_TRUE(WallPoints(tris, Band()).empty());
    // A railing at hip height and a steep face do count.
    std::vector<Triangle> more;
    Wall(more, 0, 60, 100, 60, -10, -6);
    more.push_back(Tri({0, 0, 70}, {100, 0, 70}, {100, -30, 75}));  // 80 degrees
    std::vector<ScenePoint> points = WallPoints(more, Band());
    EXPECT_GT(std::count_if(points.begin(), points.end(), [](const ScenePoint& p) { return p.z == 60; }), 50);
    EXPECT_GT(std::count_if(points.begin(), points.end(), [](const ScenePoint& p) { return p.z > 69; }), 50);
}

TEST(ImportWalls, AWallToTheEndsOfTheEarthOrOneRepeatedEndlesslyStopsAtTheLimit) {
    WallOptions band = Band();
    band.maxPoints = 5000;
    bool capped = false;
    // One damaged corner 100,000 km away: 66 million points without a limit.
    std::vector<Triangle> far;
    Wall(far, 0, 0, 1e8, 0, -30, 0);
    EXPECT_EQ(WallPoints(far, band, &capped).size(), band.maxPoints);
    EXPECT_TRUE(capped);
    // The same short wall over and over adds nothing new but costs as much.
    std::vector<Triangle> same;
    for (int k = 0; k < 20000; k++) Wall(same, 0, 0, 100, 0, -30, 0);
    EXPECT_LT(WallPoints(same, band, &capped).size(), 100u);
    EXPECT_TRUE(capped);
    // A room's walls stay whole.
    std::vector<Triangle> room;
    Wall(room, 0, 0, 100, 0, -30, 0);
    Wall(room, 100, 0, 100, 100, -30, 0);
    EXPECT_GT(WallPoints(room, band, &capped).size(), 120u);
    EXPECT_FALSE(capped);
}

TEST(ImportWalls, ADoorwayStaysOpenAboveItsLintel) {
    // A wall with a 10-unit door whose lintel is above head height.
    std::vector<Triangle> tris;
    Wall(tris, 0, 0, 40, 0, -30, 0);
    Wall(tris, 50, 0, 100, 0, -30, 0);
    Wall(tris, 40, 0, 50, 0, -30, -21);
    std::vector<ScenePoint> points = WallPoints(tris, Band());
    double left = -1e300, right = 1e300;  // the points nearest the door on either side
    for (const ScenePoint& p : points) {
        if (p.x < 45) left = std::max(left, p.x);
        else right = std::min(right, p.x);
    }
    EXPECT_NEAR(left, 40, 1e-9);
    EXPECT_NEAR(right, 50, 1e-9);
}

TEST(ImportPlacement, FloorsAndTheStartInsideARoom) {
    std::vector<Triangle> tris;
    Level(tris, 0, 0, 100, 80, 0);        // ground floor
    Level(tris, 0, 0, 100, 80, -30);      // the roof, as large, above
    Level(tris, 40, 30, 50, 40, -8);      // a table top
    Wall(tris, 0, 0, 100, 0, -30, 0);
    Wall(tris, 100, 0, 100, 80, -30, 0);
    Wall(tris, 100, 80, 0, 80, -30, 0);
    Wall(tris, 0, 80, 0, 0, -30, 0);
    EXPECT_NEAR(FindWalkingFloor(tris), 0, 1e-9) << "the lower of two equal floors";
    // The floor under a point: the highest one not above it.
    EXPECT_NEAR(FloorBelow(tris, 45, 35, -20, 99), -8, 1e-9);  // over the table
    EXPECT_NEAR(FloorBelow(tris, 10, 10, -20, 99), 0, 1e-9);
    EXPECT_NEAR(FloorBelow(tris, 10, 10, -100, 99), -30, 1e-9);  // above the roof
    EXPECT_NEAR(FloorBelow(tris, 500, 500, 0, 99), 99, 1e-9);    // nothing there

    std::vector<ScenePoint> walls = WallPoints(tris, Band());
    StartPlace start = ChooseStart(tris, walls, 0, 5);
    EXPECT_GT(start.x, 5);
    EXPECT_LT(start.x, 95);
    EXPECT_GT(start.z, 5);
    EXPECT_LT(start.z, 75);
    for (const ScenePoint& p : walls)
        EXPECT_GE(std::max(std::fabs(p.x - start.x), std::fabs(p.z - start.z)), 5);
    EXPECT_NEAR(start.floorArea, 100 * 80, 1e-6) << "the table top is not the floor";
}

TEST(ImportPlacement, TheViewLooksDownTheLongestOpening) {
    // A corridor along x, 200 long and 20 wide; from near its west end the
    // longest open view is east (heading 90: plus x).
    std::vector<Triangle> tris;
    Wall(tris, 0, -10, 200, -10, -30, 0);
    Wall(tris, 0, 10, 200, 10, -30, 0);
    Wall(tris, 0, -10, 0, 10, -30, 0);
    Wall(tris, 200, -10, 200, 10, -30, 0);
    std::vector<ScenePoint> walls = WallPoints(tris, Band());
    EXPECT_NEAR(LongestOpenHeading(walls, 20, 0, 2.5, 1000), 90, 1e-9);
    EXPECT_NEAR(LongestOpenHeading(walls, 180, 0, 2.5, 1000), 270, 1e-9);
}

// A flat grid of n by n squares, two triangles each, textured 0.
std::vector<Triangle> FlatGrid(int n, double size) {
    std::vector<Triangle> tris;
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) {
            double x0 = i * size, z0 = j * size, x1 = x0 + size, z1 = z0 + size;
            Triangle a = Tri({x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, 0);
            Triangle b = Tri({x0, 0, z0}, {x1, 0, z1}, {x0, 0, z1}, 0);
            for (Triangle* t : {&a, &b})
                for (int k = 0; k < 3; k++) t->s[k] = t->p[k].x / (n * size), t->t[k] = t->p[k].z / (n * size);
            tris.push_back(a);
            tris.push_back(b);
        }
    return tris;
}

TEST(ImportCapacity, AListOverItsCapacityIsSimplifiedToFit) {
    std::vector<Triangle> tris = FlatGrid(150, 2);  // 45,000 triangles: 135,000 vertices
    FitResult fit = FitToCapacity(&tris, TEXTURED_VERTEX_LIMIT);
    EXPECT_TRUE(fit.simplified);
    EXPECT_TRUE(fit.fits);
    EXPECT_EQ(fit.trianglesBefore, 45000);
    EXPECT_EQ(fit.trianglesAfter, (long)tris.size());
    EXPECT_LE((long)tris.size() * 3, TEXTURED_VERTEX_LIMIT);
    EXPECT_GT(tris.size(), 0u);
    // The simplified grid still covers the whole square, with its texture
    // coordinates following the corners.
    double area = 0;
    for (const Triangle& t : tris) {
        area += std::fabs((t.p[1].x - t.p[0].x) * (t.p[2].z - t.p[0].z) -
                          (t.p[2].x - t.p[0].x) * (t.p[1].z - t.p[0].z)) / 2;
        for (int k = 0; k < 3; k++) {
            EXPECT_NEAR(t.s[k], t.p[k].x / 300, 1e-6);
            EXPECT_NEAR(t.t[k], t.p[k].z / 300, 1e-6);
        }
        EXPECT_EQ(t.texture, 0);
    }
    EXPECT_NEAR(area, 300.0 * 300.0, 1.0);
}

TEST(ImportCapacity, WhatFitsIsLeftAloneAndWhatCannotFitIsSaid) {
    std::vector<Triangle> tris = FlatGrid(10, 1);
    std::vector<Triangle> before = tris;
    FitResult fit = FitToCapacity(&tris, 600);
    EXPECT_FALSE(fit.simplified);
    EXPECT_EQ(tris.size(), before.size());
    // Separate triangles, one per mesh, cannot lose a corner: with room for
    // a tenth of them the fit fails and the list is kept as it was.
    std::vector<Triangle> loose;
    for (int k = 0; k < 300; k++) loose.push_back(Tri({k * 10.0, 0, 0}, {k * 10.0 + 1, 0, 0}, {k * 10.0, 0, 1}, -1, k));
    FitResult none = FitToCapacity(&loose, 90);
    EXPECT_FALSE(none.fits);
    EXPECT_GT(none.trianglesAfter, 30);
    EXPECT_EQ(loose.size(), 300u);
}

TEST(ImportTextures, NamesStayInsideTheFolderShortAndDistinct) {
    std::vector<std::string> taken;
    std::vector<std::string> names = {
        SafeTextureName("../../etc/passwd", &taken),
        SafeTextureName("/abs/path/Wall Paper.PNG", &taken),
        SafeTextureName("C:\\textures\\wall paper.jpg", &taken),
        SafeTextureName("*3", &taken),
        SafeTextureName("", &taken),
        SafeTextureName("..", &taken),
        SafeTextureName(std::string(500, 'a') + ".png", &taken),
        SafeTextureName("brick.png", &taken),
        SafeTextureName("BRICK.tga", &taken),
    };
    EXPECT_EQ(names[0], "passwd.bmp");
    EXPECT_EQ(names[1], "Wall_Paper.bmp");
    EXPECT_EQ(names[2], "wall_paper-2.bmp") << "names differing only in case clash";
    EXPECT_EQ(names[3], "embedded-3.bmp");
    EXPECT_EQ(names[4], "texture.bmp");
    EXPECT_EQ(names[5], "texture-2.bmp");
    EXPECT_EQ(names[8], "BRICK-2.bmp");
    for (const std::string& n : names) {
        EXPECT_LE(n.size(), 60u) << n;
        EXPECT_EQ(n.find('/'), std::string::npos) << n;
        EXPECT_EQ(n.find('\\'), std::string::npos) << n;
        EXPECT_NE(n[0], '.') << n;
        EXPECT_EQ(n.substr(n.size() - 4), ".bmp") << n;
    }
    EXPECT_EQ(taken.size(), names.size());
}

TEST(ImportTextures, LargePicturesShrinkToTheLimitKeepingTheirShape) {
    DecodedTexture wide;
    wide.width = 4100;
    wide.height = 1025;
    wide.rgb.assign((size_t)wide.width * wide.height * 3, 0);
    for (size_t k = 0; k < wide.rgb.size(); k += 3) wide.rgb[k] = 200;  // all red
    EXPECT_TRUE(ShrinkToFit(&wide, MAX_TEXTURE_SIDE));
    EXPECT_EQ(wide.width, 2048);
    EXPECT_EQ(wide.height, 512);
    EXPECT_EQ(wide.rgb.size(), (size_t)2048 * 512 * 3);
    EXPECT_EQ(wide.rgb[3 * 1000], 200);
    EXPECT_EQ(wide.rgb[3 * 1000 + 1], 0);
    DecodedTexture small;
    small.width = small.height = 64;
    small.rgb.assign(64 * 64 * 3, 7);
    EXPECT_FALSE(ShrinkToFit(&small, MAX_TEXTURE_SIDE));
    EXPECT_EQ(small.width, 64);
}

namespace {

// Two storeys of 10 by 10 m, each with one wall across it: the ground
// floor's at z = -20, the upper one's (30 units up) at z = -70.
ModelData TwoStoreys() {
    ModelData model;
    model.scale = 10;
    model.up = 'y';
    Level(model.triangles, 0, -100, 100, 0, 0);
    Level(model.triangles, 0, -100, 100, 0, -30);
    Wall(model.triangles, 0, -20, 100, -20, -30, 0);
    Wall(model.triangles, 0, -70, 100, -70, -60, -30);
    return model;
}

SceneDescription Build(const ImportOptions& options, const ModelData& model, BuildReport* report) {
    SceneDescription scene;
    ImportLog log;
    std::string error;
    EXPECT_TRUE(BuildScene(options, model, {}, &scene, report, &log, [](const char*, double) {}, &error)) << error;
    return scene;
}

}  // namespace

TEST(ImportScene, WallsAreThoseOfTheStoreyTheWalkStartsOn) {
    ModelData model = TwoStoreys();
    ImportOptions options;
    BuildReport report;
    SceneDescription ground = Build(options, model, &report);
    ASSERT_FALSE(ground.obstacles.empty());
    for (const ScenePoint& p : ground.obstacles) EXPECT_NEAR(p.z, -20, 1e-9);
    EXPECT_NEAR(GetSetting(ground, FIELD_startEyeY), -17, 1e-9);

    options.startGiven = true;  // model units: above the upper floor
    options.start[0] = 5;
    options.start[1] = 3.5;
    options.start[2] = 4;
    SceneDescription upper = Build(options, model, &report);
    ASSERT_FALSE(upper.obstacles.empty());
    for (const ScenePoint& p : upper.obstacles) EXPECT_NEAR(p.z, -70, 1e-9);
    EXPECT_NEAR(GetSetting(upper, FIELD_startEyeY), -30 - 17, 1e-9);
    EXPECT_NEAR(GetSetting(upper, FIELD_startEyeZ), -40, 1e-9);
}

TEST(ImportScene, SettingsKeepTheWalkerInsideWallsAndTheModelInView) {
    ModelData model = TwoStoreys();
    // A far corner makes the model wide: the walk speeds up, but never past
    // what the band of wall squares can stop.
    Level(model.triangles, 0, -100, 20000, -90, 0);
    for (int mode : {1, 2, 3, 4}) {
        SCOPED_TRACE(mode);
        ImportOptions options;
        options.viewMode = mode;
        BuildReport report;
        SceneDescription scene = Build(options, model, &report);
        double radius = GetSetting(scene, FIELD_collisionRadius) * (mode == 3 ? 2.5 : 1);
        double speed = mode == 2 || mode == 4 ? GetSetting(scene, FIELD_maxDriveSpeed)
                                              : GetSetting(scene, FIELD_maxWalkSpeed) +
                                                    GetSetting(scene, FIELD_walkAcceleration);
        EXPECT_LT(speed, 2 * radius) << "a step is shorter than a wall square is wide";
        EXPECT_LT(1.5, 2 * radius) << "wall points are closer than a square's width";
        EXPECT_GE(GetSetting(scene, FIELD_farPlane), 20000);
        EXPECT_EQ(GetSetting(scene, FIELD_cullEnabled), 1);
        EXPECT_GE(GetSetting(scene, FIELD_cullDistance), GetSetting(scene, FIELD_farPlane) + 20000)
            << "the long ground polygon is never culled while in view";
        EXPECT_EQ(GetSetting(scene, FIELD_viewMode), mode);
        EXPECT_EQ(scene.avatarVertices.empty(), mode == 1);
    }
}

TEST(ImportShading, FacesThatTurnDifferentlyDifferAndWindingDoesNot) {
    std::vector<Triangle> walls, floor;
    Wall(walls, 0, 0, 10, 0, -10, 0);   // faces along z
    Wall(walls, 0, 0, 0, 10, -10, 0);   // faces along x
    Level(floor, 0, 0, 10, 10, 0);
    double alongZ = ShadeLevel(walls[0]), alongX = ShadeLevel(walls[2]), level = ShadeLevel(floor[0]);
    EXPECT_GT(std::fabs(alongZ - alongX), 0.03) << "walls at right angles are told apart";
    EXPECT_GT(level, std::max(alongZ, alongX)) << "the sun is high";
    EXPECT_LE(level, 1.0) << "colours never pass full brightness";
    for (const Triangle& t : {walls[0], walls[2], floor[0]}) {
        Triangle turned = t;
        std::swap(turned.p[1], turned.p[2]);
        EXPECT_DOUBLE_EQ(ShadeLevel(turned), ShadeLevel(t)) << "both sides are drawn alike";
    }
    Triangle sliver = Tri({1, 1, 1}, {1, 1, 1}, {1, 1, 1});
    EXPECT_TRUE(std::isfinite(ShadeLevel(sliver)));
    EXPECT_GT(ShadeLevel(sliver), 0.3);
}
