#pragma once

#include "game/Job.h"
#include "render/FlatMesh.h"
#include "shaders/GLShader.h"

#include <glm/glm.hpp>

#include <list>
#include <memory>
#include <vector>

// The triangle every direction marker draws, in the van model's frame;
// `program` (the flat one) must not be null.
std::shared_ptr<FlatMesh> makeMarkerMesh(shaders::GLShader* program);

// One small triangle over the van per open job: coloured by the job's kind
// and scaled by how near its destination is: at 50 units x keeps its size
// and z (the triangle's length) is stretched four times.
// All markers share one geometry; a marker only recolours and rescales it,
// so steady frames create and delete no OpenGL object.
class ItemPointer {
public:
    // Below this distance a marker stops growing, so a destination right
    // under the van still gets a finite marker.
    static constexpr float MIN_DISTANCE = 1.0f;

    ItemPointer() = default;
    void init(std::shared_ptr<FlatMesh> mesh, glm::vec3 colour, float distance);
    void draw(glm::mat4 matrix) const;

    // The matrix the triangle is drawn with.
    glm::mat4 scaled(const glm::mat4& matrix) const;
    float distance() const { return distance_; }
    glm::vec3 colour() const { return colour_; }

private:
    float distance_ = 0.0f;
    glm::vec3 colour_{0.0f};
    std::shared_ptr<FlatMesh> mesh_;
};

// Fills `markers` with one marker per job, in the jobs' order, for a van at
// `vanPosition`; all of them draw `mesh`.
void placeMarkers(std::vector<ItemPointer>& markers, const std::list<Job>& jobs, glm::vec3 vanPosition,
                  const std::shared_ptr<FlatMesh>& mesh);
