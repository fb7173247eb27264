#include "app/Window.h"

#include "platform/FatalError.h"
#include "platform/XInputLibrary.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
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

// The monitor under the middle of the window, else the primary one; null
// when GLFW knows no monitor.
GLFWmonitor* monitorOf(GLFWwindow* window) {
    int x = 0, y = 0, width = 0, height = 0;
    glfwGetWindowPos(window, &x, &y);
    glfwGetWindowSize(window, &width, &height);
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    for (int i = 0; i < count; ++i) {
        int mx = 0, my = 0;
        glfwGetMonitorPos(monitors[i], &mx, &my);
        const GLFWvidmode* mode = glfwGetVideoMode(monitors[i]);
        if (mode && x + width / 2 >= mx && x + width / 2 < mx + mode->width && y + height / 2 >= my &&
            y + height / 2 < my + mode->height)
            return monitors[i];
    }
    return glfwGetPrimaryMonitor();
}

// A window asked for at the monitor's scale may not fit its work area (a
// 150 % laptop asks for 1800 x 1200 pixels): then it gets the largest 3:2
// size whose frame fits, and stands in the work area's middle. A window
// that fits keeps the size and the place the system gave it.
void fitToWorkArea(GLFWwindow* window) {
    GLFWmonitor* monitor = monitorOf(window);
    if (!monitor) return;
    int areaX = 0, areaY = 0, areaWidth = 0, areaHeight = 0;
    glfwGetMonitorWorkarea(monitor, &areaX, &areaY, &areaWidth, &areaHeight);
    int left = 0, top = 0, right = 0, bottom = 0;
    glfwGetWindowFrameSize(window, &left, &top, &right, &bottom);
    const int roomWidth = areaWidth - left - right;
    const int roomHeight = areaHeight - top - bottom;
    int width = 0, height = 0;
    glfwGetWindowSize(window, &width, &height);
    if (roomWidth <= 0 || roomHeight <= 0 || (width <= roomWidth && height <= roomHeight)) return;
    const double scale = std::min(static_cast<double>(roomWidth) / WINDOW_WIDTH,
                                  static_cast<double>(roomHeight) / WINDOW_HEIGHT);
    width = static_cast<int>(WINDOW_WIDTH * scale);
    height = static_cast<int>(WINDOW_HEIGHT * scale);
    glfwSetWindowSize(window, width, height);
    glfwSetWindowPos(window, areaX + left + (roomWidth - width) / 2, areaY + top + (roomHeight - height) / 2);
}

// The window asks for 1200 x 800 pixels times the monitor's content scale
// (Windows' display scale, X11's Xft.dpi), fitted to the screen while it
// is still hidden. The player may resize and maximise it; the picture and
// the text follow its drawable (runFrame). Its X11 class names the desktop
// entry (packaging/tarvello.desktop), so a dock shows the running game as
// the menu's.
GLFWwindow* openWindow(const WindowOptions& options) {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_COMPAT_PROFILE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    glfwWindowHint(GLFW_SCALE_TO_MONITOR, GLFW_TRUE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHintString(GLFW_X11_CLASS_NAME, "Tarvello");
    glfwWindowHintString(GLFW_X11_INSTANCE_NAME, "tarvello");
    GLFWwindow* window = glfwCreateWindow(WINDOW_WIDTH, WINDOW_HEIGHT, options.title, nullptr, nullptr);
    if (!window) return nullptr;
    fitToWorkArea(window);
    if (options.visible) glfwShowWindow(window);
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
