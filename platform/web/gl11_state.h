// gl11_state.h -- the GL 1.1 state our layer keeps on the CPU side, and the
// batches of the frame waiting to be drawn through ES.
#pragma once

#include <GL/gl.h>

#include <unordered_map>
#include <vector>

#include "platform/web/gl11_math.h"

namespace gl11 {

constexpr int MAX_LIGHTS = 8;
constexpr int MATRIX_STACK_DEPTH = 32;   // modelview and projection, as Mesa has them
constexpr int TEXTURE_STACK_DEPTH = 10;
constexpr int ATTRIB_STACK_DEPTH = 16;

struct Light {
    bool enabled = false;
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {0, 0, 0, 1};
    float specular[4] = {0, 0, 0, 1};
    float position[4] = {0, 0, 1, 0};  // eye coordinates: transformed when set
    float constant = 1, linear = 0, quadratic = 0;
};

struct Material {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    float specular[4] = {0, 0, 0, 1};
    float emission[4] = {0, 0, 0, 1};
    float shininess = 0;
};

// Everything glPushAttrib saves: with GL_ALL_ATTRIB_BITS, all of it.
struct Attribs {
    bool lighting = false, colorMaterial = false, depthTest = false, texture2D = false;
    bool blend = false, cullFace = false, fog = false, normalize = false;
    GLenum shadeModel = GL_SMOOTH, polygonMode = GL_FILL, matrixMode = GL_MODELVIEW;
    GLenum blendSource = GL_ONE, blendDestination = GL_ZERO;
    float colour[4] = {1, 1, 1, 1};
    float texCoord[2] = {0, 0};
    float normal[3] = {0, 0, 1};
    Light lights[MAX_LIGHTS];
    Material material;
    float lightModelAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
    float clearColour[4] = {0, 0, 0, 0};
    GLint viewport[4] = {0, 0, 0, 0};
    GLuint boundTexture = 0;
};

struct MatrixStack {
    float m[MATRIX_STACK_DEPTH][16];
    int depth = 1, limit = MATRIX_STACK_DEPTH;
    float* Top() { return m[depth - 1]; }
};

// What the fragment stage needs to choose between a texture's minifying and
// magnifying filter itself: its base level's size, and whether the choice
// is plain (a minifying filter without mipmaps, as GL 1.1 then switches at
// exactly one texel per pixel).
struct TextureForm {
    int width = 0, height = 0;
    GLint minFilter = 0x2702, magFilter = GL_LINEAR;  // GL's defaults (GL_NEAREST_MIPMAP_LINEAR)
    bool PlainChoice() const {
        return width > 0 && height > 0 && (minFilter == GL_NEAREST || minFilter == GL_LINEAR) &&
               minFilter != magFilter;
    }
};

// One vertex as ES draws it: eye position, final colour, texture
// coordinate, and its triangle's texture plane (zero when it has none).
struct Vertex {
    float position[4];
    float colour[4];
    float texCoord[2];
    TexturePlane plane;
};

// The state that a batch of triangles is drawn with.
struct DrawState {
    GLuint texture;
    float textureSize[2];  // base level in texels; zero when ES chooses the filter
    bool textured, blend, depthTest;
    GLenum blendSource, blendDestination;
    GLint viewport[4];
    float projection[16];
};

struct DrawCommand {
    DrawState state;
    GLint first;
    GLsizei count;
};

struct Layer {
    Attribs a;
    std::vector<Attribs> attribStack;
    MatrixStack modelview, projection, texture;
    GLenum error = GL_NO_ERROR;
    GLint packAlignment = 4, unpackAlignment = 4;

    // Immediate mode: the primitive being specified, and the frame's batches.
    bool inBegin = false;
    GLenum primitive = 0;
    std::vector<Vertex> primitiveVertices;
    std::vector<Vertex> batched;
    std::vector<DrawCommand> commands;
    bool normalStale = true;  // the modelview changed since the eye normal was taken
    float eyeNormal[3] = {0, 0, 1};

    // ES objects, valid while the layer has a context.
    bool live = false;
    GLuint program = 0, buffer = 0;
    GLint projectionAt = -1, texturedAt = -1, samplerAt = -1, textureSizeAt = -1;
    std::unordered_map<GLuint, TextureForm> textureForms;
};

extern Layer layer;

// Records an error as GL does: the first one stays until glGetError.
void SetError(GLenum error);
// The stack glMatrixMode selected.
MatrixStack& CurrentStack();
// The modelview changed: lighting must take a new eye normal.
void ModelviewChanged();
// With colour material on: the current colour becomes the material's
// ambient and diffuse colour.
void TrackColour();
// Resets the GL 1.1 state to its defaults (a fresh context).
void ResetState();

}  // namespace gl11
