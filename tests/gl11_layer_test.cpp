// gl11_layer_test.cpp -- the browser build's GL 1.1 layer does its matrix
// and mipmap arithmetic itself; here it is held against Mesa's GL and GLU
// doing the same calls, so a camera reads back the same and a texture holds
// the same texels on either side.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

#include "platform/web/gl11_math.h"
#include "tests/gl_test_context.h"

namespace {

// The real GL's modelview after calls, from the identity.
void RealMatrix(const std::function<void()>& calls, float out[16]) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    calls();
    glGetFloatv(GL_MODELVIEW_MATRIX, out);
    glPopMatrix();
}

// Largest difference relative to the matrix's own size.
double Distance(const float a[16], const float b[16]) {
    double scale = 1, worst = 0;
    for (int i = 0; i < 16; i++) scale = std::fmax(scale, std::fabs(a[i]));
    for (int i = 0; i < 16; i++) worst = std::fmax(worst, std::fabs((double)a[i] - b[i]) / scale);
    return worst;
}

// The cameras Ambler builds: a look-at with the world's up as minus y, a
// tilt about a pivot, joints turned about each axis and about a slanted
// one, a perspective and the overlay's ortho, at random places and angles.
TEST(Gl11Layer, MatricesMatchTheRealGl) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> place(-5000, 5000), angle(-720, 720), unit(-1, 1);
    for (int round = 0; round < 200; round++) {
        const double eye[3] = {place(random), place(random), place(random)};
        const double centre[3] = {place(random), place(random), place(random)};
        const float tilt = (float)angle(random), turn = (float)angle(random), pivot = (float)place(random);
        const float axis[3] = {(float)unit(random), (float)unit(random), (float)unit(random)};
        float real[16], ours[16];
        RealMatrix([&] {
            gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0, -1, 0);
            glTranslatef(pivot, 0, -pivot);
            glRotatef(tilt, 1, 0, 0);
            glRotatef(turn, 0, 0, -1);
            glRotatef(turn, 0, 1, 0);
            glRotatef(tilt, axis[0], axis[1], axis[2]);
            glTranslatef(-pivot, 0, pivot);
            glScaled(1.5, 1.5, 1.0);
        }, real);
        gl11::IdentityMatrix(ours);
        gl11::LookAtMatrix(ours, eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0, -1, 0);
        gl11::TranslateMatrix(ours, pivot, 0, -pivot);
        gl11::RotateMatrix(ours, tilt, 1, 0, 0);
        gl11::RotateMatrix(ours, turn, 0, 0, -1);
        gl11::RotateMatrix(ours, turn, 0, 1, 0);
        gl11::RotateMatrix(ours, tilt, axis[0], axis[1], axis[2]);
        gl11::TranslateMatrix(ours, -pivot, 0, pivot);
        gl11::ScaleMatrix(ours, 1.5f, 1.5f, 1.0f);
        ASSERT_LT(Distance(real, ours), 1e-6) << "round " << round;
    }
    float real[16], ours[16];
    RealMatrix([] { gluPerspective(60, 4.0 / 3.0, 1.0, 20000.0); glOrtho(0, 320, 240, 0, -1, 1); }, real);
    gl11::IdentityMatrix(ours);
    gl11::PerspectiveMatrix(ours, 60, 4.0 / 3.0, 1.0, 20000.0);
    gl11::OrthoMatrix(ours, 0, 320, 240, 0, -1, 1);
    EXPECT_LT(Distance(real, ours), 1e-6);
    // A zero angle and a degenerate frustum leave the matrix as it was.
    RealMatrix([] { glRotatef(0, 0, 0, 0); gluPerspective(0, 1, 1, 10); gluPerspective(60, 1, 5, 5); }, real);
    gl11::IdentityMatrix(ours);
    gl11::RotateMatrix(ours, 0, 0, 0, 0);
    gl11::PerspectiveMatrix(ours, 0, 1, 1, 10);
    gl11::PerspectiveMatrix(ours, 60, 1, 5, 5);
    EXPECT_EQ(Distance(real, ours), 0);
}

