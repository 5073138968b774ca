// geometry.cpp -- polygons, boxes, walls with openings and obstacle rows,
// and their emission into the scene's polygon lists.
#include <algorithm>
#include <cmath>

#include "tools/scenegen/scenegen.h"

uint32_t MixBits(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

double Round3(double v) {
    double r = std::round(v * 1000.0) / 1000.0;
    return r == 0 ? 0.0 : r;  // no "-0" in the file
}

std::string TextureName(int texture) {
    if (texture == PLAIN) return "-";
    return ProceduralTextureFile((ProceduralTexture)texture);
}

Polygon Quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, Colour colour, int texture, double sRepeat,
             double tRepeat) {
    Polygon p;
    p.points = {a, b, c, d};
    p.s = {0, sRepeat, sRepeat, 0};
    p.t = {0, 0, tRepeat, tRepeat};
    p.colour = colour;
    p.texture = texture;
    return p;
}

// Faces in the order front (-z), back (+z), left (-x), right (+x), top (-y),
// bottom (+y); on the four sides t runs from the bottom (larger y) upward.
std::vector<Polygon> Box(Vec3 lo, Vec3 hi, Colour colour, int texture) {
    double x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
    return {
        Quad({x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}, {x0, y0, z0}, colour, texture),
        Quad({x1, y1, z1}, {x0, y1, z1}, {x0, y0, z1}, {x1, y0, z1}, colour, texture),
        Quad({x0, y1, z1}, {x0, y1, z0}, {x0, y0, z0}, {x0, y0, z1}, colour, texture),
        Quad({x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}, {x1, y0, z0}, colour, texture),
        Quad({x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}, colour, texture),
        Quad({x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}, colour, texture),
    };
}

void RotateAboutX(std::vector<Polygon>& polygons, Vec3 pivot, double degrees) {
    double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a);
    for (Polygon& p : polygons)
        for (Vec3& v : p.points) {
            double y = v.y - pivot.y, z = v.z - pivot.z;
            v.y = pivot.y + y * c - z * s;
            v.z = pivot.z + y * s + z * c;
        }
}

void RotateAboutZ(std::vector<Polygon>& polygons, Vec3 pivot, double degrees) {
    double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a);
    for (Polygon& p : polygons)
        for (Vec3& v : p.points) {
            double x = v.x - pivot.x, y = v.y - pivot.y;
            v.x = pivot.x + x * c - y * s;
            v.y = pivot.y + x * s + y * c;
        }
}

// Appends a polygon's vertices to a textured or figure list, each carrying
// the given joint number.
static void EmitWithJoint(std::vector<SceneVertex>& list, const Polygon& polygon, int joint) {
    size_t n = polygon.points.size();
    for (size_t k = 0; k < n; k++) {
        SceneVertex v;
        v.red = Round3(polygon.colour.r);
        v.green = Round3(polygon.colour.g);
        v.blue = Round3(polygon.colour.b);
        v.joint = joint;
        v.x = Round3(polygon.points[k].x);
        v.y = Round3(polygon.points[k].y);
        v.z = Round3(polygon.points[k].z);
        v.end = k + 1 == n ? 1 : 0;
        v.s = k < polygon.s.size() ? Round3(polygon.s[k]) : 0;
        v.t = k < polygon.t.size() ? Round3(polygon.t[k]) : 0;
        v.texFlag = polygon.texture == PLAIN ? 0 : 1;
        v.texName = TextureName(polygon.texture);
        list.push_back(v);
    }
}

void EmitTextured(std::vector<SceneVertex>& list, const Polygon& polygon) {
    EmitWithJoint(list, polygon, NO_JOINT);
}

void EmitFlat(std::vector<SceneFlatVertex>& list, const Polygon& polygon) {
    size_t n = polygon.points.size();
    for (size_t k = 0; k < n; k++) {
        SceneFlatVertex v;
        v.red = Round3(polygon.colour.r);
        v.green = Round3(polygon.colour.g);
        v.blue = Round3(polygon.colour.b);
        v.x = Round3(polygon.points[k].x);
        v.y = Round3(polygon.points[k].y);
        v.z = Round3(polygon.points[k].z);
        v.end = k + 1 == n ? 1 : 0;
        list.push_back(v);
    }
}

void EmitFlat(std::vector<SceneFlatVertex>& list, const std::vector<Polygon>& polygons) {
    for (const Polygon& p : polygons) EmitFlat(list, p);
}

std::vector<SceneVertex> FigureList(const std::vector<Polygon>& polygons) {
    std::vector<SceneVertex> list;
    for (size_t k = 0; k < polygons.size(); k++) {
        int next = k + 1 < polygons.size() ? polygons[k + 1].joint : NO_JOINT;
        EmitWithJoint(list, polygons[k], next);
    }
    return list;
}

