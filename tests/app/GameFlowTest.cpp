#include "app/Game.h"
#include "platform/Input.h"

#include "support/GlContext.h"
#include "support/Offscreen.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include <array>
#include <cmath>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>


namespace {

void expectMatrixNear(const glm::mat4& actual, const glm::mat4& expected) {
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], 1e-5f * std::max(1.0f, std::fabs(expected[c][r])))
                << "column " << c << ", row " << r;
}

// The magnification and minification filters of every live texture.
std::multiset<std::pair<GLint, GLint>> liveTextureFilters() {
    std::multiset<std::pair<GLint, GLint>> filters;
    for (GLuint name = 1; name < 4096; ++name) {
        if (!glIsTexture(name)) continue;
        GLint mag = 0, min = 0;
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        filters.insert({mag, min});
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return filters;
}

// A real game in the test context, driven frame by frame: the keys in
// `held` are down and the clock reads `now`.
class GameFlowTest : public ConsoleGlTest {
protected:
    void SetUp() override {
        ConsoleGlTest::SetUp();
        testing_support::holdKeys(held);
        platform::setClockSource([this] { return now; });
        start();
    }
    void TearDown() override {
        game.reset();
        ConsoleGlTest::TearDown();
    }
    void start() {
        game = std::make_unique<Game>();
        game->resize(1200, 800);
        drain();
    }
    void frame(double dt, bool render = true) {
        now += dt;
        game->update();
        if (render) game->render();
    }
    // Keeps the rules from making jobs or losing popularity on their own.
    void quietRules() { game->rules().setTimers(-1e6f, -1e6f); }

    // The pixels of one render, RGBA, in a cleared target of the window's shape.
    std::vector<unsigned char> rendered() {
        testing_support::OffscreenFrame target(600, 400, GL_RGBA8);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game->render();
        return target.readRgba();
    }
    // Renders twice after an update: the first render draws the direction
    // markers the update placed, the second none, and nothing else differs
    // (once a first render has uploaded the textures). For each job kind,
    // the pixels of exactly its flat colour that only the first render has.
    std::array<int, 3> markerPixels() {
        const std::vector<unsigned char> first = rendered();
        const std::vector<unsigned char> second = rendered();
        const glm::u8vec3 kindColours[3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
        std::array<int, 3> counts{};
        for (size_t i = 0; i < first.size(); i += 4) {
            const glm::u8vec3 a(first[i], first[i + 1], first[i + 2]);
            const glm::u8vec3 b(second[i], second[i + 1], second[i + 2]);
            for (int kind = 0; kind < 3; ++kind) counts[kind] += a == kindColours[kind] && b != a;
        }
        return counts;
    }

    std::set<int> held;
    double now = 0.0;
    std::unique_ptr<Game> game;
};

TEST_F(GameFlowTest, FirstUpdateCountsTheSetUpTimeAndMakesAJob) {
    // The clock stood still while the fixture built the game; now the
    // set-up "took" 0.6 s, and F2, down from the start, acts at once.
    held = {GLFW_KEY_F2};
    now += 0.6;
    game->update();
    const std::string out = drain();
    EXPECT_TRUE(game->rules().isShowingFrameRate());
    EXPECT_NEAR(game->rules().currentFrameRate(), 1.0f / 0.6f, 1e-3f);
    EXPECT_NE(out.find("show/hide framerate\n"), std::string::npos) << out;
    EXPECT_NE(out.find("X: "), std::string::npos) << out;
    EXPECT_NE(out.find("new Job: Time "), std::string::npos) << out;
    ASSERT_EQ(game->rules().jobs().size(), 1u);
    EXPECT_EQ(game->rules().jobs().front().kind(), 0);

    game.reset();
    start();
    now += 0.4;
    game->update();
    EXPECT_FALSE(game->rules().isShowingFrameRate());
}

TEST_F(GameFlowTest, F5CyclesTheFilterModesAndRebuildsTheCity) {
    quietRules();
    frame(0.1);
    std::pair<GLint, GLint> previous{GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR};
    const std::pair<int, std::pair<GLint, GLint>> modes[] = {
        {2, {GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST}},
        {0, {GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR}},
        {1, {GL_LINEAR, GL_LINEAR}},
    };
    for (const auto& [mode, filters] : modes) {
        const shaders::GLShader* oldShader = game->gameCity().shader();
        ASSERT_NE(oldShader, nullptr);
        const GLuint oldProgram = oldShader->programObject();
        held = {GLFW_KEY_F5};
        frame(0.6);
        EXPECT_EQ(game->currentFilterMode(), mode);
        EXPECT_NE(game->gameCity().shader(), oldShader);
        EXPECT_FALSE(glIsProgram(oldProgram)) << "the old city's program outlived it (the van's copy?)";
        EXPECT_EQ(game->sceneLights().shader(), game->gameCity().shader());

        // Twelve textures of the placed tiles, drawn once, with the new filters.
        const auto live = liveTextureFilters();
        EXPECT_GE(live.count(filters), 12u) << "mode " << mode;
        EXPECT_EQ(live.count(previous), 0u) << "mode " << mode;
        previous = filters;

        frame(0.1);  // still held: the guard holds the next change back
        EXPECT_EQ(game->currentFilterMode(), mode);
        held.clear();
    }

    // The van collides with the rebuilt city: at full throttle it keeps to
    // the streets and stops at a wall.
    held = {GLFW_KEY_UP};
    const glm::vec3 start = game->player().position();
    bool hit = false;
    for (int n = 0; n < 600 && !hit; ++n) {
        const float speed = game->player().speed;
        frame(1.0 / 60.0, false);
        const glm::vec3 p = game->player().position();
        ASSERT_FALSE(game->gameCity().isBlocked(p.x, p.z)) << "frame " << n;
        hit = speed > 0.0f && game->player().speed == 0.0f;
    }
    EXPECT_TRUE(hit);
    EXPECT_GT(glm::length(game->player().position() - start), 25.0f);
}

TEST_F(GameFlowTest, F8CyclesTheFarPlaneAtTheDrawablesAspect) {
    quietRules();
    const std::pair<const char*, float> steps[] = {
        {"change frustrum mode close\n", 50.0f},
        {"change frustrum mode wide/off\n", 500.0f},
        {"change frustrum mode normal\n", 260.0f},
    };
    // The window's own size, then the room a 1024 x 768 screen leaves it.
    for (const auto& [width, height] : {std::pair{1200, 800}, std::pair{1018, 740}}) {
        game->resize(width, height);
        const float aspect = static_cast<float>(width) / static_cast<float>(height);
        for (const auto& [message, farPlane] : steps) {
            held = {GLFW_KEY_F8};
            frame(0.6);
            EXPECT_EQ(drain(), message);
            expectMatrixNear(game->projectionStack().top(),
                             glm::perspective(glm::radians(35.0f), aspect, 1.0f, farPlane));
            held.clear();
            frame(0.1);
        }
        EXPECT_EQ(game->currentViewDistanceMode(), 0);
    }

    // The drawable changing in close mode keeps the close far plane; a
    // drawable of no size (a minimised window) changes nothing.
    held = {GLFW_KEY_F8};
    frame(0.6);
    drain();
    for (const auto& [width, height] : {std::pair{900, 600}, std::pair{0, 0}}) {
        game->resize(width, height);
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 900);
        EXPECT_EQ(viewport[3], 600);
        expectMatrixNear(game->projectionStack().top(), glm::perspective(glm::radians(35.0f), 1.5f, 1.0f, 50.0f));
    }
    game->resize(1200, 800);
}

TEST_F(GameFlowTest, PauseFreezesTheVanAndTheRulesButNotLightsOrMarkers) {
    frame(0.1);
    ASSERT_EQ(game->rules().jobs().size(), 1u);
    const glm::vec3 start = game->player().position();
    held = {GLFW_KEY_W};
    frame(0.1);
    EXPECT_NE(game->player().position(), start) << "the van should drive while the game runs";

    // A second job near the van, whose (green) direction marker is large.
    const glm::vec3 van = game->player().position();
    game->rules().addJob(Job(static_cast<int>(van.x), static_cast<int>(van.z) + 50, -1000.0f, -1000.0f, 20,
                             game->flatProgram(), 1));

    held = {GLFW_KEY_P};
    frame(0.6);
    ASSERT_TRUE(game->rules().isPaused());
    const glm::vec3 parked = game->player().position();
    const float timeLeft = game->rules().jobs().front().timeLeft();
    const int popularity = game->rules().popularityValue();

    held = {GLFW_KEY_W};
    for (int i = 0; i < 5; ++i) {
        frame(0.5, false);
        EXPECT_GT(markerPixels()[1], 0) << "markers are placed while paused, and drawn once";
        EXPECT_EQ(game->modelViewStack().index(), 0);
    }
    EXPECT_EQ(game->player().position(), parked);
    EXPECT_EQ(game->rules().jobs().front().timeLeft(), timeLeft);
    EXPECT_EQ(game->rules().popularityValue(), popularity);

    // The head lights still follow the van, and F8 still works.
    game->player().chaseCamera.moveForward(3.0f);
    held = {GLFW_KEY_F8};
    frame(0.6);
    EXPECT_EQ(game->sceneLights().positions()[0], glm::vec4(game->player().headlightPosition(), 1.0f));
    EXPECT_EQ(game->currentViewDistanceMode(), 1);
}

TEST_F(GameFlowTest, BothLeftBeamKeysToggleTheBeamEveryFrame) {
    quietRules();
    held = {GLFW_KEY_LEFT_SHIFT, GLFW_KEY_LEFT_CONTROL};
    std::vector<bool> beams;
    std::vector<float> cutoffs;
    for (int i = 0; i < 4; ++i) {
        frame(0.02, false);
        beams.push_back(game->isHighBeam());
        cutoffs.push_back(game->sceneLights().spotCosCutoffs()[0]);
    }
    EXPECT_EQ(beams, (std::vector<bool>{false, true, false, true}));
    EXPECT_NE(cutoffs[0], cutoffs[1]);
    EXPECT_EQ(cutoffs[0], cutoffs[2]);

    held = {GLFW_KEY_RIGHT_SHIFT, GLFW_KEY_RIGHT_CONTROL};
    frame(0.02, false);
    EXPECT_TRUE(game->isHighBeam());
    held = {GLFW_KEY_LEFT_CONTROL};
    frame(0.02, false);
    held = {GLFW_KEY_RIGHT_SHIFT};
    frame(0.02, false);
    EXPECT_FALSE(game->isHighBeam());
}

TEST_F(GameFlowTest, NoJobsNoDistanceMarkers) {
    quietRules();
    frame(0.1);
    frame(0.1, false);
    EXPECT_TRUE(game->rules().jobs().empty());
    EXPECT_EQ(markerPixels(), (std::array<int, 3>{})) << "something was drawn once after the update";
}

TEST_F(GameFlowTest, DistanceMarkersTakeTheKindColourAndGrowAsTheVanNears) {
    quietRules();
    const glm::vec3 van = game->player().position();
    const int x = static_cast<int>(van.x);
    const int z = static_cast<int>(van.z);
    game->render();  // uploads the textures
    // Far starts give the jobs plenty of time.
    game->rules().addJob(Job(x, z + 200, -1000.0f, -1000.0f, 20, game->flatProgram(), 0));
    game->rules().addJob(Job(x, z + 50, -1000.0f, -1000.0f, 20, game->flatProgram(), 1));
    game->rules().addJob(Job(x + 100, z, -1000.0f, -1000.0f, 20, game->flatProgram(), 2));
    frame(0.01, false);
    const std::array<int, 3> drawn = markerPixels();
    for (int kind = 0; kind < 3; ++kind) EXPECT_GT(drawn[kind], 0) << "kind " << kind;

    // What the game placed: the markers of the jobs in their order.
    std::vector<ItemPointer> markers;
    placeMarkers(markers, game->rules().jobs(), game->player().position(), nullptr);
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[0].colour(), glm::vec3(255.0f, 0.0f, 0.0f));
    EXPECT_EQ(markers[1].colour(), glm::vec3(0.0f, 255.0f, 0.0f));
    EXPECT_EQ(markers[2].colour(), glm::vec3(0.0f, 0.0f, 255.0f));
    const glm::vec3 here = game->player().position();
    EXPECT_NEAR(markers[1].distance(), glm::length(here - glm::vec3(x, 0.0f, z + 50)), 1e-3f);
    const float width[3] = {markers[0].scaled(glm::mat4(1.0f))[0][0], markers[1].scaled(glm::mat4(1.0f))[0][0],
                            markers[2].scaled(glm::mat4(1.0f))[0][0]};
    EXPECT_GT(width[1], width[2]);
    EXPECT_GT(width[2], width[0]);

    // The job markers' GL objects are made once and shared by every copy.
    const GLuint vertexArray = game->rules().jobs().front().marker().vertexArray();
    EXPECT_NE(vertexArray, 0u);
    game->render();
    frame(0.01);
    frame(0.01);
    EXPECT_EQ(game->rules().jobs().front().marker().vertexArray(), vertexArray);
}

