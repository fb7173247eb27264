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

}  // namespace

void runFrame(Game& world, GLFWwindow* window, FrameSplit* split) {
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
