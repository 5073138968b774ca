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

}  // namespace
