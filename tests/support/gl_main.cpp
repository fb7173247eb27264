// Entry point of the GL test programs: one hidden window with the context
// the game asks for, and the fixed state the game sets before it builds
// anything.
#include "support/GlContext.h"

#include "app/Window.h"
#include "platform/Process.h"
#include "platform/XInputLibrary.h"

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
    platform::keepXInputLoaded();
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
    GLFWwindow* window = openGameWindow("tests", false);
    if (!window) {
        std::cerr << "tests: cannot create a 3.3 compatibility context" << std::endl;
        glfwTerminate();
        return 1;
    }
    glewInit();
    setFixedRenderState();
    testing_support::setGlWindow(window);

    const int result = RUN_ALL_TESTS();

    testing_support::setGlWindow(nullptr);
#ifndef __SANITIZE_ADDRESS__
    glfwDestroyWindow(window);
    glfwTerminate();
#else
    // Closing the display unloads Mesa's driver, and the leak checker then
    // reports the driver's own start-up allocations from an unknown module.
    // Left loaded, they stay reachable from the driver and only leaks of the
    // game's code are reported.
    (void)window;
#endif
    return result;
}
