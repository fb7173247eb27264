// Whole games played by a driver that sees what a player sees (the van, the
// open jobs, the map) and answers only with the van's own keys, through the
// same key and clock seam as every other game test. The clock runs at a
// steady 60 frames a second, so a game is the same on any machine.
//
// Every frame is updated as in the game; every RENDER_EVERY-th frame is also
// drawn, into a small frame of the window's aspect. Drawing never feeds back
// into the rules or the driving (only the markers' spin moves with it), so
// the game played is the game a player at 60 frames a second would get.
#include "app/Game.h"
#include "city/City.h"

#include "platform/Input.h"
#include "support/GlContext.h"
#include "support/Offscreen.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <glm/glm.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr double FRAME_SECONDS = 1.0 / 60.0;
// A game ends when popularity falls below 1, or after this long.
constexpr int MAX_GAME_MINUTES = 5;
constexpr long MAX_FRAMES = MAX_GAME_MINUTES * 60 * 60;
constexpr int RENDER_EVERY = 10;
constexpr int RENDER_WIDTH = 300;
constexpr int RENDER_HEIGHT = 200;
constexpr int GRID = City::SIZE;

using Cell = std::pair<int, int>;

Cell cellAt(glm::vec2 p) {
    return {static_cast<int>((p.x + 25.0f) / 50.0f), static_cast<int>((p.y + 25.0f) / 50.0f)};
}

glm::vec2 centreOf(Cell c) { return glm::vec2(50.0f * c.first, 50.0f * c.second); }

// The shortest way over street cells from `from` to `to`, both ends
// included; empty when there is none. Neighbouring street cells always join:
// the van collides with cells, not with the road's painted edges.
std::vector<Cell> route(const City& city, Cell from, Cell to) {
    std::array<std::array<Cell, GRID>, GRID> cameFrom;
    std::array<std::array<bool, GRID>, GRID> seen{};
    std::deque<Cell> open{from};
    seen[from.first][from.second] = true;
    const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    while (!open.empty()) {
        const Cell c = open.front();
        open.pop_front();
        if (c == to) {
            std::vector<Cell> path{c};
            while (path.back() != from) path.push_back(cameFrom[path.back().first][path.back().second]);
            std::reverse(path.begin(), path.end());
            return path;
        }
        for (const auto& s : steps) {
            const Cell n{c.first + s[0], c.second + s[1]};
            if (n.first < 0 || n.first >= GRID || n.second < 0 || n.second >= GRID) continue;
            if (seen[n.first][n.second] || city.isStreet(n.first, n.second) != 1) continue;
            seen[n.first][n.second] = true;
            cameFrom[n.first][n.second] = c;
            open.push_back(n);
        }
    }
    return {};
}

// The point `distance` along the line through `points`, or its end.
glm::vec2 alongPath(const std::vector<glm::vec2>& points, float distance) {
    for (std::size_t k = 1; k < points.size(); ++k) {
        const float length = glm::length(points[k] - points[k - 1]);
        if (distance <= length && length > 0.0f) return points[k - 1] + (points[k] - points[k - 1]) * (distance / length);
        distance -= length;
    }
    return points.back();
}

// Signed angle in degrees from a to b, positive towards the van's left.
float angleTowardsLeft(glm::vec2 a, glm::vec2 b) {
    // Looking along +z (world y up), the van's left is +x.
    const float cross = a.y * b.x - a.x * b.y;
    return glm::degrees(std::atan2(cross, glm::dot(a, b)));
}

struct Keys {
    bool up = false, down = false, left = false, right = false, space = false;
};

// Steers with a look-ahead point on the route through the cell centres,
// aiming the heading the van will have once the steering wheel is let go
// (the view lags the wheel by up to 15.7 degrees and catches up after).
class Driver {
public:
    static constexpr float LOOK_AHEAD = 30.0f;
    static constexpr float CRUISE_SPEED = 90.0f;  // below 100 the turning circle is as tight as it gets
    static constexpr float TOP_SPEED = 150.0f;
    static constexpr float DEAD_BAND = 3.0f;
    static constexpr double TURN_AROUND_SECONDS = 6.0;

