// demos.cpp -- the four demo scenes: which parts each is made of, and the
// settings that make its view mode pleasant to use.
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "scene/scene.h"
#include "tools/scenegen/scenegen.h"

const char* const DEMO_NAMES[4] = {"walk", "follow", "drive", "chase"};

namespace {

const double SKY[3] = {0.56, 0.72, 0.9};

// Shorthand for one setting.
void Set(SceneDescription& scene, SceneField field, double value) { SetSetting(scene, field, value); }

}  // namespace

// Settings every demo shares: a 60 degree view, no display-mode switch (the
// index names no mode, so even a maximised start keeps the desktop's
// resolution), linear magnification, and the sky as background.
void CommonSettings(SceneDescription& scene) {
    CopyDefaultSettings(scene);
    Set(scene, FIELD_displayModeIndex, 7);
    Set(scene, FIELD_fieldOfView, 60);
    Set(scene, FIELD_windowMaximised, 0);
    Set(scene, FIELD_fullScreen, 0);
    Set(scene, FIELD_linearMagFilter, 1);
    Set(scene, FIELD_smoothShading, 1);
    Set(scene, FIELD_light0Enabled, 0);
    Set(scene, FIELD_light1Enabled, 0);
    Set(scene, FIELD_cullEnabled, 0);
    for (int k = 0; k < 3; k++) scene.clear[k] = SKY[k];
}

// Walking on foot: a brisk walk (2.5 units, a quarter of a metre, per
// frame), turns of 4 degrees, and a wide deflection search with little
// damping so the viewer slides along walls rather than sticking to them.
// The side keys sidestep where the build keeps the file's choice.
void WalkingSettings(SceneDescription& scene, double speed) {
    Set(scene, FIELD_sideKeyMode, 1);
    Set(scene, FIELD_maxWalkSpeed, speed);
    Set(scene, FIELD_turnStep, 4);
    Set(scene, FIELD_walkAcceleration, 0.5);
    Set(scene, FIELD_tiltMax, 60);
    Set(scene, FIELD_tiltMin, 60);
    Set(scene, FIELD_crouchDepth, 7);
    Set(scene, FIELD_jumpHeight, 12);
    Set(scene, FIELD_deflectionDamping, 1.5);
    Set(scene, FIELD_maxDeflection, 80);
    Set(scene, FIELD_collisionRadius, 6);
}

// Place the viewer at (x, z) with the eye at height eyeY, looking along
// heading (the program's sense: 0 is -z, 90 is +x) at a target 100 ahead.
void StartPose(SceneDescription& scene, double x, double eyeY, double z, double heading) {
    double h = heading * M_PI / 180;
    Set(scene, FIELD_startEyeX, x);
    Set(scene, FIELD_startEyeY, eyeY);
    Set(scene, FIELD_startEyeZ, z);
    Set(scene, FIELD_startTargetX, Round3(x + 100 * std::sin(h)));
    Set(scene, FIELD_startTargetY, eyeY);
    Set(scene, FIELD_startTargetZ, Round3(z - 100 * std::cos(h)));
    Set(scene, FIELD_startHeading, -heading);  // the file holds minus the heading
}

// The trailing camera's start: distance behind the viewer, at height y.
void ObserverPose(SceneDescription& scene, double distance, double y) {
    double x = GetSetting(scene, FIELD_startEyeX), z = GetSetting(scene, FIELD_startEyeZ);
    double h = -GetSetting(scene, FIELD_startHeading) * M_PI / 180;
    Set(scene, FIELD_observerStartX, Round3(x - distance * std::sin(h)));
    Set(scene, FIELD_observerStartY, y);
    Set(scene, FIELD_observerStartZ, Round3(z + distance * std::cos(h)));
    Set(scene, FIELD_observerTargetX, x);
    Set(scene, FIELD_observerTargetY, GetSetting(scene, FIELD_startEyeY));
    Set(scene, FIELD_observerTargetZ, z);
}

// Driving: about 80 km/h flat out on the straights, steering that follows
// the speed, a quick brake and a strong handbrake, and barriers that turn
// the car away.
void DrivingSettings(SceneDescription& scene) {
    Set(scene, FIELD_maxDriveSpeed, 9);
    Set(scene, FIELD_driveAcceleration, 0.1);
    Set(scene, FIELD_boostAcceleration, 0.25);
    Set(scene, FIELD_maxSteerRate, 5);
    Set(scene, FIELD_steerStep, 0.25);
    Set(scene, FIELD_steerReturnRate, 0.5);
    Set(scene, FIELD_handbrakeDeceleration, 0.4);
    Set(scene, FIELD_brakeDeceleration, 0.6);
    Set(scene, FIELD_rollingFriction, 0.02);
    Set(scene, FIELD_driftSteerStep, 0.5);
    Set(scene, FIELD_driftSteerFactor, 1.5);
    Set(scene, FIELD_bodyRollFactor, 0.6);
    Set(scene, FIELD_collisionTurnDivisor, 50);
    Set(scene, FIELD_driveDeflectionDamping, 2);
    Set(scene, FIELD_driveMaxDeflection, 60);
    Set(scene, FIELD_maxBodyPitch, 3);
    Set(scene, FIELD_engineShake, 0.17);
    Set(scene, FIELD_driveCameraSteps, 10);
    Set(scene, FIELD_farPlane, 6000);
    // Walking values are unused while driving but kept sensible.
    WalkingSettings(scene, 2.5);
    Set(scene, FIELD_sideKeyMode, 2);
}

