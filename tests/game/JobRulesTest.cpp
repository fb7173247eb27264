#include "city/City.h"
#include "game/JobManager.h"
#include "support/Console.h"

#include <gtest/gtest.h>

#include <limits>
#include <list>
#include <string>

namespace {

// A job 150 + 50 = 200 units (Manhattan) from its start, made at popularity
// 20: 85 seconds and 714 points. No program: the marker makes no GL objects.
Job standardJob(int kind, int destX = 150, int destZ = 50) {
    return Job(destX, destZ, static_cast<float>(destX - 150), static_cast<float>(destZ - 50), 20, nullptr, kind);
}

// Every test runs with the console captured; drain() hands over what was
// written since the last drain.
class RulesTest : public ::testing::Test {
protected:
    void SetUp() override { console.start(); }
    void TearDown() override { console.stop(); }
    std::string drain() { return console.drain(); }
    // No job check and no decay unless a test sets the timers itself. None
    // of these tests makes a job, so the city is never asked anything.
    void quiet(JobManager& manager) { manager.setTimers(-1e6f, -1e6f); }

    City noCity;
    testing_support::CapturedConsole console;
};

TEST_F(RulesTest, PriceFollowsPopularityAndManhattanDistance) {
    const Job job = standardJob(0);
    EXPECT_EQ(job.timeLeft(), 85.0f);
    EXPECT_EQ(job.award(), 714);
    EXPECT_EQ(drain(), "new Job: Time 85, Award: 714\n");

    const Job popular(150, 50, 0.0f, 0.0f, 100, nullptr, 0);
    EXPECT_EQ(popular.timeLeft(), 5.0f);
    EXPECT_EQ(popular.award(), 3000);

    const Job here(100, 100, 100.0f, 100.0f, 20, nullptr, 0);
    EXPECT_EQ(here.timeLeft(), 0.0f);
    EXPECT_EQ(here.award(), 0);

    // 99.4 + 99.4 = 198.8 is cut to 198 before the integer pricing.
    const Job cut(100, 100, 0.6f, 0.6f, 20, nullptr, 0);
    EXPECT_EQ(cut.timeLeft(), 84.0f);
    EXPECT_EQ(cut.award(), 707);
}

TEST_F(RulesTest, AVanPositionOffTheMapNeverReachesTheIntegerPricing) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Far off the map the distance counts as ten million; a position that
    // is no number counts as 0.
    for (float x : {inf, -inf, 1e38f, -1e38f, 3e9f}) {
        const Job job(150, 50, x, 0.0f, 20, nullptr, 0);
        EXPECT_EQ(job.timeLeft(), 4250000.0f) << x;
        EXPECT_EQ(job.award(), 35714285) << x;
    }
    // At the highest popularity the price still fits an int.
    EXPECT_EQ(Job(150, 50, inf, 0.0f, 100, nullptr, 0).award(), 150000000);
    const Job lost(150, 50, nan, 0.0f, 20, nullptr, 0);
    EXPECT_EQ(lost.timeLeft(), 0.0f);
    EXPECT_EQ(lost.award(), 0);
    // The farthest real job is priced as before.
    const Job far(400, 400, -74.0f, -74.0f, 20, nullptr, 0);
    EXPECT_EQ(far.award(), (25 * 948) / 7);
    drain();
}

TEST_F(RulesTest, ExpiryCostsAFiftiethOfTheAwardAndCountsTheJobsBeforeRemoval) {
    JobManager manager;
    quiet(manager);
    manager.addJob(standardJob(0));
    manager.addJob(Job(300, 100, 0.0f, 0.0f, 20, nullptr, 1));  // 400 units: 170 s, 1428 points
    drain();

    manager.update(85.5f, 0.0f, 0.0f, noCity);
    EXPECT_EQ(drain(), "Zeit abgelaufen 6, 2\n");
    EXPECT_EQ(manager.popularityValue(), 6);
    EXPECT_EQ(manager.freeKindList(), (std::list<int>{2, 0}));

    manager.update(100.0f, 0.0f, 0.0f, noCity);
    EXPECT_EQ(drain(), "Zeit abgelaufen -22, 1\n");
    EXPECT_TRUE(manager.jobs().empty());
    EXPECT_EQ(manager.freeKindList(), (std::list<int>{2, 0, 1}));
}

