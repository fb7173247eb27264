#pragma once

#include "app/FrameTimer.h"
#include "app/ItemPointer.h"
#include "city/City.h"
#include "game/JobManager.h"
#include "math/MatrixStack.h"
#include "math/ReferenceFrame.h"
#include "platform/WindowSize.h"
#include "render/SpotLights.h"
#include "shaders/GLShader.h"
#include "vehicle/MoveableObject.h"

#include <GL/glew.h>

#include <memory>
#include <vector>

// Owns the running game and fixes the order of set-up, update and render.
// The members start empty and the constructor body builds them in the
// game's order: the flat program, the city, the van and the job manager
// last. They are released in reverse declaration order, all while the
// OpenGL context lives.
class Game {
public:
    Game();
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Fits viewport and perspective to the drawable, which the system may
    // make smaller than the window asked for; a zero size is ignored.
    void resize(int width, int height);
    void update();
    void render();

    // Texture filter modes, in the order F5 steps through them.
    enum FilterMode { FILTER_TRILINEAR = 0, FILTER_LINEAR = 1, FILTER_NEAREST = 2, FILTER_MODE_COUNT = 3 };
    // View-distance modes, in the order F8 steps through them.
    enum ViewDistanceMode { VIEW_NORMAL = 0, VIEW_CLOSE = 1, VIEW_WIDE = 2, VIEW_MODE_COUNT = 3 };

    // The texture filters of each filter mode: magnification, minification.
    static GLint magFilterOf(int mode);
    static GLint minFilterOf(int mode);
    // The far plane of each view-distance mode.
    static float farPlaneOf(int mode);

    const MatrixStack& modelViewStack() const { return modelView; }
    const MatrixStack& projectionStack() const { return projection; }
    shaders::GLShader* flatProgram() const { return flatShader.get(); }
    const City& gameCity() const { return city; }
    const SpotLights& sceneLights() const { return lights; }
    bool isHighBeam() const { return highBeam; }
    MoveableObject& player() { return van; }
    JobManager& rules() { return jobManager; }
    int currentFilterMode() const { return filterMode; }
    int currentViewDistanceMode() const { return viewDistanceMode; }
    int viewportWidth() const { return viewport.x; }
    int viewportHeight() const { return viewport.y; }

    // The next frame's elapsed time starts now: the time the window spent
    // minimised is not one long frame.
    void restartFrameClock() { frameTimer.restart(); }

private:
    void drawMarkers(glm::mat4 matrix);
    void drawVan();
    void handleViewDistanceKey();
    void handleFilterKey();
    // The projection of the current view: 35 degrees, near plane 1.
    void loadPerspective(float aspect, float farPlane);

    shaders::GLShaderManager shaderManager;
    JobManager jobManager;
    MatrixStack modelView{64};
    MatrixStack projection{64};
    Frustum frustum;
    TransformPipeline pipeline;
    Camera startCamera;
    City city;
    SpotLights lights;
    shaders::ProgramPtr flatShader;
    std::shared_ptr<FlatMesh> markerMesh;
    MoveableObject van;
    bool highBeam = true;
    FrameTimer frameTimer;
    glm::ivec2 viewport{0, 0};
    float aspect = static_cast<float>(WINDOW_WIDTH) / static_cast<float>(WINDOW_HEIGHT);
    float viewDistanceKeyTimer = 0.0f;
    int viewDistanceMode = VIEW_NORMAL;
    float filterKeyTimer = 0.0f;
    int filterMode = FILTER_LINEAR;
    // Placed by each update, drawn and dropped by the next render.
    std::vector<ItemPointer> markers;
};