    Keys decide(const MoveableObject& van, const std::list<Job>& jobs, const City& city) {
        Keys keys;
        const ReferenceFrame& f = van.chaseCamera.frame();
        const glm::vec3 p3 = f.origin() + van.chaseDistance * f.forward();
        const glm::vec2 p(p3.x, p3.z);
        const glm::vec2 forward = glm::normalize(glm::vec2(f.forward().x, f.forward().z));
        const glm::vec2 left(forward.y, -forward.x);
        const float lag = glm::radians(1.5707964f * van.steer);
        const glm::vec2 heading = forward * std::cos(lag) + left * std::sin(lag);

        trackProgress(p, !jobs.empty());
        if (jobs.empty()) return keys;

        // The order of the open jobs that loses the fewest points to jobs
        // running out on the way, and then takes the least time; the driver
        // heads for the first of them.
        const std::vector<Job> open(jobs.begin(), jobs.end());
        std::vector<std::size_t> order(open.size());
        for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
        std::vector<Cell> best;
        glm::vec2 destination(0.0f);
        double bestLoss = 0.0, bestTime = 0.0;
        do {
            Cell from = cellAt(p);
            double time = 0.0;
            double loss = 0.0;
            std::vector<Cell> first;
            for (std::size_t k : order) {
                const Cell to = cellAt(glm::vec2(open[k].destX(), open[k].destZ()));
                double seconds = 0.0;
                const std::vector<Cell> path = first.empty() ? routeFromHere(city, from, to, heading, seconds)
                                                             : route(city, from, to);
                if (path.empty()) {
                    loss += 1e9;
                    continue;
                }
                if (first.empty()) {
                    first = path;
                    time += seconds;
                } else {
                    time += secondsAlong(path);
                }
                if (time > open[k].timeLeft()) loss += open[k].award() / 50;
                from = to;
            }
            if (best.empty() || loss < bestLoss || (loss == bestLoss && time < bestTime)) {
                best = first;
                bestLoss = loss;
                bestTime = time;
                destination = glm::vec2(open[order[0]].destX(), open[order[0]].destZ());
            }
        } while (std::next_permutation(order.begin(), order.end()));
        if (best.empty()) return keys;
        keys.space = std::fabs(p.x - destination.x) < 28.0f && std::fabs(p.y - destination.y) < 28.0f;

        std::vector<glm::vec2> line{p};
        for (std::size_t k = 1; k < best.size(); ++k) line.push_back(centreOf(best[k]));
        if (line.size() == 1) line.push_back(destination);
        const glm::vec2 aim = alongPath(line, LOOK_AHEAD);
        const glm::vec2 toAim = aim - p;
        if (glm::length(toAim) < 0.5f) return keys;
        const float error = angleTowardsLeft(heading, toAim);

        // Backing out: after a wall held the van, or to turn towards a goal
        // behind it (the dead ends are too narrow to turn in).
        if (reverseFrames == 0 && (stalled || std::fabs(error) > 110.0f)) reverseFrames = stalled ? 60 : 75;
        if (reverseFrames > 0) {
            --reverseFrames;
            keys.down = true;
            // Reversing turns the van the other way round.
            keys.left = error < 0.0f;
            keys.right = error > 0.0f;
            if (reverseFrames == 0) resetProgress(p);
            return keys;
        }

        // Full speed on a long straight, the tightest turning speed near a
        // corner or while turning; braking from full speed takes 17 units.
        const float wanted = straightAhead(best, p) > 60.0f && std::fabs(error) < 10.0f ? TOP_SPEED : CRUISE_SPEED;
        keys.up = van.speed < wanted;
        keys.down = van.speed > wanted + 10.0f;
        keys.left = error > DEAD_BAND;
        keys.right = error < -DEAD_BAND;
        return keys;
    }

private:
    // About how long the van takes along a route: 45 units a second, and a
    // second more for every turn.
    static double secondsAlong(const std::vector<Cell>& path) {
        double seconds = 50.0 * static_cast<double>(path.size() - 1) / 45.0;
        for (std::size_t k = 1; k + 1 < path.size(); ++k) {
            const bool turn = path[k + 1].first - path[k].first != path[k].first - path[k - 1].first ||
                              path[k + 1].second - path[k].second != path[k].second - path[k - 1].second;
            if (turn) seconds += 1.0;
        }
        return seconds;
    }

