#include "app/Game.h"
#include "app/Platform.h"
#include "app/Window.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <iostream>

int main() {
    platform::configureProcess();
    // Game events are read as they happen, also when the console is a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    glfwInit();
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_COMPAT_PROFILE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(WINDOW_WIDTH, WINDOW_HEIGHT, "Tarvello!", nullptr, nullptr);
    if (!window) {
        std::cerr << "Failed to initialize OpenGL window." << std::endl;
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(window);
    glfwSetInputMode(window, GLFW_STICKY_KEYS, GLFW_TRUE);
    platform::useWindow(window);

    const GLenum err = glewInit();
    if (err != GLEW_OK) std::cerr << "Error: " << glewGetErrorString(err) << std::endl;
    if (!glewIsSupported("GL_VERSION_3_3")) {
        std::cout << "OpenGL 3.3 not supported on your hardware." << std::endl;
        glfwTerminate();
        return 1;
    }

    // Every frame relies on this state; nothing changes it later.
    glEnable(GL_FRAMEBUFFER_SRGB);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glGetError();  // GLEW's start-up may leave a flag behind
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glLineWidth(1.5f);

    {
        Game world;
        world.resize(WINDOW_WIDTH, WINDOW_HEIGHT);

        bool running = true;
        while (running) {
            world.update();
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            world.render();
            glfwSwapBuffers(window);
            glfwPollEvents();
            running = platform::keyDown(GLFW_KEY_ESCAPE) == 0 && !glfwWindowShouldClose(window);
        }
        // The game gives its OpenGL objects back here, while the context lives.
    }

    platform::useWindow(nullptr);
    glfwTerminate();
    return 0;
}
