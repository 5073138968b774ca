// present_trace.h -- reading the replay tool's presented-frame trace back,
// for the tests and the smooth display's figures.
#pragma once

#include <array>
#include <string>
#include <vector>

// One presented frame as the trace records it.
struct PresentRecord {
    double t = 0, alpha = 0;  // ms since loading; blend fraction
    long step = -1;           // the last step that had run
    double modelview[16] = {};
    std::vector<std::array<double, 3>> actors;  // walked x, walked z, heading
};

// Parses one line; false when a field is missing, out of place or malformed.
bool ParsePresentLine(const std::string& line, PresentRecord* record);
// Every frame of a trace file (malformed lines are skipped and counted).
std::vector<PresentRecord> ReadPresentTrace(const std::string& path, int* malformed = nullptr);

// The eye of a rigid camera matrix, in the world.
std::array<double, 3> CameraEye(const double m[16]);
// The view's turn about the vertical axis, degrees.
double CameraYaw(const double m[16]);
// Standard deviation over mean.
double CoefficientOfVariation(const std::vector<double>& values);
