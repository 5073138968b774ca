// import_support.h -- running ambler-import and ambler-check from the
// import tests, and the models those tests write.
#pragma once

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_scene.h"
#include "tools/lib/png_image.h"

// Runs a program of the build with arguments; returns its exit status and
// its standard output and error together in *output.
inline int RunBuiltTool(const std::string& tool, const std::string& args, std::string* output) {
    std::string cmd = std::string(AMBLER_BIN_DIR) + "/" + tool + " " + args + " 2>&1 < /dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    char buffer[4096];
    size_t n;
    output->clear();
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) output->append(buffer, n);
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int RunImport(const std::string& args, std::string* output) {
    return RunBuiltTool("ambler-import", "--no-progress " + args, output);
}

// The rest of a report line after its label, "" when there is none.
inline std::string ReportLine(const std::string& report, const std::string& label) {
    size_t at = report.find("  " + label);
    if (at == std::string::npos) return "";
    at += 2 + label.size();
    return report.substr(at, report.find('\n', at) - at);
}

// The number after a report line's label ("  textures written 3"), -1 when
// the report has no such line.
inline long ReportNumber(const std::string& report, const std::string& label) {
    return report.find("  " + label) == std::string::npos ? -1 : std::atol(ReportLine(report, label).c_str());
}

// A PNG picture of one colour, for models that need a texture file.
inline bool WriteFlatPng(const std::string& path, int width, int height, unsigned char r,
                         unsigned char g, unsigned char b) {
    RgbImage image;
    image.width = width;
    image.height = height;
    for (int k = 0; k < width * height; k++) image.rgb.insert(image.rgb.end(), {r, g, b});
    return WritePng(path.c_str(), image);
}

// The names in a folder, dot files included, sorted.
inline std::vector<std::string> FolderNames(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A room 10 by 8 metres with 3 m walls, no roof, on a 30 by 28 m ground,
// as an OBJ in metres with y up. The wall at z = 0 has a doorway from x = 4
// to x = 5, 2.1 m high; the others are closed.
inline std::string RoomObj() {
    std::string obj = "# a room with a doorway\n";
    int vertices = 0;
    auto quad = [&](double x0, double y0, double z0, double x1, double y1, double z1, bool level) {
        // Corners of a level rectangle or an upright one.
        double c[4][3];
        if (level) {
            double v[4][3] = {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}};
            std::copy(&v[0][0], &v[0][0] + 12, &c[0][0]);
        } else {
            double v[4][3] = {{x0, y0, z0}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z0}};
            std::copy(&v[0][0], &v[0][0] + 12, &c[0][0]);
        }
        for (auto& p : c) obj += "v " + std::to_string(p[0]) + " " + std::to_string(p[1]) + " " + std::to_string(p[2]) + "\n";
        obj += "f " + std::to_string(vertices + 1) + " " + std::to_string(vertices + 2) + " " +
               std::to_string(vertices + 3) + " " + std::to_string(vertices + 4) + "\n";
        vertices += 4;
    };
    quad(-10, 0, -10, 20, 0, 18, true);  // ground
    quad(0, 0, 0, 4, 3, 0, false);       // front wall, left of the door
    quad(5, 0, 0, 10, 3, 0, false);      // right of the door
    quad(4, 2.1, 0, 5, 3, 0, false);     // lintel
    quad(10, 0, 0, 10, 3, 8, false);     // right wall
    quad(10, 0, 8, 0, 3, 8, false);      // back wall
    quad(0, 0, 8, 0, 3, 0, false);       // left wall
    return obj;
}