TEST_F(GameFlowTest, PopularityOnePlaysOnAndBelowItTheVanAndTheRulesStop) {
    frame(0.1);
    ASSERT_EQ(game->rules().jobs().size(), 1u);
    game->rules().setTimers(-1e6f, -1e6f);
    game->rules().setPopularity(1);
    held = {GLFW_KEY_UP};
    const glm::vec3 start = game->player().position();
    const float timeLeft = game->rules().jobs().front().timeLeft();
    frame(0.1);
    EXPECT_FALSE(game->rules().isGameOver());
    EXPECT_NE(game->player().position(), start) << "at popularity 1 the van drives";
    EXPECT_LT(game->rules().jobs().front().timeLeft(), timeLeft) << "at popularity 1 the job clock runs";

    game->rules().setPopularity(0);
    ASSERT_TRUE(game->rules().isGameOver());
    const glm::vec3 parked = game->player().position();
    const float frozen = game->rules().jobs().front().timeLeft();
    // Far past the decay interval and the job check, and P tapped too:
    // nothing of the game moves again.
    game->rules().setTimers(1e3f, 1e3f);
    for (int i = 0; i < 4; ++i) {
        held = i == 1 ? std::set<int>{GLFW_KEY_UP, GLFW_KEY_P} : std::set<int>{GLFW_KEY_UP};
        frame(0.6);
    }
    EXPECT_EQ(game->player().position(), parked);
    EXPECT_EQ(game->rules().jobs().size(), 1u);
    EXPECT_EQ(game->rules().jobs().front().timeLeft(), frozen);
    EXPECT_EQ(game->rules().popularityValue(), 0);
    EXPECT_EQ(drain().find("Highscore: "), std::string::npos);
}

