#pragma once

#include <glm/glm.hpp>

#include <vector>

// A fixed-depth stack of matrices. Failed pushes and pops leave the stack
// as it was and only record the reason in lastError().
class MatrixStack {
public:
    enum Error { None = 0, Overflow = 1, Underflow = 2 };

    explicit MatrixStack(int depth = 64);

    void pushMatrix();
    void pushMatrix(const glm::mat4& m);
    void popMatrix();
    void loadMatrix(const glm::mat4& m) { levels_[index_] = m; }
    const glm::mat4& top() const { return levels_[index_]; }

    // top = top x T and top = top x R; the angle is in degrees.
    void translate(float x, float y, float z);
    void rotate(float angle, float x, float y, float z);

    int lastError() const { return lastError_; }
    int depth() const { return depth_; }
    int index() const { return index_; }

private:
    int lastError_ = None;
    int depth_;
    int index_ = 0;
    std::vector<glm::mat4> levels_;
};

// Joins a model-view and a projection stack and derives the matrices that
// the shaders take.
class TransformPipeline {
public:
    void setMatrixStacks(MatrixStack& modelView, MatrixStack& projection) {
        modelView_ = &modelView;
        projection_ = &projection;
    }

    const glm::mat4& modelViewMatrix() const { return modelView_->top(); }
    const glm::mat4& modelViewProjectionMatrix();
    const glm::mat3& normalMatrix(bool normalize);

private:
    glm::mat4 modelViewProjection_{1.0f};
    glm::mat3 normal_{1.0f};
    MatrixStack* modelView_ = nullptr;
    MatrixStack* projection_ = nullptr;
};

// Builds the projection matrix; starts as the orthographic unit cube.
class Frustum {
public:
    Frustum() { setOrthographic(-1.0f, 1.0f, -1.0f, 1.0f, -1.0f, 1.0f); }

    // The field of view is vertical and in degrees.
    void setPerspective(float fov, float aspect, float zNear, float zFar);
    void setOrthographic(float xMin, float xMax, float yMin, float yMax, float zMin, float zMax);
    const glm::mat4& projectionMatrix() const { return projection_; }

private:
    glm::mat4 projection_{1.0f};
};
