#include "game/JobManager.h"
#include "shaders/GLShader.h"

#include "support/GlContext.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// Draws with the flat program and a pipeline as the game sets them up.
class HudDrawTest : public ConsoleGlTest {
protected:
    void SetUp() override {
        ConsoleGlTest::SetUp();
        shaders::GLShaderManager manager;
        flat = manager.loadFromFiles("Shaders\\flat.vert", "Shaders\\flat.frag");
        ASSERT_NE(flat, nullptr);
        flat->bindFragDataLocation("out_color");
        projection.loadMatrix(glm::perspective(glm::radians(35.0f), 1.5f, 1.0f, 260.0f));
        pipeline.setMatrixStacks(modelView, projection);
        testing_support::holdKeys(held);
    }

    shaders::ProgramPtr flat;
    MatrixStack modelView{64};
    MatrixStack projection{64};
    TransformPipeline pipeline;
    std::set<int> held;
};

TEST_F(HudDrawTest, DrawsMarkersAndTextAndResetsTheFixedFunctionMatrix) {
    JobManager manager(flat.get());
    manager.addJob(Job(150, 50, 0.0f, 0.0f, 20, flat.get(), 0));
    manager.addJob(Job(100, 200, 0.0f, 0.0f, 20, flat.get(), 2));
    held = {GLFW_KEY_F2};
    manager.handleDebugKeys(0.6f);
    modelView.loadMatrix(glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, -5.0f, -40.0f)));
    const glm::mat4 before = modelView.top();
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(glm::value_ptr(glm::scale(glm::mat4(1.0f), glm::vec3(3.0f))));

    manager.drawHud(modelView, pipeline);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(modelView.index(), 0);
    EXPECT_EQ(modelView.top(), before);
    glm::mat4 fixed(0.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, glm::value_ptr(fixed));
    EXPECT_EQ(fixed, glm::mat4(1.0f));
    for (const Job& job : manager.jobs()) EXPECT_EQ(job.markerAngle(), 1);

    // Markers go on spinning while the game is paused; the font is kept.
    held = {GLFW_KEY_P};
    manager.handlePauseKey(0.6f);
    ASSERT_TRUE(manager.isPaused());
    manager.drawHud(modelView, pipeline);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(manager.jobs().front().markerAngle(), 2);
}

TEST_F(HudDrawTest, DebugKeysEachActWithTheirOwnGuard) {
    JobManager manager;
    drain();
    held = {GLFW_KEY_F2, GLFW_KEY_F3};
    manager.handleDebugKeys(0.6f);
    EXPECT_EQ(drain(), "show/hide framerate\nshow/hide wireframe mode\n");
    EXPECT_TRUE(manager.isShowingFrameRate());
    EXPECT_TRUE(manager.isWireframe());
    GLint mode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_LINE);
    EXPECT_EQ(mode[1], GL_LINE);

    // Exactly half a second later F3 does not act yet, a moment later it does.
    held = {GLFW_KEY_F3};
    manager.handleDebugKeys(0.5f);
    EXPECT_EQ(drain(), "");
    manager.handleDebugKeys(0.01f);
    EXPECT_EQ(drain(), "show/hide wireframe mode\n");
    EXPECT_TRUE(manager.isShowingFrameRate());
    EXPECT_FALSE(manager.isWireframe());
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    EXPECT_EQ(mode[1], GL_FILL);

    // F6 switches the client vertex array; it starts enabled here so that
    // the first press visibly disables it.
    glEnableClientState(GL_VERTEX_ARRAY);
    held = {GLFW_KEY_F6};
    manager.handleDebugKeys(0.6f);
    EXPECT_EQ(drain(), "don't use VAO\n");
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    manager.handleDebugKeys(0.6f);
    EXPECT_EQ(drain(), "use VAO\n");
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    glDisableClientState(GL_VERTEX_ARRAY);
}

// An 80 x 80 pixel offscreen target that shows 8 x 8 world units around a
// point, 10 pixels per unit, on a grey background.
class MarkerView {
public:
    static constexpr int SIZE = 80;

