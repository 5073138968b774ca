// circuit.cpp -- the road circuit of the driving demos: a rounded
// rectangle of road with kerbs, barrier walls whose obstacle points keep the
// car on the road, a start and finish area with gantry, grandstand and pit
// building, and grass, trees and hills around.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/scenegen/scenegen.h"

namespace {

constexpr double HALF_X = 1000, HALF_Z = 600;  // the centre line's bounding box
constexpr double ROAD = 55;                    // half width of the road
constexpr double KERB = 8;
constexpr double BARRIER = ROAD + KERB + 6;    // offset of the barrier walls
constexpr double SAMPLE = 10;                  // centre line sample spacing
constexpr double FINISH_AT = 260;              // distance of the finish line from the loop's start
constexpr double START_AT = 200;               // where the car stands

// Corner radii, clockwise from the corner at (+x, +z).
const double RADII[4] = {300, 220, 380, 260};

struct Sample {
    double x, z;    // centre line point
    double tx, tz;  // unit direction of travel
    double dist;    // distance along the loop
};

// Outward normal (away from the loop's middle) of a sample.
double NormalX(const Sample& s) { return -s.tz; }
double NormalZ(const Sample& s) { return s.tx; }

// The point by units out from a sample (negative: toward the middle).
Vec3 Offset(const Sample& s, double by, double y = 0) {
    return {s.x + NormalX(s) * by, y, s.z + NormalZ(s) * by};
}

// Samples of the straight from a to b, b itself left to the next piece.
void SampleStraight(std::vector<Sample>& out, double ax, double az, double bx, double bz, double& dist) {
    double length = std::hypot(bx - ax, bz - az);
    int n = std::max(1, (int)std::lround(length / SAMPLE));
    double tx = (bx - ax) / length, tz = (bz - az) / length;
    for (int k = 0; k < n; k++) {
        double f = (double)k / n;
        out.push_back({ax + (bx - ax) * f, az + (bz - az) * f, tx, tz, dist + length * f});
    }
    dist += length;
}

// Quarter circle about (cx, cz) from angle a0 down to a0 - 90 degrees.
void SampleArc(std::vector<Sample>& out, double cx, double cz, double r, double a0, double& dist) {
    double length = r * M_PI / 2;
    int n = std::max(4, (int)std::lround(length / SAMPLE));
    for (int k = 0; k < n; k++) {
        double a = (a0 - 90.0 * k / n) * M_PI / 180;
        out.push_back({cx + r * std::cos(a), cz + r * std::sin(a), std::sin(a), -std::cos(a),
                       dist + length * k / n});
    }
    dist += length;
}

// The loop, starting at the west end of the south straight and running
// east (heading 90), so the corners are right-handers.
std::vector<Sample> CentreLine(double* total) {
    const double X = HALF_X, Z = HALF_Z;
    const double* r = RADII;
    std::vector<Sample> s;
    double dist = 0;
    SampleStraight(s, -X + r[3], Z, X - r[0], Z, dist);
    SampleArc(s, X - r[0], Z - r[0], r[0], 90, dist);
    SampleStraight(s, X, Z - r[0], X, -Z + r[1], dist);
    SampleArc(s, X - r[1], -Z + r[1], r[1], 0, dist);
    SampleStraight(s, X - r[1], -Z, -X + r[2], -Z, dist);
    SampleArc(s, -X + r[2], -Z + r[2], r[2], -90, dist);
    SampleStraight(s, -X, -Z + r[2], -X, Z - r[3], dist);
    SampleArc(s, -X + r[3], Z - r[3], r[3], -180, dist);
    *total = dist;
    return s;
}

// The band between offsets from and to across the stretch a..b.
Polygon Strip(const Sample& a, const Sample& b, double from, double to, Colour c, int texture) {
    return Quad(Offset(a, from), Offset(b, from), Offset(b, to), Offset(a, to), c, texture);
}

// Road with its texture across the width and along the distance; the
// finish line's stretch gets the chequered picture instead.
void AddRoad(SceneDescription& scene, const std::vector<Sample>& line, double total) {
    for (size_t i = 0; i < line.size(); i++) {
        const Sample& a = line[i];
        const Sample& b = line[(i + 1) % line.size()];
        double d0 = a.dist, d1 = i + 1 < line.size() ? b.dist : total;
        bool finish = d0 >= FINISH_AT && d0 < FINISH_AT + 2 * SAMPLE;
        Polygon p = Strip(a, b, -ROAD, ROAD, {1, 1, 1}, finish ? PTEX_FINISH : PTEX_ROAD);
        if (finish) {
            p.s = {0, 0, 2 * ROAD / 56, 2 * ROAD / 56};  // squares of 7 units
            p.t = {(d0 - FINISH_AT) / 56, (d1 - FINISH_AT) / 56, (d1 - FINISH_AT) / 56, (d0 - FINISH_AT) / 56};
        } else {
            p.s = {0, 0, 1, 1};
            p.t = {d0 / 100, d1 / 100, d1 / 100, d0 / 100};
        }
        EmitTextured(scene.texVertices, p);
    }
}

// Red and white kerbs on both edges, and barrier walls with their obstacle
// points beyond them.
void AddKerbsAndBarriers(SceneDescription& scene, const std::vector<Sample>& line) {
    const Colour red = {0.8, 0.1, 0.1}, white = {0.95, 0.95, 0.95};
    const Colour wallA = {0.85, 0.85, 0.88}, wallB = {0.15, 0.35, 0.75};
    const double wallHeight = 5;
    for (size_t i = 0; i < line.size(); i++) {
        const Sample& a = line[i];
        const Sample& b = line[(i + 1) % line.size()];
        Colour kerb = i % 2 ? white : red;
        EmitFlat(scene.flatVertices, Strip(a, b, -ROAD - KERB, -ROAD, kerb, PLAIN));
        EmitFlat(scene.flatVertices, Strip(a, b, ROAD, ROAD + KERB, kerb, PLAIN));
        Colour wall = (i / 3) % 2 ? wallA : wallB;
        for (double side : {-BARRIER, BARRIER})
            EmitFlat(scene.flatVertices, Quad(Offset(a, side), Offset(b, side), Offset(b, side, -wallHeight),
                                              Offset(a, side, -wallHeight), wall, PLAIN));
    }
    for (size_t i = 0; i < line.size(); i++) {
        const Sample& a = line[i];
        const Sample& b = line[(i + 1) % line.size()];
        for (double side : {-BARRIER, BARRIER}) {
            Vec3 p = Offset(a, side), q = Offset(b, side);
            // Both ends of a stretch are its neighbours' too, so leave out q.
            std::vector<ScenePoint> row;
            AddObstacleRow(row, p.x, p.z, q.x, q.z, 8);
            row.pop_back();
            scene.obstacles.insert(scene.obstacles.end(), row.begin(), row.end());
        }
    }
}

// Grass: one convex polygon inside the inner kerb, and a skirt of quads
// from the outer kerb out to far away. Texture from world position, so it
// runs on seamlessly.
void AddGrass(SceneDescription& scene, const std::vector<Sample>& line) {
    const double scale = 80, reach = 2500;
    const Colour tint = {1, 1, 1};
    Polygon infield;
    infield.colour = tint;
    infield.texture = PTEX_GRASS;
    for (auto it = line.rbegin(); it != line.rend(); ++it) {
        Vec3 p = Offset(*it, -ROAD - KERB);
        infield.points.push_back(p);
        infield.s.push_back(p.x / scale);
        infield.t.push_back(p.z / scale);
    }
    EmitTextured(scene.texVertices, infield);
    for (size_t i = 0; i < line.size(); i++) {
        const Sample& a = line[i];
        const Sample& b = line[(i + 1) % line.size()];
        Polygon p = Strip(a, b, ROAD + KERB, reach, tint, PTEX_GRASS);
        for (size_t k = 0; k < 4; k++) {
            p.s[k] = p.points[k].x / scale;
            p.t[k] = p.points[k].z / scale;
        }
        EmitTextured(scene.texVertices, p);
    }
}

// The finish gantry: two posts beside the barriers and a chequered beam.
void AddGantry(SceneDescription& scene, const Sample& at) {
    const double post = BARRIER + 8, top = 46, beam = 8;
    const Colour steel = {0.55, 0.56, 0.6};
    for (double side : {-post, post}) {
        Vec3 c = Offset(at, side);
        EmitFlat(scene.flatVertices, Box({c.x - 2, -top, c.z - 2}, {c.x + 2, 0, c.z + 2}, steel));
    }
    Vec3 a = Offset(at, -post), b = Offset(at, post);
    for (double dx : {-2.0, 2.0}) {  // front and back faces of the beam
        Polygon p = Quad({a.x + dx, -top + beam, a.z}, {b.x + dx, -top + beam, b.z}, {b.x + dx, -top, b.z},
                         {a.x + dx, -top, a.z}, {1, 1, 1}, PTEX_FINISH, 2 * post / 28, 1.0 / 3.5 * 1.0);
        EmitTextured(scene.texVertices, p);
    }
    EmitFlat(scene.flatVertices, Quad({a.x - 2, -top, a.z}, {b.x - 2, -top, b.z}, {b.x + 2, -top, b.z},
                                      {a.x + 2, -top, a.z}, steel, PLAIN));
    EmitFlat(scene.flatVertices, Quad({a.x - 2, -top + beam, a.z}, {b.x - 2, -top + beam, b.z},
                                      {b.x + 2, -top + beam, b.z}, {a.x + 2, -top + beam, a.z}, steel, PLAIN));
}

// A stepped grandstand south of the main straight, facing the track.
void AddGrandstand(SceneDescription& scene) {
    const double x0 = -760, x1 = -200, z0 = HALF_Z + BARRIER + 30, step = 8, rise = 6;
    const Colour seats[3] = {{0.8, 0.15, 0.15}, {0.95, 0.95, 0.9}, {0.15, 0.3, 0.75}};
    for (int k = 0; k < 6; k++) {
        double z = z0 + k * step, y = -(k + 1) * rise;
        EmitFlat(scene.flatVertices, Quad({x0, y + rise, z}, {x1, y + rise, z}, {x1, y, z}, {x0, y, z},
                                          seats[k % 3], PLAIN));
        Polygon tread = Quad({x0, y, z}, {x1, y, z}, {x1, y, z + step}, {x0, y, z + step}, {0.9, 0.85, 0.8},
                             PTEX_PLANKS, (x1 - x0) / 40, step / 40);
        EmitTextured(scene.texVertices, tread);
    }
    double zb = z0 + 6 * step, top = -6 * rise;
    Polygon back = Quad({x0, 0, zb}, {x1, 0, zb}, {x1, top - 24, zb}, {x0, top - 24, zb}, {0.85, 0.8, 0.75},
                        PTEX_PLANKS, (x1 - x0) / 40, (24 - top) / 40);
    EmitTextured(scene.texVertices, back);
    for (double x : {x0, x1}) {
        Polygon end;
        end.points = {{x, 0, z0}, {x, 0, zb}, {x, top - 24, zb}, {x, top - 24, z0 + 20}, {x, -rise, z0}};
        end.colour = {0.6, 0.58, 0.55};
        EmitFlat(scene.flatVertices, end);
    }
    EmitFlat(scene.flatVertices, Quad({x0 - 4, top - 24, z0 - 6}, {x1 + 4, top - 24, z0 - 6},
                                      {x1 + 4, top - 26, zb + 2}, {x0 - 4, top - 26, zb + 2},
                                      {0.75, 0.2, 0.15}, PLAIN));
}

// The pit building on the infield side of the main straight, its garage
// doors facing the track.
void AddPits(SceneDescription& scene) {
    const double x0 = -700, x1 = -260, z1 = HALF_Z - BARRIER - 24, z0 = z1 - 50, h = 28;
    std::vector<Opening> doors;
    for (double u = 20; u + 24 < x1 - x0; u += 40) doors.push_back({u, u + 24, 0, 18, {0.2, 0.2, 0.24}});
    AddWall(scene, x0, z1, x1, z1, h, PTEX_BRICK, {1, 1, 1}, 24, doors, 0, 1);
    AddWall(scene, x1, z0, x0, z0, h, PTEX_BRICK, {1, 1, 1}, 24, {}, 0, -1);
    AddWall(scene, x0, z0, x0, z1, h, PTEX_BRICK, {1, 1, 1}, 24, {}, -1, 0);
    AddWall(scene, x1, z1, x1, z0, h, PTEX_BRICK, {1, 1, 1}, 24, {}, 1, 0);
    EmitTextured(scene.texVertices, Quad({x0 - 2, -h, z0 - 2}, {x1 + 2, -h, z0 - 2}, {x1 + 2, -h, z1 + 6},
                                         {x0 - 2, -h, z1 + 6}, {0.75, 0.75, 0.78}, PLAIN));
    EmitFlat(scene.flatVertices, Quad({x0, -h - 1, z1 + 0.5}, {x1, -h - 1, z1 + 0.5}, {x1, -h + 4, z1 + 0.5},
                                      {x0, -h + 4, z1 + 0.5}, {0.9, 0.75, 0.1}, PLAIN));
}

// Distance from (x, z) to the rounded rectangle of the centre line, good
// enough to keep scenery off the track.
double DistanceToTrack(const std::vector<Sample>& line, double x, double z) {
    double best = 1e30;
    for (const Sample& s : line) best = std::min(best, std::hypot(s.x - x, s.z - z));
    return best;
}

// Conifers scattered off the track, and a ring of hills on the horizon.
void AddScenery(SceneDescription& scene, const std::vector<Sample>& line) {
    int placed = 0;
    for (uint32_t k = 1; placed < 90 && k < 3000; k++) {
        double x = (MixBits(k * 2) % 3200) - 1600.0, z = (MixBits(k * 2 + 1) % 2400) - 1200.0;
        if (DistanceToTrack(line, x, z) < BARRIER + 40) continue;
        if (x > -800 && x < -150 && std::fabs(z - HALF_Z) < 200) continue;  // stands and pits
        double size = 24 + MixBits(k * 5) % 22;
        Colour leaves = k % 2 ? Colour{0.12, 0.38, 0.14} : Colour{0.25, 0.5, 0.18};
        EmitFlat(scene.flatVertices, Box({x - 1.5, -size * 0.3, z - 1.5}, {x + 1.5, 0, z + 1.5}, {0.38, 0.24, 0.12}));
        double r = size * 0.35;
        Vec3 c[4] = {{x - r, -size * 0.25, z - r}, {x + r, -size * 0.25, z - r}, {x + r, -size * 0.25, z + r},
                     {x - r, -size * 0.25, z + r}};
        for (int f = 0; f < 4; f++) {
            Polygon p;
            p.points = {c[f], c[(f + 1) % 4], {x, -size * 1.4, z}};
            double shade = 0.8 + 0.1 * f;
            p.colour = {leaves.r * shade, leaves.g * shade, leaves.b * shade};
            EmitFlat(scene.flatVertices, p);
        }
        placed++;
    }
    // A ring of hills on the horizon.
    const int hills = 36;
    for (int k = 0; k < hills; k++) {
        double a0 = k * 2 * M_PI / hills, a1 = (k + 1) * 2 * M_PI / hills, am = (a0 + a1) / 2;
        double r = 3200, height = 120 + MixBits(k + 99) % 220;
        Polygon p;
        p.points = {{r * std::cos(a0) * 1.3, 0, r * std::sin(a0)},
                    {r * std::cos(a1) * 1.3, 0, r * std::sin(a1)},
                    {r * std::cos(am) * 1.3, -height, r * std::sin(am)}};
        double shade = 0.85 + 0.15 * (k % 3) / 2.0;
        p.colour = {0.32 * shade, 0.45 * shade, 0.38 * shade};
        EmitFlat(scene.flatVertices, p);
    }
}

}  // namespace

void BuildCircuit(SceneDescription& scene, CircuitStart* start) {
    double total = 0;
    std::vector<Sample> line = CentreLine(&total);
    // Ground far outside the grass skirt, under the hills.
    EmitFlat(scene.flatVertices, Quad({-6000, 1, -6000}, {6000, 1, -6000}, {6000, 1, 6000}, {-6000, 1, 6000},
                                      {0.3, 0.48, 0.2}, PLAIN));
    AddGrass(scene, line);
    AddRoad(scene, line, total);
    AddKerbsAndBarriers(scene, line);
    const Sample* finish = &line[0];
    for (const Sample& s : line)
        if (s.dist <= FINISH_AT + SAMPLE) finish = &s;
    AddGantry(scene, *finish);
    AddGrandstand(scene);
    AddPits(scene);
    AddScenery(scene, line);
    start->x = line[0].x + START_AT;
    start->z = line[0].z;
    start->heading = 90;
}
