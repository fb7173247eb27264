#include "city/City.h"
#include "game/JobManager.h"
#include "render/SpotLights.h"

#include "support/GlContext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <list>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Random numbers handed out in the given order; the spawn draw comes
// first, then the column and row draws of the destination.
std::function<int()> numbers(std::vector<int> values) {
    auto next = std::make_shared<size_t>(0);
    return [values, next] {
        EXPECT_LT(*next, values.size()) << "more random numbers drawn than expected";
        return *next < values.size() ? values[(*next)++] : 0;
    };
}

// Column or row value of a random number: ((r % 100) * 10) / 100.
constexpr int cellOf(int index) { return index * 10; }

// The jobs are placed on the real city, which is built once for the suite.
class JobPlacementTest : public ConsoleGlTest {
protected:
    static void SetUpTestSuite() {
        testing_support::CapturedConsole console;
        console.start();
        lights = std::make_unique<SpotLights>();
        city = std::make_unique<City>(*lights, GL_LINEAR, GL_LINEAR);
        console.stop();
    }
    static void TearDownTestSuite() {
        city.reset();
        lights.reset();
    }
    // A job check in the next update, no popularity decay.
    void check(JobManager& manager, std::vector<int> values) {
        manager.setTimers(2.5f, -1e6f);
        manager.setRandomSource(numbers(std::move(values)));
        manager.update(0.01f, 0.0f, 0.0f, *city);
    }

    static std::unique_ptr<SpotLights> lights;
    static std::unique_ptr<City> city;
};

std::unique_ptr<SpotLights> JobPlacementTest::lights;
std::unique_ptr<City> JobPlacementTest::city;

TEST_F(JobPlacementTest, FirstUpdateMakesAJobOnAStreetCell) {
    JobManager manager;
    // Cells (0, 0) and (2, 2) are buildings and are drawn again; (1, 2) is a street.
    manager.setRandomSource(numbers({99, 0, 0, cellOf(2), cellOf(2), cellOf(1), cellOf(2)}));
    manager.update(0.01f, 0.0f, 0.0f, *city);
    EXPECT_EQ(drain(), "X: 1, Y: 2\nnew Job: Time 63, Award: 535\n");
    ASSERT_EQ(manager.jobs().size(), 1u);
    const Job job = manager.jobs().front();
    EXPECT_EQ(job.destX(), 50.0f);
    EXPECT_EQ(job.destZ(), 100.0f);
    EXPECT_EQ(job.kind(), 0);
}

TEST_F(JobPlacementTest, OpenJobsMakeANewJobRarerAndThreeIsTheLimit) {
    JobManager manager;
    check(manager, {0, cellOf(1), cellOf(1)});
    ASSERT_EQ(manager.jobs().size(), 1u);

    check(manager, {10});  // 10 x 1 x 2 is not below popularity 20
    EXPECT_EQ(manager.jobs().size(), 1u);
    check(manager, {9, cellOf(1), cellOf(2)});
    EXPECT_EQ(manager.jobs().size(), 2u);

    check(manager, {5});
    EXPECT_EQ(manager.jobs().size(), 2u);
    check(manager, {4, cellOf(1), cellOf(3)});
    EXPECT_EQ(manager.jobs().size(), 3u);

    check(manager, {0});
    EXPECT_EQ(manager.jobs().size(), 3u);
    EXPECT_TRUE(manager.freeKindList().empty());
}

TEST_F(JobPlacementTest, OnlyTheLastTwoDigitsOfTheSpawnDrawCount) {
    JobManager manager;
    check(manager, {0, cellOf(1), cellOf(1)});
    ASSERT_EQ(manager.jobs().size(), 1u);
    check(manager, {1010});  // counts as 10: 10 x 1 x 2 is not below 20
    EXPECT_EQ(manager.jobs().size(), 1u);
    check(manager, {32709, cellOf(1), cellOf(2)});  // counts as 9: 18 is below 20
    EXPECT_EQ(manager.jobs().size(), 2u);
}

TEST_F(JobPlacementTest, KindsComeBackInTheOrderTheirJobsEnded) {
    JobManager manager;
    for (int row = 1; row <= 3; ++row) check(manager, {0, cellOf(1), cellOf(row)});
    std::vector<int> kinds;
    for (const Job& job : manager.jobs()) kinds.push_back(job.kind());
    EXPECT_EQ(kinds, (std::vector<int>{0, 1, 2}));

    manager.deliver(50.0f, 100.0f);  // the green job at (1, 2)
    manager.deliver(50.0f, 50.0f);   // the red job at (1, 1)
    EXPECT_EQ(manager.freeKindList(), (std::list<int>{1, 0}));
    check(manager, {0, cellOf(1), cellOf(1)});
    EXPECT_EQ(manager.jobs().back().kind(), 1);
    EXPECT_EQ(manager.freeKindList(), (std::list<int>{0}));
}

TEST_F(JobPlacementTest, DestinationsAreAlwaysStreetCells) {
    JobManager manager;
    manager.setPopularity(100);
    std::uint32_t state = 12345;
    manager.setRandomSource([&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) & 0x7fff);
    });
    const std::regex place("X: (\\d), Y: (\\d)\n");
    std::set<std::pair<int, int>> visited;
    for (int n = 0; n < 300; ++n) {
        manager.setTimers(2.5f, -1e6f);
        manager.update(0.01f, 0.0f, 0.0f, *city);
        ASSERT_EQ(manager.jobs().size(), 1u);
        const Job job = manager.jobs().front();
        const int i = static_cast<int>(job.destX()) / 50;
        const int j = static_cast<int>(job.destZ()) / 50;
        EXPECT_EQ(city->isStreet(i, j), 1) << i << ", " << j;
        std::smatch m;
        const std::string out = drain();
        ASSERT_TRUE(std::regex_search(out, m, place)) << out;
        EXPECT_EQ(std::stoi(m[1]), i);
        EXPECT_EQ(std::stoi(m[2]), j);
        EXPECT_EQ(job.destX(), 50.0f * static_cast<float>(i));
        EXPECT_EQ(job.destZ(), 50.0f * static_cast<float>(j));
        visited.insert({i, j});
        manager.deliver(job.destX(), job.destZ());
    }
    EXPECT_GT(visited.size(), 20u) << "the draws should reach most street cells";
}

}  // namespace