    MarkerView() {
        glGetIntegerv(GL_VIEWPORT, previousViewport);
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, SIZE, SIZE);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        glViewport(0, 0, SIZE, SIZE);
        // Silhouettes, whichever way the triangles wind.
        glDisable(GL_CULL_FACE);
    }
    ~MarkerView() {
        glEnable(GL_CULL_FACE);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(previousViewport[0], previousViewport[1], previousViewport[2], previousViewport[3]);
        glDeleteRenderbuffers(1, &colour);
        glDeleteFramebuffers(1, &framebuffer);
    }

    // Draws the job's marker as the HUD does, seen from `eye` towards
    // `centre`, and keeps the picture.
    void draw(Job& job, MatrixStack& modelView, MatrixStack& projection, TransformPipeline& pipeline,
              glm::vec3 eye, glm::vec3 centre, glm::vec3 up) {
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        projection.loadMatrix(glm::ortho(-4.0f, 4.0f, -4.0f, 4.0f, 1.0f, 100.0f));
        modelView.loadMatrix(glm::lookAt(eye, centre, up));
        modelView.pushMatrix();
        job.drawMarker(modelView, pipeline);
        modelView.popMatrix();
        pixels.assign(SIZE * SIZE * 4, 0);
        glReadPixels(0, 0, SIZE, SIZE, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }

    // The colour at (right, up) units from the centre of the view.
    glm::ivec3 at(float right, float up) const {
        const int column = static_cast<int>(std::floor((right + 4.0f) * 10.0f));
        const int row = static_cast<int>(std::floor((up + 4.0f) * 10.0f));
        const unsigned char* p = &pixels[(row * SIZE + column) * 4];
        return glm::ivec3(p[0], p[1], p[2]);
    }

private:
    GLuint framebuffer = 0, colour = 0;
    GLint previousViewport[4] = {};
    std::vector<unsigned char> pixels;
};

TEST_F(HudDrawTest, JobMarkersAreOctahedraOnTheirCellInTheColourOfTheirKind) {
    const glm::ivec3 background(128, 128, 128);
    const glm::ivec3 colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 0, 0}};
    // Far from the origin, so a turn about the world axis instead of the
    // marker's own would carry it out of sight.
    const int destX = 400, destZ = 300;
    MarkerView view;
    for (int kind = 0; kind < 4; ++kind) {
        Job job(destX, destZ, 0.0f, 0.0f, 20, flat.get(), kind);
        const glm::vec3 centre(destX, 2.0f, destZ);
        const glm::ivec3 expected = colours[kind];

        // From the side (+z), x to the right: tips at heights 0 and 4,
        // side corners 1 unit out, a diamond in between. Samples keep 0.15
        // units or more from every edge, well beyond the 1 degree of spin.
        view.draw(job, modelView, projection, pipeline, centre + glm::vec3(0, 0, 50), centre, glm::vec3(0, 1, 0));
        for (auto [right, up] : {std::pair{0.0f, 0.0f}, {0.0f, 1.7f}, {0.0f, -1.7f}, {0.8f, 0.0f}, {-0.8f, 0.0f},
                                 {0.35f, 0.7f}, {-0.35f, -0.7f}}) {
            EXPECT_EQ(view.at(right, up), expected) << "kind " << kind << ", side view at " << right << ", " << up;
        }
        for (auto [right, up] : {std::pair{0.0f, 2.3f}, {0.0f, -2.3f}, {1.2f, 0.0f}, {-1.2f, 0.0f}, {0.65f, 1.3f},
                                 {-0.65f, -1.3f}}) {
            EXPECT_EQ(view.at(right, up), background) << "kind " << kind << ", side view at " << right << ", " << up;
        }

        // From above, x to the right and -z up: a square on its corner,
        // corners 1 unit from the centre along x and z.
        view.draw(job, modelView, projection, pipeline, centre + glm::vec3(0, 50, 0), centre, glm::vec3(0, 0, -1));
        for (auto [right, up] : {std::pair{0.0f, 0.0f}, {0.8f, 0.0f}, {-0.8f, 0.0f}, {0.0f, 0.8f}, {0.0f, -0.8f},
                                 {0.35f, 0.35f}, {-0.35f, 0.35f}, {0.35f, -0.35f}, {-0.35f, -0.35f}}) {
            EXPECT_EQ(view.at(right, up), expected) << "kind " << kind << ", top view at " << right << ", " << up;
        }
        for (auto [right, up] : {std::pair{1.2f, 0.0f}, {0.0f, -1.2f}, {0.65f, 0.65f}, {-0.65f, 0.65f},
                                 {0.65f, -0.65f}, {-0.65f, -0.65f}}) {
            EXPECT_EQ(view.at(right, up), background) << "kind " << kind << ", top view at " << right << ", " << up;
        }
    }
}

// Runs the first HUD draw of a fresh game in the shader folder of the
// game, which holds no font.
void drawHudWithoutFont() {
    std::error_code error;
    std::filesystem::current_path("Shaders", error);
    if (error) std::exit(2);
    JobManager manager;
    MatrixStack modelView;
    MatrixStack projection;
    TransformPipeline pipeline;
    pipeline.setMatrixStacks(modelView, projection);
    manager.drawHud(modelView, pipeline);
}

using HudFontDeathTest = GlTest;

TEST_F(HudFontDeathTest, MissingFontEndsTheProgramAtTheFirstDraw) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(drawHudWithoutFont(), ::testing::ExitedWithCode(1), "Cannot load font");
}

}  // namespace
