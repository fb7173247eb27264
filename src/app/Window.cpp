#include "app/Window.h"

#include "platform/FatalError.h"
#include "platform/XInputLibrary.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <chrono>
#include <iostream>
#include <thread>

namespace {

bool initGlfw(int attempts) {
    platform::keepXInputLoaded();
    for (int attempt = 1;; ++attempt) {
        if (glfwInit()) return true;
        if (attempt >= attempts) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

GLFWwindow* openWindow(const WindowOptions& options) {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_COMPAT_PROFILE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_VISIBLE, options.visible ? GLFW_TRUE : GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(WINDOW_WIDTH, WINDOW_HEIGHT, options.title, nullptr, nullptr);
    if (window) glfwMakeContextCurrent(window);
    return window;
}

// The state every frame relies on: sRGB output, depth test, back-face
// culling, alpha blending and smooth 1.5-pixel lines. Nothing changes it later.
void setFixedRenderState() {
    glEnable(GL_FRAMEBUFFER_SRGB);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glGetError();  // the extension loader's start-up may leave a flag behind
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glLineWidth(1.5f);
}

}  // namespace

GLFWwindow* startGameWindow(const WindowOptions& options) {
    platform::showFatalErrorsInBox(options.visible);
    GLFWwindow* window = initGlfw(options.connectAttempts) ? openWindow(options) : nullptr;
    if (!window) {
        platform::reportFatalError(std::cerr, "Failed to initialize OpenGL window.");
        glfwTerminate();
        return nullptr;
    }
    glfwSetInputMode(window, GLFW_STICKY_KEYS, GLFW_TRUE);

    // A failing loader is only reported: the version check below decides.
    const GLenum err = glewInit();
    if (err != GLEW_OK) std::cerr << "Error: " << glewGetErrorString(err) << std::endl;
    if (!glewIsSupported("GL_VERSION_3_3")) {
        platform::reportFatalError(std::cout, "OpenGL 3.3 not supported on your hardware.");
        glfwTerminate();
        return nullptr;
    }
    setFixedRenderState();
    return window;
}

void stopGameWindow() { glfwTerminate(); }
