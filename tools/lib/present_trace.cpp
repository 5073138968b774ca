// present_trace.cpp -- the presented-frame trace read back.
#include "tools/lib/present_trace.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

// The number at s[*at]; advances past it. False when there is none.
bool Number(const std::string& s, size_t* at, double* v) {
    const char* start = s.c_str() + *at;
    char* end;
    *v = strtod(start, &end);
    if (end == start) return false;
    *at += (size_t)(end - start);
    return true;
}

bool Literal(const std::string& s, size_t* at, const char* text) {
    size_t n = strlen(text);
    if (s.compare(*at, n, text) != 0) return false;
    *at += n;
    return true;
}

}  // namespace

bool ParsePresentLine(const std::string& line, PresentRecord* p) {
    size_t at = 0;
    double step;
    if (!Literal(line, &at, "{\"t\": ") || !Number(line, &at, &p->t) ||
        !Literal(line, &at, ", \"step\": ") || !Number(line, &at, &step) ||
        !Literal(line, &at, ", \"alpha\": ") || !Number(line, &at, &p->alpha) ||
        !Literal(line, &at, ", \"modelview\": ["))
        return false;
    p->step = (long)step;
    for (int i = 0; i < 16; i++)
        if (!Number(line, &at, &p->modelview[i]) || !Literal(line, &at, i < 15 ? ", " : "]"))
            return false;
    if (!Literal(line, &at, ", \"actors\": [")) return false;
    p->actors.clear();
    while (Literal(line, &at, "[")) {
        std::array<double, 3> a;
        for (int i = 0; i < 3; i++)
            if (!Number(line, &at, &a[i]) || !Literal(line, &at, i < 2 ? ", " : "]")) return false;
        p->actors.push_back(a);
        Literal(line, &at, ", ");
    }
    return Literal(line, &at, "]}") && at == line.size();
}

std::vector<PresentRecord> ReadPresentTrace(const std::string& path, int* malformed) {
    std::vector<PresentRecord> frames;
    std::ifstream in(path);
    std::string line;
    int bad = 0;
    while (std::getline(in, line)) {
        PresentRecord p;
        if (ParsePresentLine(line, &p)) frames.push_back(p);
        else bad++;
    }
    if (malformed) *malformed = bad;
    return frames;
}

std::array<double, 3> CameraEye(const double m[16]) {
    std::array<double, 3> e;
    for (int c = 0; c < 3; c++)
        e[c] = -(m[4 * c] * m[12] + m[4 * c + 1] * m[13] + m[4 * c + 2] * m[14]);
    return e;
}

double CameraYaw(const double m[16]) { return std::atan2(m[8], m[0]) * 57.29577951308232; }  // 180 / pi

double CoefficientOfVariation(const std::vector<double>& v) {
    if (v.empty()) return NAN;
    double mean = 0, sq = 0;
    for (double x : v) mean += x;
    mean /= (double)v.size();
    for (double x : v) sq += (x - mean) * (x - mean);
    return std::sqrt(sq / (double)v.size()) / mean;
}