TEST_F(RulesTest, ExpiryAtPopularityTenEndsTheGameInThatFrame) {
    JobManager manager;
    manager.setPopularity(10);
    manager.setTimers(-1e6f, 0.0f);
    manager.addJob(standardJob(0));
    drain();

    manager.update(86.0f, 0.0f, 0.0f, noCity);
    // Below zero the decay interval is negative, so the decay step fires too.
    EXPECT_EQ(drain(), "Zeit abgelaufen -4, 1\nHighscore: 0 Popularity: -5\n");
    EXPECT_TRUE(manager.isGameOver());
    const std::vector<HudLine> lines = manager.hudLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "Game Over");
}

TEST_F(RulesTest, ZeroDistanceJobExpiresNextUpdateUnlessDeliveredFirst) {
    JobManager expiring;
    quiet(expiring);
    expiring.addJob(Job(100, 100, 100.0f, 100.0f, 20, nullptr, 0));
    drain();
    expiring.update(0.016f, 100.0f, 100.0f, noCity);
    EXPECT_EQ(drain(), "Zeit abgelaufen 20, 1\n");
    EXPECT_TRUE(expiring.jobs().empty());

    JobManager delivered;
    delivered.addJob(Job(100, 100, 100.0f, 100.0f, 20, nullptr, 0));
    drain();
    delivered.deliver(100.0f, 100.0f);
    EXPECT_EQ(drain(), "Job delivered 0\nHighscore: 0 Popularity: 20\n");
}

TEST_F(RulesTest, DeliveryAddsTheRewardAndAPointPerTwoHundred) {
    JobManager manager;
    Job job = standardJob(1);
    job.elapse(54.4f);  // 30.6 s left
    manager.addJob(job);
    drain();

    manager.deliver(150.0f, 50.0f);
    EXPECT_EQ(drain(), "Job delivered 744\nHighscore: 744 Popularity: 23\n");
    EXPECT_EQ(manager.highscoreValue(), 744);
    EXPECT_EQ(manager.popularityValue(), 23);
    EXPECT_TRUE(manager.jobs().empty());
    EXPECT_EQ(manager.freeKindList(), (std::list<int>{0, 2, 1}));

    JobManager nearlyFull;
    nearlyFull.setPopularity(99);
    nearlyFull.addJob(Job(112, 0, 0.0f, 0.0f, 20, nullptr, 0));  // 400 points + 47 s
    drain();
    nearlyFull.deliver(112.0f, 0.0f);
    EXPECT_EQ(drain(), "Job delivered 447\nHighscore: 447 Popularity: 100\n");
}

TEST_F(RulesTest, DeliverySquareLeavesOutItsEdges) {
    struct Case {
        float x, z;
        bool delivers;
    };
    const Case cases[] = {{180.0f, 50.0f, false}, {120.0f, 50.0f, false}, {150.0f, 80.0f, false},
                          {150.0f, 20.0f, false}, {179.9f, 50.0f, true},  {120.1f, 50.0f, true},
                          {150.0f, 79.9f, true},  {150.0f, 20.1f, true},  {179.9f, 79.9f, true}};
    for (const Case& c : cases) {
        JobManager manager;
        manager.addJob(standardJob(0));
        manager.deliver(c.x, c.z);
        EXPECT_EQ(manager.jobs().empty(), c.delivers) << c.x << ", " << c.z;
    }
}

