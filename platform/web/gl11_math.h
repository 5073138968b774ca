// gl11_math.h -- the matrix and image arithmetic of our GL 1.1 layer, with
// no GL calls, so that tests can hold it against a real GL and GLU.
//
// Matrices are column-major float[16] and every operation rounds as the
// reference implementation does (Mesa's fixed-function matrices, SGI's
// GLU): single precision throughout, double only where GL and GLU take
// doubles and convert them, so the camera reads back the same to the last
// few bits on either side.
#pragma once

#include <cstdint>
#include <vector>

namespace gl11 {

// m = m * b (b applied first), as glMultMatrixf.
void MultiplyMatrix(float m[16], const float b[16]);
void TranslateMatrix(float m[16], float x, float y, float z);
void ScaleMatrix(float m[16], float x, float y, float z);
// No change for a zero angle or an axis shorter than 1e-4.
void RotateMatrix(float m[16], float angle, float x, float y, float z);
void OrthoMatrix(float m[16], double left, double right, double bottom, double top,
                 double zNear, double zFar);
// gluPerspective and gluLookAt: no change for a degenerate frustum.
void PerspectiveMatrix(float m[16], double fovy, double aspect, double zNear, double zFar);
void LookAtMatrix(float m[16], double eyeX, double eyeY, double eyeZ, double centreX,
                  double centreY, double centreZ, double upX, double upY, double upZ);
void IdentityMatrix(float m[16]);
// out = m * (x, y, z, w).
void TransformPoint(const float m[16], const float in[4], float out[4]);
// The normal matrix (the inverse transpose of the upper 3x3, row-major
// rows); false when m is singular there.
bool NormalMatrix(const float m[16], float n[9]);

// A triangle's texture coordinates as functions of the window position:
// (s - s0)/w, (t - t0)/w and 1/w are affine in window x and y, so the
// fragment stage can find (s, t) at its own pixel centre from the exact
// vertex positions, whatever grid the rasteriser snaps the vertices to.
// Taken from the first vertex's (s0, t0), a coordinate that is the same at
// every vertex stays exactly that value.
struct TexturePlane {
    float base[2];  // (s0, t0)
    float origin[2];  // a window position near the triangle
    float atOrigin[3];  // (s - s0)/w, (t - t0)/w, 1/w there
    float perX[3], perY[3];  // their change per pixel across and up
};

// The plane of the triangle whose eye positions are eye[0..2], drawn with
// projection into viewport; false (and *plane unchanged) when it has no
// area on the screen or a vertex lies in the eye's plane.
bool TrianglePlane(const float projection[16], const int viewport[4], const float* const eye[3],
                   const float* const texCoord[3], TexturePlane* plane);

// A square or oblong image on its way to a texture: width x height pixels
// of `components` bytes, rows packed.
struct Image {
    int width = 0, height = 0, components = 0;
    std::vector<uint8_t> pixels;
};

// The power of two gluBuild2DMipmaps scales a side to (3 * 2^k rounds up).
int NearestPowerOfTwo(int value);
// Box-filtered resampling, as GLU scales an unsigned-byte image.
Image ScaleImage(const Image& in, int width, int height);
// The next smaller mipmap level, each side halved down to 1.
Image HalveImage(const Image& in);
// Every level gluBuild2DMipmaps loads: level 0 at powers of two (halved
// while past maxSide), then each halving down to 1 x 1.
std::vector<Image> MipmapLevels(const Image& image, int maxSide);

}  // namespace gl11
