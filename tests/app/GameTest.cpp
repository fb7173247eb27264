#include "app/Game.h"

#include "support/GlContext.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

namespace {

using GameTest = ConsoleGlTest;

TEST_F(GameTest, BuildsTheFlatProgramAndBindsItsOutput) {
    Game game;
    const std::string out = drain();
    ASSERT_NE(game.flatProgram(), nullptr);
    EXPECT_NE(out.find("***GLSL Linker Log:"), std::string::npos);
    EXPECT_NE(out.find("**warning** Object is already linked, trying to link again\n"), std::string::npos);
    EXPECT_EQ(glGetFragDataLocation(game.flatProgram()->programObject(), "out_color"), 0);
}

TEST_F(GameTest, ResizeSetsViewportAndPerspective) {
    Game game;
    game.resize(1200, 800);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1200);
    EXPECT_EQ(viewport[3], 800);
    EXPECT_EQ(game.projectionStack().top(), glm::perspective(glm::radians(35.0f), 1.5f, 1.0f, 260.0f));
}

TEST_F(GameTest, RenderLeavesTheModelViewStackAtTheBottomAndSetsTheFogClearColour) {
    Game game;
    game.resize(1200, 800);
    game.update();
    game.render();
    game.update();
    game.render();
    EXPECT_EQ(game.modelViewStack().index(), 0);
    EXPECT_EQ(game.modelViewStack().lastError(), MatrixStack::None);
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_NEAR(clear[0], 0.01f, 1e-6f);
    EXPECT_NEAR(clear[3], 1.0f, 1e-6f);
}

}  // namespace
