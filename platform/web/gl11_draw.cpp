// gl11_draw.cpp -- immediate mode of our GL 1.1 layer: vertices are lit and
// moved to eye space as they are given (so a matrix change between
// polygons costs nothing), collected for the whole frame, and drawn through
// one GLSL ES program in as few calls as the state changes allow.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/web/gl11_es.h"
#include "platform/web/gl11_layer.h"
#include "platform/web/gl11_math.h"
#include "platform/web/gl11_state.h"

namespace gl11 {

static const char* const VERTEX_SHADER =
    "attribute vec4 position;\n"
    "attribute vec4 colour;\n"
    "attribute vec2 texCoord;\n"
    "attribute vec4 planeBaseOrigin;\n"
    "attribute vec3 planeAt;\n"
    "attribute vec3 planePerX;\n"
    "attribute vec3 planePerY;\n"
    "uniform mat4 projection;\n"
    "varying vec4 vColour;\n"
    "varying vec2 vTexCoord;\n"
    "varying vec4 vPlaneBaseOrigin;\n"
    "varying vec3 vPlaneAt;\n"
    "varying vec3 vPlanePerX;\n"
    "varying vec3 vPlanePerY;\n"
    "void main() {\n"
    "    gl_Position = projection * position;\n"
    "    vColour = colour;\n"
    "    vTexCoord = texCoord;\n"
    "    vPlaneBaseOrigin = planeBaseOrigin;\n"
    "    vPlaneAt = planeAt;\n"
    "    vPlanePerX = planePerX;\n"
    "    vPlanePerY = planePerY;\n"
    "}\n";

// Unfiltered far walls turn a shift of a fraction of a pixel into another
// texel, and rasterisers snap vertices to grids of their own (a sixteenth
// of a pixel in SwiftShader, a 256th in Mesa's): a texture coordinate
// interpolated from the snapped triangle picks visibly other texels than
// desktop GL does. So where the fragment stage has high precision it finds
// the coordinate at its pixel centre from the triangle's exact plane
// (TrianglePlane), and chooses between the minifying and magnifying filter
// from that plane's exact derivatives; the interpolated coordinate serves
// triangles without a plane.
static const char* const FRAGMENT_SHADER =
    "#ifdef GL_FRAGMENT_PRECISION_HIGH\n"
    "precision highp float;\n"
    "#else\n"
    "precision mediump float;\n"
    "#endif\n"
    "uniform sampler2D image;\n"
    "uniform float textured;\n"
    "uniform vec2 textureSize;\n"
    "varying vec4 vColour;\n"
    "varying vec2 vTexCoord;\n"
    "varying vec4 vPlaneBaseOrigin;\n"
    "varying vec3 vPlaneAt;\n"
    "varying vec3 vPlanePerX;\n"
    "varying vec3 vPlanePerY;\n"
    "vec4 Texel() {\n"
    "#ifdef GL_FRAGMENT_PRECISION_HIGH\n"
    "    if (vPlaneAt.z != 0.0) {\n"
    "        vec2 d = gl_FragCoord.xy - vPlaneBaseOrigin.zw;\n"
    "        vec3 stq = vPlaneAt + vPlanePerX * d.x + vPlanePerY * d.y;\n"
    "        vec2 st = stq.xy / stq.z;\n"
    "        if (textureSize.x == 0.0) return texture2D(image, vPlaneBaseOrigin.xy + st);\n"
    // GL's choice: the minifying filter past one texel per pixel, from the
    // exact derivatives (ES estimates its own, and on the boundary differs).
    "        vec2 perX = (vPlanePerX.xy - st * vPlanePerX.z) / stq.z * textureSize;\n"
    "        vec2 perY = (vPlanePerY.xy - st * vPlanePerY.z) / stq.z * textureSize;\n"
    "        float rho = max(dot(perX, perX), dot(perY, perY));\n"
    "        return texture2D(image, vPlaneBaseOrigin.xy + st, rho > 1.0 ? 64.0 : -64.0);\n"
    "    }\n"
    "#endif\n"
    "    return texture2D(image, vTexCoord);\n"
    "}\n"
    "void main() {\n"
    "    vec4 colour = vColour;\n"
    "    if (textured > 0.5) colour *= Texel();\n"  // GL_MODULATE
    "    gl_FragColor = colour;\n"
    "}\n";

enum Attribute : GLuint {
    ATTRIBUTE_POSITION,
    ATTRIBUTE_COLOUR,
    ATTRIBUTE_TEXCOORD,
    ATTRIBUTE_PLANE_BASE_ORIGIN,
    ATTRIBUTE_PLANE_AT,
    ATTRIBUTE_PLANE_PER_X,
    ATTRIBUTE_PLANE_PER_Y
};

struct AttributeLayout {
    Attribute index;
    const char* name;
    GLint size;
    size_t offset;
};

static const AttributeLayout ATTRIBUTES[] = {
    {ATTRIBUTE_POSITION, "position", 4, offsetof(Vertex, position)},
    {ATTRIBUTE_COLOUR, "colour", 4, offsetof(Vertex, colour)},
    {ATTRIBUTE_TEXCOORD, "texCoord", 2, offsetof(Vertex, texCoord)},
    {ATTRIBUTE_PLANE_BASE_ORIGIN, "planeBaseOrigin", 4, offsetof(Vertex, plane.base)},
    {ATTRIBUTE_PLANE_AT, "planeAt", 3, offsetof(Vertex, plane.atOrigin)},
    {ATTRIBUTE_PLANE_PER_X, "planePerX", 3, offsetof(Vertex, plane.perX)},
    {ATTRIBUTE_PLANE_PER_Y, "planePerY", 3, offsetof(Vertex, plane.perY)},
};

static GLuint CompileShader(GLenum type, const char* text) {
    GLuint shader = es.CreateShader(type);
    es.ShaderSource(shader, 1, &text, nullptr);
    es.CompileShader(shader);
    GLint ok = 0;
    es.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = "";
        es.GetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "ambler: the GL layer's shader does not compile: %s\n", log);
        es.DeleteShader(shader);
        return 0;
    }
    return shader;
}

