#include "app/DistanceMarkers.h"

#include "render/GLError.h"
#include "render/VertexAttribute.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>

namespace {

const glm::vec4 TRIANGLE[3] = {{0.0f, 6.5f, 4.0f, 1.0f}, {0.5f, 6.0f, 1.0f, 1.0f}, {-0.5f, 6.0f, 1.0f, 1.0f}};

}  // namespace

MarkerGeometry::MarkerGeometry(shaders::GLShader* program) : program(program) {
    glBindVertexArray(objects.vao.get());
    fillAttribute(program, objects.buffers[0].get(), TRIANGLE, sizeof(TRIANGLE), "in_position", 4);
    // The colours are written by each marker's draw.
    fillAttribute(program, objects.buffers[1].get(), nullptr, sizeof(TRIANGLE), "in_color", 4, GL_DYNAMIC_DRAW);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    checkGLError();
}

void ItemPointer::init(std::shared_ptr<MarkerGeometry> geometry, glm::vec3 colour, float distance) {
    geometry_ = std::move(geometry);
    colour_ = colour;
    distance_ = distance;
}

glm::mat4 ItemPointer::scaled(const glm::mat4& matrix) const {
    const float d = std::max(distance_, MIN_DISTANCE);
    return glm::scale(matrix, glm::vec3(50.0f / d, 1.0f, 200.0f / d));
}

void ItemPointer::draw(glm::mat4 matrix) const {
    if (!geometry_ || !geometry_->program) return;
    shaders::GLShader* program = geometry_->program;
    const glm::mat4 m = scaled(matrix);
    const glm::vec4 colours[3] = {glm::vec4(colour_, 1.0f), glm::vec4(colour_, 1.0f), glm::vec4(colour_, 1.0f)};
    program->bind();
    glBindVertexArray(geometry_->objects.vao.get());
    glBindBuffer(GL_ARRAY_BUFFER, geometry_->objects.buffers[1].get());
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(colours), colours);
    glUniformMatrix4fv(program->uniformLocation("rotation_matrix"), 1, GL_FALSE, glm::value_ptr(m));
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    program->unbind();
    checkGLError();
}
