#include "render/SpotLights.h"

#include "render/GLError.h"

#include <glm/gtc/type_ptr.hpp>

namespace {

const glm::vec3 WIDE_LEFT(0.25f, -0.3f, -1.0f);
const glm::vec3 WIDE_RIGHT(-0.25f, -0.3f, -1.0f);
const glm::vec3 NARROW_LEFT(0.2f, -0.3f, -1.0f);
const glm::vec3 NARROW_RIGHT(-0.2f, -0.3f, -1.0f);
constexpr float WIDE_CUTOFF = 0.9f;
constexpr float NARROW_CUTOFF = 0.94f;

}  // namespace

SpotLights::SpotLights() {
    positions_ = {glm::vec4(0, 5, 0, 1),      glm::vec4(0, 5, 0, 1),     glm::vec4(175, 500, 175, 1),
                  glm::vec4(200, 20, 50, 1),  glm::vec4(250, 20, 50, 1), glm::vec4(300, 20, 50, 1),
                  glm::vec4(350, 20, 50, 1),  glm::vec4(400, 20, 50, 1), glm::vec4(50, 20, 150, 1),
                  glm::vec4(50, 20, 100, 1)};
    spotDirections_.fill(glm::vec3(0, -1, 0));
    spotDirections_[0] = WIDE_LEFT;
    spotDirections_[1] = WIDE_RIGHT;
    spotCosCutoffs_.fill(0.8f);
    spotCosCutoffs_[0] = spotCosCutoffs_[1] = WIDE_CUTOFF;
    spotCosCutoffs_[2] = 0.5f;
}

void SpotLights::attachShader(shaders::GLShader* program) {
    shader_ = program;
    uploadTo(program);
}

void SpotLights::followVan(const glm::vec3& position, const glm::vec3& direction) {
    positions_[0] = positions_[1] = glm::vec4(position, 1.0f);
    spotDirections_[0] = spotDirections_[1] = direction;
}

void SpotLights::setHighBeam(bool wide) {
    spotDirections_[0] = wide ? WIDE_LEFT : NARROW_LEFT;
    spotDirections_[1] = wide ? WIDE_RIGHT : NARROW_RIGHT;
    spotCosCutoffs_[0] = spotCosCutoffs_[1] = wide ? WIDE_CUTOFF : NARROW_CUTOFF;
    if (!shader_) return;
    shader_->bind();
    sendCones(shader_);
    shader_->unbind();
}

std::array<glm::vec4, SpotLights::COUNT> SpotLights::eyePositions(const ReferenceFrame& cameraFrame) const {
    const glm::vec3 origin = cameraFrame.origin();
    const glm::mat4 invMat = glm::inverse(cameraFrame.cameraMatrix());
    const glm::vec3 xAxis(invMat[0]);
    const glm::vec3 zAxis(invMat[2]);
    std::array<glm::vec4, COUNT> result;
    for (int i = 0; i < COUNT; ++i) {
        const glm::vec4& p = positions_[i];
        const glm::vec3 v = glm::vec3(p) - origin;
        // y is the light's height minus 10, not a transformed value: the
        // lighting shaders compare it with the fragment's height.
        result[i] = glm::vec4(glm::dot(xAxis, v), p.y - 10.0f, glm::dot(zAxis, v), 1.0f);
    }
    return result;
}

void SpotLights::uploadEyePositions(const ReferenceFrame& cameraFrame) {
    if (!shader_) return;
    sendPositions(shader_, eyePositions(cameraFrame));
    checkGLError();
}

void SpotLights::uploadTo(shaders::GLShader* program) const {
    if (!program) return;
    program->bind();
    glUniform4fv(program->uniformLocation("lightPos"), COUNT, glm::value_ptr(positions_[0]));
    sendCones(program);
    program->unbind();
    checkGLError();
}

std::array<glm::vec4, SpotLights::COUNT> SpotLights::modelPositions(const glm::vec3& vanPosition,
                                                                    const glm::mat4& modelMatrix) const {
    std::array<glm::vec4, COUNT> result;
    for (int i = 0; i < COUNT; ++i) {
        const glm::vec4& p = positions_[i];
        const glm::vec4 v(p.x - vanPosition.x, p.y - vanPosition.y, p.z - vanPosition.z, 1.0f);
        result[i] = glm::vec4(-glm::dot(modelMatrix[0], v), p.y, -glm::dot(modelMatrix[2], v), 1.0f);
    }
    return result;
}

void SpotLights::uploadModelPositions(const glm::vec3& vanPosition, const glm::mat4& modelMatrix,
                                      shaders::GLShader* program) const {
    if (!program) return;
    sendPositions(program, modelPositions(vanPosition, modelMatrix));
    checkGLError();
}

void SpotLights::sendPositions(shaders::GLShader* program, const std::array<glm::vec4, COUNT>& values) const {
    program->bind();
    glUniform4fv(program->uniformLocation("lightPos"), COUNT, glm::value_ptr(values[0]));
    program->unbind();
}

void SpotLights::sendCones(shaders::GLShader* program) const {
    glUniform3fv(program->uniformLocation("spotDir"), COUNT, glm::value_ptr(spotDirections_[0]));
    glUniform1fv(program->uniformLocation("spotCosCutoff"), COUNT, spotCosCutoffs_.data());
}
