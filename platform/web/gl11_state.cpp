// gl11_state.cpp -- the GL 1.1 state calls of our layer: capabilities,
// attribute stack, lights and material, texture objects and queries.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>

#include "platform/web/gl11_es.h"
#include "platform/web/gl11_layer.h"
#include "platform/web/gl11_math.h"
#include "platform/web/gl11_state.h"

namespace gl11 {

Layer layer;

void SetError(GLenum error) {
    if (layer.error == GL_NO_ERROR) layer.error = error;
}

void ResetState() {
    layer.a = Attribs();
    layer.a.lights[0].diffuse[0] = layer.a.lights[0].diffuse[1] = layer.a.lights[0].diffuse[2] = 1;
    std::copy_n(layer.a.lights[0].diffuse, 4, layer.a.lights[0].specular);
    layer.attribStack.clear();
    for (MatrixStack* s : {&layer.modelview, &layer.projection, &layer.texture}) {
        s->depth = 1;
        IdentityMatrix(s->Top());
    }
    layer.texture.limit = TEXTURE_STACK_DEPTH;
    layer.error = GL_NO_ERROR;
    layer.packAlignment = layer.unpackAlignment = 4;
    layer.inBegin = false;
    layer.textureForms.clear();
    layer.primitiveVertices.clear();
    layer.batched.clear();
    layer.commands.clear();
    ModelviewChanged();
}

// The flag behind a capability; null for one the layer does not know.
static bool* Capability(GLenum cap) {
    Attribs& a = layer.a;
    switch (cap) {
        case GL_LIGHTING: return &a.lighting;
        case GL_COLOR_MATERIAL: return &a.colorMaterial;
        case GL_DEPTH_TEST: return &a.depthTest;
        case GL_TEXTURE_2D: return &a.texture2D;
        case GL_BLEND: return &a.blend;
        case GL_CULL_FACE: return &a.cullFace;
        case GL_FOG: return &a.fog;
        case GL_NORMALIZE: return &a.normalize;
        default:
            if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + MAX_LIGHTS) return &a.lights[cap - GL_LIGHT0].enabled;
            return nullptr;
    }
}

// With colour material on, the current colour is the material's ambient
// and diffuse colour from the moment it is enabled.
void TrackColour() {
    if (!layer.a.colorMaterial) return;
    std::copy_n(layer.a.colour, 4, layer.a.material.ambient);
    std::copy_n(layer.a.colour, 4, layer.a.material.diffuse);
}

static void SetCapability(GLenum cap, bool on) {
    if (layer.inBegin) return SetError(GL_INVALID_OPERATION);
    bool* flag = Capability(cap);
    if (!flag) return SetError(GL_INVALID_ENUM);
    *flag = on;
    if (cap == GL_COLOR_MATERIAL) TrackColour();
}

// Light number of an enum, or -1 (after recording the error).
static int LightIndex(GLenum light) {
    if (light >= GL_LIGHT0 && light < GL_LIGHT0 + MAX_LIGHTS) return (int)(light - GL_LIGHT0);
    SetError(GL_INVALID_ENUM);
    return -1;
}

}  // namespace gl11

using namespace gl11;

void glEnable(GLenum cap) { SetCapability(cap, true); }
void glDisable(GLenum cap) { SetCapability(cap, false); }

GLboolean glIsEnabled(GLenum cap) {
    bool* flag = Capability(cap);
    if (!flag) return SetError(GL_INVALID_ENUM), GL_FALSE;
    return *flag ? GL_TRUE : GL_FALSE;
}

void glShadeModel(GLenum mode) {
    if (mode != GL_FLAT && mode != GL_SMOOTH) return SetError(GL_INVALID_ENUM);
    layer.a.shadeModel = mode;
}

// Only filled polygons are drawn; the other modes are refused.
void glPolygonMode(GLenum, GLenum mode) {
    if (mode != GL_FILL) return SetError(GL_INVALID_ENUM);
    layer.a.polygonMode = mode;
}

void glBlendFunc(GLenum source, GLenum destination) {
    layer.a.blendSource = source;
    layer.a.blendDestination = destination;
}

