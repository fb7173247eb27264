#pragma once

#include "app/FrameTimer.h"
#include "math/MatrixStack.h"
#include "math/ReferenceFrame.h"
#include "shaders/GLShader.h"

// Owns the running game and fixes the order of set-up, update and render.
class Game {
public:
    Game();
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    void resize(int width, int height);
    void update();
    void render();

    const MatrixStack& modelViewStack() const { return modelView; }
    const MatrixStack& projectionStack() const { return projection; }
    shaders::GLShader* flatProgram() const { return flatShader.get(); }

private:
    shaders::GLShaderManager shaderManager;
    MatrixStack modelView{64};
    MatrixStack projection{64};
    Frustum frustum;
    TransformPipeline pipeline;
    Camera startCamera;
    shaders::ProgramPtr flatShader;
    Camera chaseCamera;
    FrameTimer frameTimer;
};