// Every level GLU loads for an image, read back from the real texture.
std::vector<gl11::Image> RealLevels(const gl11::Image& image) {
    GLuint id;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE,
                      image.pixels.data());
    std::vector<gl11::Image> levels;
    for (int level = 0;; level++) {
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
        if (w == 0 || h == 0) break;
        gl11::Image l;
        l.width = w, l.height = h, l.components = 3;
        l.pixels.resize((size_t)w * h * 3);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, l.pixels.data());
        levels.push_back(l);
        if (w == 1 && h == 1) break;
    }
    glDeleteTextures(1, &id);
    return levels;
}

// Powers of two are halved with GLU's rounding; other sides are first
// resampled to the nearest power of two (3 x 2^k rounding up) by its box
// filter, texel for texel.
TEST(Gl11Layer, MipmapsMatchGlu) {
    std::mt19937 random(11);
    const int sizes[][2] = {{64, 64}, {128, 32}, {16, 1}, {1, 8}, {5, 3}, {6, 7}, {100, 37}, {3, 1}, {1, 1}, {200, 300}};
    for (const auto& size : sizes) {
        gl11::Image image;
        image.width = size[0], image.height = size[1], image.components = 3;
        for (int i = 0; i < size[0] * size[1] * 3; i++) image.pixels.push_back((uint8_t)random());
        std::vector<gl11::Image> real = RealLevels(image), ours = gl11::MipmapLevels(image, 8192);
        ASSERT_EQ(real.size(), ours.size()) << size[0] << "x" << size[1];
        for (size_t l = 0; l < real.size(); l++) {
            ASSERT_EQ(real[l].width, ours[l].width) << size[0] << "x" << size[1] << " level " << l;
            ASSERT_EQ(real[l].height, ours[l].height);
            int differing = 0;
            for (size_t i = 0; i < real[l].pixels.size(); i++) differing += real[l].pixels[i] != ours[l].pixels[i];
            EXPECT_EQ(differing, 0) << size[0] << "x" << size[1] << " level " << l;
        }
    }
    EXPECT_EQ(gl11::NearestPowerOfTwo(3), 4);
    EXPECT_EQ(gl11::NearestPowerOfTwo(5), 4);
    EXPECT_EQ(gl11::NearestPowerOfTwo(6), 8);
    EXPECT_EQ(gl11::NearestPowerOfTwo(1), 1);
    // Past the GL's largest side the power of two is halved until it fits.
    gl11::Image big;
    big.width = 300, big.height = 40, big.components = 3;
    big.pixels.assign(300 * 40 * 3, 7);
    EXPECT_EQ(gl11::MipmapLevels(big, 128)[0].width, 128);
    EXPECT_EQ(gl11::MipmapLevels(big, 128)[0].height, 16);
}

// Where a point in eye space lands in the window, and its texture
// coordinate as the fragment stage finds it there from the plane.
struct Projected {
    double x, y, w;
};

Projected Project(const float projection[16], const int viewport[4], const double eye[3]) {
    double clip[4];
    for (int i = 0; i < 4; i++)
        clip[i] = projection[i] * eye[0] + projection[4 + i] * eye[1] + projection[8 + i] * eye[2] + projection[12 + i];
    return {viewport[0] + (clip[0] / clip[3] + 1) * viewport[2] / 2,
            viewport[1] + (clip[1] / clip[3] + 1) * viewport[3] / 2, clip[3]};
}

void PlaneAt(const gl11::TexturePlane& p, double x, double y, float st[2]) {
    const float dx = (float)x - p.origin[0], dy = (float)y - p.origin[1];
    const float q = p.atOrigin[2] + p.perX[2] * dx + p.perY[2] * dy;
    for (int k = 0; k < 2; k++) st[k] = p.base[k] + (p.atOrigin[k] + p.perX[k] * dx + p.perY[k] * dy) / q;
}

