#include "app/Frame.h"

#include "app/Game.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// A minimised game is paused as P pauses it, and draws nothing: it sleeps
// until the window's next event, so it takes no processor time. The player
// resumes with P once the window is back.
void waitWhileMinimised(Game& world, GLFWwindow* window) {
    world.rules().pause();
    while (glfwGetWindowAttrib(window, GLFW_ICONIFIED) && !glfwWindowShouldClose(window)) glfwWaitEvents();
    world.restartFrameClock();
}

}  // namespace

void runFrame(Game& world, GLFWwindow* window, FrameSplit* split) {
    if (glfwGetWindowAttrib(window, GLFW_ICONIFIED)) waitWhileMinimised(world, window);
    // The system may give the window less room than it asked for (a small
    // screen), or change it later; the picture follows the real drawable.
    int width = 0;
    int height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    if (width != world.viewportWidth() || height != world.viewportHeight()) world.resize(width, height);
    const Clock::time_point start = split ? Clock::now() : Clock::time_point();
    world.update();
    const Clock::time_point updated = split ? Clock::now() : Clock::time_point();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    world.render();
    const Clock::time_point rendered = split ? Clock::now() : Clock::time_point();
    glfwSwapBuffers(window);
    glfwPollEvents();
    if (split) {
        const Clock::time_point swapped = Clock::now();
        split->update = millisecondsBetween(start, updated);
        split->render = millisecondsBetween(updated, rendered);
        split->swap = millisecondsBetween(rendered, swapped);
    }
}
