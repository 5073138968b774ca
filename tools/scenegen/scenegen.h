// scenegen.h -- building blocks of the demo scene generator: polygons and
// boxes, walls with window openings, obstacle rows, the jointed figures, the
// town and the road circuit, and the four demos made of them.
//
// World conventions: the ground is y = 0 and up is minus y; a figure faces
// minus z in its own frame, which is where heading 0 walks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/lib/scene_writer.h"
#include "tools/lib/textures_procedural.h"

struct Vec3 {
    double x, y, z;
};

struct Colour {
    double r, g, b;
};

constexpr int PLAIN = -1;  // texture of a polygon drawn in its colour only

// One polygon before it goes into a list: corners with texture coordinates,
// colour, texture (PLAIN or a ProceduralTexture) and, in figures, the joint
// that moves it.
struct Polygon {
    std::vector<Vec3> points;
    std::vector<double> s, t;
    Colour colour{1, 1, 1};
    int texture = PLAIN;
    int joint = NO_JOINT;
};

// ---- geometry.cpp ----
// A quad with corners a, b, c, d and texture coordinates spanning
// (0,0)..(sRepeat,tRepeat) from a to c.
Polygon Quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, Colour colour, int texture, double sRepeat = 1,
             double tRepeat = 1);
// The six faces of the axis-aligned box lo..hi, each textured 0..1.
std::vector<Polygon> Box(Vec3 lo, Vec3 hi, Colour colour, int texture = PLAIN);
// Turns polygons about the axis through pivot parallel to x (or z) by
// degrees, in the sense glRotatef takes them.
void RotateAboutX(std::vector<Polygon>& polygons, Vec3 pivot, double degrees);
void RotateAboutZ(std::vector<Polygon>& polygons, Vec3 pivot, double degrees);
// Appends a polygon to the textured list (or a figure list).
void EmitTextured(std::vector<SceneVertex>& list, const Polygon& polygon);
// Appends a polygon's corners, in its colour, to the plain coloured list.
void EmitFlat(std::vector<SceneFlatVertex>& list, const Polygon& polygon);
void EmitFlat(std::vector<SceneFlatVertex>& list, const std::vector<Polygon>& polygons);
// The texture name written for a texture number (PLAIN: "-").
std::string TextureName(int texture);
// Figure list: every vertex carries the joint of the polygon after it, since
// the joint switch at a polygon's end sets the transform of what follows;
// the list ends on NO_JOINT so no transform outlives it.
std::vector<SceneVertex> FigureList(const std::vector<Polygon>& polygons);
// Obstacle points every spacing units along the segment a..b (x, z), both
// ends included.
void AddObstacleRow(std::vector<ScenePoint>& obstacles, double ax, double az, double bx,
                    double bz, double spacing);
// Numbers rounded to a thousandth, so the file stays short and readable.
double Round3(double v);
// A well-mixed hash of a number: the deterministic scatter of trees.
uint32_t MixBits(uint32_t h);

// A rectangular opening in a wall, in wall coordinates: u along the wall
// from its start, v up from the ground (positive).
struct Opening {
    double u0, u1, v0, v1;
    Colour fill;  // glass or door colour
};

// A vertical wall from (ax, az) to (bx, bz), from the ground up to height,
// with openings cut out: the wall pieces go to the textured list (texture
// coordinates from world units over texScale), and each opening gets a
// recessed fill and reveals in the plain coloured list, pushed away from
// the side the outward normal (nx, nz) points to. Only the part above base
// is built (a lower neighbour hides the rest).
void AddWall(SceneDescription& scene, double ax, double az, double bx, double bz, double height,
             int texture, Colour colour, double texScale, const std::vector<Opening>& openings,
             double nx, double nz, double base = 0);

// ---- figures.cpp ----
struct Outfit {
    Colour shirt, trousers, skin, hair;
};
// A walking person for an actor: polygons, joints (0, 1 legs, 2, 3 arms)
// with a swing in pose 1, and still in the other poses. Colours are scaled
// by brightness (see AddTownWalkers).
void MakeWalker(SceneActor& actor, const Outfit& outfit, double stepDivisor, double brightness);
// The follow demo's avatar: the same person with a pose for each of
// standing, walking forward, walking back, turning and sidestepping.
// Its feet stand on y = feetY of its own frame; stepDivisor is how many
// frames a walking swing takes from one end to the other.
void MakeAvatarPerson(SceneDescription& scene, const Outfit& outfit, double feetY,
                      double stepDivisor);
// The driving demos' car, the eye at the origin in the driver's seat,
// wheels standing on y = groundY; its aerial sways in every pose.
void MakeAvatarCar(SceneDescription& scene, double groundY, Colour paint);

// ---- town.cpp ----
struct TownOptions {
    bool culledOutskirts = true;  // far scenery as textured polygons for culling
};
// The town square, its buildings, streets, details, obstacle points and
// the outskirts, into the scene's lists.
void BuildTown(SceneDescription& scene, const TownOptions& options);
// Ten walkers on the square; waypoint users keep off the central lawn.
// Under the lights a figure facing away from them gets only the ambient
// fifth of its colour, so lit scenes give the walkers colours above 1
// (brightness), which the lighting clamps after it has shaded them.
void AddTownWalkers(SceneDescription& scene, double brightness);

// ---- circuit.cpp ----
// The road circuit with kerbs, barriers (walls and obstacle points), the
// start and finish area and scenery. Writes the start pose to *start.
struct CircuitStart {
    double x, z, heading;  // heading in the program's sense (degrees)
};
void BuildCircuit(SceneDescription& scene, CircuitStart* start);

// ---- demos.cpp ----
// The settings of the demos, for any scene at their scale (10 units to the
// metre): display and sky; a brisk walk at speed units per frame that
// slides along walls; the car; the start pose at (x, z) with the eye at
// eyeY looking along heading (the program's sense); the trailing camera
// distance behind the start at height y.
void CommonSettings(SceneDescription& scene);
void WalkingSettings(SceneDescription& scene, double speed);
void DrivingSettings(SceneDescription& scene);
void StartPose(SceneDescription& scene, double x, double eyeY, double z, double heading);
void ObserverPose(SceneDescription& scene, double distance, double y);
// Names of the demos, in the order they are written.
extern const char* const DEMO_NAMES[4];
// Builds one demo ("walk", "follow", "drive" or "chase"); false for any
// other name.
bool BuildDemo(const std::string& name, SceneDescription* scene, std::vector<int>* textures);
// Writes one demo's Hod.pro and bitmaps into dir (created if needed).
bool WriteDemo(const std::string& name, const std::string& dir, std::string* error);
