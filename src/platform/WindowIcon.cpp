#include "platform/WindowIcon.h"

#include <GLFW/glfw3.h>

#ifndef _WIN32
#include <vector>

namespace {
#include "van_icons.inc"  // written by tools/gen_icon at build time
}  // namespace
#endif

namespace platform {

void showGameIcon([[maybe_unused]] GLFWwindow* window) {
#ifndef _WIN32
    std::vector<GLFWimage> images;
    for (const VanIcon& icon : VAN_ICONS) {
        // GLFW copies the pixels and never writes them.
        images.push_back({icon.size, icon.size, const_cast<unsigned char*>(icon.rgba)});
    }
    glfwSetWindowIcon(window, static_cast<int>(images.size()), images.data());
#endif
}

}  // namespace platform