static bool BuildProgram() {
    GLuint vertex = CompileShader(GL_VERTEX_SHADER, VERTEX_SHADER);
    GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, FRAGMENT_SHADER);
    if (!vertex || !fragment) return false;
    layer.program = es.CreateProgram();
    es.AttachShader(layer.program, vertex);
    es.AttachShader(layer.program, fragment);
    for (const AttributeLayout& a : ATTRIBUTES) es.BindAttribLocation(layer.program, a.index, a.name);
    es.LinkProgram(layer.program);
    es.DeleteShader(vertex);
    es.DeleteShader(fragment);
    GLint ok = 0;
    es.GetProgramiv(layer.program, GL_LINK_STATUS, &ok);
    if (!ok) return std::fprintf(stderr, "ambler: the GL layer's program does not link\n"), false;
    layer.projectionAt = es.GetUniformLocation(layer.program, "projection");
    layer.texturedAt = es.GetUniformLocation(layer.program, "textured");
    layer.samplerAt = es.GetUniformLocation(layer.program, "image");
    layer.textureSizeAt = es.GetUniformLocation(layer.program, "textureSize");
    return true;
}

bool CreateLayer() {
    ResetState();
    if (!LoadEsCalls() || !BuildProgram()) return false;
    es.GenBuffers(1, &layer.buffer);
    layer.live = true;
    return true;
}

void DestroyLayer() {
    if (!layer.live) return;
    es.DeleteBuffers(1, &layer.buffer);
    es.DeleteProgram(layer.program);
    layer.live = false;
    layer.batched.clear();
    layer.commands.clear();
}

// ---- Drawing the batches.

