#include "game/Job.h"

#include <cmath>
#include <iostream>

glm::vec3 Job::colourOfKind(int kind) {
    switch (kind) {
    case 0: return {255.0f, 0.0f, 0.0f};
    case 1: return {0.0f, 255.0f, 0.0f};
    case 2: return {0.0f, 0.0f, 255.0f};
    default: return {0.0f, 0.0f, 0.0f};
    }
}

Job::Job(int destX, int destZ, float startX, float startZ, int popularity, shaders::GLShader* program, int kind)
    : destX_(static_cast<float>(destX)), destZ_(static_cast<float>(destZ)), kind_(kind) {
    const float dx = std::fabs(startX - static_cast<float>(destX));
    const float dz = std::fabs(startZ - static_cast<float>(destZ));
    // Any two points of the walled city are less than 1000 apart this way;
    // a van position that is not finite or far off the map must not reach
    // the integer pricing (a float outside int's range has no int value).
    // Ten million is far off the map, yet prices stay inside int's range
    // for every popularity a job is made at (1 to 100).
    constexpr float FARTHEST = 1e7f;
    const float sum = dx + dz;
    const int d = sum <= FARTHEST ? static_cast<int>(sum) : sum > FARTHEST ? static_cast<int>(FARTHEST) : 0;
    timeLeft_ = static_cast<float>(((105 - popularity) * d) / 200);
    // The award's road from its price to the HUD: the comment on Job (Job.h).
    award_ = ((popularity + 5) * d) / 7;
    const glm::vec3 c = colourOfKind(kind);
    marker_ = JobMarker(2, 1, program, c.r, c.g, c.b);
    std::cout << "new Job: Time " << timeLeft_ << ", Award: " << award_ << "\n";
}

void Job::drawMarker(MatrixStack& modelView, TransformPipeline& pipeline) {
    markerAngle_ = (markerAngle_ + 1) % 360;
    modelView.translate(destX_, 2.0f, destZ_);
    modelView.rotate(static_cast<float>(markerAngle_), 0.0f, 1.0f, 0.0f);
    marker_.draw(pipeline.modelViewProjectionMatrix());
}