namespace {

// View mode 1 in the lit town with its walkers.
void BuildWalk(SceneDescription& scene) {
    CommonSettings(scene);
    WalkingSettings(scene, 2.5);
    Set(scene, FIELD_viewMode, 1);
    Set(scene, FIELD_farPlane, 2400);
    // Lights follow the viewer; the far textured polygons (outskirt ground,
    // farms and the fence) are culled beyond 800 units.
    Set(scene, FIELD_light0Enabled, 1);
    Set(scene, FIELD_light1Enabled, 1);
    Set(scene, FIELD_light0Level, 0.15);
    Set(scene, FIELD_light1Level, 0.28);
    Set(scene, FIELD_cullEnabled, 1);
    Set(scene, FIELD_cullDistance, 800);
    StartPose(scene, -30, -16, 200, 0);
    BuildTown(scene, TownOptions{});
    AddTownWalkers(scene, 2.0);
}

// View mode 3 in the same town, behind a jointed avatar.
void BuildFollow(SceneDescription& scene) {
    CommonSettings(scene);
    // A jog whose top speed is a whole number of acceleration steps, so it
    // never overshoots the rate at which the boom shortens (that rate is
    // the top speed): the camera then never trails into a wall.
    WalkingSettings(scene, 1.5);
    Set(scene, FIELD_viewMode, 3);
    Set(scene, FIELD_farPlane, 2400);
    Set(scene, FIELD_turnStep, 5);
    Set(scene, FIELD_followCameraSteps, 8);
    // The mouse's tilt raises or lowers the trailing camera by the tangent
    // of the tilt times the boom: at most 20 degrees one way keeps it above
    // the ground (it starts 36 up on a 70 boom), 40 the other lifts it well
    // over the roofs.
    Set(scene, FIELD_tiltMax, 20);
    Set(scene, FIELD_tiltMin, 40);
    // The camera aims just above the avatar's head, so the figure stands in
    // the lower half of the view. Behind the start are the south houses:
    // walking back toward them shortens the boom.
    StartPose(scene, -100, -20, 150, 10);
    ObserverPose(scene, 70, -36);
    BuildTown(scene, TownOptions{});
    AddTownWalkers(scene, 1.0);
    Outfit you = {{0.9, 0.15, 0.1}, {0.15, 0.2, 0.55}, {1, 1, 1}, {0.25, 0.15, 0.05}};
    MakeAvatarPerson(scene, you, 20, 4.0);
}

// View mode 2 or 4 on the circuit, with the car as avatar.
void BuildDrive(SceneDescription& scene, int viewMode) {
    CommonSettings(scene);
    DrivingSettings(scene);
    Set(scene, FIELD_viewMode, viewMode);
    CircuitStart start;
    BuildCircuit(scene, &start);
    if (viewMode == 4) {
        // The trailing camera aims at the car's roof, 11 units up; its
        // obstacle square is 2.5 times the radius.
        StartPose(scene, start.x, -11, start.z, start.heading);
        Set(scene, FIELD_collisionRadius, 6);
        ObserverPose(scene, 90, -42);
        MakeAvatarCar(scene, 11, {0.1, 0.35, 0.8});
    } else {
        // The eye sits in the driver's seat, high enough that the bonnet
        // takes only the bottom fifth of the view.
        StartPose(scene, start.x, -15, start.z, start.heading);
        Set(scene, FIELD_collisionRadius, 10);
        MakeAvatarCar(scene, 15, {0.8, 0.12, 0.1});
    }
}

}  // namespace

bool BuildDemo(const std::string& name, SceneDescription* scene, std::vector<int>* textures) {
    *scene = SceneDescription();
    if (name == "walk") BuildWalk(*scene);
    else if (name == "follow") BuildFollow(*scene);
    else if (name == "drive") BuildDrive(*scene, 2);
    else if (name == "chase") BuildDrive(*scene, 4);
    else return false;
    // The textures the scene names, each written once.
    textures->clear();
    for (int t = 0; t < PTEX_COUNT; t++) {
        std::string file = ProceduralTextureFile((ProceduralTexture)t);
        auto names = [&](const std::vector<SceneVertex>& list) {
            for (const SceneVertex& v : list)
                if (v.texFlag == 1 && v.texName == file) return true;
            return false;
        };
        bool used = names(scene->texVertices) || names(scene->avatarVertices);
        for (const SceneActor& a : scene->actors) used = used || names(a.parts);
        if (used) textures->push_back(t);
    }
    return true;
}

bool WriteDemo(const std::string& name, const std::string& dir, std::string* error) {
    SceneDescription scene;
    std::vector<int> textures;
    if (!BuildDemo(name, &scene, &textures)) {
        *error = "no demo named " + name;
        return false;
    }
    if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
        *error = "cannot create " + dir + ": " + std::strerror(errno);
        return false;
    }
    if (!WriteSceneFile(dir + "/Hod.pro", scene)) {
        *error = "cannot write " + dir + "/Hod.pro";
        return false;
    }
    for (int t : textures)
        if (!WriteProceduralTexture(dir, (ProceduralTexture)t)) {
            *error = std::string("cannot write ") + dir + "/" + ProceduralTextureFile((ProceduralTexture)t);
            return false;
        }
    return true;
}
