// bench_util.h -- what every benchmark here measures with: a millisecond
// clock, the median of interleaved runs, the frame's pixels, and the
// processor time of a child program.
#pragma once

#include <GL/gl.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// Milliseconds on the monotonic clock.
inline double NowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The median of an odd number of runs.
inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The back buffer as RGB rows, so two ways of drawing can be shown equal.
inline std::vector<unsigned char> FramePixels(int width, int height) {
    std::vector<unsigned char> rgb((size_t)width * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// Times two ways of doing one thing in alternating order, so that both see
// the same machine load and neither always runs second.
template <typename A, typename B>
inline void TimeInterleaved(int runs, A timeA, B timeB, std::vector<double>* aMs,
                            std::vector<double>* bMs) {
    for (int r = 0; r < runs; r++) {
        if (r % 2 == 0) {
            aMs->push_back(timeA());
            bMs->push_back(timeB());
        } else {
            bMs->push_back(timeB());
            aMs->push_back(timeA());
        }
    }
}

// Processor seconds a child has used so far, from /proc.
inline double ChildCpuSeconds(int pid) {
    std::string path = "/proc/" + std::to_string(pid) + "/stat", text;
    FILE* f = fopen(path.c_str(), "r");
    char buf[1024];
    size_t n = f ? fread(buf, 1, sizeof buf - 1, f) : 0;
    if (f) fclose(f);
    buf[n] = 0;
    const char* p = strrchr(buf, ')');  // fields after the command name
    unsigned long utime = 0, stime = 0;
    if (p) sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime);
    return (double)(utime + stime) / (double)sysconf(_SC_CLK_TCK);
}