// The game's clock read through a seam that jumps by 5 s after its first
// reading, as if building the game took that long.
class GameStartTest : public ConsoleGlTest {
protected:
    void SetUp() override {
        ConsoleGlTest::SetUp();
        platform::setClockSource([this] { return reads++ == 0 ? 100.0 : 105.0; });
    }
    int reads = 0;
};

TEST_F(GameStartTest, FirstFrameCountsTheSetUpAndTheFirstCityUsesTheSmoothFilters) {
    Game game;
    game.resize(1200, 800);
    game.update();
    // dt of the first frame: the whole set-up, as the frame rate shows.
    EXPECT_FLOAT_EQ(game.rules().currentFrameRate(), 1.0f / 5.0f);
    game.render();
    // Linear magnification with trilinear minification, while F5 starts
    // from mode 1 (linear without mipmaps).
    const auto live = liveTextureFilters();
    EXPECT_GE(live.count({0x2601, 0x2703}), 12u);
    EXPECT_EQ(live.count({0x2601, 0x2601}), 0u);
    EXPECT_EQ(game.currentFilterMode(), 1);
}

TEST(DistanceMarker, NaturalSizeAtFiftyAndFiniteRightAtTheDestination) {
    ItemPointer atFifty;
    atFifty.init(nullptr, glm::vec3(255.0f, 0.0f, 0.0f), 50.0f);
    EXPECT_EQ(atFifty.scaled(glm::mat4(1.0f)),
              glm::mat4(glm::vec4(1, 0, 0, 0), glm::vec4(0, 1, 0, 0), glm::vec4(0, 0, 4, 0), glm::vec4(0, 0, 0, 1)));

    ItemPointer underTheVan;
    underTheVan.init(nullptr, glm::vec3(0.0f, 0.0f, 255.0f), 0.0f);
    const glm::mat4 m = underTheVan.scaled(glm::mat4(1.0f));
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) EXPECT_TRUE(std::isfinite(m[c][r])) << c << ", " << r;
}

}  // namespace
