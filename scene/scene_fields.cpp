// scene_fields.cpp -- names of the scene file's fields and the table of the
// scalar settings, shared by the loader's diagnostics and the scene tools.
#include "scene/scene_fields.h"

#include "scene/scene.h"

int poseIndex;

#define SCENE_FIELD_INFO(id, name, context) {name, context},
const SceneFieldInfo sceneFieldInfo[FIELD_COUNT] = {
    SCENE_FIELDS(SCENE_FIELD_INFO){"trailing content", CTX_SCENE},
};
#undef SCENE_FIELD_INFO

const SettingSlot sceneSettingSlots[SCENE_SETTING_COUNT] = {
    {FIELD_displayModeIndex, &displayModeIndex, nullptr},
    {FIELD_light0Enabled, &light0Enabled, nullptr},
    {FIELD_light1Enabled, &light1Enabled, nullptr},
    {FIELD_smoothShading, &smoothShading, nullptr},
    {FIELD_fieldOfView, &fieldOfView, nullptr},
    {FIELD_windowMaximised, &windowMaximised, nullptr},
    {FIELD_fullScreen, &fullScreen, nullptr},
    {FIELD_farPlane, nullptr, &farPlane},
    {FIELD_cullDistance, &cullDistance, nullptr},
    {FIELD_cullEnabled, &cullEnabled, nullptr},
    {FIELD_linearMagFilter, &linearMagFilter, nullptr},
    {FIELD_light0Level, nullptr, &light0Level},
    {FIELD_light1Level, nullptr, &light1Level},
    {FIELD_startEyeX, nullptr, &startEyeX},
    {FIELD_startEyeY, nullptr, &startEyeY},
    {FIELD_startEyeZ, nullptr, &startEyeZ},
    {FIELD_startTargetX, nullptr, &startTargetX},
    {FIELD_startTargetY, nullptr, &startTargetY},
    {FIELD_startTargetZ, nullptr, &startTargetZ},
    {FIELD_startHeading, nullptr, &startHeading},
    {FIELD_collisionRadius, nullptr, &collisionRadius},
    {FIELD_viewMode, &viewMode, nullptr},
    {FIELD_followCameraSteps, &followCameraSteps, nullptr},
    {FIELD_driveCameraSteps, &driveCameraSteps, nullptr},
    {FIELD_observerStartX, nullptr, &observerStartX},
    {FIELD_observerStartY, nullptr, &observerStartY},
    {FIELD_observerStartZ, nullptr, &observerStartZ},
    {FIELD_observerTargetX, nullptr, &observerTargetX},
    {FIELD_observerTargetY, nullptr, &observerTargetY},
    {FIELD_observerTargetZ, nullptr, &observerTargetZ},
    {FIELD_sideKeyMode, &sideKeyMode, nullptr},
    {FIELD_maxWalkSpeed, nullptr, &maxWalkSpeed},
    {FIELD_turnStep, nullptr, &turnStep},
    {FIELD_walkAcceleration, nullptr, &walkAcceleration},
    {FIELD_tiltMax, nullptr, &tiltMax},
    {FIELD_tiltMin, nullptr, &tiltMin},
    {FIELD_crouchDepth, nullptr, &crouchDepth},
    {FIELD_jumpHeight, nullptr, &jumpHeight},
    {FIELD_deflectionDamping, nullptr, &deflectionDamping},
    {FIELD_maxDeflection, nullptr, &maxDeflection},
    {FIELD_maxDriveSpeed, nullptr, &maxDriveSpeed},
    {FIELD_maxSteerRate, nullptr, &maxSteerRate},
    {FIELD_driveAcceleration, nullptr, &driveAcceleration},
    {FIELD_boostAcceleration, nullptr, &boostAcceleration},
    {FIELD_steerReturnRate, nullptr, &steerReturnRate},
    {FIELD_handbrakeDeceleration, nullptr, &handbrakeDeceleration},
    {FIELD_brakeDeceleration, nullptr, &brakeDeceleration},
    {FIELD_rollingFriction, nullptr, &rollingFriction},
    {FIELD_steerStep, nullptr, &steerStep},
    {FIELD_driftSteerStep, nullptr, &driftSteerStep},
    {FIELD_driftSteerFactor, nullptr, &driftSteerFactor},
    {FIELD_bodyRollFactor, nullptr, &bodyRollFactor},
    {FIELD_collisionTurnDivisor, nullptr, &collisionTurnDivisor},
    {FIELD_driveDeflectionDamping, nullptr, &driveDeflectionDamping},
    {FIELD_driveMaxDeflection, nullptr, &driveMaxDeflection},
    {FIELD_maxBodyPitch, nullptr, &maxBodyPitch},
    {FIELD_engineShake, nullptr, &engineShake},
};
