#include "app/ItemPointer.h"

#include "render/GLError.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>

namespace {

const glm::vec4 TRIANGLE[3] = {{0.0f, 6.5f, 4.0f, 1.0f}, {0.5f, 6.0f, 1.0f, 1.0f}, {-0.5f, 6.0f, 1.0f, 1.0f}};

}  // namespace

std::shared_ptr<FlatMesh> makeMarkerMesh(shaders::GLShader* program) {
    // The colours are written by each marker's draw.
    auto mesh = std::make_shared<FlatMesh>(program, TRIANGLE, nullptr, 3);
    checkGLError();
    return mesh;
}

void ItemPointer::init(std::shared_ptr<FlatMesh> mesh, glm::vec3 colour, float distance) {
    mesh_ = std::move(mesh);
    colour_ = colour;
    distance_ = distance;
}

glm::mat4 ItemPointer::scaled(const glm::mat4& matrix) const {
    const float d = std::max(distance_, MIN_DISTANCE);
    return glm::scale(matrix, glm::vec3(50.0f / d, 1.0f, 200.0f / d));
}

void ItemPointer::draw(glm::mat4 matrix) const {
    if (!mesh_) return;
    const glm::vec4 colours[3] = {glm::vec4(colour_, 1.0f), glm::vec4(colour_, 1.0f), glm::vec4(colour_, 1.0f)};
    mesh_->draw(scaled(matrix), colours);
    checkGLError();
}

void placeMarkers(std::vector<ItemPointer>& markers, const std::list<Job>& jobs, glm::vec3 vanPosition,
                  const std::shared_ptr<FlatMesh>& mesh) {
    markers.clear();
    for (const Job& job : jobs) {
        const glm::vec3 destination(job.destX(), 0.0f, job.destZ());
        ItemPointer marker;
        marker.init(mesh, job.jobColour(), glm::length(vanPosition - destination));
        markers.push_back(marker);
    }
}