static bool SameState(const DrawState& a, const DrawState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Sets on the ES side what differs from the state drawn last.
static void ApplyState(const DrawState& s, const DrawState* last) {
    if (!last || std::memcmp(s.viewport, last->viewport, sizeof s.viewport) != 0)
        es.Viewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    if (!last || s.blend != last->blend) (s.blend ? es.Enable : es.Disable)(GL_BLEND);
    if (!last || s.blendSource != last->blendSource || s.blendDestination != last->blendDestination)
        es.BlendFunc(s.blendSource, s.blendDestination);
    if (!last || s.depthTest != last->depthTest) (s.depthTest ? es.Enable : es.Disable)(GL_DEPTH_TEST);
    if (!last || s.texture != last->texture) es.BindTexture(GL_TEXTURE_2D, s.texture);
    if (!last || s.textured != last->textured) es.Uniform1f(layer.texturedAt, s.textured ? 1.0f : 0.0f);
    if (!last || std::memcmp(s.textureSize, last->textureSize, sizeof s.textureSize) != 0)
        es.Uniform2f(layer.textureSizeAt, s.textureSize[0], s.textureSize[1]);
    if (!last || std::memcmp(s.projection, last->projection, sizeof s.projection) != 0)
        es.UniformMatrix4fv(layer.projectionAt, 1, GL_FALSE, s.projection);
}

void SubmitBatches() {
    if (!layer.live || layer.commands.empty()) return;
    es.UseProgram(layer.program);
    es.BindBuffer(GL_ARRAY_BUFFER, layer.buffer);
    es.BufferData(GL_ARRAY_BUFFER, (ptrdiff_t)(layer.batched.size() * sizeof(Vertex)),
                  layer.batched.data(), GL_STREAM_DRAW);
    for (const AttributeLayout& a : ATTRIBUTES) {
        es.VertexAttribPointer(a.index, a.size, GL_FLOAT, GL_FALSE, sizeof(Vertex), (const void*)a.offset);
        es.EnableVertexAttribArray(a.index);
    }
    es.ActiveTexture(GL_TEXTURE0);
    es.Uniform1i(layer.samplerAt, 0);
    const DrawState* last = nullptr;
    for (const DrawCommand& c : layer.commands) {
        ApplyState(c.state, last);
        es.DrawArrays(GL_TRIANGLES, c.first, c.count);
        last = &c.state;
    }
    layer.batched.clear();
    layer.commands.clear();
}

// ---- Lighting, per vertex in eye space as GL 1.1 does it.

static void TakeEyeNormal() {
    if (!layer.normalStale) return;
    float n[9];
    const float* v = layer.a.normal;
    if (NormalMatrix(layer.modelview.Top(), n)) {
        for (int i = 0; i < 3; i++) layer.eyeNormal[i] = n[i * 3] * v[0] + n[i * 3 + 1] * v[1] + n[i * 3 + 2] * v[2];
    } else {
        layer.eyeNormal[0] = layer.eyeNormal[1] = layer.eyeNormal[2] = 0;
    }
    if (layer.a.normalize) {
        float* e = layer.eyeNormal;
        float length = std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
        if (length > 0) e[0] /= length, e[1] /= length, e[2] /= length;
    }
    layer.normalStale = false;
}

static float Dot(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// One light's share at eye position p with normal n, added to lit.
static void AddLight(const Light& light, const Material& m, const float p[3], const float n[3],
                     float lit[3]) {
    float toLight[3], attenuation = 1;
    if (light.position[3] == 0) {
        std::copy_n(light.position, 3, toLight);
    } else {
        for (int i = 0; i < 3; i++) toLight[i] = light.position[i] / light.position[3] - p[i];
        const float d = std::sqrt(Dot(toLight, toLight));
        attenuation = 1.0f / (light.constant + light.linear * d + light.quadratic * d * d);
    }
    const float length = std::sqrt(Dot(toLight, toLight));
    if (length > 0) for (float& c : toLight) c /= length;
    const float nDotL = Dot(n, toLight);
    float specular = 0;
    if (nDotL > 0 && m.shininess >= 0 &&
        (light.specular[0] != 0 || light.specular[1] != 0 || light.specular[2] != 0)) {
        float half[3] = {toLight[0], toLight[1], toLight[2] + 1};  // the viewer at infinity
        const float h = std::sqrt(Dot(half, half));
        const float nDotH = h > 0 ? Dot(n, half) / h : 0;
        specular = nDotH > 0 ? std::pow(nDotH, m.shininess) : 0;
    }
    const float diffuse = std::max(nDotL, 0.0f);
    for (int i = 0; i < 3; i++)
        lit[i] += attenuation * (light.ambient[i] * m.ambient[i] + diffuse * light.diffuse[i] * m.diffuse[i] +
                                 specular * light.specular[i] * m.specular[i]);
}

static void LightVertex(const float eye[4], float colour[4]) {
    TakeEyeNormal();
    const Material& m = layer.a.material;
    const float w = eye[3] != 0 ? eye[3] : 1;
    const float p[3] = {eye[0] / w, eye[1] / w, eye[2] / w};
    float lit[3];
    for (int i = 0; i < 3; i++) lit[i] = m.emission[i] + m.ambient[i] * layer.a.lightModelAmbient[i];
    for (const Light& light : layer.a.lights)
        if (light.enabled) AddLight(light, m, p, layer.eyeNormal, lit);
    for (int i = 0; i < 3; i++) colour[i] = lit[i];
    colour[3] = m.diffuse[3];
}

// ---- Primitives.

static DrawState CurrentDrawState() {
    DrawState s;
    std::memset(&s, 0, sizeof s);  // compared bytewise: no stray padding
    s.textured = layer.a.texture2D && layer.a.boundTexture != 0;
    s.texture = s.textured ? layer.a.boundTexture : 0;
    auto form = layer.textureForms.find(s.texture);
    if (s.textured && form != layer.textureForms.end() && form->second.PlainChoice())
        s.textureSize[0] = (float)form->second.width, s.textureSize[1] = (float)form->second.height;
    s.blend = layer.a.blend;
    s.depthTest = layer.a.depthTest;
    s.blendSource = layer.a.blendSource;
    s.blendDestination = layer.a.blendDestination;
    std::copy_n(layer.a.viewport, 4, s.viewport);
    std::memcpy(s.projection, layer.projection.Top(), sizeof s.projection);
    return s;
}

static void Emit(const Vertex& v, const float* flatColour, const TexturePlane& plane) {
    layer.batched.push_back(v);
    Vertex& added = layer.batched.back();
    if (flatColour) std::copy_n(flatColour, 4, added.colour);
    added.plane = plane;
}

// One triangle; a textured one carries its texture plane on each vertex.
static void EmitTriangle(const Vertex& a, const Vertex& b, const Vertex& c, const float* flatColour) {
    TexturePlane plane{};  // none: the fragment stage interpolates
    if (layer.a.texture2D && layer.a.boundTexture != 0) {
        const float* eye[3] = {a.position, b.position, c.position};
        const float* st[3] = {a.texCoord, b.texCoord, c.texCoord};
        TrianglePlane(layer.projection.Top(), layer.a.viewport, eye, st, &plane);
    }
    Emit(a, flatColour, plane), Emit(b, flatColour, plane), Emit(c, flatColour, plane);
}

// A polygon as a fan from its first vertex; flat shading gives every
// triangle the first vertex's colour (a polygon's colour comes from there).
static void EmitPolygon(const Vertex* v, size_t n) {
    const float* flat = layer.a.shadeModel == GL_FLAT ? v[0].colour : nullptr;
    for (size_t i = 1; i + 1 < n; i++) EmitTriangle(v[0], v[i], v[i + 1], flat);
}

// Quads as two triangles each; a flat quad takes its last vertex's colour.
static void EmitQuads(const Vertex* v, size_t n) {
    for (size_t q = 0; q + 3 < n; q += 4) {
        const float* flat = layer.a.shadeModel == GL_FLAT ? v[q + 3].colour : nullptr;
        EmitTriangle(v[q], v[q + 1], v[q + 2], flat);
        EmitTriangle(v[q], v[q + 2], v[q + 3], flat);
    }
}

}  // namespace gl11

using namespace gl11;

void glBegin(GLenum mode) {
    if (layer.inBegin) return SetError(GL_INVALID_OPERATION);
    if (mode != GL_POLYGON && mode != GL_QUADS && mode != GL_TRIANGLES && mode != GL_TRIANGLE_FAN)
        return SetError(GL_INVALID_ENUM);
    layer.inBegin = true;
    layer.primitive = mode;
    layer.primitiveVertices.clear();
}

void glEnd() {
    if (!layer.inBegin) return SetError(GL_INVALID_OPERATION);
    layer.inBegin = false;
    const size_t before = layer.batched.size();
    const Vertex* v = layer.primitiveVertices.data();
    const size_t n = layer.primitiveVertices.size();
    if (layer.primitive == GL_QUADS) {
        EmitQuads(v, n);
    } else if (layer.primitive == GL_TRIANGLES) {
        for (size_t t = 0; t + 2 < n; t += 3) EmitPolygon(v + t, 3);
    } else {
        EmitPolygon(v, n);
    }
    const GLsizei added = (GLsizei)(layer.batched.size() - before);
    if (added == 0 || !layer.live) {
        layer.batched.resize(before);
        return;
    }
    DrawState state = CurrentDrawState();
    if (!layer.commands.empty() && SameState(layer.commands.back().state, state))
        layer.commands.back().count += added;
    else
        layer.commands.push_back({state, (GLint)before, added});
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!layer.inBegin) return;
    Vertex v;
    const float object[4] = {x, y, z, 1};
    TransformPoint(layer.modelview.Top(), object, v.position);
    if (layer.a.lighting) {
        LightVertex(v.position, v.colour);
    } else {
        std::copy_n(layer.a.colour, 4, v.colour);
    }
    for (float& c : v.colour) c = std::clamp(c, 0.0f, 1.0f);
    std::copy_n(layer.a.texCoord, 2, v.texCoord);
    layer.primitiveVertices.push_back(v);
}

