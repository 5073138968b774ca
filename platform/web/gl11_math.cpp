// gl11_math.cpp -- matrices and mipmap images for our GL 1.1 layer.
#include "platform/web/gl11_math.h"

#include <cmath>
#include <cstring>

namespace gl11 {

static const float IDENTITY[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void IdentityMatrix(float m[16]) { std::memcpy(m, IDENTITY, sizeof IDENTITY); }

// Each product term in the reference's order, so the sums round the same.
void MultiplyMatrix(float m[16], const float b[16]) {
    float p[16];
    for (int i = 0; i < 4; i++) {
        const float a0 = m[i], a1 = m[4 + i], a2 = m[8 + i], a3 = m[12 + i];
        for (int j = 0; j < 4; j++)
            p[j * 4 + i] = a0 * b[j * 4] + a1 * b[j * 4 + 1] + a2 * b[j * 4 + 2] + a3 * b[j * 4 + 3];
    }
    std::memcpy(m, p, sizeof p);
}

void TranslateMatrix(float m[16], float x, float y, float z) {
    for (int i = 0; i < 4; i++) m[12 + i] = m[i] * x + m[4 + i] * y + m[8 + i] * z + m[12 + i];
}

void ScaleMatrix(float m[16], float x, float y, float z) {
    for (int i = 0; i < 4; i++) {
        m[i] *= x;
        m[4 + i] *= y;
        m[8 + i] *= z;
    }
}

// A rotation about one axis is built exactly (no normalising divide), as
// the reference does; other axes take the general formula.
static bool AxisRotation(float r[16], float s, float c, float x, float y, float z) {
#define R(row, col) r[(col) * 4 + (row)]
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        R(0, 0) = c, R(1, 1) = c;
        R(0, 1) = z < 0.0f ? s : -s;
        R(1, 0) = z < 0.0f ? -s : s;
        return true;
    }
    if (x == 0.0f && z == 0.0f && y != 0.0f) {
        R(0, 0) = c, R(2, 2) = c;
        R(0, 2) = y < 0.0f ? -s : s;
        R(2, 0) = y < 0.0f ? s : -s;
        return true;
    }
    if (y == 0.0f && z == 0.0f && x != 0.0f) {
        R(1, 1) = c, R(2, 2) = c;
        R(1, 2) = x < 0.0f ? s : -s;
        R(2, 1) = x < 0.0f ? -s : s;
        return true;
    }
    return false;
}

void RotateMatrix(float m[16], float angle, float x, float y, float z) {
    if (angle == 0.0f) return;  // glRotate by zero leaves the matrix untouched
    const float s = (float)std::sin(angle * M_PI / 180.0);
    const float c = (float)std::cos(angle * M_PI / 180.0);
    float r[16];
    IdentityMatrix(r);
    if (!AxisRotation(r, s, c, x, y, z)) {
        const float mag = std::sqrt(x * x + y * y + z * z);
        if (mag <= 1.0e-4f) return;
        x /= mag, y /= mag, z /= mag;
        const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s, oneC = 1.0f - c;
        R(0, 0) = (oneC * xx) + c, R(0, 1) = (oneC * xy) - zs, R(0, 2) = (oneC * zx) + ys;
        R(1, 0) = (oneC * xy) + zs, R(1, 1) = (oneC * yy) + c, R(1, 2) = (oneC * yz) - xs;
        R(2, 0) = (oneC * zx) - ys, R(2, 1) = (oneC * yz) + xs, R(2, 2) = (oneC * zz) + c;
    }
    MultiplyMatrix(m, r);
}

void OrthoMatrix(float m[16], double left, double right, double bottom, double top,
                 double zNear, double zFar) {
    const float l = (float)left, r = (float)right, b = (float)bottom, t = (float)top;
    const float n = (float)zNear, f = (float)zFar;
    float o[16] = {};
    o[0] = 2.0f / (r - l);
    o[5] = 2.0f / (t - b);
    o[10] = -2.0f / (f - n);
    o[12] = -(r + l) / (r - l);
    o[13] = -(t + b) / (t - b);
    o[14] = -(f + n) / (f - n);
    o[15] = 1.0f;
    MultiplyMatrix(m, o);
}
#undef R

// A double matrix reaches the GL as floats, element by element.
static void MultiplyDoubleMatrix(float m[16], const double d[16]) {
    float f[16];
    for (int i = 0; i < 16; i++) f[i] = (float)d[i];
    MultiplyMatrix(m, f);
}

void PerspectiveMatrix(float m[16], double fovy, double aspect, double zNear, double zFar) {
    const double radians = fovy / 2 * M_PI / 180;
    const double deltaZ = zFar - zNear, sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return;
    const double cotangent = std::cos(radians) / sine;
    double p[16] = {};
    p[0] = cotangent / aspect;
    p[5] = cotangent;
    p[10] = -(zFar + zNear) / deltaZ;
    p[11] = -1;
    p[14] = -2 * zNear * zFar / deltaZ;
    MultiplyDoubleMatrix(m, p);
}

static void Normalise(float v[3]) {
    const float r = (float)std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (r == 0.0f) return;
    v[0] /= r, v[1] /= r, v[2] /= r;
}

static void Cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

void LookAtMatrix(float m[16], double eyeX, double eyeY, double eyeZ, double centreX,
                  double centreY, double centreZ, double upX, double upY, double upZ) {
    float forward[3] = {(float)(centreX - eyeX), (float)(centreY - eyeY), (float)(centreZ - eyeZ)};
    float up[3] = {(float)upX, (float)upY, (float)upZ}, side[3];
    Normalise(forward);
    Cross(forward, up, side);
    Normalise(side);
    Cross(side, forward, up);
    float v[16];
    IdentityMatrix(v);
    for (int i = 0; i < 3; i++) {
        v[i * 4] = side[i];
        v[i * 4 + 1] = up[i];
        v[i * 4 + 2] = -forward[i];
    }
    MultiplyMatrix(m, v);
    TranslateMatrix(m, (float)-eyeX, (float)-eyeY, (float)-eyeZ);
}

void TransformPoint(const float m[16], const float in[4], float out[4]) {
    for (int i = 0; i < 4; i++)
        out[i] = m[i] * in[0] + m[4 + i] * in[1] + m[8 + i] * in[2] + m[12 + i] * in[3];
}

bool TrianglePlane(const float projection[16], const int viewport[4], const float* const eye[3],
                   const float* const texCoord[3], TexturePlane* plane) {
    double x[3], y[3], f[3][3];  // window position, then s/w, t/w, 1/w of each vertex
    for (int v = 0; v < 3; v++) {
        double clip[4];
        for (int i = 0; i < 4; i++)
            clip[i] = (double)projection[i] * eye[v][0] + (double)projection[4 + i] * eye[v][1] +
                      (double)projection[8 + i] * eye[v][2] + (double)projection[12 + i] * eye[v][3];
        if (std::fabs(clip[3]) < 1e-20) return false;
        const double q = 1 / clip[3];
        x[v] = viewport[0] + (clip[0] * q + 1) * viewport[2] / 2;
        y[v] = viewport[1] + (clip[1] * q + 1) * viewport[3] / 2;
        f[v][0] = ((double)texCoord[v][0] - texCoord[0][0]) * q;
        f[v][1] = ((double)texCoord[v][1] - texCoord[0][1]) * q;
        f[v][2] = q;
    }
    // The planes are taken from a point on the screen near the triangle,
    // as the fragment stage will read it (single precision): a vertex
    // beside the eye lies far outside, and a large constant there would
    // cancel away the texel at each pixel.
    const float originX = (float)std::fmin(std::fmax((x[0] + x[1] + x[2]) / 3, viewport[0]),
                                            viewport[0] + viewport[2]);
    const float originY = (float)std::fmin(std::fmax((y[0] + y[1] + y[2]) / 3, viewport[1]),
                                            viewport[1] + viewport[3]);
    const double x1 = x[1] - x[0], y1 = y[1] - y[0], x2 = x[2] - x[0], y2 = y[2] - y[0];
    const double area = x1 * y2 - x2 * y1;
    if (area == 0 || !std::isfinite(area)) return false;
    for (int k = 0; k < 3; k++) {
        const double d1 = f[1][k] - f[0][k], d2 = f[2][k] - f[0][k];
        const double perX = (d1 * y2 - d2 * y1) / area, perY = (d2 * x1 - d1 * x2) / area;
        plane->perX[k] = (float)perX;
        plane->perY[k] = (float)perY;
        plane->atOrigin[k] = (float)(f[0][k] + perX * (originX - x[0]) + perY * (originY - y[0]));
    }
    plane->origin[0] = originX, plane->origin[1] = originY;
    plane->base[0] = texCoord[0][0], plane->base[1] = texCoord[0][1];
    return true;
}

bool NormalMatrix(const float m[16], float n[9]) {
    // Cofactors of the upper 3x3 (a[row][col]); the inverse transpose is
    // the cofactor matrix over the determinant.
    const float a00 = m[0], a01 = m[4], a02 = m[8], a10 = m[1], a11 = m[5], a12 = m[9];
    const float a20 = m[2], a21 = m[6], a22 = m[10];
    const float c00 = a11 * a22 - a12 * a21, c01 = a12 * a20 - a10 * a22, c02 = a10 * a21 - a11 * a20;
    const float det = a00 * c00 + a01 * c01 + a02 * c02;
    if (det == 0.0f || !std::isfinite(det)) return false;
    const float inv = 1.0f / det;
    n[0] = c00 * inv, n[1] = c01 * inv, n[2] = c02 * inv;
    n[3] = (a02 * a21 - a01 * a22) * inv, n[4] = (a00 * a22 - a02 * a20) * inv;
    n[5] = (a01 * a20 - a00 * a21) * inv;
    n[6] = (a01 * a12 - a02 * a11) * inv, n[7] = (a02 * a10 - a00 * a12) * inv;
    n[8] = (a00 * a11 - a01 * a10) * inv;
    return true;
}

// ---- Mipmaps.

int NearestPowerOfTwo(int value) {
    if (value <= 0) return 1;
    int power = 1;
    for (unsigned v = (unsigned)value;; v >>= 1, power *= 2) {
        if (v == 1) return power;
        if (v == 3) return power * 4;
    }
}

static Image Blank(int width, int height, int components) {
    Image out;
    out.width = width, out.height = height, out.components = components;
    out.pixels.assign((size_t)width * height * components, 0);
    return out;
}

// Halving with the reference's rounding: a 2 x 2 block rounds to nearest,
// a pair of a one-pixel-wide image truncates.
Image HalveImage(const Image& in) {
    const int w = in.width > 1 ? in.width / 2 : 1, h = in.height > 1 ? in.height / 2 : 1;
    const int c = in.components;
    Image out = Blank(w, h, c);
    const size_t row = (size_t)in.width * c;
    const uint8_t* src = in.pixels.data();
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            for (int k = 0; k < c; k++) {
                uint8_t* d = &out.pixels[((size_t)y * w + x) * c + k];
                if (in.width > 1 && in.height > 1) {
                    const uint8_t* s = src + (size_t)(2 * y) * row + (size_t)(2 * x) * c + k;
                    *d = (uint8_t)((s[0] + s[c] + s[row] + s[row + c] + 2) / 4);
                } else if (in.height == 1) {
                    const uint8_t* s = src + (size_t)(2 * x) * c + k;
                    *d = (uint8_t)((s[0] + s[c]) / 2);
                } else {
                    const uint8_t* s = src + (size_t)(2 * y) * row + k;
                    *d = (uint8_t)((s[0] + s[row]) / 2);
                }
            }
    return out;
}

namespace {

// One output pixel's box over the input: from (lowX, lowY) to (highX,
// highY), each an integer part and a fraction, walked by a fixed step in
// single precision as the reference walks it (so the boxes' edges drift
// the same way).
struct BoxEdge {
    int low = 0, high = 0;
    float lowFraction = 0, highFraction = 0;
    int step = 0;
    float stepFraction = 0;
    void Start(float conv) {
        step = (int)std::floor(conv);
        stepFraction = conv - (float)step;
        low = 0, lowFraction = 0;
        high = step, highFraction = stepFraction;
    }
    void Advance() {
        low = high, lowFraction = highFraction;
        high += step;
        highFraction += stepFraction;
        if (highFraction > 1) highFraction -= 1.0f, high++;
    }
};

struct BoxSampler {
    const Image& in;
    float totals[4];
    int Clamp(int v, int limit) const { return v < 0 ? 0 : v >= limit ? limit - 1 : v; }
    void Add(int x, int y, float weight) {
        const uint8_t* p = &in.pixels[((size_t)Clamp(y, in.height) * in.width +
                                       Clamp(x, in.width)) * in.components];
        for (int k = 0; k < in.components; k++) totals[k] += p[k] * weight;
    }
    // A row of the box between its left and right columns: the partial
    // ends and the whole pixels between, each weighted by yWeight.
    void AddRow(const BoxEdge& x, int y, float yWeight) {
        Add(x.low, y, yWeight * (1 - x.lowFraction));
        for (int l = x.low + 1; l < x.high; l++) Add(l, y, yWeight);
        Add(x.high, y, yWeight * x.highFraction);
    }
    void AddColumn(const BoxEdge& y, int x, float xWeight) {
        Add(x, y.low, (1 - y.lowFraction) * xWeight);
        for (int m = y.low + 1; m < y.high; m++) Add(x, m, xWeight);
        Add(x, y.high, xWeight * y.highFraction);
    }
    void AddBox(const BoxEdge& x, const BoxEdge& y) {
        if (y.high > y.low && x.high > x.low) {
            AddRow(x, y.low, 1 - y.lowFraction);
            AddRow(x, y.high, y.highFraction);
            for (int m = y.low + 1; m < y.high; m++) {
                const uint8_t* left = &in.pixels[((size_t)Clamp(m, in.height) * in.width +
                                                  Clamp(x.low, in.width)) * in.components];
                const uint8_t* right = &in.pixels[((size_t)Clamp(m, in.height) * in.width +
                                                   Clamp(x.high, in.width)) * in.components];
                for (int k = 0; k < in.components; k++)
                    totals[k] += left[k] * (1 - x.lowFraction) + right[k] * x.highFraction;
            }
        } else if (y.high > y.low) {
            AddColumn(y, x.low, x.highFraction - x.lowFraction);
        } else if (x.high > x.low) {
            AddRow(x, y.low, y.highFraction - y.lowFraction);
        } else {
            Add(x.low, y.low, (y.highFraction - y.lowFraction) * (x.highFraction - x.lowFraction));
        }
        for (int m = y.low + 1; m < y.high; m++)
            for (int l = x.low + 1; l < x.high; l++) Add(l, m, 1.0f);
    }
};

}  // namespace

Image ScaleImage(const Image& in, int width, int height) {
    if (in.width == width * 2 && in.height == height * 2) return HalveImage(in);
    Image out = Blank(width, height, in.components);
    const float convY = (float)in.height / height, convX = (float)in.width / width;
    const float area = convX * convY;
    BoxEdge y, x;
    y.Start(convY);
    for (int i = 0; i < height; i++) {
        if (y.high >= in.height) y.high = in.height - 1;
        x.Start(convX);
        for (int j = 0; j < width; j++) {
            BoxSampler box{in, {0, 0, 0, 0}};
            box.AddBox(x, y);
            for (int k = 0; k < in.components; k++)
                out.pixels[((size_t)i * width + j) * in.components + k] =
                    (uint8_t)(box.totals[k] / area);
            x.Advance();
        }
        y.Advance();
    }
    return out;
}

std::vector<Image> MipmapLevels(const Image& image, int maxSide) {
    int w = NearestPowerOfTwo(image.width), h = NearestPowerOfTwo(image.height);
    while (maxSide > 0 && (w > maxSide || h > maxSide) && (w > 1 || h > 1)) {
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    std::vector<Image> levels;
    levels.push_back(w == image.width && h == image.height ? image : ScaleImage(image, w, h));
    while (levels.back().width > 1 || levels.back().height > 1)
        levels.push_back(HalveImage(levels.back()));
    return levels;
}

}  // namespace gl11