// The texture coordinate at any pixel of a triangle, taken from its exact
// plane, is the perspective-correct one: at the corners, and at points
// inside chosen in eye space, where it is the same mix of the corners'
// coordinates. This is what keeps unfiltered far walls the same on every
// rasteriser, whatever grid it snaps vertices to.
TEST(Gl11Layer, TexturePlanesGiveEachPixelItsPerspectiveCoordinate) {
    float projection[16];
    gl11::IdentityMatrix(projection);
    gl11::PerspectiveMatrix(projection, 60, 4.0 / 3.0, 1.0, 3000.0);
    const int viewport[4] = {0, 0, 960, 540};
    std::mt19937 random(5);
    std::uniform_real_distribution<double> across(-400, 400), depth(-2000, -2), texture(-30, 30), unit(0, 1);
    int checked = 0;
    for (int round = 0; round < 500; round++) {
        float eye[3][4], st[3][2];
        // Some reach behind the eye, as ground at the viewer's feet does;
        // across such a triangle 1/w spans orders of magnitude, and single
        // precision (the fragment stage's, as any rasteriser's) holds less.
        const bool behind = round % 5 == 0;
        const double tolerance = behind ? 2e-3 : 2e-4;
        for (int v = 0; v < 3; v++) {
            const double z = v == 2 && behind ? -depth(random) / 4 : depth(random);
            eye[v][0] = (float)across(random), eye[v][1] = (float)across(random), eye[v][2] = (float)z, eye[v][3] = 1;
            st[v][0] = (float)texture(random), st[v][1] = (float)texture(random);
        }
        const float* eyes[3] = {eye[0], eye[1], eye[2]};
        const float* sts[3] = {st[0], st[1], st[2]};
        gl11::TexturePlane plane;
        ASSERT_TRUE(gl11::TrianglePlane(projection, viewport, eyes, sts, &plane)) << "round " << round;
        for (int sample = 0; sample < 8; sample++) {
            double a = sample < 3 ? sample == 0 : unit(random), b = sample < 3 ? sample == 1 : unit(random);
            if (a + b > 1) a = 1 - a, b = 1 - b;
            const double c = 1 - a - b, point[3] = {a * eye[0][0] + b * eye[1][0] + c * eye[2][0],
                                                    a * eye[0][1] + b * eye[1][1] + c * eye[2][1],
                                                    a * eye[0][2] + b * eye[1][2] + c * eye[2][2]};
            const Projected at = Project(projection, viewport, point);
            const bool onScreen = at.x > -8 && at.x < viewport[2] + 8 && at.y > -8 && at.y < viewport[3] + 8;
            if (at.w < 1 || !onScreen) continue;  // no pixel there
            float found[2];
            PlaneAt(plane, at.x, at.y, found);
            for (int k = 0; k < 2; k++) {
                const double expected = a * st[0][k] + b * st[1][k] + c * st[2][k];
                ASSERT_NEAR(found[k], expected, tolerance * (1 + std::fabs(expected))) << "round " << round << " sample " << sample;
            }
            checked++;
        }
    }
    EXPECT_GT(checked, 600);

    // A coordinate the same at every corner (a flat polygon drawn with the
    // texture left bound) stays exactly that value, even on a texel's edge.
    const float flatEye[3][4] = {{-50, -20, -300, 1}, {80, -10, -900, 1}, {10, 60, -120, 1}};
    const float flatSt[2] = {20, 0.5f};
    const float* flatEyes[3] = {flatEye[0], flatEye[1], flatEye[2]};
    const float* flatSts[3] = {flatSt, flatSt, flatSt};
    gl11::TexturePlane plane;
    ASSERT_TRUE(gl11::TrianglePlane(projection, viewport, flatEyes, flatSts, &plane));
    for (double x = 100; x < 900; x += 37)
        for (double y = 50; y < 500; y += 41) {
            float found[2];
            PlaneAt(plane, x, y, found);
            ASSERT_EQ(found[0], 20.0f);
            ASSERT_EQ(found[1], 0.5f);
        }

    // A triangle seen edge-on covers no pixel, and a corner in the eye's
    // plane has no window position: neither has a plane.
    const float edgeOn[3][4] = {{0, -10, -100, 1}, {0, 10, -200, 1}, {0, 30, -300, 1}};
    const float* edgeOnEyes[3] = {edgeOn[0], edgeOn[1], edgeOn[2]};
    EXPECT_FALSE(gl11::TrianglePlane(projection, viewport, edgeOnEyes, flatSts, &plane));
    const float inEyePlane[3][4] = {{-10, 0, -100, 1}, {10, 0, 0, 1}, {0, 10, -50, 1}};
    const float* inEyePlaneEyes[3] = {inEyePlane[0], inEyePlane[1], inEyePlane[2]};
    EXPECT_FALSE(gl11::TrianglePlane(projection, viewport, inEyePlaneEyes, flatSts, &plane));
}

}  // namespace
