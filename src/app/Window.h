#pragma once

struct GLFWwindow;

// The fixed size of the game's window in pixels; also the aspect ratio of
// every projection.
constexpr int WINDOW_WIDTH = 1200;
constexpr int WINDOW_HEIGHT = 800;

// Opens the 1200 x 800 window with an OpenGL 3.3 compatibility context
// (24 depth bits, 8 stencil bits) and makes the context current; null when
// that fails. GLFW must be initialised.
GLFWwindow* openGameWindow(const char* title, bool visible = true);

// The OpenGL state every frame relies on: sRGB output, depth test, back-face
// culling, alpha blending and smooth 1.5-pixel lines. Nothing changes it later.
void setFixedRenderState();
