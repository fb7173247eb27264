#include "app/Game.h"

#include "render/GLError.h"

#include <GL/glew.h>

#include <iostream>

Game::Game() {
    flatShader.reset(shaderManager.loadFromFiles("Shaders\\flat.vert", "Shaders\\flat.frag"));
    if (!flatShader) {
        std::cout << "Error Loading, compiling or linking shader\n";
    } else {
        flatShader->bindFragDataLocation("out_color");
    }
    chaseCamera = startCamera;
    chaseCamera.moveForward(50.0f);
    chaseCamera.moveUp(5.0f);
}

Game::~Game() = default;

void Game::resize(int width, int height) {
    glViewport(0, 0, width, height);
    frustum.setPerspective(35.0f, static_cast<float>(width) / static_cast<float>(height), 1.0f, 260.0f);
    projection.loadMatrix(frustum.projectionMatrix());
    pipeline.setMatrixStacks(modelView, projection);
}

void Game::update() { frameTimer.tick(); }

void Game::render() {
    modelView.pushMatrix();
    modelView.pushMatrix(chaseCamera.frame().cameraMatrix());
    modelView.popMatrix();
    modelView.popMatrix();
    checkGLError();
    glClearColor(0.01f, 0.01f, 0.01f, 1.0f);
}
