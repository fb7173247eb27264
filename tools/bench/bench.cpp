// Runs the real game under a scripted drive and prints frame-time figures.
// Usage: cd build/game && ./tarvello_bench [frames]
#include "app/Game.h"
#include "app/Window.h"
#include "platform/Input.h"
#include "platform/Process.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The drive: full throttle with a turn now and then, so the view sweeps
// across streets, walls and the open city; the collisions keep it inside.
int scriptedKey(int key, long frame) {
    const long phase = frame % 240;
    switch (key) {
    case GLFW_KEY_UP: return phase < 200 ? 1 : 0;
    case GLFW_KEY_DOWN: return phase >= 200 && phase < 215 ? 1 : 0;
    case GLFW_KEY_LEFT: return (frame / 240) % 2 == 0 && phase >= 120 && phase < 170 ? 1 : 0;
    case GLFW_KEY_RIGHT: return (frame / 240) % 2 == 1 && phase >= 120 && phase < 170 ? 1 : 0;
    case GLFW_KEY_SPACE: return 1;
    default: return 0;
    }
}

// Processor time of all the process's threads (the rasteriser's included),
// which is steadier than wall time on a shared machine.
double cpuMilliseconds() { return platform::processorSeconds() * 1000.0; }

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const std::size_t index = std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())));
    return v[index];
}

}  // namespace

int main(int argc, char** argv) {
    platform::configureProcess();
    const long frames = argc > 1 ? std::atol(argv[1]) : 1500;
    const Clock::time_point start = Clock::now();
    if (!glfwInit()) return 1;
    GLFWwindow* window = openGameWindow("Tarvello!");
    if (!window) {
        std::cerr << "Failed to initialize OpenGL window." << std::endl;
        return 1;
    }
    glewInit();
    setFixedRenderState();

    // The game sees a steady 60 frames per second, so every run drives the
    // same path and shows the same views, whatever this machine's speed.
    long frame = 0;
    platform::setKeySource([&frame](int key) { return scriptedKey(key, frame); });
    platform::setClockSource([&frame] { return static_cast<double>(frame + 1) / 60.0; });
    std::ostringstream gameOutput;
    std::streambuf* console = std::cout.rdbuf(gameOutput.rdbuf());

    double firstFrame = 0.0;
    double rebuild = 0.0;
    double cpuPerFrame = 0.0;
    std::vector<double> times;
    {
        Game world;
        world.resize(WINDOW_WIDTH, WINDOW_HEIGHT);
        double cpuStart = 0.0;
        for (frame = 0; frame < frames; ++frame) {
            const Clock::time_point t = Clock::now();
            world.update();
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            world.render();
            glfwSwapBuffers(window);
            glfwPollEvents();
            const double ms = millisecondsSince(t);
            if (frame == 0) {
                firstFrame = millisecondsSince(start);
                cpuStart = cpuMilliseconds();
            } else {
                times.push_back(ms);
            }
        }
        cpuPerFrame = (cpuMilliseconds() - cpuStart) / static_cast<double>(frames > 1 ? frames - 1 : 1);
        // One filter-mode switch, timed as the frame in which it happens.
        platform::setKeySource([](int key) { return key == GLFW_KEY_F5 ? 1 : 0; });
        ++frame;
        const Clock::time_point t = Clock::now();
        world.update();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        world.render();
        glfwSwapBuffers(window);
        rebuild = millisecondsSince(t);
    }
    std::cout.rdbuf(console);

    // The floor: what an empty clear-and-swap frame costs on this machine.
    std::vector<double> floorTimes;
    for (int i = 0; i < 60; ++i) {
        const Clock::time_point t = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glfwSwapBuffers(window);
        glfwPollEvents();
        floorTimes.push_back(millisecondsSince(t));
    }

    const GLubyte* renderer = glGetString(GL_RENDERER);
    std::printf("renderer: %s, %ld frames at %dx%d\n", renderer ? reinterpret_cast<const char*>(renderer) : "?",
                frames, WINDOW_WIDTH, WINDOW_HEIGHT);
    std::printf("| measure | ms |\n|---|---|\n");
    std::printf("| median frame | %.2f |\n", percentile(times, 0.5));
    std::printf("| p99 frame | %.2f |\n", percentile(times, 0.99));
    std::printf("| worst frame (after the first) | %.2f |\n", times.empty() ? 0.0 : *std::max_element(times.begin(), times.end()));
    std::printf("| processor time per frame, all threads | %.2f |\n", cpuPerFrame);
    std::printf("| start to first frame | %.2f |\n", firstFrame);
    std::printf("| F5 rebuild frame | %.2f |\n", rebuild);
    std::printf("| floor (empty clear and swap, median) | %.2f |\n", percentile(floorTimes, 0.5));
    glfwTerminate();
    return 0;
}
