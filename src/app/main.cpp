#include "app/Frame.h"
#include "app/Game.h"
#include "app/Window.h"
#include "platform/DataFolder.h"
#include "platform/Input.h"
#include "platform/Keys.h"
#include "platform/Process.h"
#include "platform/ProcessEnd.h"
#include "platform/WindowIcon.h"

#include <GLFW/glfw3.h>

int main() {
    platform::configureProcess();
    platform::useGameDataFolder();
    GLFWwindow* window = startGameWindow();
    if (!window) platform::endProcess(1);
    platform::showGameIcon(window);
    platform::useWindow(window);

    {
        Game world;
        world.resize(WINDOW_WIDTH, WINDOW_HEIGHT);

        bool running = true;
        while (running) {
            runFrame(world, window);
            running = platform::keyDown(keys::QUIT) == 0 && !glfwWindowShouldClose(window);
        }
        // The game gives its OpenGL objects back here, while the context lives.
    }

    platform::useWindow(nullptr);
    stopGameWindow();
    platform::endProcess(0);
}
