#pragma once

#include <functional>

struct GLFWwindow;

// The game reaches the keyboard and the clock only through these functions,
// so tests can drive it frame by frame with chosen keys and times.
namespace platform {

// 1 while the key (a GLFW_KEY_* code) is down, or once after it was tapped
// (sticky keys); 0 otherwise.
int keyDown(int key);

// Seconds since the window library was initialised.
double seconds();

using KeySource = std::function<int(int key)>;
using ClockSource = std::function<double()>;

// Routes keys and time to the given window's GLFW state.
void useWindow(GLFWwindow* window);

// Replaces the key or clock source; an empty function restores GLFW.
void setKeySource(KeySource source);
void setClockSource(ClockSource source);

// A toggle key acts at most once per half second however long it is held.
constexpr float KEY_REPEAT_DELAY = 0.5f;

// True when a repeat-guarded key acts this frame: the timer has grown past
// KEY_REPEAT_DELAY and the key reads down. Acting resets the timer.
bool repeatGuardedKey(int key, float& timer);

}  // namespace platform
