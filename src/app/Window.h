#pragma once

#include "platform/WindowSize.h"

struct GLFWwindow;


// Opens the 1200 x 800 window with an OpenGL 3.3 compatibility context
// (24 depth bits, 8 stencil bits) and makes the context current; null when
// that fails. GLFW must be initialised.
GLFWwindow* openGameWindow(const char* title, bool visible = true);

// The OpenGL state every frame relies on: sRGB output, depth test, back-face
// culling, alpha blending and smooth 1.5-pixel lines. Nothing changes it later.
void setFixedRenderState();