void glVertex3d(GLdouble x, GLdouble y, GLdouble z) { glVertex3f((float)x, (float)y, (float)z); }
void glVertex2f(GLfloat x, GLfloat y) { glVertex3f(x, y, 0); }
void glVertex2d(GLdouble x, GLdouble y) { glVertex3f((float)x, (float)y, 0); }

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    float* c = layer.a.colour;
    c[0] = red, c[1] = green, c[2] = blue, c[3] = alpha;
    TrackColour();
}
void glColor3f(GLfloat red, GLfloat green, GLfloat blue) { glColor4f(red, green, blue, 1); }
void glColor3d(GLdouble red, GLdouble green, GLdouble blue) {
    glColor4f((float)red, (float)green, (float)blue, 1);
}

void glTexCoord2f(GLfloat s, GLfloat t) { layer.a.texCoord[0] = s, layer.a.texCoord[1] = t; }
void glTexCoord2d(GLdouble s, GLdouble t) { glTexCoord2f((float)s, (float)t); }
// Only s and t are kept, so r is dropped and q divides them as GL's
// projective coordinate would (Ambler hands back what it read: q is 1).
void glTexCoord4fv(const GLfloat* v) {
    float q = v[3] != 0 ? v[3] : 1;
    glTexCoord2f(v[0] / q, v[1] / q);
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    layer.a.normal[0] = x, layer.a.normal[1] = y, layer.a.normal[2] = z;
    layer.normalStale = true;
}

