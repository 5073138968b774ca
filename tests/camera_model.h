// camera_model.h -- the view-mode-1 camera rebuilt in double precision from
// its definition (look-at, then tilt rotations about pivots), to hold the
// modelview matrix of a trace against.
#pragma once

#include <cmath>

// Column-major 4x4, as OpenGL stores it.
struct Mat4 {
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double& at(int row, int col) { return m[col * 4 + row]; }
    double at(int row, int col) const { return m[col * 4 + row]; }
};

inline Mat4 operator*(const Mat4& a, const Mat4& b) {
    Mat4 r;
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) {
            double s = 0;
            for (int k = 0; k < 4; k++) s += a.at(i, k) * b.at(k, j);
            r.at(i, j) = s;
        }
    return r;
}

inline Mat4 Translation(double x, double y, double z) {
    Mat4 t;
    t.at(0, 3) = x;
    t.at(1, 3) = y;
    t.at(2, 3) = z;
    return t;
}

// Rotation by degrees about a unit axis (the glRotate matrix).
inline Mat4 Rotation(double degrees, double x, double y, double z) {
    double a = degrees * M_PI / 180, c = cos(a), s = sin(a), k = 1 - c;
    Mat4 r;
    r.at(0, 0) = x * x * k + c;     r.at(0, 1) = x * y * k - z * s; r.at(0, 2) = x * z * k + y * s;
    r.at(1, 0) = y * x * k + z * s; r.at(1, 1) = y * y * k + c;     r.at(1, 2) = y * z * k - x * s;
    r.at(2, 0) = x * z * k - y * s; r.at(2, 1) = y * z * k + x * s; r.at(2, 2) = z * z * k + c;
    return r;
}

// The look-at matrix: rows side, up and back, then the move of the eye.
inline Mat4 LookAt(double ex, double ey, double ez, double cx, double cy, double cz, double ux,
                   double uy, double uz) {
    double f[3] = {cx - ex, cy - ey, cz - ez};
    double fl = sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    for (double& v : f) v /= fl;
    double s[3] = {f[1] * uz - f[2] * uy, f[2] * ux - f[0] * uz, f[0] * uy - f[1] * ux};
    double sl = sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    for (double& v : s) v /= sl;
    double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    Mat4 r;
    for (int k = 0; k < 3; k++) {
        r.at(0, k) = s[k];
        r.at(1, k) = u[k];
        r.at(2, k) = -f[k];
    }
    return r * Translation(-ex, -ey, -ez);
}

// The viewer's state as a trace reports it, plus the scene's start eye.
struct CameraInputs {
    double viewerX, viewerEyeY, viewerZ;
    double lookTargetX, lookTargetY, lookTargetZ;
    double viewAngle, tilt, walkedX, walkedZ;
    double startEyeX, startEyeY, startEyeZ;
};

// The camera with eye and centre lowered by eyeOffset (y grows downward).
inline Mat4 ViewerLookAt(const CameraInputs& c, double eyeOffset) {
    return LookAt(c.viewerX, c.viewerEyeY + eyeOffset, c.viewerZ, c.lookTargetX,
                  c.lookTargetY + eyeOffset, c.lookTargetZ, 0, -1, 0);
}

// One tilt about the pivot that walks with the viewer, raised by pivotOffset.
// Translations and angles go through single precision as the GL calls take them.
inline Mat4 TiltAboutPivot(const CameraInputs& c, double pivotOffset) {
    double px = (float)(c.startEyeX + c.walkedX);
    double py = (float)(c.startEyeY + pivotOffset);
    double pz = (float)(c.startEyeZ + c.walkedZ);
    double ax = (float)(sin(c.viewAngle) * c.tilt), az = (float)(cos(c.viewAngle) * c.tilt);
    return Translation(px, py, pz) * Rotation(ax, 1, 0, 0) * Rotation(az, 0, 0, 1) *
           Translation(-px, -py, -pz);
}

// Largest difference between a trace's modelview and the model, relative to
// the size of the entries (float arithmetic in GL).
inline double MatrixDistance(const double traced[16], const Mat4& model) {
    double worst = 0;
    for (int k = 0; k < 16; k++) {
        double scale = 1 + fabs(model.m[k]);
        worst = fmax(worst, fabs(traced[k] - model.m[k]) / scale);
    }
    return worst;
}
