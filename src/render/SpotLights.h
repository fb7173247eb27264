#pragma once

#include "math/ReferenceFrame.h"
#include "shaders/GLShader.h"

#include <glm/glm.hpp>

#include <array>

// The ten spot lights of the scene: the van's two head lights (0 and 1) and
// eight fixed lamps, behind the "lightPos", "spotDir" and "spotCosCutoff"
// uniform arrays. A plain value: the van's model keeps its own copy.
class SpotLights {
public:
    static constexpr int COUNT = 10;

    SpotLights();

    // Remembers the city's program and sends all three arrays to it.
    void attachShader(shaders::GLShader* program);
    // Moves both head lights; nothing is sent.
    void followVan(const glm::vec3& position, const glm::vec3& direction);
    // Wide (true) or narrow (false) head-light cones; sends directions and cut-offs.
    void setHighBeam(bool wide);
    // Sends the light positions relative to the camera to the city's program.
    void uploadEyePositions(const ReferenceFrame& cameraFrame);

    // The van model's uploads: all three arrays to another program, and the
    // positions relative to the van.
    void uploadTo(shaders::GLShader* program) const;
    void uploadModelPositions(const glm::vec3& vanPosition, const glm::mat4& modelMatrix,
                              shaders::GLShader* program) const;

    // What uploadEyePositions and uploadModelPositions send, without sending it.
    std::array<glm::vec4, COUNT> eyePositions(const ReferenceFrame& cameraFrame) const;
    std::array<glm::vec4, COUNT> modelPositions(const glm::vec3& vanPosition, const glm::mat4& modelMatrix) const;

    const std::array<glm::vec4, COUNT>& positions() const { return positions_; }
    const std::array<glm::vec3, COUNT>& spotDirections() const { return spotDirections_; }
    const std::array<float, COUNT>& spotCosCutoffs() const { return spotCosCutoffs_; }
    shaders::GLShader* shader() const { return shader_; }

private:
    void sendPositions(shaders::GLShader* program, const std::array<glm::vec4, COUNT>& values) const;
    void sendCones(shaders::GLShader* program) const;

    std::array<glm::vec4, COUNT> positions_;
    std::array<glm::vec3, COUNT> spotDirections_;
    std::array<float, COUNT> spotCosCutoffs_;
    shaders::GLShader* shader_ = nullptr;
};
