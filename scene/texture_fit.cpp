// texture_fit.cpp -- scaling images down to the GL's texture size limit.
#include "scene/texture_fit.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>

int TextureSideLimit() {
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    // Without a current context the GL says nothing, and nothing is drawn.
    if (limit <= 0) return TEXTURE_SIDE_CEILING;
    return std::min<int>(limit, TEXTURE_SIDE_CEILING);
}

void FittedTextureSize(int width, int height, int limit, int* fittedWidth, int* fittedHeight) {
    *fittedWidth = std::min(width, limit);
    *fittedHeight = std::min(height, limit);
}

// The source span [begin, end) that output index i of n covers, of a side of
// length size (size >= n): every source index lies in exactly one span.
static void Span(int i, int n, int size, int64_t* begin, int64_t* end) {
    *begin = (int64_t)i * size / n;
    *end = (int64_t)(i + 1) * size / n;
}

std::vector<unsigned char> ScaleImageDown(const unsigned char* rgb, int width, int height,
                                          int fittedWidth, int fittedHeight) {
    std::vector<unsigned char> out((size_t)fittedWidth * fittedHeight * 3);
    std::vector<uint64_t> sums((size_t)fittedWidth * 3);
    for (int y = 0; y < fittedHeight; y++) {
        int64_t rowBegin, rowEnd;
        Span(y, fittedHeight, height, &rowBegin, &rowEnd);
        std::fill(sums.begin(), sums.end(), 0);
        for (int64_t sy = rowBegin; sy < rowEnd; sy++) {
            const unsigned char* row = rgb + (size_t)sy * width * 3;
            for (int x = 0; x < fittedWidth; x++) {
                int64_t colBegin, colEnd;
                Span(x, fittedWidth, width, &colBegin, &colEnd);
                for (int64_t sx = colBegin; sx < colEnd; sx++)
                    for (int c = 0; c < 3; c++) sums[(size_t)x * 3 + c] += row[sx * 3 + c];
            }
        }
        for (int x = 0; x < fittedWidth; x++) {
            int64_t colBegin, colEnd;
            Span(x, fittedWidth, width, &colBegin, &colEnd);
            uint64_t count = (uint64_t)(colEnd - colBegin) * (uint64_t)(rowEnd - rowBegin);
            for (int c = 0; c < 3; c++)  // rounded to the nearest
                out[((size_t)y * fittedWidth + x) * 3 + c] =
                    (unsigned char)((sums[(size_t)x * 3 + c] + count / 2) / count);
        }
    }
    return out;
}
