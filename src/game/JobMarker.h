#pragma once

#include "render/FlatMesh.h"
#include "shaders/GLShader.h"

#include <glm/glm.hpp>

#include <memory>

// The spinning double pyramid that marks a job's destination, drawn with
// the flat program. Copies (the job is a value) share the OpenGL objects,
// which go when the last copy of the job does.
class JobMarker {
public:
    JobMarker() = default;
    JobMarker(int height, int radius, shaders::GLShader* program, float r, float g, float b);

    void draw(glm::mat4 matrix) const;

    int height() const { return height_; }
    int radius() const { return radius_; }
    GLuint vertexArray() const { return mesh_ ? mesh_->vertexArray() : 0; }

    static constexpr int VERTEX_COUNT = 36;

private:
    int height_ = 0;
    int radius_ = 0;
    std::shared_ptr<FlatMesh> mesh_;
};

// The 36 corner positions of a marker, triangle by triangle.
void markerPositions(int height, int radius, glm::vec4 (&out)[JobMarker::VERTEX_COUNT]);
