#include "app/Frame.h"
#include "app/Game.h"
#include "app/Window.h"
#include "platform/DataFolder.h"
#include "platform/FatalError.h"
#include "platform/Input.h"
#include "platform/Keys.h"
#include "platform/Process.h"
#include "platform/XInputLibrary.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <iostream>

int main() {
    platform::configureProcess();
    platform::useGameDataFolder();

    platform::keepXInputLoaded();
    glfwInit();
    GLFWwindow* window = openGameWindow("Tarvello!");
    if (!window) {
        platform::reportFatalError(std::cerr, "Failed to initialize OpenGL window.");
        glfwTerminate();
        return 1;
    }
    glfwSetInputMode(window, GLFW_STICKY_KEYS, GLFW_TRUE);
    platform::useWindow(window);

    const GLenum err = glewInit();
    if (err != GLEW_OK) std::cerr << "Error: " << glewGetErrorString(err) << std::endl;
    if (!glewIsSupported("GL_VERSION_3_3")) {
        platform::reportFatalError(std::cout, "OpenGL 3.3 not supported on your hardware.");
        glfwTerminate();
        return 1;
    }
    setFixedRenderState();

    {
        Game world;
        world.resize(WINDOW_WIDTH, WINDOW_HEIGHT);

        bool running = true;
        while (running) {
            runFrame(world, window);
            running = platform::keyDown(keys::QUIT) == 0 && !glfwWindowShouldClose(window);
        }
        // The game gives its OpenGL objects back here, while the context lives.
    }

    platform::useWindow(nullptr);
    glfwTerminate();
    return 0;
}
