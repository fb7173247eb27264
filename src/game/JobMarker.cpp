#include "game/JobMarker.h"

void markerPositions(int height, int radius, glm::vec4 (&out)[JobMarker::VERTEX_COUNT]) {
    const float h = static_cast<float>(height);
    const float r = static_cast<float>(radius);
    // Integer halving: with the game's radius 1 the side corners fold onto
    // the axis and the marker is an octahedron.
    const float s = static_cast<float>(radius / 2);
    const glm::vec4 p1(r, 0, 0, 1), p2(s, 0, r, 1), p3(-s, 0, r, 1), p4(-r, 0, 0, 1), p5(-s, 0, -r, 1),
        p6(s, 0, -r, 1), t(0, h, 0, 1), u(0, -h, 0, 1);
    const glm::vec4 triangles[JobMarker::VERTEX_COUNT] = {
        p1, t, p2, t, p1, p6, p4, p3, t, t, p5, p4, t, p3, p2, t, p6, p5,
        p1, p2, u, u, p6, p1, p4, u, p3, u, p4, p5, u, p2, p3, u, p5, p6,
    };
    for (int i = 0; i < JobMarker::VERTEX_COUNT; ++i) out[i] = triangles[i];
}

JobMarker::JobMarker(int height, int radius, shaders::GLShader* program, float r, float g, float b)
    : height_(height), radius_(radius) {
    // Without the flat program there is nothing to draw the marker with.
    if (!program) return;
    glm::vec4 positions[VERTEX_COUNT];
    markerPositions(height, radius, positions);
    glm::vec4 colours[VERTEX_COUNT];
    for (glm::vec4& c : colours) c = glm::vec4(r, g, b, 1.0f);
    mesh_ = std::make_shared<FlatMesh>(program, positions, colours, VERTEX_COUNT);
}

void JobMarker::draw(glm::mat4 matrix) const {
    if (mesh_) mesh_->draw(matrix);
}
