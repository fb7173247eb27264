#pragma once

#include "render/GlObject.h"
#include "shaders/GLShader.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

// Triangles with a colour per corner for the flat program: positions in
// "in_position" and colours in "in_color", four floats each, in one vertex
// array, drawn with one "rotation_matrix". Move-only; drawables that are
// copied share one through std::shared_ptr.
class FlatMesh {
public:
    // `program` must not be null. Without `colours` the colour buffer is
    // only sized, to be written by each draw.
    FlatMesh(shaders::GLShader* program, const glm::vec4* positions, const glm::vec4* colours, int vertexCount);

    // Writes `colours` first when given (one per vertex).
    void draw(const glm::mat4& matrix, const glm::vec4* colours = nullptr) const;

    shaders::GLShader* program() const { return program_; }
    GLuint vertexArray() const { return objects_.vao.get(); }

private:
    shaders::GLShader* program_;
    int vertexCount_;
    gl::VertexArrayObjects<2> objects_;
};