void glPushAttrib(GLbitfield) {
    if ((int)layer.attribStack.size() >= ATTRIB_STACK_DEPTH) return SetError(GL_STACK_OVERFLOW);
    layer.attribStack.push_back(layer.a);
}

void glPopAttrib() {
    if (layer.attribStack.empty()) return SetError(GL_STACK_UNDERFLOW);
    layer.a = layer.attribStack.back();
    layer.attribStack.pop_back();
    layer.normalStale = true;  // the current normal may be another now
}

GLenum glGetError() {
    GLenum error = layer.error;
    layer.error = GL_NO_ERROR;
    if (error == GL_NO_ERROR && layer.live) error = es.GetError();
    return error;
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    const float c[4] = {red, green, blue, alpha};
    for (int i = 0; i < 4; i++) layer.a.clearColour[i] = std::clamp(c[i], 0.0f, 1.0f);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (width < 0 || height < 0) return SetError(GL_INVALID_VALUE);
    GLint limit[2] = {1 << 14, 1 << 14};
    if (layer.live) es.GetIntegerv(GL_MAX_VIEWPORT_DIMS, limit);
    layer.a.viewport[0] = x, layer.a.viewport[1] = y;
    layer.a.viewport[2] = std::min(width, limit[0]), layer.a.viewport[3] = std::min(height, limit[1]);
}

void glPixelStorei(GLenum pname, GLint param) {
    if (param != 1 && param != 2 && param != 4 && param != 8) return SetError(GL_INVALID_VALUE);
    if (pname == GL_PACK_ALIGNMENT) layer.packAlignment = param;
    else if (pname == GL_UNPACK_ALIGNMENT) layer.unpackAlignment = param;
    else SetError(GL_INVALID_ENUM);
}

// ES reads the one colour buffer there is: the back buffer until the swap.
void glReadBuffer(GLenum) {}

static void CopyMatrix(const MatrixStack& stack, GLdouble* out) {
    const float* m = stack.m[stack.depth - 1];
    for (int i = 0; i < 16; i++) out[i] = m[i];
}

void glGetDoublev(GLenum pname, GLdouble* params) {
    switch (pname) {
        case GL_MODELVIEW_MATRIX: return CopyMatrix(layer.modelview, params);
        case GL_PROJECTION_MATRIX: return CopyMatrix(layer.projection, params);
        default: {
            GLfloat f[16];
            glGetFloatv(pname, f);
            for (int i = 0; i < 4; i++) params[i] = f[i];
        }
    }
}

void glGetFloatv(GLenum pname, GLfloat* params) {
    switch (pname) {
        case GL_MODELVIEW_MATRIX: std::memcpy(params, layer.modelview.Top(), 64); return;
        case GL_PROJECTION_MATRIX: std::memcpy(params, layer.projection.Top(), 64); return;
        case GL_CURRENT_COLOR: std::copy_n(layer.a.colour, 4, params); return;
        case GL_CURRENT_TEXTURE_COORDS: {
            const float coords[4] = {layer.a.texCoord[0], layer.a.texCoord[1], 0, 1};
            std::copy_n(coords, 4, params);
            return;
        }
        default: {
            GLint v[4] = {0, 0, 0, 0};
            glGetIntegerv(pname, v);
            for (int i = 0; i < 4; i++) params[i] = (float)v[i];
        }
    }
}

void glGetIntegerv(GLenum pname, GLint* params) {
    switch (pname) {
        case GL_VIEWPORT: std::copy_n(layer.a.viewport, 4, params); return;
        case GL_PACK_ALIGNMENT: *params = layer.packAlignment; return;
        case GL_UNPACK_ALIGNMENT: *params = layer.unpackAlignment; return;
        case GL_READ_BUFFER: *params = GL_BACK; return;
        case GL_MATRIX_MODE: *params = (GLint)layer.a.matrixMode; return;
        case GL_SHADE_MODEL: *params = (GLint)layer.a.shadeModel; return;
        case GL_MODELVIEW_STACK_DEPTH: *params = layer.modelview.depth; return;
        case GL_PROJECTION_STACK_DEPTH: *params = layer.projection.depth; return;
        case GL_MAX_MODELVIEW_STACK_DEPTH: *params = layer.modelview.limit; return;
        case GL_TEXTURE_BINDING_2D: *params = (GLint)layer.a.boundTexture; return;
        default:
            if (layer.live) es.GetIntegerv(pname, params);
            else SetError(GL_INVALID_OPERATION);
    }
}

