#pragma once

#include "shaders/GLShader.h"

#include <GL/glew.h>

// The frame every drawable of the game wraps around its draw call: the
// program and the vertex array are bound, `draw` sends its uniforms and
// draws, and the array, the array buffer and the program are unbound again,
// so the next drawable starts from nothing bound.
template <class Draw>
void drawBound(shaders::GLShader* program, GLuint vertexArray, Draw&& draw) {
    program->bind();
    glBindVertexArray(vertexArray);
    draw();
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    program->unbind();
}
