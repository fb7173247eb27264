// Entry point of the GL test programs: one hidden window with the context
// the game asks for, and the fixed state the game sets before it builds
// anything.
#include "support/GlContext.h"

#include "app/Window.h"
#include "platform/Process.h"
#include "platform/ProcessEnd.h"

#include <GLFW/glfw3.h>

namespace testing_support {
void setGlWindow(GLFWwindow* w);
}

int main(int argc, char** argv) {
    platform::configureProcess();
    ::testing::InitGoogleTest(&argc, argv);
    GLFWwindow* window = startGameWindow({"tests", false, 6});
    if (!window) platform::endProcess(1);
    testing_support::setGlWindow(window);

    const int result = RUN_ALL_TESTS();

    testing_support::setGlWindow(nullptr);
#ifndef __SANITIZE_ADDRESS__
    stopGameWindow();
#else
    // Closing the display unloads Mesa's driver, and the leak checker then
    // reports the driver's own start-up allocations from an unknown module.
    // Left loaded, they stay reachable from the driver and only leaks of the
    // game's code are reported.
    (void)window;
#endif
    platform::endProcess(result);
}
