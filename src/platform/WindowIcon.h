#pragma once

struct GLFWwindow;

namespace platform {

// Gives the game's window the van icon in every size the build draws. The
// pictures are compiled into the game, so no file can be missing or
// damaged and nothing needs decoding. On Windows the executable's own icon
// resource, "GLFW_ICON", is already the icon of every window GLFW opens
// (and the one Explorer shows), so this does nothing there.
void showGameIcon(GLFWwindow* window);

}  // namespace platform
