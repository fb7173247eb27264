#pragma once

#include <functional>
#include <string>

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

// Process settings the game relies on; called first thing in main. The
// allocator gets one arena per core at most: the driver's rasteriser
// threads would otherwise each keep arenas of freed memory, and a long
// session would grow with every city rebuild.
void configureProcess();

// Gives memory the allocator keeps for reuse back to the system; called
// after a city rebuild, which frees megabytes of images and driver storage
// (much of it in the arenas of the driver's threads).
void releaseFreedMemory();

// Data files are named with backslashes as written ("Shaders\flat.vert");
// this is the one place that turns them into the native separator.
std::string nativePath(const std::string& name);

}  // namespace platform