// ---- The frame buffer. Everything batched is drawn before it is touched.

void glClear(GLbitfield mask) {
    if (layer.inBegin) return SetError(GL_INVALID_OPERATION);
    if (!layer.live) return;
    SubmitBatches();
    const float* c = layer.a.clearColour;
    es.ClearColor(c[0], c[1], c[2], c[3]);
    es.Clear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
}

void glFlush() {
    if (!layer.live) return;
    SubmitBatches();
    es.Flush();
}

void glFinish() {
    if (!layer.live) return;
    SubmitBatches();
    es.Finish();
}

// ES reads only RGBA rows aligned to 4; the rows are repacked into what was
// asked for.
void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                  GLvoid* pixels) {
    if (format != GL_RGB && format != GL_RGBA) return SetError(GL_INVALID_ENUM);
    if (type != GL_UNSIGNED_BYTE) return SetError(GL_INVALID_ENUM);
    if (width < 0 || height < 0) return SetError(GL_INVALID_VALUE);
    if (!layer.live || width == 0 || height == 0) return;
    SubmitBatches();
    std::vector<uint8_t> rgba((size_t)width * height * 4);
    es.PixelStorei(GL_PACK_ALIGNMENT, 4);
    es.ReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    const int components = format == GL_RGBA ? 4 : 3;
    const size_t rowBytes = (size_t)width * components;
    const size_t stride = (rowBytes + layer.packAlignment - 1) / layer.packAlignment * layer.packAlignment;
    for (GLsizei row = 0; row < height; row++) {
        uint8_t* out = (uint8_t*)pixels + row * stride;
        const uint8_t* in = &rgba[(size_t)row * width * 4];
        for (GLsizei i = 0; i < width; i++)
            for (int k = 0; k < components; k++) out[i * components + k] = in[i * 4 + k];
    }
}
