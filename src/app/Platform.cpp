#include "app/Platform.h"

#include <GLFW/glfw3.h>

#include <utility>

#ifdef __GLIBC__
#include <malloc.h>
#endif

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

void configureProcess() {
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 2);
#endif
}

void releaseFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void useWindow(GLFWwindow* window) { activeWindow = window; }

void setKeySource(KeySource source) { keySource = std::move(source); }

void setClockSource(ClockSource source) { clockSource = std::move(source); }

std::string nativePath(const std::string& name) {
#ifdef _WIN32
    return name;
#else
    std::string path = name;
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
#endif
}

}  // namespace platform
