#pragma once

#include "platform/WindowSize.h"

struct GLFWwindow;

// What differs between the programs that open the game's window: the game
// shows it; the tests, the benchmark and the fuzzer may keep it hidden.
struct WindowOptions {
    const char* title = "Tarvello!";
    bool visible = true;
    // A busy X server refuses a connection now and then; the test programs
    // try this many times, 200 ms apart, since they are about the game, not
    // the server.
    int connectAttempts = 1;
};

// The one start-up of every program that draws with the game's code: GLFW
// (with the Windows game-pad library kept loaded), the window (1200 x 800
// at the monitor's scale, fitted to and centred on the monitor it shows on,
// resizable) with an OpenGL 3.3 compatibility context (24 depth bits, 8
// stencil bits) made current, sticky keys, GLEW, the 3.3 check and the
// fixed state. Each failure is reported as the game reports it, a driver
// without 3.3 as such, after GLFW's own reason; where the window is shown,
// this and every later fatal error also shows a message box on Windows. On
// failure GLFW is shut down again and the result is null.
GLFWwindow* startGameWindow(const WindowOptions& options = {});

// Ends what startGameWindow began (the window goes with GLFW), once every
// OpenGL object is given back.
void stopGameWindow();
