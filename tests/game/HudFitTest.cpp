// Every line the overlay can show, with the widest values it can hold,
// measured with the game's own font: nothing may run past the overlay,
// whose edges are the window's, in a 3:2 window or any other.
#include "font/GLFont.h"
#include "game/JobManager.h"
#include "platform/Input.h"

#include "support/GlContext.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The console is captured: switching the frame rate on prints a line.
class HudFitTest : public ConsoleGlTest {
protected:
    void SetUp() override {
        ConsoleGlTest::SetUp();
        glGenTextures(1, &texture);
        font.loadFont("arial.glf", texture);
    }
    void TearDown() override {
        glDeleteTextures(1, &texture);
        ConsoleGlTest::TearDown();
    }

    void expectInside(const std::vector<HudLine>& lines, const std::string& state) {
        ASSERT_FALSE(lines.empty()) << state;
        for (auto [width, height] : {std::pair{1200, 800}, {1920, 1080}, {800, 1200}, {2560, 720}}) {
            const glm::vec2 overlay = hudOverlaySize(width, height);
            for (const HudLine& line : lines) {
                const glm::ivec2 at = line.placeIn(overlay);
                const int textWidth = font.textWidth(line.text);
                EXPECT_GT(textWidth, 0) << line.text;
                EXPECT_GE(at.x, 0) << line.text;
                EXPECT_LE(at.x + textWidth, overlay.x)
                    << state << " in " << width << " x " << height << ": \"" << line.text << "\" is " << textWidth
                    << " wide at x " << at.x;
                EXPECT_GE(at.y, 0) << line.text;
                EXPECT_LE(at.y + font.glyphHeight('0'), overlay.y) << line.text;
            }
        }
    }

    // The frame rate the debug keys measure for a frame of `dt` seconds,
    // switched on.
    static void showFrameRate(JobManager& manager, float dt) {
        if (!manager.isShowingFrameRate()) {
            platform::setKeySource([](int key) { return key == GLFW_KEY_F2 ? 1 : 0; });
            manager.handleDebugKeys(1.0f);
            platform::setKeySource({});
        }
        manager.handleDebugKeys(dt);
        ASSERT_TRUE(manager.isShowingFrameRate());
    }

    GLuint texture = 0;
    PixelPerfectGLFont font;
};

TEST_F(HudFitTest, EveryLineFitsWithItsWidestValues) {
    // A job 6,666,666 units away at popularity 100 is worth 99,999,990,
    // shown as the seven digits 9999999, with over 99 minutes to go.
    JobManager manager;
    manager.setHighscore(99999999);
    manager.setPopularity(100);
    for (int kind = 0; kind < 3; ++kind) {
        Job job(0, 0, -6666666.0f, 0.0f, 100, nullptr, kind);
        job.elapse(job.timeLeft() - 5999.5f);
        manager.addJob(job);
    }
    const std::vector<HudLine> running = manager.hudLines();
    ASSERT_EQ(running.size(), 5u);
    EXPECT_EQ(running[0].text, "Highscore 9999999");
    EXPECT_EQ(running[1].text, "Popularity 100");
    EXPECT_EQ(running[2].text, "Job: Award 9999999 Time 99:59");
    expectInside(running, "running");

    // Frame rates from a 10 kHz frame to a seven-second stall; the slow ones
    // take the most figures ("0.142857").
    for (float dt : {1.0f / 9999.99f, 1.0f / 8888.88f, 1.0f / 1000.01f, 1.0f / 99.9999f, 0.33333f, 7.0f}) {
        showFrameRate(manager, dt);
        const std::vector<HudLine> lines = manager.hudLines();
        ASSERT_EQ(lines.size(), 6u);
        expectInside({lines[0]}, "frame time " + std::to_string(dt));
    }

    manager.setPopularity(0);
    expectInside(manager.hudLines(), "game over");
    manager.setPopularity(50);
    platform::setKeySource([](int key) { return key == GLFW_KEY_P ? 1 : 0; });
    manager.handlePauseKey(1.0f);
    platform::setKeySource({});
    ASSERT_TRUE(manager.isPaused());
    expectInside(manager.hudLines(), "paused");
}

// The score lines stand 15 units apart: one text line of the font.
TEST_F(HudFitTest, LinesDoNotOverlap) {
    JobManager manager;
    const std::vector<HudLine> lines = manager.hudLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_LE(font.glyphHeight('0'), lines[1].y - lines[0].y);
}

}  // namespace
