#include "math/ReferenceFrame.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

// Multiplies v by the transpose of the upper-left 3x3 of r.
glm::vec3 transposedTimes(const glm::mat4& r, const glm::vec3& v) {
    return glm::vec3(r[0][0] * v.x + r[0][1] * v.y + r[0][2] * v.z,
                     r[1][0] * v.x + r[1][1] * v.y + r[1][2] * v.z,
                     r[2][0] * v.x + r[2][1] * v.y + r[2][2] * v.z);
}

}  // namespace

void ReferenceFrame::rotateWorld(float angle, float x, float y, float z) {
    const glm::mat4 r = glm::rotate(glm::mat4(1.0f), glm::radians(angle), glm::vec3(x, y, z));
    up_ = transposedTimes(r, up_);
    forward_ = transposedTimes(r, forward_);
}

void ReferenceFrame::rotateLocal(float angle, float x, float y, float z) {
    const glm::vec3 a(x, y, z);
    const glm::vec3 xAxis = glm::cross(up_, forward_);
    const glm::vec3 world(glm::dot(xAxis, a), glm::dot(up_, a), glm::dot(forward_, a));
    rotateWorld(angle, world.x, world.y, world.z);
}

glm::mat4 ReferenceFrame::objectMatrix(bool rotationOnly) const {
    const glm::vec3 xAxis = glm::cross(up_, forward_);
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(xAxis, 0.0f);
    m[1] = glm::vec4(up_, 0.0f);
    m[2] = glm::vec4(forward_, 0.0f);
    m[3] = rotationOnly ? glm::vec4(0.0f, 0.0f, 0.0f, 1.0f) : glm::vec4(origin_, 1.0f);
    return m;
}

glm::mat4 ReferenceFrame::cameraMatrix() const {
    const glm::vec3 z = -forward_;
    const glm::vec3 x = glm::cross(up_, z);
    glm::mat4 basis(1.0f);
    basis[0] = glm::vec4(x, 0.0f);
    basis[1] = glm::vec4(up_, 0.0f);
    basis[2] = glm::vec4(z, 0.0f);
    const glm::mat4 view = glm::transpose(basis);
    return glm::translate(view, -origin_);
}
