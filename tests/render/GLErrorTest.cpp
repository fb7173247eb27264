#include "render/GLError.h"

#include "support/GlContext.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// What one checkGLError writes on the error stream.
class GLErrorTest : public GlTest {
protected:
    std::string reported() {
        errors.start();
        checkGLError();
        return errors.stop();
    }
    CapturedConsole errors{CapturedConsole::ERRORS};
};

TEST_F(GLErrorTest, NothingIsPrintedWithoutAPendingError) {
    EXPECT_EQ(reported(), "");
}

TEST_F(GLErrorTest, EachCallReportsOneError) {
    glEnable(0xFFFF);    // invalid enum
    glLineWidth(-1.0f);  // invalid value; Mesa keeps only the first flag
    EXPECT_EQ(reported(), "GL: enum argument out of range.\n");
    drainGLErrors();
    EXPECT_EQ(reported(), "");
}

TEST(GLErrorMessages, KnownAndUnknownCodes) {
    EXPECT_STREQ(glErrorMessage(GL_INVALID_ENUM), "GL: enum argument out of range.");
    EXPECT_STREQ(glErrorMessage(GL_INVALID_VALUE), "GL: Numeric argument out of range.");
    EXPECT_STREQ(glErrorMessage(GL_INVALID_OPERATION), "GL: Operation illegal in current state.");
    EXPECT_STREQ(glErrorMessage(GL_OUT_OF_MEMORY), "GL: Not enough memory left to execute command.");
    EXPECT_STREQ(glErrorMessage(GL_INVALID_FRAMEBUFFER_OPERATION), "GL: Framebuffer object is not complete.");
    EXPECT_STREQ(glErrorMessage(GL_STACK_OVERFLOW), "GL: Unknown error.");
    EXPECT_STREQ(glErrorMessage(GL_STACK_UNDERFLOW), "GL: Unknown error.");
    EXPECT_STREQ(glErrorMessage(0x1234), "GL: Unknown error.");
}

TEST_F(GLErrorTest, AStackOverflowIsAnUnknownError) {
    glMatrixMode(GL_MODELVIEW);
    GLint depth = 0;
    glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &depth);
    for (int i = 0; i < depth; ++i) glPushMatrix();
    EXPECT_EQ(reported(), "GL: Unknown error.\n");
    for (int i = 0; i < depth - 1; ++i) glPopMatrix();
}

}  // namespace
