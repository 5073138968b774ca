// image_compare.cpp -- tolerant picture comparison and small picture helpers.
#include "tests/support/image_compare.h"

#include <algorithm>
#include <cstdlib>

ImageDifference CompareImages(const RgbImage& a, const RgbImage& b, RgbImage* diff) {
    ImageDifference d;
    d.sameSize = a.width == b.width && a.height == b.height &&
                 a.rgb.size() == (size_t)a.width * a.height * 3 && b.rgb.size() == a.rgb.size();
    d.total = (long)a.width * a.height;
    if (!d.sameSize) {
        d.differing = d.total;
        return d;
    }
    // Channels are 8-bit: "more than a tenth" is a step of more than 25.5.
    const int limit = (int)(PIXEL_TOLERANCE * 255);
    if (diff) {
        diff->width = a.width;
        diff->height = a.height;
        diff->rgb.assign(a.rgb.size(), 0);
    }
    for (long p = 0; p < d.total; p++) {
        int worst = 0;
        for (int c = 0; c < 3; c++) worst = std::max(worst, std::abs(a.rgb[3 * p + c] - b.rgb[3 * p + c]));
        bool differs = worst > limit;
        if (differs) d.differing++;
        if (diff) {
            unsigned char* out = &diff->rgb[3 * p];
            if (differs) {
                out[0] = 255;
                out[1] = out[2] = 0;
            } else {
                for (int c = 0; c < 3; c++) out[c] = (unsigned char)(a.rgb[3 * p + c] / 4 + worst * 4);
            }
        }
    }
    return d;
}

RgbImage CropImage(const RgbImage& image, int x, int y, int width, int height) {
    int x0 = std::clamp(x, 0, image.width), y0 = std::clamp(y, 0, image.height);
    int x1 = std::clamp(x + width, 0, image.width), y1 = std::clamp(y + height, 0, image.height);
    RgbImage out;
    out.width = x1 - x0;
    out.height = y1 - y0;
    out.rgb.reserve((size_t)out.width * out.height * 3);
    for (int row = y0; row < y1; row++) {
        const unsigned char* from = &image.rgb[((size_t)row * image.width + x0) * 3];
        out.rgb.insert(out.rgb.end(), from, from + (size_t)out.width * 3);
    }
    return out;
}

double MeanChannel(const RgbImage& image, int channel, int x, int y, int width, int height) {
    RgbImage part = CropImage(image, x, y, width, height);
    long n = (long)part.width * part.height;
    if (n == 0) return 0;
    double sum = 0;
    for (long p = 0; p < n; p++) sum += part.rgb[3 * p + channel];
    return sum / n;
}