    // The quickest way from the van's cell, counting the time it takes to
    // turn round when the way starts behind the van or doubles back.
    static std::vector<Cell> routeFromHere(const City& city, Cell from, Cell to, glm::vec2 heading, double& seconds) {
        if (from == to) {
            seconds = 0.0;
            return {from};
        }
        std::vector<Cell> best;
        const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& s : steps) {
            const Cell next{from.first + s[0], from.second + s[1]};
            if (city.isStreet(next.first, next.second) != 1) continue;
            std::vector<Cell> path = route(city, next, to);
            if (path.empty()) continue;
            path.insert(path.begin(), from);
            double t = secondsAlong(path);
            const bool behind = glm::dot(glm::vec2(s[0], s[1]), heading) < -0.3f;
            const bool doublesBack = path.size() > 2 && path[2] == from;
            if (behind || doublesBack) t += TURN_AROUND_SECONDS;
            if (best.empty() || t < seconds) {
                best = path;
                seconds = t;
            }
        }
        return best;
    }

    // How far the route runs on in a straight line from the van, to the
    // centre of the cell where it turns or ends.
    static float straightAhead(const std::vector<Cell>& path, glm::vec2 p) {
        std::size_t k = 1;
        while (k + 1 < path.size() && path[k + 1].first - path[k].first == path[1].first - path[0].first &&
               path[k + 1].second - path[k].second == path[1].second - path[0].second)
            ++k;
        return k < path.size() ? glm::length(centreOf(path[k]) - p) : 0.0f;
    }

    // Stalled: the van has wanted to drive for 1.5 s and gone nowhere.
    void trackProgress(glm::vec2 p, bool wantsToDrive) {
        if (!wantsToDrive || glm::length(p - anchor) > 3.0f) resetProgress(p);
        ++framesSinceProgress;
        stalled = framesSinceProgress > 90;
    }
    void resetProgress(glm::vec2 p) {
        anchor = p;
        framesSinceProgress = 0;
        stalled = false;
    }

    glm::vec2 anchor{0.0f};
    int framesSinceProgress = 0;
    bool stalled = false;
    int reverseFrames = 0;
};

struct GameSummary {
    double minutes = 0.0;
    int delivered = 0;
    int expired = 0;
    double deliverySeconds = 0.0;
    double longestStall = 0.0;
    double busySeconds = 0.0;
    double busyDistance = 0.0;
    long offStreetFrames = 0;
    long collisions = 0;
    int highscore = 0;
    int popularity = 0;
    bool over = false;
    std::string console;
    std::string errors;
};

class DriverTest : public GlTest, public ::testing::WithParamInterface<unsigned> {
protected:
    void SetUp() override {
        GlTest::SetUp();
        platform::setKeySource([this](int key) { return isHeld(key) ? 1 : 0; });
        platform::setClockSource([this] { return static_cast<double>(frame) * FRAME_SECONDS; });
    }

    bool isHeld(int key) const {
        switch (key) {
        case GLFW_KEY_UP: return keys.up;
        case GLFW_KEY_DOWN: return keys.down;
        case GLFW_KEY_LEFT: return keys.left;
        case GLFW_KEY_RIGHT: return keys.right;
        case GLFW_KEY_SPACE: return keys.space;
        default: return false;
        }
    }

