#pragma once

#include "shaders/GLShader.h"

#include <GL/glew.h>

// Fills `buffer` with `bytes` of floats and points the program's attribute
// `name` at it (`components` floats a vertex, tightly packed), inside the
// vertex array bound by the caller. A missing attribute is reported by the
// lookup and left unset. The buffer stays bound to GL_ARRAY_BUFFER.
void fillAttribute(shaders::GLShader* program, GLuint buffer, const void* data, GLsizeiptr bytes, const char* name,
                   GLint components, GLenum usage = GL_STATIC_DRAW);
