// textures_procedural.cpp -- painting the demo textures from integer hash
// noise, so the pictures depend on nothing but this code.
#include "tools/lib/textures_procedural.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/lib/bitmap_writer.h"

struct Rgb {
    double r, g, b;
};

// A well-mixed 32-bit hash of a lattice point; the base of all noise here.
static uint32_t Hash3(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

// Uniform value in [0, 1) for a lattice point.
static double Noise01(int x, int y, uint32_t seed) {
    return (Hash3((uint32_t)x, (uint32_t)y, seed) >> 8) / 16777216.0;
}

// Smoothstep easing of a lattice fraction.
static double Smooth(double t) { return t * t * (3 - 2 * t); }

// Smooth value noise of the given lattice cell size that repeats every
// period pixels (period a multiple of cell), so the texture tiles.
static double ValueNoise(int x, int y, int cell, int period, uint32_t seed) {
    int cells = period / cell;
    int cx = x / cell, cy = y / cell;
    double fx = Smooth((x % cell) / (double)cell), fy = Smooth((y % cell) / (double)cell);
    auto at = [&](int i, int j) { return Noise01((i % cells + cells) % cells, (j % cells + cells) % cells, seed); };
    double top = at(cx, cy) * (1 - fx) + at(cx + 1, cy) * fx;
    double bottom = at(cx, cy + 1) * (1 - fx) + at(cx + 1, cy + 1) * fx;
    return top * (1 - fy) + bottom * fy;
}

// Three octaves of value noise, in [0, 1).
static double Fractal(int x, int y, int period, uint32_t seed) {
    return 0.5 * ValueNoise(x, y, 16, period, seed) + 0.3 * ValueNoise(x, y, 8, period, seed + 1) +
           0.2 * ValueNoise(x, y, 4, period, seed + 2);
}

// Blend from a (t = 0) to b (t = 1), t clamped.
static Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A colour times k.
static Rgb Scale(Rgb c, double k) { return {c.r * k, c.g * k, c.b * k}; }

// A channel in 0..1 as a byte, clamped.
static unsigned char Byte(double v) {
    return (unsigned char)std::clamp((int)std::lround(v * 255.0), 0, 255);
}

// Stores a colour at (x, y) with y counted from the top of the picture.
static void Put(ProceduralImage& image, int x, int y, Rgb c) {
    size_t i = ((size_t)(image.height - 1 - y) * image.width + x) * 3;
    image.rgb[i] = Byte(c.r);
    image.rgb[i + 1] = Byte(c.g);
    image.rgb[i + 2] = Byte(c.b);
}

// A black square picture of the given size.
static ProceduralImage Blank(int size) {
    ProceduralImage image;
    image.width = image.height = size;
    image.rgb.assign((size_t)size * size * 3, 0);
    return image;
}

// Rounds a shade to one of levels steps, which keeps a paletted picture
// within 256 colours.
static double Level(double v, int levels) {
    return std::floor(std::clamp(v, 0.0, 0.999) * levels) / (levels - 1);
}

// Running bond of 32 x 16 pixel bricks with light mortar joints.
static ProceduralImage PaintBrick() {
    const int size = 128, brickW = 32, brickH = 16, mortar = 2;
    ProceduralImage image = Blank(size);
    Rgb mortarColour = {0.78, 0.75, 0.70}, dark = {0.50, 0.20, 0.14}, light = {0.72, 0.34, 0.22};
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            int row = y / brickH;
            int shifted = (x + (row % 2) * brickW / 2) % size;
            int col = shifted / brickW;
            bool joint = y % brickH < mortar || shifted % brickW < mortar;
            double grain = Fractal(x, y, size, 11);
            Rgb c;
            if (joint) {
                c = Scale(mortarColour, 0.9 + 0.15 * grain);
            } else {
                double tone = Noise01(col, row, 12);
                c = Scale(Mix(dark, light, tone), 0.82 + 0.3 * grain);
            }
            Put(image, x, y, c);
        }
    return image;
}

// Meadow grass: green noise with darker blades, 48 shades of one ramp.
static ProceduralImage PaintGrass() {
    const int size = 128;
    ProceduralImage image = Blank(size);
    Rgb dark = {0.16, 0.34, 0.10}, light = {0.46, 0.66, 0.24};
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            double v = 0.65 * Fractal(x, y, size, 21) + 0.35 * Noise01(x, y, 22);
            Put(image, x, y, Mix(dark, light, Level(v, 48)));
        }
    return image;
}

// Vertical planks of 16 pixels with wavy grain and dark gaps.
static ProceduralImage PaintPlanks() {
    const int size = 128, plank = 16;
    ProceduralImage image = Blank(size);
    Rgb dark = {0.36, 0.22, 0.11}, light = {0.66, 0.46, 0.26};
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            int p = x / plank;
            double tone = 0.75 + 0.25 * Noise01(p, 0, 31);
            double wave = std::sin((y + 7 * p) * 2 * M_PI / 32.0 + (x % plank) * 0.5) * 0.5 + 0.5;
            double grain = 0.6 * wave + 0.4 * ValueNoise(x, y, 4, size, 32);
            Rgb c = Scale(Mix(dark, light, grain), tone);
            if (x % plank == 0) c = Scale(dark, 0.45);
            if ((y + 40 * p) % size == 0) c = Scale(dark, 0.6);  // board ends
            Put(image, x, y, c);
        }
    return image;
}

// Square paving stones in grey, each its own shade, with dark joints;
// 64 grey levels.
static ProceduralImage PaintStone() {
    const int size = 128, slab = 32;
    ProceduralImage image = Blank(size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            int sx = x / slab, sy = y / slab;
            bool joint = x % slab < 2 || y % slab < 2;
            double v = joint ? 0.22 : 0.45 + 0.25 * Noise01(sx, sy, 41) + 0.2 * Fractal(x, y, size, 42);
            double g = Level(v, 64);
            Put(image, x, y, {g, g * 0.98, g * 0.94});
        }
    return image;
}

