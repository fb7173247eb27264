// A long session: thousands of frames of scripted driving with filter-mode
// rebuilds and pauses. The process must not grow and OpenGL must report no
// error. The viewport is small so the test measures the game, not the
// rasteriser; the game's logic and draw calls are those of a full window.
#include "app/Game.h"
#include "platform/Input.h"

#include "support/GlContext.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <unistd.h>

namespace {

long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

constexpr long FRAMES = 5000;
constexpr long REBUILD_EVERY = FRAMES / 50;  // 50 F5 presses
constexpr long PAUSE_EVERY = FRAMES / 100;   // 100 pauses

// Full throttle, turning a different way every few seconds, with the
// toggle keys tapped on their schedules.
int scriptedKey(int key, long frame) {
    const long phase = frame % 300;
    switch (key) {
    case GLFW_KEY_UP: return phase < 260 ? 1 : 0;
    case GLFW_KEY_DOWN: return phase >= 260 && phase < 280 ? 1 : 0;
    case GLFW_KEY_LEFT: return (frame / 300) % 2 == 0 && phase >= 150 && phase < 200 ? 1 : 0;
    case GLFW_KEY_RIGHT: return (frame / 300) % 2 == 1 && phase >= 150 && phase < 200 ? 1 : 0;
    case GLFW_KEY_SPACE: return phase % 7 == 0 ? 1 : 0;
    case GLFW_KEY_F5: return frame % REBUILD_EVERY == REBUILD_EVERY / 2 ? 1 : 0;
    // Pause, and resume 20 frames (0.67 s) later, past the repeat guard.
    case GLFW_KEY_P: return frame % PAUSE_EVERY == 0 || frame % PAUSE_EVERY == 20 ? 1 : 0;
    default: return 0;
    }
}

using SoakTest = GlTest;

TEST_F(SoakTest, FiveThousandFramesWithRebuildsAndPausesNeitherGrowNorFail) {
    long frame = 0;
    double now = 0.0;
    platform::setClockSource([&now] { return now; });
    platform::setKeySource([&frame](int key) { return scriptedKey(key, frame); });

    testing::internal::CaptureStdout();
    long residentAfterWarmUp = 0;
    long residentAtEnd = 0;
    int rebuilds = 0;
    int pauses = 0;
    {
        Game game;
        game.resize(120, 80);
        std::set<std::pair<int, int>> cellsVisited;
        for (frame = 0; frame < FRAMES; ++frame) {
            now += 1.0 / 30.0;
            const int filterMode = game.currentFilterMode();
            const bool paused = game.rules().isPaused();
            game.update();
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            game.render();
            // As in the game's loop: the frame ends with a buffer swap,
            // which waits for the rasteriser to finish it.
            glfwSwapBuffers(testing_support::glWindow());
            if (game.currentFilterMode() != filterMode) ++rebuilds;
            if (!paused && game.rules().isPaused()) ++pauses;
            const glm::vec3 p = game.player().position();
            cellsVisited.insert({static_cast<int>((p.x + 25.0f) / 50.0f), static_cast<int>((p.z + 25.0f) / 50.0f)});
            ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "frame " << frame;
            if (frame == 500) residentAfterWarmUp = residentKilobytes();
            if (frame == FRAMES - 1) residentAtEnd = residentKilobytes();
        }
        EXPECT_GE(cellsVisited.size(), 4u) << "the drive stayed in one place";
    }
    const std::string console = testing::internal::GetCapturedStdout();

    EXPECT_EQ(rebuilds, 50);
    EXPECT_EQ(pauses, 100);
    EXPECT_EQ(console.find("can't find"), std::string::npos);
    EXPECT_LE(residentAtEnd, residentAfterWarmUp + residentAfterWarmUp / 20)
        << "resident memory grew from " << residentAfterWarmUp << " kB to " << residentAtEnd << " kB";
}

}  // namespace
