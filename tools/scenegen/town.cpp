// town.cpp -- the town square: paved square with a lawn and fountain, a
// closed ring of buildings with four streets leading out, details in plain
// colours, obstacle points along every wall, and the outskirts with trees,
// farm houses and a boundary fence.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/scenegen/scenegen.h"

namespace {

constexpr double SQUARE = 240;     // the square is -SQUARE..SQUARE on x and z
constexpr double BAND = 310;       // buildings stand between SQUARE and BAND
constexpr double STREET = 30;      // half width of the four streets
constexpr double LAWN = 80;        // half size of the central lawn
constexpr double FENCE = 1000;     // the boundary fence
constexpr double GROUND_EDGE = 1400;
constexpr double WALL_SPACING = 6;  // obstacle points along walls: the viewer's radius, so they close ranks

const Colour WHITE = {1, 1, 1};
const Colour GLASS = {0.16, 0.22, 0.32};
const Colour DOOR = {0.38, 0.22, 0.12};

struct Building {
    double x0, z0, x1, z1;
    double height;
    int texture;
    Colour wall;
    double roofRise;
    Colour roof;
    char front;  // side facing the square: 'N' (-z), 'S' (+z), 'W' (-x), 'E' (+x)
    Colour awning;  // shop awning over the door; black: none
};

// The ring around the square; corners belong to the north and south rows,
// so the ring is closed except for the four streets.
const Building BUILDINGS[] = {
    {-310, -310, -170, -240, 56, PTEX_BRICK, WHITE, 18, {1, 0.9, 0.85}, 'S', {0.75, 0.15, 0.15}},
    {-170, -310, -30, -240, 72, PLAIN, {0.93, 0.88, 0.74}, 20, {0.8, 0.75, 0.75}, 'S', {0, 0, 0}},
    {30, -310, 150, -240, 48, PTEX_PLANKS, WHITE, 16, {0.75, 0.8, 0.85}, 'S', {0.15, 0.45, 0.2}},
    {150, -310, 310, -240, 62, PTEX_BRICK, {0.85, 0.9, 0.95}, 18, WHITE, 'S', {0, 0, 0}},
    {-310, 240, -170, 310, 50, PTEX_PLANKS, {1, 0.92, 0.85}, 16, WHITE, 'N', {0.2, 0.3, 0.7}},
    {-170, 240, -30, 310, 64, PTEX_BRICK, WHITE, 20, {0.85, 0.85, 0.9}, 'N', {0, 0, 0}},
    {30, 240, 150, 310, 90, PTEX_STONE, {1, 0.97, 0.9}, 24, {0.7, 0.7, 0.75}, 'N', {0, 0, 0}},
    {150, 240, 310, 310, 54, PLAIN, {0.95, 0.86, 0.55}, 18, WHITE, 'N', {0.8, 0.5, 0.1}},
    {-310, -240, -240, -130, 60, PLAIN, {0.92, 0.7, 0.66}, 18, WHITE, 'E', {0, 0, 0}},
    {-310, -130, -240, -30, 46, PTEX_BRICK, {1, 0.95, 0.9}, 16, {0.9, 0.8, 0.8}, 'E', {0.6, 0.1, 0.4}},
    {-310, 30, -240, 130, 58, PTEX_PLANKS, {0.85, 0.8, 0.75}, 18, WHITE, 'E', {0, 0, 0}},
    {-310, 130, -240, 240, 66, PTEX_BRICK, {0.9, 0.85, 0.85}, 20, {0.85, 0.9, 0.85}, 'E', {0, 0, 0}},
    {240, -240, 310, -130, 52, PTEX_BRICK, WHITE, 18, {0.9, 0.85, 0.8}, 'W', {0.1, 0.4, 0.6}},
    {240, -130, 310, -30, 68, PLAIN, {0.7, 0.8, 0.9}, 20, WHITE, 'W', {0, 0, 0}},
    {240, 30, 310, 130, 50, PTEX_BRICK, {1, 0.9, 0.9}, 16, WHITE, 'W', {0.85, 0.75, 0.1}},
    {240, 130, 310, 240, 60, PTEX_PLANKS, WHITE, 18, {0.8, 0.85, 0.8}, 'W', {0, 0, 0}},
};

// Farm houses in the outskirts: far away, so culling drops them.
const Building FARMS[] = {
    {620, 560, 720, 620, 34, PTEX_PLANKS, WHITE, 20, WHITE, 'W', {0, 0, 0}},
    {-720, 600, -640, 680, 30, PTEX_BRICK, WHITE, 18, WHITE, 'E', {0, 0, 0}},
    {-700, -700, -590, -640, 36, PTEX_PLANKS, {0.9, 0.8, 0.7}, 20, WHITE, 'E', {0, 0, 0}},
    {600, -720, 680, -620, 32, PTEX_BRICK, WHITE, 18, WHITE, 'W', {0, 0, 0}},
};

// World units one picture of a wall texture covers.
double TextureScale(int texture) {
    switch (texture) {
        case PTEX_BRICK: return 24;  // world units per picture: bricks about 0.6 units tall
        case PTEX_PLANKS: return 40;
        case PTEX_STONE: return 30;
        default: return 40;
    }
}

// True when (x, z) lies strictly inside the building's footprint.
bool Inside(const Building& b, double x, double z) {
    return x > b.x0 && x < b.x1 && z > b.z0 && z < b.z1;
}

// Height of the building that stands against the wall at (x, z) outside
// by (nx, nz); 0 when open.
double NeighbourHeight(const Building* list, size_t count, const Building& self, double x, double z,
                       double nx, double nz) {
    for (size_t k = 0; k < count; k++)
        if (&list[k] != &self && Inside(list[k], x + nx, z + nz)) return list[k].height;
    return 0;
}

// Window and door openings of one exposed stretch of wall [ua, ub].
std::vector<Opening> Openings(const Building& b, double ua, double ub, bool front, double base) {
    std::vector<Opening> out;
    double length = ub - ua;
    int floors = std::max(1, (int)std::lround(b.height / 26));
    double floorHeight = b.height / floors;
    int columns = (int)((length - 8) / 24);
    if (columns < 1) return out;
    double spacing = length / columns;
    for (int f = 0; f < floors; f++)
        for (int c = 0; c < columns; c++) {
            double u = ua + spacing * (c + 0.5);
            bool door = front && f == 0 && c == columns / 2 && floorHeight >= 26;
            Opening o;
            if (door) o = {u - 6, u + 6, 0, 22, DOOR};
            else o = {u - 4.5, u + 4.5, f * floorHeight + 8, f * floorHeight + std::min(21.0, floorHeight - 4), GLASS};
            if (o.v0 >= base + 2 || (base == 0)) out.push_back(o);
        }
    return out;
}

// A shop awning over the door of the front wall, in stripes.
void AddAwning(SceneDescription& scene, const Building& b, double ax, double az, double dx,
               double dz, double nx, double nz, double u) {
    const double width = 22, reach = 10, high = 27, low = 23;
    for (int k = 0; k < 4; k++) {
        double u0 = u - width / 2 + k * width / 4, u1 = u0 + width / 4;
        Colour c = k % 2 ? WHITE : b.awning;
        auto at = [&](double uu, double out, double v) {
            return Vec3{ax + dx * uu + nx * out, -v, az + dz * uu + nz * out};
        };
        EmitFlat(scene.flatVertices, Quad(at(u0, 0.3, high), at(u1, 0.3, high), at(u1, reach, low),
                                          at(u0, reach, low), c, PLAIN));
    }
}

// A hipped roof over the footprint with a small overhang, ridge along the
// longer side.
void AddRoof(SceneDescription& scene, const Building& b) {
    const double overhang = 3, scale = 20;
    bool alongX = b.x1 - b.x0 >= b.z1 - b.z0;
    // Work in (a, c): a along the ridge, c across it.
    double a0 = alongX ? b.x0 : b.z0, a1 = alongX ? b.x1 : b.z1;
    double c0 = alongX ? b.z0 : b.x0, c1 = alongX ? b.z1 : b.x1;
    double half = (c1 - c0) / 2, cm = (c0 + c1) / 2;
    double ridgeA0 = std::min(a0 + half, (a0 + a1) / 2), ridgeA1 = std::max(a1 - half, (a0 + a1) / 2);
    double ridgeY = -(b.height + b.roofRise), eaveY = -b.height + overhang * b.roofRise / half;
    auto P = [&](double a, double y, double c) { return alongX ? Vec3{a, y, c} : Vec3{c, y, a}; };
    Vec3 e00 = P(a0 - overhang, eaveY, c0 - overhang), e10 = P(a1 + overhang, eaveY, c0 - overhang);
    Vec3 e11 = P(a1 + overhang, eaveY, c1 + overhang), e01 = P(a0 - overhang, eaveY, c1 + overhang);
    Vec3 r0 = P(ridgeA0, ridgeY, cm), r1 = P(ridgeA1, ridgeY, cm);
    double slope = std::hypot(half + overhang, b.roofRise + overhang * b.roofRise / half) / scale;
    auto face = [&](std::vector<Vec3> pts, std::vector<double> s, std::vector<double> t) {
        Polygon p;
        p.points = pts;
        p.s = s;
        p.t = t;
        p.colour = b.roof;
        p.texture = PTEX_ROOF;
        EmitTextured(scene.texVertices, p);
    };
    double la = (a1 - a0 + 2 * overhang) / scale, lc = (c1 - c0 + 2 * overhang) / scale;
    double ra0 = (ridgeA0 - a0 + overhang) / scale, ra1 = (ridgeA1 - a0 + overhang) / scale;
    face({e00, e10, r1, r0}, {0, la, ra1, ra0}, {0, 0, slope, slope});
    face({e11, e01, r0, r1}, {la, 0, ra0, ra1}, {0, 0, slope, slope});
    face({e01, e00, r0}, {lc, 0, lc / 2}, {0, 0, slope});
    face({e10, e11, r1}, {0, lc, lc / 2}, {0, 0, slope});
}

// Walls (cut where a neighbour stands against them), openings, awning,
// roof and the obstacle points along the footprint.
void AddBuilding(SceneDescription& scene, const Building& b, const Building* list, size_t count) {
    struct Side {
        double ax, az, bx, bz, nx, nz;
        char name;
    };
    const Side sides[4] = {{b.x1, b.z0, b.x0, b.z0, 0, -1, 'N'}, {b.x0, b.z1, b.x1, b.z1, 0, 1, 'S'},
                           {b.x0, b.z0, b.x0, b.z1, -1, 0, 'W'}, {b.x1, b.z1, b.x1, b.z0, 1, 0, 'E'}};
    double scale = TextureScale(b.texture);
    for (const Side& side : sides) {
        double length = std::hypot(side.bx - side.ax, side.bz - side.az);
        double dx = (side.bx - side.ax) / length, dz = (side.bz - side.az) / length;
        // Split the wall where the neighbour beside it changes.
        std::vector<double> cuts = {0, length};
        for (size_t k = 0; k < count; k++)
            for (double u = 1; u < length; u += 1) {  // footprints lie on whole units
                double x = side.ax + dx * u + side.nx, z = side.az + dz * u + side.nz;
                bool after = Inside(list[k], x + dx / 2, z + dz / 2);
                bool before = Inside(list[k], x - dx / 2, z - dz / 2);
                if (after != before) cuts.push_back(u);
            }
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        for (size_t k = 0; k + 1 < cuts.size(); k++) {
            double ua = cuts[k], ub = cuts[k + 1], um = (ua + ub) / 2;
            double base = NeighbourHeight(list, count, b, side.ax + dx * um, side.az + dz * um,
                                          side.nx, side.nz);
            if (base >= b.height) continue;
            bool front = side.name == b.front && base == 0;
            std::vector<Opening> openings = Openings(b, ua, ub, front, base);
            AddWall(scene, side.ax + dx * ua, side.az + dz * ua, side.ax + dx * ub,
                    side.az + dz * ub, b.height, b.texture, b.wall, scale, openings, side.nx, side.nz,
                    base);
            if (front && b.awning.r + b.awning.g + b.awning.b > 0)
                for (const Opening& o : openings)
                    if (o.v0 == 0)
                        AddAwning(scene, b, side.ax + dx * ua, side.az + dz * ua, dx, dz, side.nx,
                                  side.nz, (o.u0 + o.u1) / 2 - ua);
        }
        AddObstacleRow(scene.obstacles, side.ax, side.az, side.bx, side.bz, WALL_SPACING);
    }
    AddRoof(scene, b);
}

// Ground cells: paving on the square and the streets, the lawn in the
// middle, grass everywhere else. The first ground polygon is the square's
// centre, which culling never drops.
void AddGround(SceneDescription& scene) {
    const double cuts[] = {-1400, -1200, -1000, -800, -600, -400, -310, -240, -160, -80, -30,
                           30,    80,    160,   240,  310,  400,  600,  800,  1000, 1200, 1400};
    const int n = sizeof cuts / sizeof cuts[0];
    std::vector<Polygon> cells;
    for (int i = 0; i + 1 < n; i++)
        for (int j = 0; j + 1 < n; j++) {
            double x0 = cuts[i], x1 = cuts[i + 1], z0 = cuts[j], z1 = cuts[j + 1];
            double xm = (x0 + x1) / 2, zm = (z0 + z1) / 2;
            bool square = std::fabs(xm) < SQUARE && std::fabs(zm) < SQUARE;
            bool lawn = std::fabs(xm) < LAWN && std::fabs(zm) < LAWN;
            bool street = (std::fabs(xm) < STREET || std::fabs(zm) < STREET) &&
                          std::max(std::fabs(xm), std::fabs(zm)) < FENCE;
            int texture = lawn ? PTEX_GRASS : (square || street) ? PTEX_STONE : PTEX_GRASS;
            double scale = texture == PTEX_STONE ? 40 : 60;
            Polygon p = Quad({x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, {x0, 0, z1}, WHITE, texture);
            p.s = {x0 / scale, x1 / scale, x1 / scale, x0 / scale};
            p.t = {z0 / scale, z0 / scale, z1 / scale, z1 / scale};
            cells.push_back(p);
        }
    std::stable_sort(cells.begin(), cells.end(), [](const Polygon& a, const Polygon& b) {
        auto d = [](const Polygon& p) {
            double x = (p.points[0].x + p.points[2].x) / 2, z = (p.points[0].z + p.points[2].z) / 2;
            return std::max(std::fabs(x), std::fabs(z));
        };
        return d(a) < d(b);
    });
    for (const Polygon& p : cells) EmitTextured(scene.texVertices, p);
}

// Octagon of radius r at height y (negative up), as one polygon.
Polygon Octagon(double cx, double cz, double r, double y, Colour c) {
    Polygon p;
    for (int k = 0; k < 8; k++) {
        double a = (k + 0.5) * M_PI / 4;
        p.points.push_back({cx + r * std::cos(a), y, cz + r * std::sin(a)});
    }
    p.colour = c;
    return p;
}

// The octagonal fountain in the lawn's middle, ringed by obstacle points.
void AddFountain(SceneDescription& scene) {
    const double r = 22, wall = 4;
    const Colour stone = {0.72, 0.70, 0.66}, water = {0.25, 0.5, 0.75};
    for (int k = 0; k < 8; k++) {
        double a0 = (k + 0.5) * M_PI / 4, a1 = (k + 1.5) * M_PI / 4;
        for (double rr : {r, r - 2}) {
            Vec3 p0 = {rr * std::cos(a0), 0, rr * std::sin(a0)}, p1 = {rr * std::cos(a1), 0, rr * std::sin(a1)};
            Colour c = rr == r ? stone : Colour{0.6, 0.58, 0.55};
            EmitFlat(scene.flatVertices, Quad(p0, p1, {p1.x, -wall, p1.z}, {p0.x, -wall, p0.z}, c, PLAIN));
        }
        // The rim between the two walls.
        EmitFlat(scene.flatVertices,
                 Quad({r * std::cos(a0), -wall, r * std::sin(a0)}, {r * std::cos(a1), -wall, r * std::sin(a1)},
                      {(r - 2) * std::cos(a1), -wall, (r - 2) * std::sin(a1)},
                      {(r - 2) * std::cos(a0), -wall, (r - 2) * std::sin(a0)}, {0.8, 0.78, 0.74}, PLAIN));
    }
    EmitFlat(scene.flatVertices, Octagon(0, 0, r - 2, -2.5, water));
    EmitFlat(scene.flatVertices, Box({-2.5, -16, -2.5}, {2.5, -2.5, 2.5}, stone));
    EmitFlat(scene.flatVertices, Octagon(0, 0, 8, -16, {0.65, 0.63, 0.6}));
    EmitFlat(scene.flatVertices, Octagon(0, 0, 6.5, -16.3, water));
    EmitFlat(scene.flatVertices, Box({-1, -22, -1}, {1, -16.3, 1}, {0.55, 0.6, 0.7}));
    for (int k = 0; k < 24; k++) {
        double a = k * 2 * M_PI / 24;
        scene.obstacles.push_back({Round3(r * std::cos(a)), Round3(r * std::sin(a))});
    }
}

// A broad-leaved tree: trunk and a two-tier crown, with its obstacle point.
void AddTree(SceneDescription& scene, double x, double z, double size, Colour leaves) {
    EmitFlat(scene.flatVertices, Box({x - 1.5, -size * 0.5, z - 1.5}, {x + 1.5, 0, z + 1.5}, {0.4, 0.27, 0.15}));
    EmitFlat(scene.flatVertices, Box({x - size * 0.35, -size * 1.05, z - size * 0.35},
                                     {x + size * 0.35, -size * 0.45, z + size * 0.35}, leaves));
    Colour top = {leaves.r * 1.15, leaves.g * 1.15, leaves.b * 1.15};
    EmitFlat(scene.flatVertices, Box({x - size * 0.22, -size * 1.3, z - size * 0.22},
                                     {x + size * 0.22, -size * 1.05, z + size * 0.22}, top));
    scene.obstacles.push_back({Round3(x), Round3(z)});
}

// A conifer: trunk and a four-sided pyramid.
void AddConifer(SceneDescription& scene, double x, double z, double size, Colour leaves) {
    EmitFlat(scene.flatVertices, Box({x - 1.2, -size * 0.3, z - 1.2}, {x + 1.2, 0, z + 1.2}, {0.35, 0.22, 0.12}));
    double r = size * 0.35, base = -size * 0.25;
    Vec3 apex = {x, -size * 1.4, z};
    Vec3 c[4] = {{x - r, base, z - r}, {x + r, base, z - r}, {x + r, base, z + r}, {x - r, base, z + r}};
    for (int k = 0; k < 4; k++) {
        Polygon p;
        p.points = {c[k], c[(k + 1) % 4], apex};
        double shade = 0.85 + 0.1 * k;
        p.colour = {leaves.r * shade, leaves.g * shade, leaves.b * shade};
        EmitFlat(scene.flatVertices, p);
    }
    Polygon under;
    under.points = {c[0], c[1], c[2], c[3]};
    under.colour = {leaves.r * 0.6, leaves.g * 0.6, leaves.b * 0.6};
    EmitFlat(scene.flatVertices, under);
    scene.obstacles.push_back({Round3(x), Round3(z)});
}

// A park bench along x or z, with obstacle points along its length.
void AddBench(SceneDescription& scene, double x, double z, bool alongX) {
    const Colour wood = {0.55, 0.35, 0.18}, iron = {0.2, 0.2, 0.22};
    double hx = alongX ? 9 : 2.5, hz = alongX ? 2.5 : 9;
    EmitFlat(scene.flatVertices, Box({x - hx, -4.5, z - hz}, {x + hx, -3.8, z + hz}, wood));
    for (double s : {-1.0, 1.0}) {
        double lx = alongX ? x + s * (hx - 1) : x, lz = alongX ? z : z + s * (hz - 1);
        EmitFlat(scene.flatVertices, Box({lx - 0.6, -3.8, lz - 0.6}, {lx + 0.6, 0, lz + 0.6}, iron));
    }
    AddObstacleRow(scene.obstacles, alongX ? x - hx : x, alongX ? z : z - hz, alongX ? x + hx : x,
                   alongX ? z : z + hz, 9);
}

// A street lamp: post, glowing box and cap, one obstacle point.
void AddLamp(SceneDescription& scene, double x, double z) {
    const Colour iron = {0.15, 0.16, 0.18};
    EmitFlat(scene.flatVertices, Box({x - 0.8, -30, z - 0.8}, {x + 0.8, 0, z + 0.8}, iron));
    EmitFlat(scene.flatVertices, Box({x - 2.2, -34, z - 2.2}, {x + 2.2, -30, z + 2.2}, {1.0, 0.93, 0.6}));
    EmitFlat(scene.flatVertices, Box({x - 2.8, -35.5, z - 2.8}, {x + 2.8, -34, z + 2.8}, iron));
    scene.obstacles.push_back({Round3(x), Round3(z)});
}

// A market stall: counter, corner posts and a striped canopy.
void AddStall(SceneDescription& scene, double x, double z, Colour stripe) {
    const double hx = 8, hz = 12;
    EmitFlat(scene.flatVertices, Box({x - hx, -9, z - hz}, {x + hx, 0, z + hz}, {0.6, 0.42, 0.25}));
    EmitFlat(scene.flatVertices, Box({x - hx + 1, -10, z - hz + 1}, {x + hx - 1, -9, z + hz - 1}, {0.85, 0.55, 0.2}));
    for (double sx : {-1.0, 1.0})
        for (double sz : {-1.0, 1.0})
            EmitFlat(scene.flatVertices, Box({x + sx * hx - 0.5, -24, z + sz * hz - 0.5},
                                             {x + sx * hx + 0.5, 0, z + sz * hz + 0.5}, {0.3, 0.2, 0.1}));
    for (int k = 0; k < 6; k++) {
        double z0 = z - hz - 2 + k * (2 * hz + 4) / 6, z1 = z0 + (2 * hz + 4) / 6;
        Colour c = k % 2 ? WHITE : stripe;
        EmitFlat(scene.flatVertices, Quad({x - hx - 2, -24, z0}, {x, -28, z0}, {x, -28, z1}, {x - hx - 2, -24, z1}, c, PLAIN));
        EmitFlat(scene.flatVertices, Quad({x, -28, z0}, {x + hx + 2, -24, z0}, {x + hx + 2, -24, z1}, {x, -28, z1}, c, PLAIN));
    }
    AddObstacleRow(scene.obstacles, x - hx, z - hz, x - hx, z + hz, WALL_SPACING);
    AddObstacleRow(scene.obstacles, x + hx, z - hz, x + hx, z + hz, WALL_SPACING);
    AddObstacleRow(scene.obstacles, x - hx, z - hz, x + hx, z - hz, WALL_SPACING);
    AddObstacleRow(scene.obstacles, x - hx, z + hz, x + hx, z + hz, WALL_SPACING);
}

// The town hall's colonnade: columns on the square side with a roof slab
// back to the wall. Each column is one obstacle point, so the viewer can
// pass between them and the follow camera's boom is cut short by them.
void AddColonnade(SceneDescription& scene) {
    const double z = 222, top = 40;
    const Colour column = {0.86, 0.84, 0.78}, slab = {0.78, 0.76, 0.7};
    for (double x = 40; x <= 140; x += 20) {
        EmitFlat(scene.flatVertices, Box({x - 2, -top, z - 2}, {x + 2, 0, z + 2}, column));
        EmitFlat(scene.flatVertices, Box({x - 3, -3, z - 3}, {x + 3, 0, z + 3}, slab));
        scene.obstacles.push_back({x, z});
    }
    EmitFlat(scene.flatVertices, Box({34, -top - 5, z - 4}, {146, -top, 240}, slab));
}

// Bollards across the streets' mouths: the viewer passes between them but
// walkers, who keep twice their radius from obstacles, turn back.
void AddBollards(SceneDescription& scene) {
    const Colour iron = {0.2, 0.22, 0.25}, band = {0.9, 0.8, 0.2};
    for (int side = 0; side < 4; side++)
        for (double u = -20; u <= 20; u += 20) {
            double x = side < 2 ? u : (side == 2 ? -SQUARE : SQUARE);
            double z = side < 2 ? (side == 0 ? -SQUARE : SQUARE) : u;
            EmitFlat(scene.flatVertices, Box({x - 1.2, -7, z - 1.2}, {x + 1.2, 0, z + 1.2}, iron));
            EmitFlat(scene.flatVertices, Box({x - 1.3, -6, z - 1.3}, {x + 1.3, -5, z + 1.3}, band));
            scene.obstacles.push_back({x, z});
        }
}

// Everything that stands on the square besides the houses.
void AddSquareDetails(SceneDescription& scene) {
    AddFountain(scene);
    for (double sx : {-1.0, 1.0})
        for (double sz : {-1.0, 1.0}) {
            AddTree(scene, sx * 55, sz * 55, 26, {0.2, 0.45, 0.15});
            AddLamp(scene, sx * 125, sz * 125);
        }
    // Lamps and benches stand well clear of the lawn's edge: a walker keeps
    // twice its radius (12) from both, and a narrower gap would trap it.
    AddBench(scene, 50, -112, true);
    AddBench(scene, -50, 112, true);
    AddBench(scene, -112, -50, false);
    AddBench(scene, 112, 50, false);
    AddStall(scene, 200, -150, {0.8, 0.1, 0.1});
    AddStall(scene, 200, -90, {0.1, 0.3, 0.8});
    AddStall(scene, 200, 90, {0.1, 0.6, 0.2});
    AddColonnade(scene);
    AddBollards(scene);
}

// Trees scattered over the outskirts, off the streets and the farms.
void AddOutskirtTrees(SceneDescription& scene) {
    int placed = 0;
    for (uint32_t k = 1; placed < 70 && k < 2000; k++) {
        double x = (MixBits(k * 2) % 1800) - 900.0, z = (MixBits(k * 2 + 1) % 1800) - 900.0;
        double ring = std::max(std::fabs(x), std::fabs(z));
        if (ring < 380 || std::fabs(x) < 60 || std::fabs(z) < 60) continue;
        bool nearFarm = false;
        for (const Building& f : FARMS)
            if (x > f.x0 - 40 && x < f.x1 + 40 && z > f.z0 - 40 && z < f.z1 + 40) nearFarm = true;
        if (nearFarm) continue;
        double size = 22 + MixBits(k * 7) % 20;
        if (k % 3 == 0) AddTree(scene, x, z, size, {0.22, 0.5, 0.16});
        else AddConifer(scene, x, z, size + 10, {0.1, 0.35, 0.15});
        placed++;
    }
}

// The boundary fence: wooden panels (textured, far away, so culled) with
// obstacle points along all four sides.
void AddFence(SceneDescription& scene) {
    const double height = 10, panel = 100;
    for (int side = 0; side < 4; side++)
        for (double u = -FENCE; u < FENCE; u += panel) {
            double ax, az, bx, bz;
            if (side < 2) { ax = u; bx = u + panel; az = bz = side == 0 ? -FENCE : FENCE; }
            else { az = u; bz = u + panel; ax = bx = side == 2 ? -FENCE : FENCE; }
            Polygon p = Quad({ax, 0, az}, {bx, 0, bz}, {bx, -height, bz}, {ax, -height, az}, {0.9, 0.85, 0.8},
                             PTEX_PLANKS, panel / 40, height / 40);
            EmitTextured(scene.texVertices, p);
        }
    AddObstacleRow(scene.obstacles, -FENCE, -FENCE, FENCE, -FENCE, 10);
    AddObstacleRow(scene.obstacles, -FENCE, FENCE, FENCE, FENCE, 10);
    AddObstacleRow(scene.obstacles, -FENCE, -FENCE, -FENCE, FENCE, 10);
    AddObstacleRow(scene.obstacles, FENCE, -FENCE, FENCE, FENCE, 10);
}

}  // namespace

void BuildTown(SceneDescription& scene, const TownOptions& options) {
    // A plain ground far below the eye, under everything, so that where
    // culling drops far ground cells the grass colour still reaches the
    // horizon.
    EmitFlat(scene.flatVertices, Quad({-3000, 1, -3000}, {3000, 1, -3000}, {3000, 1, 3000},
                                      {-3000, 1, 3000}, {0.3, 0.5, 0.2}, PLAIN));
    AddGround(scene);
    size_t count = sizeof BUILDINGS / sizeof BUILDINGS[0];
    for (const Building& b : BUILDINGS) AddBuilding(scene, b, BUILDINGS, count);
    AddSquareDetails(scene);
    if (options.culledOutskirts) {
        for (const Building& f : FARMS) AddBuilding(scene, f, FARMS, sizeof FARMS / sizeof FARMS[0]);
        AddFence(scene);
    }
    AddOutskirtTrees(scene);
}

namespace {

struct TownWalker {
    double x, z, heading, speed;
    bool waypoints;
    double cullDistance;   // 0: always drawn
    double activeRange;    // 0: always moving
    Outfit outfit;
};

const Colour SKIN_LIGHT = {1, 1, 1}, SKIN_TAN = {0.85, 0.75, 0.68}, SKIN_DARK = {0.55, 0.42, 0.36};
const Colour HAIR_BROWN = {0.3, 0.18, 0.08}, HAIR_BLACK = {0.08, 0.07, 0.07}, HAIR_FAIR = {0.85, 0.7, 0.4},
             HAIR_GREY = {0.6, 0.6, 0.6};

const TownWalker WALKERS[10] = {
    {-150, -150, 30, 0.8, true, 0, 0, {{0.85, 0.2, 0.2}, {0.2, 0.25, 0.45}, SKIN_LIGHT, HAIR_BROWN}},
    {150, -180, -60, 0.7, true, 0, 0, {{0.2, 0.5, 0.85}, {0.3, 0.3, 0.3}, SKIN_TAN, HAIR_BLACK}},
    {-180, 140, 120, 0.9, true, 500, 0, {{0.95, 0.8, 0.2}, {0.25, 0.2, 0.15}, SKIN_DARK, HAIR_BLACK}},
    {120, 150, 200, 0.75, false, 0, 0, {{0.3, 0.7, 0.3}, {0.5, 0.4, 0.3}, SKIN_LIGHT, HAIR_FAIR}},
    {-120, -40, 80, 0.6, false, 0, 260, {{0.6, 0.3, 0.7}, {0.15, 0.15, 0.2}, SKIN_TAN, HAIR_GREY}},
    {160, 20, -100, 0.85, false, 450, 300, {{0.9, 0.5, 0.2}, {0.2, 0.3, 0.25}, SKIN_DARK, HAIR_BROWN}},
    {20, 110, -80, 0.9, false, 380, 0, {{0.95, 0.95, 0.95}, {0.1, 0.1, 0.15}, SKIN_LIGHT, HAIR_BLACK}},
    {40, -190, 160, 0.65, false, 0, 0, {{0.2, 0.6, 0.6}, {0.45, 0.35, 0.25}, SKIN_TAN, HAIR_FAIR}},
    {-200, 40, 10, 0.7, true, 0, 220, {{0.75, 0.15, 0.45}, {0.3, 0.25, 0.35}, SKIN_DARK, HAIR_GREY}},
    {90, -110, -150, 0.8, false, 420, 0, {{0.4, 0.4, 0.9}, {0.35, 0.3, 0.2}, SKIN_LIGHT, HAIR_BROWN}},
};

}  // namespace

void AddTownWalkers(SceneDescription& scene, double brightness) {
    std::vector<ScenePoint> lawnEdge;  // waypoint users keep off the lawn
    AddObstacleRow(lawnEdge, -LAWN, -LAWN, LAWN, -LAWN, 16);
    AddObstacleRow(lawnEdge, LAWN, -LAWN + 16, LAWN, LAWN, 16);
    AddObstacleRow(lawnEdge, LAWN - 16, LAWN, -LAWN, LAWN, 16);
    AddObstacleRow(lawnEdge, -LAWN, LAWN - 16, -LAWN, -LAWN + 16, 16);
    for (const TownWalker& w : WALKERS) {
        SceneActor a;
        a.avoidsObstacles = 1;
        a.usesWaypoints = w.waypoints ? 1 : 0;
        if (w.waypoints) a.waypoints = lawnEdge;
        a.cullEnabled = w.cullDistance > 0 ? 1 : 0;
        a.cullDistance = w.cullDistance;
        a.rangeLimited = w.activeRange > 0 ? 1 : 0;
        a.activeRange = w.activeRange;
        a.start[0] = w.x;
        a.start[2] = w.z;
        // The program's heading is minus the file's; the front point is
        // one body length ahead, for readers of the file.
        double h = w.heading * M_PI / 180;
        a.front[0] = Round3(w.x + 10 * std::sin(h));
        a.front[2] = Round3(w.z - 10 * std::cos(h));
        a.startHeading = -w.heading;
        a.maxSpeed = w.speed;
        a.collisionRadius = 6;
        // Legs take one stride (about 5.25 units) per swing.
        MakeWalker(a, w.outfit, 5.25 / w.speed, brightness);
        scene.actors.push_back(a);
    }
}
