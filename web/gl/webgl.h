// The WebGL 2 calls the layer makes, under the names emscripten gives its
// WebGL library (emscripten_gl...), so that they never meet the GL 1.1
// commands of the same names that the layer itself defines. Values of the
// WebGL tokens the layer uses that GL 1.1 does not have are here too.
#pragma once

#include <GL/gl.h>

extern "C" {

typedef char GLchar;
typedef long GLsizeiptr;

void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glClearColor(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
void emscripten_glClear(GLbitfield mask);
void emscripten_glFrontFace(GLenum mode);
void emscripten_glCullFace(GLenum mode);

void emscripten_glGenTextures(GLsizei n, GLuint* textures);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glTexParameteri(GLenum target, GLenum pname, GLint param);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const void* pixels);
void emscripten_glPixelStorei(GLenum pname, GLint param);

void emscripten_glGenBuffers(GLsizei n, GLuint* buffers);
void emscripten_glBindBuffer(GLenum target, GLuint buffer);
void emscripten_glBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage);
void emscripten_glDeleteBuffers(GLsizei n, const GLuint* buffers);
void emscripten_glGenVertexArrays(GLsizei n, GLuint* arrays);
void emscripten_glDeleteVertexArrays(GLsizei n, const GLuint* arrays);
void emscripten_glBindVertexArray(GLuint array);
void emscripten_glEnableVertexAttribArray(GLuint index);
void emscripten_glVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized,
                                      GLsizei stride, const void* pointer);
void emscripten_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);

GLuint emscripten_glCreateShader(GLenum type);
void emscripten_glShaderSource(GLuint shader, GLsizei count, const GLchar* const* string,
                               const GLint* length);
void emscripten_glCompileShader(GLuint shader);
void emscripten_glGetShaderiv(GLuint shader, GLenum pname, GLint* params);
void emscripten_glGetShaderInfoLog(GLuint shader, GLsizei bufSize, GLsizei* length,
                                   GLchar* infoLog);
GLuint emscripten_glCreateProgram(void);
void emscripten_glAttachShader(GLuint program, GLuint shader);
void emscripten_glLinkProgram(GLuint program);
void emscripten_glGetProgramiv(GLuint program, GLenum pname, GLint* params);
void emscripten_glGetProgramInfoLog(GLuint program, GLsizei bufSize, GLsizei* length,
                                    GLchar* infoLog);
void emscripten_glUseProgram(GLuint program);
GLint emscripten_glGetUniformLocation(GLuint program, const GLchar* name);
void emscripten_glUniform4fv(GLint location, GLsizei count, const GLfloat* value);
void emscripten_glUniform1i(GLint location, GLint value);

} // extern "C"

namespace webgl {

constexpr GLenum ArrayBuffer = 0x8892;
constexpr GLenum ElementArrayBuffer = 0x8893;
constexpr GLenum StaticDraw = 0x88E4;
constexpr GLenum StreamDraw = 0x88E0;
constexpr GLenum Float = 0x1406;
constexpr GLenum UnsignedInt = 0x1405;
constexpr GLenum Lines = 0x0001;
constexpr GLenum Points = 0x0000;
constexpr GLenum Triangles = 0x0004;
constexpr GLenum VertexShader = 0x8B31;
constexpr GLenum FragmentShader = 0x8B30;
constexpr GLenum CompileStatus = 0x8B81;
constexpr GLenum LinkStatus = 0x8B82;

} // namespace webgl
