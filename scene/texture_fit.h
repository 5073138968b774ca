// texture_fit.h -- images larger than the GL can hold as a texture are
// scaled down before the mipmaps are built: past GL_MAX_TEXTURE_SIZE the
// mipmap builder scales into a texture the GL refuses, and past a few
// million pixels on one side it overruns its own buffers and crashes.
#pragma once

#include <vector>

// No side above this is kept even when a driver claims more: the mipmap
// builder's level chain stays far from the lengths that break it (2^26).
constexpr int TEXTURE_SIDE_CEILING = 1 << 16;
// Sides above this exceed what many GL drivers hold; ambler-check warns
// about them, as it runs without a GL to ask.
constexpr int TEXTURE_SIDE_PORTABLE = 8192;

// The longest side the current GL context takes, within the ceiling.
int TextureSideLimit();
// The size an image of width x height is given as a texture: each side at
// most limit, unchanged when it already fits.
void FittedTextureSize(int width, int height, int limit, int* fittedWidth, int* fittedHeight);
// Scales RGB rows (any row order, no padding) down to fittedWidth x
// fittedHeight, each output pixel the mean of the source pixels it covers.
std::vector<unsigned char> ScaleImageDown(const unsigned char* rgb, int width, int height,
                                          int fittedWidth, int fittedHeight);
