#include "game/JobManager.h"
#include "platform/Input.h"
#include "shaders/GLShader.h"

#include "support/GlContext.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>


using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

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
        platform::setKeySource([this](int key) { return held.count(key) ? 1 : 0; });
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
