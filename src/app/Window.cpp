#include "app/Window.h"

#include "platform/FatalError.h"
#include "platform/WindowSize.h"
#include "platform/XInputLibrary.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <chrono>
#include <iostream>
#include <thread>
#include <vector>

namespace {

bool initGlfw(int attempts) {
    platform::keepXInputLoaded();
    for (int attempt = 1;; ++attempt) {
        if (glfwInit()) return true;
        if (attempt >= attempts) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

// GLFW's own reason for a failure goes to the console, before the game's line.
void reportGlfwError(int, const char* description) { std::cerr << "GLFW: " << description << std::endl; }

platform::ScreenRect boundsOf(GLFWmonitor* monitor) {
    platform::ScreenRect bounds;
    glfwGetMonitorPos(monitor, &bounds.x, &bounds.y);
    if (const GLFWvidmode* mode = glfwGetVideoMode(monitor)) {
        bounds.width = mode->width;
        bounds.height = mode->height;
    }
    return bounds;
}

// The monitor under the middle of the window; null when it is on none.
GLFWmonitor* monitorOf(GLFWwindow* window) {
    platform::ScreenRect drawn;
    glfwGetWindowPos(window, &drawn.x, &drawn.y);
    glfwGetWindowSize(window, &drawn.width, &drawn.height);
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    std::vector<platform::ScreenRect> bounds;
    for (int i = 0; i < count; ++i) bounds.push_back(boundsOf(monitors[i]));
    const int index = platform::monitorHolding(bounds, drawn);
    return index < 0 ? nullptr : monitors[index];
}

// Sizes the window for the monitor's scale (Windows' display scale,
// X11's Xft.dpi), fitted to its work area, and centres it there.
void fitTo(GLFWwindow* window, GLFWmonitor* monitor) {
    platform::ScreenRect area;
    glfwGetMonitorWorkarea(monitor, &area.x, &area.y, &area.width, &area.height);
    platform::FrameEdges frame;
    glfwGetWindowFrameSize(window, &frame.left, &frame.top, &frame.right, &frame.bottom);
    float scale = 1.0f;
    glfwGetMonitorContentScale(monitor, &scale, nullptr);
    const platform::ScreenRect fitted = platform::fitWindow(area, frame, platform::usableScale(scale));
    glfwSetWindowSize(window, fitted.width, fitted.height);
    glfwSetWindowPos(window, fitted.x, fitted.y);
}

// The window opens on the primary monitor, fitted to it while hidden. A
// window manager may show it on another (one that places windows under the
// pointer): then it is fitted to that one, once. The player may move,
// resize and maximise it later; the picture and the text follow its
// drawable (runFrame). Its X11 class names the desktop entry
// (packaging/tarvello.desktop), so a dock shows the running game as the
// menu's.
GLFWwindow* openWindow(const WindowOptions& options) {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_COMPAT_PROFILE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHintString(GLFW_X11_CLASS_NAME, "Tarvello");
    glfwWindowHintString(GLFW_X11_INSTANCE_NAME, "tarvello");
    GLFWwindow* window = glfwCreateWindow(WINDOW_WIDTH, WINDOW_HEIGHT, options.title, nullptr, nullptr);
    if (!window) return nullptr;
    GLFWmonitor* primary = glfwGetPrimaryMonitor();
    if (primary) fitTo(window, primary);
    if (options.visible) {
        glfwShowWindow(window);
        GLFWmonitor* shownOn = monitorOf(window);
        if (shownOn && shownOn != primary) fitTo(window, shownOn);
    }
    glfwMakeContextCurrent(window);
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

// Reports why the start-up failed and shuts GLFW down again.
GLFWwindow* giveUp(std::ostream& stream, const char* line) {
    platform::reportFatalError(stream, line);
    glfwTerminate();
    return nullptr;
}

}  // namespace

GLFWwindow* startGameWindow(const WindowOptions& options) {
    platform::showFatalErrorsInBox(options.visible);
    glfwSetErrorCallback(reportGlfwError);
    GLFWwindow* window = initGlfw(options.connectAttempts) ? openWindow(options) : nullptr;
    constexpr const char* NO_3_3 = "OpenGL 3.3 not supported on your hardware.";
    // A driver without 3.3 already fails the window's context.
    if (!window && glfwGetError(nullptr) == GLFW_VERSION_UNAVAILABLE) return giveUp(std::cout, NO_3_3);
    if (!window) return giveUp(std::cerr, "Failed to initialize OpenGL window.");
    glfwSetInputMode(window, GLFW_STICKY_KEYS, GLFW_TRUE);

    // A failing loader is only reported: the version check below decides.
    const GLenum err = glewInit();
    if (err != GLEW_OK) std::cerr << "Error: " << glewGetErrorString(err) << std::endl;
    if (!glewIsSupported("GL_VERSION_3_3")) return giveUp(std::cout, NO_3_3);
    setFixedRenderState();
    return window;
}

void stopGameWindow() { glfwTerminate(); }
