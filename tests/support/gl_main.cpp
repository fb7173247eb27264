// Entry point of the GL test programs: one hidden window with the context
// the game asks for, and the fixed state the game sets before it builds
// anything.
#include "support/GlContext.h"

#include "app/Platform.h"

#include <GLFW/glfw3.h>

#include <chrono>
#include <iostream>
#include <thread>

namespace testing_support {
void setGlWindow(GLFWwindow* w);
}

int main(int argc, char** argv) {
    platform::configureProcess();
    ::testing::InitGoogleTest(&argc, argv);
    // A busy X server can refuse a connection now and then; try again
    // before giving up, since the tests are about the game, not the server.
    bool ready = glfwInit();
    for (int attempt = 0; attempt < 5 && !ready; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ready = glfwInit();
    }
    if (!ready) {
        std::cerr << "tests: cannot initialise GLFW (is an X server running?)" << std::endl;
        return 1;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_COMPAT_PROFILE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(1200, 800, "tests", nullptr, nullptr);
    if (!window) {
        std::cerr << "tests: cannot create a 3.3 compatibility context" << std::endl;
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(window);
    glewInit();
    glGetError();
    glEnable(GL_FRAMEBUFFER_SRGB);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    testing_support::setGlWindow(window);

    const int result = RUN_ALL_TESTS();

    testing_support::setGlWindow(nullptr);
    glfwDestroyWindow(window);
    glfwTerminate();
    return result;
}