TEST_F(RulesTest, OneCallDeliversEveryJobAtTheVan) {
    JobManager manager;
    manager.addJob(standardJob(2));
    manager.addJob(standardJob(1, 400, 400));
    manager.addJob(standardJob(0));
    drain();

    manager.deliver(150.0f, 50.0f);
    EXPECT_EQ(drain(), "Job delivered 799\nHighscore: 799 Popularity: 23\n"
                       "Job delivered 799\nHighscore: 1598 Popularity: 26\n");
    ASSERT_EQ(manager.jobs().size(), 1u);
    EXPECT_EQ(manager.jobs().front().kind(), 1);
    EXPECT_EQ(manager.freeKindList(), (std::list<int>{2, 0}));
}

TEST_F(RulesTest, PopularityDecaysAtMostOnePointPerCall) {
    JobManager manager;
    manager.setTimers(-1e6f, 0.0f);
    manager.update(9.9f, 0.0f, 0.0f, noCity);  // the interval at 20 is 10 s
    EXPECT_EQ(manager.popularityValue(), 20);
    manager.update(0.2f, 0.0f, 0.0f, noCity);
    EXPECT_EQ(manager.popularityValue(), 19);
    EXPECT_EQ(drain(), "Highscore: 0 Popularity: 19\n");

    JobManager longFrame;
    longFrame.setTimers(-1e6f, 0.0f);
    longFrame.update(1000.0f, 0.0f, 0.0f, noCity);
    EXPECT_EQ(longFrame.popularityValue(), 19);
    // The rest of the long frame stays in the timer and is spent later.
    longFrame.update(0.0f, 0.0f, 0.0f, noCity);
    EXPECT_EQ(longFrame.popularityValue(), 18);
}

TEST_F(RulesTest, DecayStopsAtZeroButFiresEveryCallBelowIt) {
    JobManager emptied;
    emptied.setPopularity(14);
    emptied.setTimers(-1e6f, 1000.0f);
    emptied.addJob(standardJob(0));
    drain();
    emptied.update(86.0f, 0.0f, 0.0f, noCity);
    EXPECT_EQ(drain(), "Zeit abgelaufen 0, 1\n");
    emptied.update(1000.0f, 0.0f, 0.0f, noCity);
    EXPECT_EQ(emptied.popularityValue(), 0);
    EXPECT_EQ(drain(), "");

    JobManager negative;
    negative.setPopularity(-3);
    negative.setTimers(-1e6f, 0.0f);
    negative.update(0.01f, 0.0f, 0.0f, noCity);
    EXPECT_EQ(negative.popularityValue(), -4);
    EXPECT_EQ(drain(), "Highscore: 0 Popularity: -4\n");
}

TEST_F(RulesTest, JobCheckRunsInTheFirstUpdateThenEveryTwoSeconds) {
    JobManager manager;
    // Three open jobs, so no check can make one and the city is never asked.
    manager.addJob(standardJob(0, 100, 100));
    manager.addJob(standardJob(1, 100, 100));
    manager.addJob(standardJob(2, 100, 100));
    int draws = 0;
    manager.setRandomSource([&draws] {
        ++draws;
        return 0;
    });
    manager.update(0.01f, 0.0f, 0.0f, noCity);
    EXPECT_EQ(draws, 1);
    manager.update(0.98f, 0.0f, 0.0f, noCity);  // 1.99 s gathered
    EXPECT_EQ(draws, 1);
    manager.update(0.02f, 0.0f, 0.0f, noCity);
    EXPECT_EQ(draws, 2);
    EXPECT_EQ(manager.jobs().size(), 3u);
}

TEST(JobMarkerSpin, OneDegreePerDrawAndBackToZeroAfterAFullTurn) {
    testing_support::CapturedConsole console;
    console.start();
    Job job = standardJob(0);
    console.stop();
    MatrixStack modelView, projection;
    TransformPipeline pipeline;
    pipeline.setMatrixStacks(modelView, projection);
    job.drawMarker(modelView, pipeline);
    EXPECT_EQ(job.markerAngle(), 1);
    for (int i = 1; i < 360; ++i) job.drawMarker(modelView, pipeline);
    EXPECT_EQ(job.markerAngle(), 0);
}

}  // namespace
