// gl11_es.h -- the OpenGL ES 2 calls our GL 1.1 layer is drawn with. They
// share their names with the GL 1.1 calls the layer itself provides, so
// they are reached through this table: in the browser emscripten's
// emscripten_gl* aliases, on Linux the entry points EGL hands out.
#pragma once

#include <GL/gl.h>

#include <cstddef>

// The ES-only numbers the layer needs (same values as GLES2/gl2.h).
#define GL_ARRAY_BUFFER 0x8892
#define GL_STREAM_DRAW 0x88E0
#define GL_FRAGMENT_SHADER 0x8B30
#define GL_VERTEX_SHADER 0x8B31
#define GL_COMPILE_STATUS 0x8B81
#define GL_LINK_STATUS 0x8B82
#define GL_TEXTURE0 0x84C0
#define GL_MAX_RENDERBUFFER_SIZE 0x84E8

// X(result, name, parameters, arguments)
#define GL11_ES_CALLS(X)                                                                           \
    X(void, Enable, (GLenum cap), (cap))                                                           \
    X(void, Disable, (GLenum cap), (cap))                                                          \
    X(void, Clear, (GLbitfield mask), (mask))                                                      \
    X(void, ClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))                \
    X(void, Viewport, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h))                      \
    X(void, BlendFunc, (GLenum s, GLenum d), (s, d))                                               \
    X(void, Flush, (void), ())                                                                     \
    X(void, Finish, (void), ())                                                                    \
    X(GLenum, GetError, (void), ())                                                                \
    X(void, GetIntegerv, (GLenum p, GLint* v), (p, v))                                             \
    X(const GLubyte*, GetString, (GLenum n), (n))                                                  \
    X(void, GenTextures, (GLsizei n, GLuint* t), (n, t))                                           \
    X(void, DeleteTextures, (GLsizei n, const GLuint* t), (n, t))                                  \
    X(void, BindTexture, (GLenum target, GLuint t), (target, t))                                   \
    X(void, ActiveTexture, (GLenum unit), (unit))                                                  \
    X(void, TexImage2D,                                                                            \
      (GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border,             \
       GLenum format, GLenum type, const void* pixels),                                            \
      (target, level, internal, w, h, border, format, type, pixels))                               \
    X(void, TexParameteri, (GLenum target, GLenum p, GLint v), (target, p, v))                     \
    X(void, PixelStorei, (GLenum p, GLint v), (p, v))                                              \
    X(void, ReadPixels,                                                                            \
      (GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, void* pixels),          \
      (x, y, w, h, format, type, pixels))                                                          \
    X(GLuint, CreateShader, (GLenum type), (type))                                                 \
    X(void, ShaderSource, (GLuint s, GLsizei n, const char* const* text, const GLint* lengths),    \
      (s, n, text, lengths))                                                                       \
    X(void, CompileShader, (GLuint s), (s))                                                        \
    X(void, GetShaderiv, (GLuint s, GLenum p, GLint* v), (s, p, v))                                \
    X(void, GetShaderInfoLog, (GLuint s, GLsizei n, GLsizei* length, char* log),                   \
      (s, n, length, log))                                                                         \
    X(void, DeleteShader, (GLuint s), (s))                                                         \
    X(GLuint, CreateProgram, (void), ())                                                           \
    X(void, AttachShader, (GLuint p, GLuint s), (p, s))                                            \
    X(void, BindAttribLocation, (GLuint p, GLuint index, const char* name), (p, index, name))      \
    X(void, LinkProgram, (GLuint p), (p))                                                          \
    X(void, GetProgramiv, (GLuint p, GLenum q, GLint* v), (p, q, v))                               \
    X(void, DeleteProgram, (GLuint p), (p))                                                        \
    X(void, UseProgram, (GLuint p), (p))                                                           \
    X(GLint, GetUniformLocation, (GLuint p, const char* name), (p, name))                          \
    X(void, Uniform1i, (GLint at, GLint v), (at, v))                                               \
    X(void, Uniform1f, (GLint at, GLfloat v), (at, v))                                             \
    X(void, Uniform2f, (GLint at, GLfloat x, GLfloat y), (at, x, y))                               \
    X(void, UniformMatrix4fv, (GLint at, GLsizei n, GLboolean transpose, const GLfloat* m),        \
      (at, n, transpose, m))                                                                       \
    X(void, GenBuffers, (GLsizei n, GLuint* b), (n, b))                                            \
    X(void, DeleteBuffers, (GLsizei n, const GLuint* b), (n, b))                                   \
    X(void, BindBuffer, (GLenum target, GLuint b), (target, b))                                    \
    X(void, BufferData, (GLenum target, ptrdiff_t size, const void* data, GLenum usage),           \
      (target, size, data, usage))                                                                 \
    X(void, VertexAttribPointer,                                                                   \
      (GLuint index, GLint size, GLenum type, GLboolean norm, GLsizei stride, const void* at),     \
      (index, size, type, norm, stride, at))                                                       \
    X(void, EnableVertexAttribArray, (GLuint index), (index))                                      \
    X(void, DrawArrays, (GLenum mode, GLint first, GLsizei count), (mode, first, count))

namespace gl11 {

struct EsCalls {
#define GL11_ES_POINTER(result, name, params, args) result(*name) params = nullptr;
    GL11_ES_CALLS(GL11_ES_POINTER)
#undef GL11_ES_POINTER
};

// The table; filled by LoadEsCalls before the layer draws.
extern EsCalls es;
// Finds every entry point; false (naming the first missing one on stderr)
// when one is missing.
bool LoadEsCalls();

}  // namespace gl11