    GameSummary play(unsigned seed) {
        GameSummary summary;
        testing_support::CapturedConsole output, errors(testing_support::CapturedConsole::ERRORS);
        output.start();
        errors.start();
        {
            testing_support::OffscreenFrame target(RENDER_WIDTH, RENDER_HEIGHT);
            EXPECT_TRUE(target.complete());
            frame = 0;
            Game game;
            game.resize(RENDER_WIDTH, RENDER_HEIGHT);
            std::minstd_rand generator(seed);
            game.rules().setRandomSource([&generator] { return static_cast<int>(generator() % 32768); });

            Driver driver;
            // Open jobs by (kind, destination, award) with the frame they appeared in.
            std::map<std::tuple<int, float, float, int>, long> open;
            long stallFrames = 0;
            glm::vec3 anchor = game.player().position();
            glm::vec3 last = anchor;
            for (frame = 1; frame <= MAX_FRAMES && !game.rules().isGameOver(); ++frame) {
                const std::list<Job> before = game.rules().jobs();
                keys = driver.decide(game.player(), before, game.gameCity());
                game.update();
                if (keys.up && !keys.down && game.player().speed == 0.0f) ++summary.collisions;
                if (frame % RENDER_EVERY == 0) {
                    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                    game.render();
                    const GLenum e = glGetError();
                    if (e != GL_NO_ERROR) summary.errors += "GL error " + std::to_string(e) + "\n";
                }

                const glm::vec3 p = game.player().position();
                if (game.gameCity().isBlocked(p.x, p.z)) ++summary.offStreetFrames;
                if (!open.empty()) {
                    summary.busySeconds += FRAME_SECONDS;
                    summary.busyDistance += glm::length(glm::vec2(p.x, p.z) - glm::vec2(last.x, last.z));
                }
                last = p;

                // A job that left the list was delivered when Space was held
                // with the van inside its 60 x 60 square, else it ran out.
                std::set<std::tuple<int, float, float, int>> now;
                for (const Job& job : game.rules().jobs()) {
                    const auto id = std::make_tuple(job.kind(), job.destX(), job.destZ(), job.award());
                    now.insert(id);
                    open.emplace(id, frame);
                }
                for (auto it = open.begin(); it != open.end();) {
                    if (now.count(it->first)) {
                        ++it;
                        continue;
                    }
                    const float dx = p.x - std::get<1>(it->first), dz = p.z - std::get<2>(it->first);
                    if (keys.space && std::fabs(dx) < 30.0f && std::fabs(dz) < 30.0f) {
                        ++summary.delivered;
                        summary.deliverySeconds += static_cast<double>(frame - it->second) * FRAME_SECONDS;
                    } else {
                        ++summary.expired;
                    }
                    it = open.erase(it);
                }

                // A stall: jobs are open and the van stays within 3 units.
                if (open.empty() || glm::length(p - anchor) > 3.0f) {
                    anchor = p;
                    stallFrames = 0;
                } else {
                    ++stallFrames;
                    summary.longestStall = std::max(summary.longestStall, stallFrames * FRAME_SECONDS);
                }
            }
            summary.minutes = static_cast<double>(frame - 1) * FRAME_SECONDS / 60.0;
            summary.highscore = game.rules().highscoreValue();
            summary.popularity = game.rules().popularityValue();
            summary.over = game.rules().isGameOver();
            keys = Keys();
        }
        summary.errors += errors.stop();
        summary.console = output.stop();
        return summary;
    }

    long frame = 0;
    Keys keys;
};

TEST_P(DriverTest, PlaysAWholeGameDeliveringJobs) {
    const GameSummary game = play(GetParam());

    // The console's delivery lines tell the same story as the score.
    std::istringstream lines(game.console);
    std::string line;
    int deliveredLines = 0;
    long rewards = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("Job delivered ", 0) != 0) continue;
        ++deliveredLines;
        rewards += std::stol(line.substr(14));
    }
    EXPECT_EQ(deliveredLines, game.delivered);
    EXPECT_EQ(rewards, game.highscore);

    std::fprintf(stderr,
                 "seed %u: %d jobs delivered in %.2f game minutes (%.2f a minute), on average %.1f s from a job's "
                 "appearance to its delivery; %d ran out; %ld wall hits; longest stall %.1f s; %.1f units a second with jobs open; highscore %d; %s\n",
                 GetParam(), game.delivered, game.minutes, game.delivered / game.minutes,
                 game.delivered ? game.deliverySeconds / game.delivered : 0.0, game.expired, game.collisions,
                 game.longestStall, game.busyDistance / game.busySeconds, game.highscore, game.over ? "game over" : "still running");

    // Popularity near 100 gives far jobs only seconds, so a game ends
    // sooner or later; it should last a while and deliver steadily.
    EXPECT_GE(game.minutes, 1.0);
    EXPECT_GE(game.delivered, 3.0 * game.minutes);
    EXPECT_EQ(game.offStreetFrames, 0) << "the van point left the streets";
    EXPECT_LT(game.longestStall, 4.0) << "the van stuck";
    EXPECT_EQ(game.errors, "");
}

INSTANTIATE_TEST_SUITE_P(Seeds, DriverTest, ::testing::Values(1u, 2u, 3u));

}  // namespace
