#include "platform/Input.h"

#include <GLFW/glfw3.h>

#include <utility>

namespace platform {
namespace {

GLFWwindow* activeWindow = nullptr;
KeySource keySource;
ClockSource clockSource;

}  // namespace

int keyDown(int key) {
    if (keySource) return keySource(key);
    if (!activeWindow) return 0;
    return glfwGetKey(activeWindow, key) == GLFW_PRESS ? 1 : 0;
}

double seconds() {
    if (clockSource) return clockSource();
    return glfwGetTime();
}

void useWindow(GLFWwindow* window) { activeWindow = window; }

void setKeySource(KeySource source) { keySource = std::move(source); }

void setClockSource(ClockSource source) { clockSource = std::move(source); }

bool repeatGuardedKey(int key, float& timer) {
    // The key is read first, so a tap inside the guard time is consumed.
    if (keyDown(key) == 1 && timer > KEY_REPEAT_DELAY) {
        timer = 0.0f;
        return true;
    }
    return false;
}

}  // namespace platform
