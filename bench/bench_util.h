// bench_util.h -- what every benchmark here measures with: a millisecond
// clock, the median of interleaved runs, and the frame's pixels.
#pragma once

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
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
