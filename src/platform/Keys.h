#pragma once

#include <GLFW/glfw3.h>

// Every key the game reads, by what it does. The key table of docs/design.md
// says where each one is handled.
namespace keys {

// The van's keys come in pairs: an arrow and a letter that do the same.
struct KeyPair {
    int arrow;
    int letter;
};

constexpr KeyPair ACCELERATE{GLFW_KEY_UP, GLFW_KEY_W};
constexpr KeyPair BRAKE_AND_REVERSE{GLFW_KEY_DOWN, GLFW_KEY_S};
constexpr KeyPair STEER_LEFT{GLFW_KEY_LEFT, GLFW_KEY_A};
constexpr KeyPair STEER_RIGHT{GLFW_KEY_RIGHT, GLFW_KEY_D};
constexpr int DELIVER = GLFW_KEY_SPACE;

constexpr int PAUSE = GLFW_KEY_P;
constexpr int WIDE_BEAM = GLFW_KEY_LEFT_SHIFT;
constexpr int NARROW_BEAM = GLFW_KEY_LEFT_CONTROL;
constexpr int FRAME_RATE = GLFW_KEY_F2;
constexpr int WIREFRAME = GLFW_KEY_F3;
constexpr int TEXTURE_FILTER = GLFW_KEY_F5;
constexpr int VERTEX_ARRAY_STATE = GLFW_KEY_F6;
constexpr int VIEW_DISTANCE = GLFW_KEY_F8;
constexpr int QUIT = GLFW_KEY_ESCAPE;

}  // namespace keys
