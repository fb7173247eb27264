#include "app/Frame.h"

#include "app/Game.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

void runFrame(Game& world, GLFWwindow* window) {
    world.update();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    world.render();
    glfwSwapBuffers(window);
    glfwPollEvents();
}
