// gl_limits.h -- the largest client a window may have, shared by the
// backends: past the GL's largest viewport and renderbuffer the driver
// renders off the end of its buffers (a window resized to 32767 x 32767
// crashes the software rasteriser), and past the screen a software GL takes
// minutes for a frame of which nothing more is seen.
#pragma once

#include <GL/gl.h>

constexpr GLenum MAX_RENDERBUFFER_SIZE = 0x84E8;  // GL 3.0 and ARB_framebuffer_object

// The smaller of each positive limit for one axis; 0 when none is known.
inline int SmallestLimit(int a, int b) { return a <= 0 ? b : b <= 0 ? a : a < b ? a : b; }

// The largest client width and height the current context and a screen of
// screenWidth by screenHeight (0: no screen) allow; 0 where unknown.
inline void ReadClientLimits(int screenWidth, int screenHeight, int* width, int* height) {
    GLint viewport[2] = {0, 0}, renderbuffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(MAX_RENDERBUFFER_SIZE, &renderbuffer);
    while (glGetError() != GL_NO_ERROR) {
    }  // a GL 1.x without renderbuffers says so with an error that nobody else must see
    *width = SmallestLimit(SmallestLimit(viewport[0], renderbuffer), screenWidth);
    *height = SmallestLimit(SmallestLimit(viewport[1], renderbuffer), screenHeight);
}

// Clips width and height to positive limits; true when either was clipped.
inline bool ClipToLimits(int maxWidth, int maxHeight, int* width, int* height) {
    bool clipped = false;
    if (maxWidth > 0 && *width > maxWidth) *width = maxWidth, clipped = true;
    if (maxHeight > 0 && *height > maxHeight) *height = maxHeight, clipped = true;
    return clipped;
}
