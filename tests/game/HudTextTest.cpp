#include "game/JobManager.h"
#include "platform/Input.h"
#include "support/Console.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// One overlay line as "text @x,y (r,g,b)".
std::vector<std::string> describe(const std::vector<HudLine>& lines) {
    std::vector<std::string> out;
    for (const HudLine& line : lines) {
        std::ostringstream s;
        s << line.text << " @" << line.x << "," << line.y << " (" << line.colour.r << "," << line.colour.g << ","
          << line.colour.b << ")";
        out.push_back(s.str());
    }
    return out;
}

// A job made at popularity 20 from 200 units away (85 s, award 714) with
// `left` seconds still to go.
Job jobWithTimeLeft(int kind, float left) {
    Job job(150, 50, 0.0f, 0.0f, 20, nullptr, kind);
    job.elapse(85.0f - left);
    return job;
}

// Keys held down in the test's keyboard, with the game's console captured.
class HudAndKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        console.start();
        testing_support::holdKeys(held);
    }
    void TearDown() override {
        platform::setKeySource({});
        console.stop();
    }
    void pressPause(JobManager& manager) {
        held = {GLFW_KEY_P};
        manager.handlePauseKey(0.6f);
        held.clear();
    }

    std::set<int> held;
    testing_support::CapturedConsole console;
};

TEST_F(HudAndKeysTest, RunningGameShowsScorePopularityAndTheJobs) {
    JobManager manager;
    manager.setHighscore(744);
    manager.setPopularity(23);
    manager.addJob(jobWithTimeLeft(0, 65.3f));
    EXPECT_EQ(describe(manager.hudLines()),
              (std::vector<std::string>{"Highscore 74 @5,5 (1,1,1)", "Popularity 23 @5,20 (1,1,1)",
                                        "Job: Award 71 Time 1:5 @5,400 (1,0,0)"}));
}

TEST_F(HudAndKeysTest, NumbersAreCutToWholeUnits) {
    JobManager manager;
    manager.setHighscore(9);
    manager.addJob(jobWithTimeLeft(0, 59.9f));
    manager.addJob(Job(250, 0, 0.0f, 0.0f, 5, nullptr, 1));  // 125 s, award 357
    const std::vector<HudLine> lines = manager.hudLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "Highscore 0");
    EXPECT_EQ(lines[2].text, "Job: Award 71 Time 0:59");
    EXPECT_EQ(lines[3].text, "Job: Award 35 Time 2:5");
}

TEST_F(HudAndKeysTest, JobLinesClimbTwentyUnitsInTheColourOfTheirKind) {
    JobManager manager;
    manager.addJob(jobWithTimeLeft(2, 80.0f));
    manager.addJob(jobWithTimeLeft(0, 80.0f));
    manager.addJob(jobWithTimeLeft(1, 80.0f));
    const std::vector<std::string> lines = describe(manager.hudLines());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], "Job: Award 71 Time 1:20 @5,400 (0,0,1)");
    EXPECT_EQ(lines[3], "Job: Award 71 Time 1:20 @5,380 (1,0,0)");
    EXPECT_EQ(lines[4], "Job: Award 71 Time 1:20 @5,360 (0,1,0)");
}

TEST_F(HudAndKeysTest, PauseAndGameOverReplaceTheScoreAndGameOverWins) {
    JobManager manager;
    manager.addJob(jobWithTimeLeft(0, 60.0f));
    pressPause(manager);
    ASSERT_TRUE(manager.isPaused());
    EXPECT_EQ(describe(manager.hudLines()), (std::vector<std::string>{"Paused (press P to continue) @300,266 (1,1,1)"}));

    manager.setPopularity(0);
    EXPECT_EQ(describe(manager.hudLines()), (std::vector<std::string>{"Game Over @300,266 (1,1,1)"}));

    JobManager sunk;
    sunk.setPopularity(-7);
    EXPECT_EQ(describe(sunk.hudLines()), (std::vector<std::string>{"Game Over @300,266 (1,1,1)"}));
}