// Asphalt with a dashed white centre line running along t (down the
// picture) and solid edge lines at both sides.
static ProceduralImage PaintRoad() {
    const int size = 128;
    ProceduralImage image = Blank(size);
    Rgb white = {0.92, 0.92, 0.88};
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            double v = 0.26 + 0.08 * Fractal(x, y, size, 51) + 0.06 * Noise01(x, y, 52);
            Rgb c = {v, v, v * 1.04};
            bool centre = std::abs(x - size / 2) < 2 && y % 64 < 36;
            bool edge = x >= 4 && x < 7;
            bool edge2 = x >= size - 7 && x < size - 4;
            if (centre || edge || edge2) c = Scale(white, 0.9 + 0.1 * Noise01(x, y, 53));
            Put(image, x, y, c);
        }
    return image;
}

// The skin colour at a pixel: a warm tone with a faint mottle.
static Rgb SkinAt(int x, int y, int size) {
    Rgb base = {0.93, 0.72, 0.58};
    return Scale(base, 0.92 + 0.08 * Level(Fractal(x, y, size, 61), 16));
}

// Plain skin with a faint mottle; 16 shades.
static ProceduralImage PaintSkin() {
    const int size = 64;
    ProceduralImage image = Blank(size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) Put(image, x, y, SkinAt(x, y, size));
    return image;
}

// The skin with hair at the top, two eyes and a mouth, for the front of a
// head.
static ProceduralImage PaintFace() {
    const int size = 64;
    ProceduralImage image = Blank(size);
    Rgb hair = {0.30, 0.18, 0.08}, eye = {0.10, 0.10, 0.16}, mouth = {0.62, 0.25, 0.22};
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            Rgb c = SkinAt(x, y, size);
            if (y < 14) c = hair;
            double ex = std::min(std::abs(x - 20), std::abs(x - 44));
            if (ex < 5 && std::abs(y - 28) < 4) c = eye;
            if (std::abs(x - 32) < 11 && std::abs(y - 47) < 2) c = mouth;
            Put(image, x, y, c);
        }
    return image;
}

// A light twill weave, meant to be tinted by the polygon colour.
static ProceduralImage PaintCloth() {
    const int size = 64;
    ProceduralImage image = Blank(size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            double twill = ((x + y) / 2) % 4 < 2 ? 1.0 : 0.84;
            double check = (x / 16 + y / 16) % 2 ? 1.0 : 0.9;
            double v = twill * check * (0.9 + 0.1 * Noise01(x, y, 71));
            Put(image, x, y, {v, v, v});
        }
    return image;
}

// Rows of rounded clay roof tiles; 40 shades of terracotta.
static ProceduralImage PaintRoof() {
    const int size = 64, tile = 16;
    ProceduralImage image = Blank(size);
    Rgb dark = {0.40, 0.14, 0.10}, light = {0.78, 0.36, 0.24};
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            int row = y / tile;
            int sx = (x + (row % 2) * tile / 2) % size;
            double across = std::sin((sx % tile) * M_PI / tile);
            double down = (y % tile) / (double)tile;
            double v = 0.25 + 0.55 * across * (0.5 + 0.5 * down) + 0.2 * Noise01(sx / tile, row, 81);
            Put(image, x, y, Mix(dark, light, Level(v, 40)));
        }
    return image;
}

// Black and white squares, 8 across: two colours.
static ProceduralImage PaintFinish() {
    const int size = 64;
    ProceduralImage image = Blank(size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            double v = (x / 8 + y / 8) % 2 ? 0.95 : 0.08;
            Put(image, x, y, {v, v, v});
        }
    return image;
}

const char* ProceduralTextureFile(ProceduralTexture texture) {
    static const char* const names[PTEX_COUNT] = {"brick.bmp", "grass.bmp",  "planks.bmp",
                                                  "stone.bmp", "road.bmp",   "skin.bmp",
                                                  "face.bmp",  "cloth.bmp",  "roof.bmp",
                                                  "finish.bmp"};
    return names[texture];
}

bool ProceduralTextureIsPaletted(ProceduralTexture texture) {
    switch (texture) {
        case PTEX_GRASS:
        case PTEX_STONE:
        case PTEX_SKIN:
        case PTEX_FACE:
        case PTEX_ROOF:
        case PTEX_FINISH:
            return true;
        default:
            return false;
    }
}

ProceduralImage PaintProceduralTexture(ProceduralTexture texture) {
    switch (texture) {
        case PTEX_BRICK: return PaintBrick();
        case PTEX_GRASS: return PaintGrass();
        case PTEX_PLANKS: return PaintPlanks();
        case PTEX_STONE: return PaintStone();
        case PTEX_ROAD: return PaintRoad();
        case PTEX_SKIN: return PaintSkin();
        case PTEX_FACE: return PaintFace();
        case PTEX_CLOTH: return PaintCloth();
        case PTEX_ROOF: return PaintRoof();
        case PTEX_FINISH: return PaintFinish();
        default: return {};
    }
}

bool WriteProceduralTexture(const std::string& dir, ProceduralTexture texture) {
    ProceduralImage image = PaintProceduralTexture(texture);
    std::string path = dir + "/" + ProceduralTextureFile(texture);
    if (ProceduralTextureIsPaletted(texture))
        return WriteBitmap8(path.c_str(), image.rgb.data(), image.width, image.height);
    return WriteBitmap24(path.c_str(), image.rgb.data(), image.width, image.height);
}
