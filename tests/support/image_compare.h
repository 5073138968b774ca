// image_compare.h -- comparing pictures with a tolerance, for the golden
// images and the real-window screenshots.
#pragma once

#include <string>

#include "tools/lib/png_image.h"

// A pixel differs when any channel differs by more than this share of
// full scale.
constexpr double PIXEL_TOLERANCE = 0.1;
// A picture fails when more than this share of its pixels differ.
constexpr double FAILING_PIXEL_SHARE = 0.01;

struct ImageDifference {
    bool sameSize = false;
    long differing = 0;  // pixels over the tolerance
    long total = 0;
    double Share() const { return total ? (double)differing / total : 1.0; }
};

// Counts the pixels of a and b that differ by more than the tolerance. When
// diff is given, it receives a picture of the difference: differing pixels
// in red over a dimmed copy of a.
ImageDifference CompareImages(const RgbImage& a, const RgbImage& b, RgbImage* diff = nullptr);

// The rectangle (x, y, width, height) of an image, clipped to it.
RgbImage CropImage(const RgbImage& image, int x, int y, int width, int height);

// Mean of one channel (0 red, 1 green, 2 blue) over a rectangle, 0..255.
double MeanChannel(const RgbImage& image, int channel, int x, int y, int width, int height);
