// The view a new player gets: the first frame of a real game, read back from
// its depth buffer. Each pixel's depth is turned back into the world point it
// shows, which tells the van's own pixels from the city's.
#include "app/Game.h"
#include "city/City.h"

#include "support/GlContext.h"
#include "support/Offscreen.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <glm/glm.hpp>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

constexpr int WIDTH = 1200;
constexpr int HEIGHT = 800;

class StartViewTest : public ConsoleGlTest {
protected:
    void SetUp() override {
        ConsoleGlTest::SetUp();
        frame = std::make_unique<testing_support::OffscreenFrame>(WIDTH, HEIGHT);
        ASSERT_TRUE(frame->complete());
        game = std::make_unique<Game>();
        game->resize(WIDTH, HEIGHT);
        // No jobs, so no markers stand over the van.
        game->rules().setTimers(-1e6f, -1e6f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game->render();
        depth = frame->readDepth();
        rgba = frame->readRgba();
        const glm::mat4 view = game->player().chaseCamera.frame().cameraMatrix();
        toWorld = glm::inverse(game->projectionStack().top() * view);
    }
    void TearDown() override {
        game.reset();
        frame.reset();
        drain();
        ConsoleGlTest::TearDown();
    }

    // The world point behind pixel (column, row), row 0 at the bottom; w is 0
    // where nothing was drawn.
    glm::vec4 worldAt(int column, int row) const {
        const float d = depth[static_cast<std::size_t>(row) * WIDTH + column];
        if (d >= 1.0f) return glm::vec4(0.0f);
        const glm::vec4 ndc((column + 0.5f) / WIDTH * 2.0f - 1.0f, (row + 0.5f) / HEIGHT * 2.0f - 1.0f, d * 2.0f - 1.0f, 1.0f);
        const glm::vec4 p = toWorld * ndc;
        return glm::vec4(glm::vec3(p) / p.w, 1.0f);
    }

    // The point in the van's own axes: x across, z ahead of the van point.
    glm::vec3 inVanAxes(const glm::vec3& p) const {
        const ReferenceFrame& f = game->player().chaseCamera.frame();
        const glm::vec3 d = p - game->player().position();
        return glm::vec3(glm::dot(d, glm::cross(f.up(), f.forward())), p.y, glm::dot(d, f.forward()));
    }

    // Drawn, above the road and inside the van's footprint.
    bool isVan(int column, int row) const {
        const glm::vec4 p = worldAt(column, row);
        if (p.w == 0.0f || p.y < 0.02f) return false;
        const glm::vec3 v = inVanAxes(glm::vec3(p));
        const Geometry& g = game->player().geometry();
        const float margin = 0.2f;
        return v.x >= g.minX() - margin && v.x <= g.maxX() + margin && v.z >= g.minZ() - margin &&
               v.z <= g.maxZ() + margin;
    }

    std::unique_ptr<testing_support::OffscreenFrame> frame;
    std::unique_ptr<Game> game;
    std::vector<float> depth;
    std::vector<unsigned char> rgba;
    glm::mat4 toWorld{1.0f};
};

TEST_F(StartViewTest, VanLeavesMostOfTheWindowToTheCity) {
    long vanPixels = 0;
    for (int row = 0; row < HEIGHT; ++row)
        for (int column = 0; column < WIDTH; ++column) vanPixels += isVan(column, row) ? 1 : 0;
    const double share = static_cast<double>(vanPixels) / (WIDTH * HEIGHT);
    std::fprintf(stderr, "the van covers %.1f %% of the start view\n", 100.0 * share);
    EXPECT_GT(share, 0.02) << "the van should be in view at all";
    EXPECT_LE(share, 0.2);

    // Kept for a person to look at, with the van's pixels tinted.
    std::vector<unsigned char> rgb;
    rgb.reserve(static_cast<std::size_t>(WIDTH) * HEIGHT * 3);
    for (int row = HEIGHT - 1; row >= 0; --row) {
        for (int column = 0; column < WIDTH; ++column) {
            const unsigned char* p = &rgba[(static_cast<std::size_t>(row) * WIDTH + column) * 4];
            const bool van = isVan(column, row);
            rgb.push_back(van ? static_cast<unsigned char>(128 + p[0] / 2) : p[0]);
            rgb.push_back(p[1]);
            rgb.push_back(van ? static_cast<unsigned char>(128 + p[2] / 2) : p[2]);
        }
    }
    std::filesystem::create_directories("test-output");
    testing_support::writeJpeg("test-output/start_view.jpg", WIDTH, HEIGHT, 3, rgb, 90);
}

TEST_F(StartViewTest, RoadAheadShowsOverTheRoof) {
    const int column = WIDTH / 2;
    int roofRow = -1;
    for (int row = 0; row < HEIGHT; ++row)
        if (isVan(column, row)) roofRow = row;
    ASSERT_GE(roofRow, 0) << "the centre column should cross the van";
    ASSERT_LT(roofRow, HEIGHT - 2);

    // Just over the roof line lies the street, not a wall or the sky, and
    // close ahead: the next cell, not the end of a long view.
    const glm::vec4 p = worldAt(column, roofRow + 2);
    ASSERT_NE(p.w, 0.0f) << "nothing drawn over the roof";
    EXPECT_NEAR(p.y, 0.0f, 0.05f) << "above the roof: x " << p.x << " y " << p.y << " z " << p.z;
    const int i = static_cast<int>((p.x + 25.0f) / 50.0f);
    const int j = static_cast<int>((p.z + 25.0f) / 50.0f);
    EXPECT_EQ(game->gameCity().isStreet(i, j), 1) << "cell (" << i << ", " << j << ")";
    const float ahead = inVanAxes(glm::vec3(p)).z;
    std::fprintf(stderr, "the road shows over the roof %.1f units ahead of the van\n", ahead);
    EXPECT_LT(ahead, 45.0f);
    EXPECT_GT(ahead, game->player().geometry().maxZ());
}

}  // namespace
