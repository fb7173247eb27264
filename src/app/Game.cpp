#include "app/Game.h"

#include "platform/Input.h"
#include "platform/Keys.h"
#include "platform/Process.h"
#include "render/GLError.h"
#include "render/RenderChoices.h"

#include <glm/gtc/matrix_transform.hpp>

#include <iostream>

namespace {

constexpr float FIELD_OF_VIEW = 35.0f;
constexpr float NEAR_PLANE = 1.0f;

}  // namespace

GLint Game::magFilterOf(int mode) { return mode == FILTER_NEAREST ? GL_NEAREST : GL_LINEAR; }

GLint Game::minFilterOf(int mode) {
    switch (mode) {
    case FILTER_TRILINEAR: return GL_LINEAR_MIPMAP_LINEAR;
    case FILTER_NEAREST: return GL_NEAREST_MIPMAP_NEAREST;
    default: return GL_LINEAR;
    }
}

float Game::farPlaneOf(int mode) {
    switch (mode) {
    case VIEW_CLOSE: return 50.0f;
    case VIEW_WIDE: return 500.0f;
    default: return 260.0f;
    }
}

Game::Game() {
    flatShader = shaders::buildProgram(shaderManager, "Shaders\\flat.vert", "Shaders\\flat.frag");
    if (flatShader) {
        // Without the flat program the markers have nothing to draw with
        // and are left out; the rest of the game goes on.
        flatShader->bindFragDataLocation("out_color");
        markerMesh = makeMarkerMesh(flatShader.get());
    }
    // The first city uses the trilinear filters while filterMode starts at
    // linear, so the first F5 shows nearest filtering.
    city = City(lights, magFilterOf(FILTER_TRILINEAR), minFilterOf(FILTER_TRILINEAR));
    van = MoveableObject(startCamera, &city, "vito.obj", &lights);
    van.chaseCamera.moveForward(50.0f);
    van.chaseCamera.moveUp(5.0f);
    jobManager = JobManager(flatShader.get());
    viewDistanceKeyTimer = 0.0f;
    filterKeyTimer = 0.0f;
    filterMode = FILTER_LINEAR;
    viewDistanceMode = VIEW_NORMAL;
}

Game::~Game() = default;

void Game::resize(int width, int height) {
    if (width <= 0 || height <= 0) return;
    glViewport(0, 0, width, height);
    viewport = glm::ivec2(width, height);
    aspect = static_cast<float>(width) / static_cast<float>(height);
    loadPerspective(aspect, farPlaneOf(viewDistanceMode));
}

void Game::loadPerspective(float aspect, float farPlane) {
    frustum.setPerspective(FIELD_OF_VIEW, aspect, NEAR_PLANE, farPlane);
    projection.loadMatrix(frustum.projectionMatrix());
    pipeline.setMatrixStacks(modelView, projection);
}

void Game::update() {
    const float dt = frameTimer.tick();
    jobManager.handlePauseKey(dt);
    jobManager.handleDebugKeys(dt);
    viewDistanceKeyTimer += dt;
    filterKeyTimer += dt;
    handleViewDistanceKey();

    if (!jobManager.isGameOver() && !jobManager.isPaused()) {
        glm::vec3 pos(0.0f);
        van.move(&pos, dt, &jobManager);
        jobManager.update(dt, pos.x, pos.z, city);
    }
    lights.followVan(van.headlightPosition(), van.headlightDirection());

    // Left Ctrl is not read in a frame in which Left Shift switched the beam.
    if (platform::keyDown(keys::WIDE_BEAM) == 1 && !highBeam) {
        highBeam = true;
        lights.setHighBeam(true);
    } else if (platform::keyDown(keys::NARROW_BEAM) == 1 && highBeam) {
        highBeam = false;
        lights.setHighBeam(false);
    }

    handleFilterKey();
    placeMarkers(markers, jobManager.jobs(), van.position(), markerMesh);
}

void Game::handleViewDistanceKey() {
    if (!platform::repeatGuardedKey(keys::VIEW_DISTANCE, viewDistanceKeyTimer)) return;
    viewDistanceMode = (viewDistanceMode + 1) % VIEW_MODE_COUNT;
    static const char* const messages[] = {"change frustrum mode normal\n", "change frustrum mode close\n",
                                           "change frustrum mode wide/off\n"};
    std::cout << messages[viewDistanceMode];
    loadPerspective(aspect, farPlaneOf(viewDistanceMode));
}

void Game::handleFilterKey() {
    if (!platform::repeatGuardedKey(keys::TEXTURE_FILTER, filterKeyTimer)) return;
    filterMode = (filterMode + 1) % FILTER_MODE_COUNT;
    // The filters are fixed when textures are made, so the whole city is
    // built again. The van gets the new city first; the old one is then
    // released with its last copy.
    const City rebuilt(lights, magFilterOf(filterMode), minFilterOf(filterMode));
    van.setCity(rebuilt);
    city = rebuilt;
    platform::releaseFreedMemory();
}

void Game::drawMarkers(glm::mat4 matrix) {
    for (const ItemPointer& marker : markers) marker.draw(matrix);
    markers.clear();
}

void Game::drawVan() {
    // The van's model frame is held in eye coordinates, so its matrix
    // replaces the camera matrix rather than multiplying onto it.
    modelView.pushMatrix(van.modelFrame.objectMatrix(false));
    van.draw(pipeline.modelViewMatrix(), projection.top(), pipeline.normalMatrix(true));
    modelView.popMatrix();
}

void Game::render() {
    modelView.pushMatrix();
    const glm::mat4 cam = van.chaseCamera.frame().cameraMatrix();
    modelView.pushMatrix(cam);
    lights.uploadEyePositions(van.chaseCamera.frame());
    const bool vanFirst = renderChoices().vanFirst;
    if (vanFirst) drawVan();
    city.render(pipeline.modelViewMatrix(), projection.top(), pipeline.normalMatrix(true));

    modelView.pushMatrix();
    jobManager.drawHud(modelView, pipeline);
    modelView.popMatrix();

    // The direction markers stand over the van, in its frame.
    modelView.pushMatrix();
    modelView.pushMatrix(van.modelFrame.objectMatrix(false));
    drawMarkers(projection.top() * modelView.top());
    while (modelView.index() > 0) modelView.popMatrix();
    if (!vanFirst) drawVan();

    checkGLError();
    const glm::vec3 fog = city.fogColor();
    glClearColor(fog.r, fog.g, fog.b, 1.0f);
}