const GLubyte* glGetString(GLenum name) {
    static const GLubyte VERSION[] = "1.1 Ambler (OpenGL ES 2)";
    if (name == GL_VERSION) return VERSION;
    return layer.live ? es.GetString(name) : nullptr;
}

// ---- Lights and material.

void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    int i = LightIndex(light);
    if (i < 0) return;
    Light& l = layer.a.lights[i];
    switch (pname) {
        case GL_AMBIENT: std::copy_n(params, 4, l.ambient); break;
        case GL_DIFFUSE: std::copy_n(params, 4, l.diffuse); break;
        case GL_SPECULAR: std::copy_n(params, 4, l.specular); break;
        case GL_POSITION: TransformPoint(layer.modelview.Top(), params, l.position); break;
        case GL_CONSTANT_ATTENUATION:
        case GL_LINEAR_ATTENUATION:
        case GL_QUADRATIC_ATTENUATION: glLightf(light, pname, params[0]); break;
        default: SetError(GL_INVALID_ENUM);
    }
}

// The position comes back in eye coordinates, as it was transformed when set.
void glGetLightfv(GLenum light, GLenum pname, GLfloat* params) {
    int i = LightIndex(light);
    if (i < 0) return;
    const Light& l = layer.a.lights[i];
    switch (pname) {
        case GL_AMBIENT: std::copy_n(l.ambient, 4, params); break;
        case GL_DIFFUSE: std::copy_n(l.diffuse, 4, params); break;
        case GL_SPECULAR: std::copy_n(l.specular, 4, params); break;
        case GL_POSITION: std::copy_n(l.position, 4, params); break;
        case GL_CONSTANT_ATTENUATION: *params = l.constant; break;
        case GL_LINEAR_ATTENUATION: *params = l.linear; break;
        case GL_QUADRATIC_ATTENUATION: *params = l.quadratic; break;
        default: SetError(GL_INVALID_ENUM);
    }
}

void glLightf(GLenum light, GLenum pname, GLfloat param) {
    int i = LightIndex(light);
    if (i < 0) return;
    if (param < 0) return SetError(GL_INVALID_VALUE);
    Light& l = layer.a.lights[i];
    if (pname == GL_CONSTANT_ATTENUATION) l.constant = param;
    else if (pname == GL_LINEAR_ATTENUATION) l.linear = param;
    else if (pname == GL_QUADRATIC_ATTENUATION) l.quadratic = param;
    else SetError(GL_INVALID_ENUM);
}

// Properties that colour material tracks are left to the colour, as Mesa
// leaves them, while it is enabled.
void glMaterialfv(GLenum, GLenum pname, const GLfloat* params) {
    Material& m = layer.a.material;
    bool tracked = layer.a.colorMaterial;
    switch (pname) {
        case GL_AMBIENT: if (!tracked) std::copy_n(params, 4, m.ambient); break;
        case GL_DIFFUSE: if (!tracked) std::copy_n(params, 4, m.diffuse); break;
        case GL_AMBIENT_AND_DIFFUSE:
            if (!tracked) std::copy_n(params, 4, m.ambient), std::copy_n(params, 4, m.diffuse);
            break;
        case GL_SPECULAR: std::copy_n(params, 4, m.specular); break;
        case GL_EMISSION: std::copy_n(params, 4, m.emission); break;
        case GL_SHININESS: glMaterialf(GL_FRONT_AND_BACK, pname, params[0]); break;
        default: SetError(GL_INVALID_ENUM);
    }
}

