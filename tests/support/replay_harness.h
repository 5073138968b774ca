// replay_harness.h -- runs ambler-replay on a scene folder and reads its
// trace back, for tests that check behaviour frame by frame.
#pragma once

#include <map>
#include <string>
#include <vector>

struct TraceStep {
    long step = -1;
    bool ran = false;
    std::map<std::string, double> v;                // viewer fields by name
    std::vector<std::map<std::string, double>> actors;
    double modelview[16] = {};
    double operator[](const std::string& name) const;  // fails the test when missing
};

struct ReplayResult {
    int status = -1;
    std::vector<TraceStep> steps;
    std::string errors;      // the tool's stderr
    std::string traceText;   // the raw JSON Lines
};

// A fresh empty folder under the system's temporary folder.
std::string MakeTempDir();
// Writes text to path (creating or replacing the file).
void WriteTextFile(const std::string& path, const std::string& text);
// Runs the replay tool in sceneDir with the events text and extra
// arguments (e.g. "--size 320x240"), tracing every step.
ReplayResult RunReplayTool(const std::string& sceneDir, long steps, const std::string& events,
                           const std::string& extraArgs = "", const std::string& stdinText = "");
// Parses one trace line; false when it is not a well-formed record.
bool ParseTraceLine(const std::string& line, TraceStep* step);