TEST_F(HudAndKeysTest, FrameRateLineStandsAboveEveryState) {
    JobManager manager;
    held = {GLFW_KEY_F2};
    manager.handleDebugKeys(0.6f);
    held.clear();
    manager.handleDebugKeys(0.025f);  // the rate is the latest frame's
    ASSERT_TRUE(manager.isShowingFrameRate());
    const std::string rate = "FR: 40 @570,5 (1,1,1)";

    std::vector<std::string> lines = describe(manager.hudLines());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], rate);
    EXPECT_EQ(lines[1], "Highscore 0 @5,5 (1,1,1)");

    pressPause(manager);
    EXPECT_EQ(describe(manager.hudLines()),
              (std::vector<std::string>{rate, "Paused (press P to continue) @300,266 (1,1,1)"}));
    manager.setPopularity(0);
    EXPECT_EQ(describe(manager.hudLines()), (std::vector<std::string>{rate, "Game Over @300,266 (1,1,1)"}));
}

// In any window a unit of the overlay has the shape it has at 3:2, 640 x
// 480 units just fit, and each line keeps its place to its edges or the middle.
TEST_F(HudAndKeysTest, TheOverlayKeepsItsShapeInAnyWindow) {
    JobManager manager;
    manager.addJob(jobWithTimeLeft(0, 60.0f));
    held = {GLFW_KEY_F2};
    manager.handleDebugKeys(0.6f);
    std::vector<HudLine> lines = manager.hudLines();  // rate, score, popularity, job
    pressPause(manager);
    lines.push_back(manager.hudLines().back());
    for (auto [width, height] : {std::pair{1200, 800}, {1920, 1080}, {800, 1200}}) {
        const glm::vec2 size = hudOverlaySize(width, height);
        EXPECT_FLOAT_EQ((width / size.x) / (height / size.y), (1200.0f / 640) / (800.0f / 480));
        EXPECT_FLOAT_EQ(std::min(size.x / 640, size.y / 480), 1.0f);
        EXPECT_EQ(lines[1].placeIn(size), glm::ivec2(5, 5));
        EXPECT_NEAR(size.x - lines[0].placeIn(size).x, 640 - 570, 0.5) << "the rate to the right edge";
        EXPECT_NEAR(size.y - lines[3].placeIn(size).y, 480 - 400, 0.5) << "the job to the bottom";
        const glm::vec2 fromMiddle = glm::vec2(lines[4].placeIn(size)) - size / 2.0f;
        EXPECT_NEAR(glm::length(fromMiddle - glm::vec2(300 - 320, 266 - 240)), 0.0f, 0.7f) << "the notice";
    }
}

TEST_F(HudAndKeysTest, RepeatGuardActsOnlyAfterMoreThanHalfASecond) {
    held = {GLFW_KEY_P};
    float timer = 0.5f;
    EXPECT_FALSE(platform::repeatGuardedKey(GLFW_KEY_P, timer));
    EXPECT_EQ(timer, 0.5f);
    timer = 0.51f;
    EXPECT_TRUE(platform::repeatGuardedKey(GLFW_KEY_P, timer));
    EXPECT_EQ(timer, 0.0f);

    held.clear();
    timer = 5.0f;
    EXPECT_FALSE(platform::repeatGuardedKey(GLFW_KEY_P, timer));
    EXPECT_EQ(timer, 5.0f);
}

TEST_F(HudAndKeysTest, SecondTapWithinHalfASecondIsSwallowed) {
    // Sticky keys: a tap reads 1 once, at the next query of that key.
    std::set<int> taps;
    platform::setKeySource([&taps](int key) { return taps.erase(key) ? 1 : 0; });
    JobManager manager;
    taps = {GLFW_KEY_P};
    manager.handlePauseKey(0.6f);
    EXPECT_TRUE(manager.isPaused());

    taps = {GLFW_KEY_P};
    manager.handlePauseKey(0.2f);
    EXPECT_TRUE(manager.isPaused());
    EXPECT_TRUE(taps.empty()) << "the key must be read although the guard is still running";
    manager.handlePauseKey(0.6f);
    EXPECT_TRUE(manager.isPaused());
}

TEST_F(HudAndKeysTest, HoldingPForTwoSecondsTogglesAboutFourTimes) {
    JobManager manager;
    held = {GLFW_KEY_P};
    int toggles = 0;
    bool last = manager.isPaused();
    for (int frame = 0; frame < 120; ++frame) {
        manager.handlePauseKey(1.0f / 60.0f);
        if (manager.isPaused() != last) ++toggles;
        last = manager.isPaused();
    }
    EXPECT_GE(toggles, 3);
    EXPECT_LE(toggles, 4);
}

}  // namespace
