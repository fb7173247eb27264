#include "render/VertexAttribute.h"

void fillAttribute(shaders::GLShader* program, GLuint buffer, const void* data, GLsizeiptr bytes, const char* name,
                   GLint components, GLenum usage) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, bytes, data, usage);
    const GLint location = program->attribLocation(name);
    // -1 names no array: there is nothing to enable or point.
    if (location < 0) return;
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE, 0, nullptr);
}
