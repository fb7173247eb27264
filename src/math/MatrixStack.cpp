#include "math/MatrixStack.h"

#include <glm/gtc/matrix_transform.hpp>

MatrixStack::MatrixStack(int depth) : depth_(depth), levels_(depth > 0 ? depth : 1, glm::mat4(1.0f)) {}

void MatrixStack::pushMatrix() {
    if (index_ >= depth_ - 1) {
        lastError_ = Overflow;
        return;
    }
    ++index_;
    levels_[index_] = levels_[index_ - 1];
}

void MatrixStack::pushMatrix(const glm::mat4& m) {
    if (index_ >= depth_ - 1) {
        lastError_ = Overflow;
        return;
    }
    ++index_;
    levels_[index_] = m;
}

void MatrixStack::popMatrix() {
    if (index_ < 1) {
        lastError_ = Underflow;
        return;
    }
    --index_;
}

void MatrixStack::translate(float x, float y, float z) {
    levels_[index_] = levels_[index_] * glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z));
}

void MatrixStack::rotate(float angle, float x, float y, float z) {
    levels_[index_] = levels_[index_] * glm::rotate(glm::mat4(1.0f), glm::radians(angle), glm::vec3(x, y, z));
}

const glm::mat4& TransformPipeline::modelViewProjectionMatrix() {
    modelViewProjection_ = projection_->top() * modelView_->top();
    return modelViewProjection_;
}

const glm::mat3& TransformPipeline::normalMatrix(bool normalize) {
    normal_ = glm::mat3(modelView_->top());
    if (normalize) {
        for (int c = 0; c < 3; ++c) normal_[c] = glm::normalize(normal_[c]);
    }
    return normal_;
}

void Frustum::setPerspective(float fov, float aspect, float zNear, float zFar) {
    projection_ = glm::perspective(glm::radians(fov), aspect, zNear, zFar);
}

void Frustum::setOrthographic(float xMin, float xMax, float yMin, float yMax, float zMin, float zMax) {
    projection_ = glm::ortho(xMin, xMax, yMin, yMax, zMin, zMax);
}
