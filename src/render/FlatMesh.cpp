#include "render/FlatMesh.h"

#include "render/BoundDraw.h"
#include "render/VertexAttribute.h"

#include <glm/gtc/type_ptr.hpp>

FlatMesh::FlatMesh(shaders::GLShader* program, const glm::vec4* positions, const glm::vec4* colours, int vertexCount)
    : program_(program), vertexCount_(vertexCount) {
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(vertexCount * sizeof(glm::vec4));
    glBindVertexArray(objects_.vao.get());
    fillAttribute(program, objects_.buffers[0].get(), positions, bytes, "in_position", 4);
    fillAttribute(program, objects_.buffers[1].get(), colours, bytes, "in_color", 4,
                  colours ? GL_STATIC_DRAW : GL_DYNAMIC_DRAW);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void FlatMesh::draw(const glm::mat4& matrix, const glm::vec4* colours) const {
    drawBound(program_, objects_.vao.get(), [&] {
        if (colours) {
            glBindBuffer(GL_ARRAY_BUFFER, objects_.buffers[1].get());
            glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(vertexCount_ * sizeof(glm::vec4)), colours);
        }
        glUniformMatrix4fv(program_->uniformLocation("rotation_matrix"), 1, GL_FALSE, glm::value_ptr(matrix));
        glDrawArrays(GL_TRIANGLES, 0, vertexCount_);
    });
}
