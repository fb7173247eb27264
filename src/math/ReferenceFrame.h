#pragma once

#include <glm/glm.hpp>

// A position with an up and a forward direction. Nothing normalises the
// vectors or keeps them perpendicular; the rotations preserve them up to
// rounding. Angles are in degrees.
class ReferenceFrame {
public:
    void setOrigin(float x, float y, float z) { origin_ = glm::vec3(x, y, z); }
    void setForward(float x, float y, float z) { forward_ = glm::vec3(x, y, z); }
    void setUp(float x, float y, float z) { up_ = glm::vec3(x, y, z); }

    glm::vec3 origin() const { return origin_; }
    glm::vec3 up() const { return up_; }
    glm::vec3 forward() const { return forward_; }

    void moveForward(float d) { origin_ += forward_ * d; }
    void moveUp(float d) { origin_ += up_ * d; }
    // cross(up, forward): with the default axes this points towards -x.
    void moveRight(float d) { origin_ += glm::cross(up_, forward_) * d; }

    // Turns up and forward by -angle (right-hand rule) about a world axis.
    void rotateWorld(float angle, float x, float y, float z);
    // Turns about an axis given in the frame's own axes.
    void rotateLocal(float angle, float x, float y, float z);

    glm::mat4 objectMatrix(bool rotationOnly) const;
    glm::mat4 cameraMatrix() const;

private:
    glm::vec3 origin_{0.0f, 0.0f, 0.0f};
    glm::vec3 up_{0.0f, 1.0f, 0.0f};
    glm::vec3 forward_{0.0f, 0.0f, -1.0f};
};

// The chase camera: one frame, starting at (30, 2, 0) looking along +z.
class Camera {
public:
    Camera() {
        frame_.setOrigin(30.0f, 2.0f, 0.0f);
        frame_.setForward(0.0f, 0.0f, 1.0f);
    }

    ReferenceFrame& frame() { return frame_; }
    const ReferenceFrame& frame() const { return frame_; }

    void moveForward(float d) { frame_.moveForward(d); }
    void moveUp(float d) { frame_.moveUp(d); }
    void moveRight(float d) { frame_.moveRight(d); }
    void rotateLocal(float angle, float x, float y, float z) { frame_.rotateLocal(angle, x, y, z); }

private:
    ReferenceFrame frame_;
};