void glMaterialf(GLenum, GLenum pname, GLfloat param) {
    if (pname != GL_SHININESS) return SetError(GL_INVALID_ENUM);
    if (param < 0 || param > 128) return SetError(GL_INVALID_VALUE);
    layer.a.material.shininess = param;
}

// ---- Texture objects. Edits draw what is batched first, so that earlier
// polygons keep the texture they were given.

void glGenTextures(GLsizei n, GLuint* textures) {
    if (layer.live) es.GenTextures(n, textures);
    else std::fill_n(textures, n, 0u);
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
    if (!layer.live) return;
    SubmitBatches();
    for (GLsizei i = 0; i < n; i++)
        if (textures[i] == layer.a.boundTexture) layer.a.boundTexture = 0;
    for (GLsizei i = 0; i < n; i++) layer.textureForms.erase(textures[i]);
    es.DeleteTextures(n, textures);
}

void glBindTexture(GLenum target, GLuint texture) {
    if (target != GL_TEXTURE_2D) return SetError(GL_INVALID_ENUM);
    layer.a.boundTexture = texture;
}

// Binds the current texture on the ES side for an edit.
static bool EditTexture() {
    if (!layer.live) return false;
    SubmitBatches();
    es.ActiveTexture(GL_TEXTURE0);
    es.BindTexture(GL_TEXTURE_2D, layer.a.boundTexture);
    return true;
}

void glTexParameteri(GLenum target, GLenum pname, GLint param) {
    if (target != GL_TEXTURE_2D) return SetError(GL_INVALID_ENUM);
    if (!EditTexture()) return;
    es.TexParameteri(target, pname, param);
    TextureForm& form = layer.textureForms[layer.a.boundTexture];
    if (pname == GL_TEXTURE_MIN_FILTER) form.minFilter = param;
    if (pname == GL_TEXTURE_MAG_FILTER) form.magFilter = param;
}

static GLenum EsFormat(GLint internalFormat) {
    if (internalFormat == 3 || internalFormat == GL_RGB) return GL_RGB;
    if (internalFormat == 4 || internalFormat == GL_RGBA) return GL_RGBA;
    return 0;
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
    GLenum esFormat = EsFormat(internalFormat);
    if (target != GL_TEXTURE_2D || !esFormat || type != GL_UNSIGNED_BYTE) return SetError(GL_INVALID_ENUM);
    if (!EditTexture()) return;
    es.PixelStorei(GL_UNPACK_ALIGNMENT, layer.unpackAlignment);
    // ES takes the image as it is given; the layer keeps one format per texture.
    (void)format;
    es.TexImage2D(target, level, (GLint)esFormat, width, height, border, esFormat, type, pixels);
    if (level == 0) {
        TextureForm& form = layer.textureForms[layer.a.boundTexture];
        form.width = width, form.height = height;
    }
}

GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data) {
    const int components = format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 0;
    if (target != GL_TEXTURE_2D || !components || type != GL_UNSIGNED_BYTE || !EsFormat(internalFormat))
        return 100900;  // GLU_INVALID_ENUM
    if (width < 1 || height < 1) return 100901;  // GLU_INVALID_VALUE
    Image image;
    image.width = width, image.height = height, image.components = components;
    const size_t rowBytes = (size_t)width * components;
    const size_t stride = (rowBytes + layer.unpackAlignment - 1) / layer.unpackAlignment * layer.unpackAlignment;
    image.pixels.resize(rowBytes * height);
    for (int y = 0; y < height; y++)
        std::memcpy(&image.pixels[y * rowBytes], (const uint8_t*)data + y * stride, rowBytes);
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    const GLint unpack = layer.unpackAlignment;
    layer.unpackAlignment = 1;
    std::vector<Image> levels = MipmapLevels(image, maxSide);
    for (size_t i = 0; i < levels.size(); i++)
        glTexImage2D(target, (GLint)i, components == 4 ? GL_RGBA : GL_RGB, levels[i].width,
                     levels[i].height, 0, format, type, levels[i].pixels.data());
    layer.unpackAlignment = unpack;
    if (layer.live) es.PixelStorei(GL_UNPACK_ALIGNMENT, unpack);
    return 0;
}
