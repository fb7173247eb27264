#pragma once

#include "game/JobMarker.h"
#include "math/MatrixStack.h"

#include <glm/glm.hpp>

// One delivery order: a street cell to reach before the time runs out.
//
// The award's road from its price to the HUD: the constructor (Job.cpp)
// prices it from the popularity and the distance; reward() adds the seconds
// left when it is delivered; JobManager::deliver (JobManager.cpp) adds the
// reward to the highscore and a 200th of it to the popularity, and
// JobManager::update takes a 50th of the award from the popularity when the
// job runs out; the HUD (JobManager::hudLines, Hud.cpp) shows the award and
// the highscore divided by 10.
class Job {
public:
    // Time and award follow from the popularity and the Manhattan distance
    // from the start, in 32-bit integer arithmetic.
    Job(int destX, int destZ, float startX, float startZ, int popularity, shaders::GLShader* program, int kind);

    float timeLeft() const { return timeLeft_; }
    float destX() const { return destX_; }
    float destZ() const { return destZ_; }
    int award() const { return award_; }
    int kind() const { return kind_; }
    int markerAngle() const { return markerAngle_; }
    // award + timeLeft, truncated.
    int reward() const { return static_cast<int>(static_cast<float>(award_) + timeLeft_); }
    void elapse(float seconds) { timeLeft_ -= seconds; }
    // The colour of the job's kind on a 0..255 scale.
    glm::vec3 jobColour() const { return colourOfKind(kind_); }
    static glm::vec3 colourOfKind(int kind);

    // Spins the marker by a degree and draws it over the destination.
    void drawMarker(MatrixStack& modelView, TransformPipeline& pipeline);

    const JobMarker& marker() const { return marker_; }

private:
    float timeLeft_;
    float destX_;
    float destZ_;
    int award_;
    JobMarker marker_;
    int markerAngle_ = 0;
    int kind_;
};
