// textures_procedural.h -- the demo scenes' textures, painted from code:
// brick, grass, planks, stone, road, skin, face, cloth, roof tiles and a
// chequered finish line. Every picture tiles seamlessly and is the same on
// every run.
#pragma once

#include <string>
#include <vector>

enum ProceduralTexture {
    PTEX_BRICK,
    PTEX_GRASS,
    PTEX_PLANKS,
    PTEX_STONE,
    PTEX_ROAD,
    PTEX_SKIN,
    PTEX_FACE,
    PTEX_CLOTH,
    PTEX_ROOF,
    PTEX_FINISH,
    PTEX_COUNT
};

// A picture as the bitmap writer takes it: RGB triplets, bottom row first.
struct ProceduralImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// File name ("brick.bmp", ...) of a texture.
const char* ProceduralTextureFile(ProceduralTexture texture);
// True for the textures kept as 8-bit palette bitmaps (at most 256 colours).
bool ProceduralTextureIsPaletted(ProceduralTexture texture);
// Paints a texture.
ProceduralImage PaintProceduralTexture(ProceduralTexture texture);
// Writes the texture's bitmap into dir; false when it cannot be written.
bool WriteProceduralTexture(const std::string& dir, ProceduralTexture texture);