void AddObstacleRow(std::vector<ScenePoint>& obstacles, double ax, double az, double bx,
                    double bz, double spacing) {
    double length = std::hypot(bx - ax, bz - az);
    int steps = std::max(1, (int)std::ceil(length / spacing - 1e-9));
    for (int k = 0; k <= steps; k++) {
        double f = (double)k / steps;
        obstacles.push_back({Round3(ax + (bx - ax) * f), Round3(az + (bz - az) * f)});
    }
}

// Sorted distinct values.
static std::vector<double> Breaks(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end(),
                             [](double a, double b) { return std::fabs(a - b) < 1e-9; }),
                 values.end());
    return values;
}

// True when (u, v) lies strictly inside one of the openings.
static bool InsideOpening(const std::vector<Opening>& openings, double u, double v) {
    for (const Opening& o : openings)
        if (u > o.u0 && u < o.u1 && v > o.v0 && v < o.v1) return true;
    return false;
}

// Recessed fill and reveals of one opening; the sill side on the ground
// is left out, since it would lie in the ground's plane.
static void AddOpeningFill(SceneDescription& scene, const Opening& o, double ax, double az,
                           double dx, double dz, double nx, double nz) {
    const double depth = 1.5;  // how far the glass or door sits behind the wall face
    const Colour frame = {0.86, 0.83, 0.76};
    auto at = [&](double u, double v, double in) {
        return Vec3{ax + dx * u - nx * in, -v, az + dz * u - nz * in};
    };
    EmitFlat(scene.flatVertices, Quad(at(o.u0, o.v0, depth), at(o.u1, o.v0, depth),
                                      at(o.u1, o.v1, depth), at(o.u0, o.v1, depth), o.fill, PLAIN));
    EmitFlat(scene.flatVertices, Quad(at(o.u0, o.v1, 0), at(o.u1, o.v1, 0), at(o.u1, o.v1, depth),
                                      at(o.u0, o.v1, depth), frame, PLAIN));
    EmitFlat(scene.flatVertices, Quad(at(o.u0, o.v0, 0), at(o.u0, o.v1, 0), at(o.u0, o.v1, depth),
                                      at(o.u0, o.v0, depth), frame, PLAIN));
    EmitFlat(scene.flatVertices, Quad(at(o.u1, o.v0, 0), at(o.u1, o.v1, 0), at(o.u1, o.v1, depth),
                                      at(o.u1, o.v0, depth), frame, PLAIN));
    if (o.v0 > 0)
        EmitFlat(scene.flatVertices, Quad(at(o.u0, o.v0, 0), at(o.u1, o.v0, 0),
                                          at(o.u1, o.v0, depth), at(o.u0, o.v0, depth),
                                          Colour{0.7, 0.7, 0.68}, PLAIN));
}

void AddWall(SceneDescription& scene, double ax, double az, double bx, double bz, double height,
             int texture, Colour colour, double texScale, const std::vector<Opening>& openings,
             double nx, double nz, double base) {
    double length = std::hypot(bx - ax, bz - az);
    if (length <= 0 || height <= base) return;
    double dx = (bx - ax) / length, dz = (bz - az) / length;
    std::vector<double> us = {0, length}, vs = {base, height};
    for (const Opening& o : openings) {
        us.push_back(o.u0);
        us.push_back(o.u1);
        if (o.v0 > base) vs.push_back(o.v0);
        vs.push_back(o.v1);
    }
    us = Breaks(us);
    vs = Breaks(vs);
    auto at = [&](double u, double v) { return Vec3{ax + dx * u, -v, az + dz * u}; };
    for (size_t j = 0; j + 1 < vs.size(); j++) {
        double v0 = vs[j], v1 = vs[j + 1], vm = (v0 + v1) / 2;
        size_t i = 0;
        while (i + 1 < us.size()) {
            if (InsideOpening(openings, (us[i] + us[i + 1]) / 2, vm)) {
                i++;
                continue;
            }
            size_t k = i + 1;  // merge the solid cells of this band into one piece
            while (k + 1 < us.size() && !InsideOpening(openings, (us[k] + us[k + 1]) / 2, vm)) k++;
            Polygon p = Quad(at(us[i], v0), at(us[k], v0), at(us[k], v1), at(us[i], v1), colour,
                             texture);
            p.s = {us[i] / texScale, us[k] / texScale, us[k] / texScale, us[i] / texScale};
            p.t = {v0 / texScale, v0 / texScale, v1 / texScale, v1 / texScale};
            EmitTextured(scene.texVertices, p);
            i = k;
        }
    }
    for (const Opening& o : openings)
        if (o.v1 > base) AddOpeningFill(scene, o, ax, az, dx, dz, nx, nz);
}
