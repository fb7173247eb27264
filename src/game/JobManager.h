#pragma once

#include "game/Job.h"
#include "math/MatrixStack.h"
#include "render/GlObject.h"
#include "shaders/GLShader.h"

#include <glm/glm.hpp>

#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

class City;
class PixelPerfectGLFont;

// One line of the heads-up display, in the 640 x 480 overlay (y down). The
// lines are placed with the 1200 x 800 window's numbers on purpose, as the
// game always placed them: the job list starts at y 400 near the bottom of
// the overlay, and the pause and game-over notices start near its middle
// rather than a quarter of the way in. Where the overlay is larger (a window
// not 3:2), a line moves by its anchor's share of the growth: (0, 0) keeps
// it to the top left, (1, 0) to the top right, (0, 1) to the bottom left,
// (0.5, 0.5) to the middle.
struct HudLine {
    std::string text;
    int x;
    int y;
    glm::vec3 colour;
    glm::vec2 anchor{0.0f, 0.0f};

    // Where the line stands in an overlay of the given size.
    glm::ivec2 placeIn(glm::vec2 overlay) const;
};

// The overlay's size in its units over a drawable of width x height
// pixels: 640 x 480 at 3:2, and wider or taller in any other shape, so that
// a unit keeps the shape it has at 3:2 and the 640 x 480 box just fits.
glm::vec2 hudOverlaySize(int width, int height);

// The delivery game: open jobs, highscore, popularity, the pause and debug
// toggles, and the heads-up display (drawn by Hud.cpp). At most three jobs are open, one of
// each colour; popularity sinks by itself and the game is over below 1.
class JobManager {
public:
    JobManager() = default;
    // Seeds the random generator from the clock.
    explicit JobManager(shaders::GLShader* markerProgram);

    void update(float dt, float vanX, float vanZ, const City& city);
    void deliver(float vanX, float vanZ);
    bool isGameOver() const { return popularity < 1; }
    bool isPaused() const { return paused; }

    void handlePauseKey(float dt);
    // Pauses as P does (minimising the window); only P resumes.
    void pause() { paused = true; }
    void handleDebugKeys(float dt);

    // Draws every job's marker, then the text overlay.
    void drawHud(MatrixStack& modelView, TransformPipeline& pipeline);
    // The overlay's lines as drawHud writes them.
    std::vector<HudLine> hudLines() const;

    const std::list<Job>& jobs() const { return jobList; }
    const std::list<int>& freeKindList() const { return freeKinds; }
    int highscoreValue() const { return highscore; }
    int popularityValue() const { return popularity; }
    bool isShowingFrameRate() const { return showFrameRate; }
    bool isWireframe() const { return wireframe; }
    float currentFrameRate() const { return frameRate; }

    // Tests set the state the rules start from and the random numbers.
    void setPopularity(int value) { popularity = value; }
    void setHighscore(int value) { highscore = value; }
    void setRandomSource(std::function<int()> source) { random = std::move(source); }
    void addJob(const Job& job);
    void setTimers(float spawn, float decay) {
        spawnTimer = spawn;
        decayTimer = decay;
    }

private:
    void makeJob(float vanX, float vanZ, const City& city);
    // The next number of the standard generator, or of the tests' source.
    int nextRandom();
    void releaseKind(int kind) { freeKinds.push_back(kind); }
    PixelPerfectGLFont& font();

    std::list<Job> jobList;
    std::list<int> freeKinds{0, 1, 2};
    int highscore = 0;
    int popularity = 20;
    float spawnTimer = 3.0f;
    float decayTimer = 0.0f;
    shaders::GLShader* markerProgram = nullptr;
    bool paused = false;
    bool showFrameRate = false;
    bool wireframe = false;
    bool noVertexArrays = false;
    float frameRate = 0.0f;
    float pauseKeyTimer = 0.0f;
    float framerateKeyTimer = 0.0f;
    float wireframeKeyTimer = 0.0f;
    float vaoKeyTimer = 0.0f;
    std::function<int()> random;

    // The HUD font, loaded at the first draw and kept for the run.
    struct Font;
    std::shared_ptr<Font> hudFont;
};
