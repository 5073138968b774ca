// scene_fields.h -- the fields of "Hod.pro" in file order, with their names,
// for diagnostics and for the tools that write or summarise a scene.
#pragma once

// Which loop cursors name the record a field belongs to.
enum FieldContext : unsigned char {
    CTX_SCENE,          // a single value of the scene
    CTX_OBSTACLE,       // obstacle point obstacleIndex (the reader's RecordCursors)
    CTX_ACTOR,          // actor actorIndex
    CTX_WAYPOINT,       // actor actorIndex, waypoint waypointIndex
    CTX_AVATAR_JOINT,   // avatar joint jointIndex, pose poseIndex
    CTX_AVATAR_VERTEX,  // avatar vertex avatarPolyIndex
    CTX_PART_VERTEX,    // actor actorIndex, part vertex partIndex
    CTX_ACTOR_JOINT,    // actor actorIndex, joint jointIndex, pose poseIndex
    CTX_TEX_VERTEX,     // textured vertex texPolyIndex
    CTX_FLAT_VERTEX,    // plain vertex flatPolyIndex
};

// X(id, name, context), in the order the file gives them. Field names are the
// data model's; the part capacity M has no table of its own and is named by
// its scene member.
#define SCENE_FIELDS(X)                                                          \
    X(texPolyVertexCount, "texPolyVertexCount", CTX_SCENE)                       \
    X(flatPolyVertexCount, "flatPolyVertexCount", CTX_SCENE)                     \
    X(avatarPolyVertexCount, "avatarPolyVertexCount", CTX_SCENE)                 \
    X(actorLastIndex, "actorLastIndex", CTX_SCENE)                               \
    X(partCapacity, "partCapacity", CTX_SCENE)                                   \
    X(displayModeIndex, "displayModeIndex", CTX_SCENE)                           \
    X(light0Enabled, "light0Enabled", CTX_SCENE)                                 \
    X(light1Enabled, "light1Enabled", CTX_SCENE)                                 \
    X(smoothShading, "smoothShading", CTX_SCENE)                                 \
    X(fieldOfView, "fieldOfView", CTX_SCENE)                                     \
    X(windowMaximised, "windowMaximised", CTX_SCENE)                             \
    X(fullScreen, "fullScreen", CTX_SCENE)                                       \
    X(farPlane, "farPlane", CTX_SCENE)                                           \
    X(cullDistance, "cullDistance", CTX_SCENE)                                   \
    X(cullEnabled, "cullEnabled", CTX_SCENE)                                     \
    X(linearMagFilter, "linearMagFilter", CTX_SCENE)                             \
    X(light0Level, "light0Level", CTX_SCENE)                                     \
    X(light1Level, "light1Level", CTX_SCENE)                                     \
    X(startEyeX, "startEyeX", CTX_SCENE)                                         \
    X(startEyeY, "startEyeY", CTX_SCENE)                                         \
    X(startEyeZ, "startEyeZ", CTX_SCENE)                                         \
    X(startTargetX, "startTargetX", CTX_SCENE)                                   \
    X(startTargetY, "startTargetY", CTX_SCENE)                                   \
    X(startTargetZ, "startTargetZ", CTX_SCENE)                                   \
    X(startHeading, "startHeading", CTX_SCENE)                                   \
    X(collisionRadius, "collisionRadius", CTX_SCENE)                             \
    X(viewMode, "viewMode", CTX_SCENE)                                           \
    X(followCameraSteps, "followCameraSteps", CTX_SCENE)                         \
    X(driveCameraSteps, "driveCameraSteps", CTX_SCENE)                           \
    X(observerStartX, "observerStartX", CTX_SCENE)                               \
    X(observerStartY, "observerStartY", CTX_SCENE)                               \
    X(observerStartZ, "observerStartZ", CTX_SCENE)                               \
    X(observerTargetX, "observerTargetX", CTX_SCENE)                             \
    X(observerTargetY, "observerTargetY", CTX_SCENE)                             \
    X(observerTargetZ, "observerTargetZ", CTX_SCENE)                             \
    X(sideKeyMode, "sideKeyMode", CTX_SCENE)                                     \
    X(maxWalkSpeed, "maxWalkSpeed", CTX_SCENE)                                   \
    X(turnStep, "turnStep", CTX_SCENE)                                           \
    X(walkAcceleration, "walkAcceleration", CTX_SCENE)                           \
    X(tiltMax, "tiltMax", CTX_SCENE)                                             \
    X(tiltMin, "tiltMin", CTX_SCENE)                                             \
    X(crouchDepth, "crouchDepth", CTX_SCENE)                                     \
    X(jumpHeight, "jumpHeight", CTX_SCENE)                                       \
    X(deflectionDamping, "deflectionDamping", CTX_SCENE)                         \
    X(maxDeflection, "maxDeflection", CTX_SCENE)                                 \
    X(maxDriveSpeed, "maxDriveSpeed", CTX_SCENE)                                 \
    X(maxSteerRate, "maxSteerRate", CTX_SCENE)                                   \
    X(driveAcceleration, "driveAcceleration", CTX_SCENE)                         \
    X(boostAcceleration, "boostAcceleration", CTX_SCENE)                         \
    X(steerReturnRate, "steerReturnRate", CTX_SCENE)                             \
    X(handbrakeDeceleration, "handbrakeDeceleration", CTX_SCENE)                 \
    X(brakeDeceleration, "brakeDeceleration", CTX_SCENE)                         \
    X(rollingFriction, "rollingFriction", CTX_SCENE)                             \
    X(steerStep, "steerStep", CTX_SCENE)                                         \
    X(driftSteerStep, "driftSteerStep", CTX_SCENE)                               \
    X(driftSteerFactor, "driftSteerFactor", CTX_SCENE)                           \
    X(bodyRollFactor, "bodyRollFactor", CTX_SCENE)                               \
    X(collisionTurnDivisor, "collisionTurnDivisor", CTX_SCENE)                   \
    X(driveDeflectionDamping, "driveDeflectionDamping", CTX_SCENE)               \
    X(driveMaxDeflection, "driveMaxDeflection", CTX_SCENE)                       \
    X(maxBodyPitch, "maxBodyPitch", CTX_SCENE)                                   \
    X(engineShake, "engineShake", CTX_SCENE)                                     \
    X(obstacleCount, "obstacleCount", CTX_SCENE)                                 \
    X(obstacleX, "obstacleX", CTX_OBSTACLE)                                      \
    X(obstacleZ, "obstacleZ", CTX_OBSTACLE)                                      \
    X(actorAvoidsObstacles, "actorAvoidsObstacles", CTX_ACTOR)                   \
    X(actorUsesWaypoints, "actorUsesWaypoints", CTX_ACTOR)                       \
    X(actorCullEnabled, "actorCullEnabled", CTX_ACTOR)                           \
    X(actorCullDistance, "actorCullDistance", CTX_ACTOR)                         \
    X(actorRangeLimited, "actorRangeLimited", CTX_ACTOR)                         \
    X(actorActiveRange, "actorActiveRange", CTX_ACTOR)                           \
    X(actorWaypointCount, "actorWaypointCount", CTX_ACTOR)                       \
    X(actorWaypointX, "actorWaypointX", CTX_WAYPOINT)                            \
    X(actorWaypointZ, "actorWaypointZ", CTX_WAYPOINT)                            \
    X(clearRed, "clearRed", CTX_SCENE)                                           \
    X(clearGreen, "clearGreen", CTX_SCENE)                                       \
    X(clearBlue, "clearBlue", CTX_SCENE)                                         \
    X(avatarHeadingOffset, "avatarHeadingOffset", CTX_SCENE)                     \
    X(avatarJointCount, "avatarJointCount", CTX_SCENE)                           \
    X(avatarJointPivotX, "avatarJointPivotX", CTX_AVATAR_JOINT)                  \
    X(avatarJointPivotY, "avatarJointPivotY", CTX_AVATAR_JOINT)                  \
    X(avatarJointPivotZ, "avatarJointPivotZ", CTX_AVATAR_JOINT)                  \
    X(avatarJointSwingZ, "avatarJointSwingZ", CTX_AVATAR_JOINT)                  \
    X(avatarJointSwingY, "avatarJointSwingY", CTX_AVATAR_JOINT)                  \
    X(avatarJointSwingX, "avatarJointSwingX", CTX_AVATAR_JOINT)                  \
    X(avatarJointTiltZ, "avatarJointTiltZ", CTX_AVATAR_JOINT)                    \
    X(avatarJointTiltY, "avatarJointTiltY", CTX_AVATAR_JOINT)                    \
    X(avatarJointTiltX, "avatarJointTiltX", CTX_AVATAR_JOINT)                    \
    X(avatarSwingDivisor, "swingDivisor", CTX_AVATAR_JOINT)                      \
    X(avatarPolyColorR, "avatarPolyColorR", CTX_AVATAR_VERTEX)                   \
    X(avatarPolyColorG, "avatarPolyColorG", CTX_AVATAR_VERTEX)                   \
    X(avatarPolyColorB, "avatarPolyColorB", CTX_AVATAR_VERTEX)                   \
    X(avatarPolyJoint, "avatarPolyJoint", CTX_AVATAR_VERTEX)                     \
    X(avatarPolyX, "avatarPolyX", CTX_AVATAR_VERTEX)                             \
    X(avatarPolyY, "avatarPolyY", CTX_AVATAR_VERTEX)                             \
    X(avatarPolyZ, "avatarPolyZ", CTX_AVATAR_VERTEX)                             \
    X(avatarPolyEnd, "avatarPolyEnd", CTX_AVATAR_VERTEX)                         \
    X(avatarPolyS, "avatarPolyS", CTX_AVATAR_VERTEX)                             \
    X(avatarPolyT, "avatarPolyT", CTX_AVATAR_VERTEX)                             \
    X(avatarPolyTexFlag, "avatarPolyTexFlag", CTX_AVATAR_VERTEX)                 \
    X(avatarPolyTexName, "avatarPolyTexName", CTX_AVATAR_VERTEX)                 \
    X(actorPartVertexCount, "actorPartVertexCount", CTX_ACTOR)                   \
    X(actorStartX, "actorStartX", CTX_ACTOR)                                     \
    X(actorStartY, "actorStartY", CTX_ACTOR)                                     \
    X(actorStartZ, "actorStartZ", CTX_ACTOR)                                     \
    X(actorFrontX, "actorFrontX", CTX_ACTOR)                                     \
    X(actorFrontY, "actorFrontY", CTX_ACTOR)                                     \
    X(actorFrontZ, "actorFrontZ", CTX_ACTOR)                                     \
    X(actorStartHeading, "actorStartHeading", CTX_ACTOR)                         \
    X(actorModelHeadingOffset, "actorModelHeadingOffset", CTX_ACTOR)             \
    X(partColorR, "partColorR", CTX_PART_VERTEX)                                 \
    X(partColorG, "partColorG", CTX_PART_VERTEX)                                 \
    X(partColorB, "partColorB", CTX_PART_VERTEX)                                 \
    X(partJoint, "partJoint", CTX_PART_VERTEX)                                   \
    X(partX, "partX", CTX_PART_VERTEX)                                           \
    X(partY, "partY", CTX_PART_VERTEX)                                           \
    X(partZ, "partZ", CTX_PART_VERTEX)                                           \
    X(partEnd, "partEnd", CTX_PART_VERTEX)                                       \
    X(partS, "partS", CTX_PART_VERTEX)                                           \
    X(partT, "partT", CTX_PART_VERTEX)                                           \
    X(partTexFlag, "partTexFlag", CTX_PART_VERTEX)                               \
    X(partTexName, "partTexName", CTX_PART_VERTEX)                               \
    X(actorMaxSpeed, "actorMaxSpeed", CTX_ACTOR)                                 \
    X(actorCollisionRadius, "actorCollisionRadius", CTX_ACTOR)                   \
    X(actorJointCount, "actorJointCount", CTX_ACTOR)                             \
    X(actorJointPivotX, "actorJointPivotX", CTX_ACTOR_JOINT)                     \
    X(actorJointPivotY, "actorJointPivotY", CTX_ACTOR_JOINT)                     \
    X(actorJointPivotZ, "actorJointPivotZ", CTX_ACTOR_JOINT)                     \
    X(actorJointSwingZ, "actorJointSwingZ", CTX_ACTOR_JOINT)                     \
    X(actorJointSwingY, "actorJointSwingY", CTX_ACTOR_JOINT)                     \
    X(actorJointSwingX, "actorJointSwingX", CTX_ACTOR_JOINT)                     \
    X(actorSwingDivisor, "swingDivisor", CTX_ACTOR_JOINT)                        \
    X(texPolyColorR, "texPolyColorR", CTX_TEX_VERTEX)                            \
    X(texPolyColorG, "texPolyColorG", CTX_TEX_VERTEX)                            \
    X(texPolyColorB, "texPolyColorB", CTX_TEX_VERTEX)                            \
    X(texPolyX, "texPolyX", CTX_TEX_VERTEX)                                      \
    X(texPolyY, "texPolyY", CTX_TEX_VERTEX)                                      \
    X(texPolyZ, "texPolyZ", CTX_TEX_VERTEX)                                      \
    X(texPolyEnd, "texPolyEnd", CTX_TEX_VERTEX)                                  \
    X(texPolyS, "texPolyS", CTX_TEX_VERTEX)                                      \
    X(texPolyT, "texPolyT", CTX_TEX_VERTEX)                                      \
    X(texPolyTexFlag, "texPolyTexFlag", CTX_TEX_VERTEX)                          \
    X(texPolyTexName, "texPolyTexName", CTX_TEX_VERTEX)                          \
    X(flatPolyColorR, "flatPolyColorR", CTX_FLAT_VERTEX)                         \
    X(flatPolyColorG, "flatPolyColorG", CTX_FLAT_VERTEX)                         \
    X(flatPolyColorB, "flatPolyColorB", CTX_FLAT_VERTEX)                         \
    X(flatPolyX, "flatPolyX", CTX_FLAT_VERTEX)                                   \
    X(flatPolyY, "flatPolyY", CTX_FLAT_VERTEX)                                   \
    X(flatPolyZ, "flatPolyZ", CTX_FLAT_VERTEX)                                   \
    X(flatPolyEnd, "flatPolyEnd", CTX_FLAT_VERTEX)

#define SCENE_FIELD_ENUM(id, name, context) FIELD_##id,
enum SceneField : int { SCENE_FIELDS(SCENE_FIELD_ENUM) FIELD_AFTER_LAST, FIELD_COUNT };
#undef SCENE_FIELD_ENUM

struct SceneFieldInfo {
    const char* name;
    FieldContext context;
};
// Indexed by SceneField; FIELD_AFTER_LAST names whatever follows the last field.
extern const SceneFieldInfo sceneFieldInfo[FIELD_COUNT];

struct Scene;

// One scalar setting, displayModeIndex to engineShake: the scene's member
// that holds it (exactly one of the two is set).
struct SettingSlot {
    SceneField field;
    int Scene::*intValue;
    double Scene::*decimalValue;
};
// The settings from displayModeIndex to engineShake in file order; the clear colour and the
// avatar heading offset, which the file gives later, are not in it.
constexpr int SCENE_SETTING_COUNT = FIELD_engineShake - FIELD_displayModeIndex + 1;
extern const SettingSlot sceneSettingSlots[SCENE_SETTING_COUNT];
