#include "support/GlContext.h"

#include "platform/Input.h"

#include <GLFW/glfw3.h>

#include <iostream>

namespace testing_support {
namespace {
GLFWwindow* window = nullptr;
}

GLFWwindow* glWindow() { return window; }

void setGlWindow(GLFWwindow* w) { window = w; }

GLenum drainGLErrors() {
    GLenum first = GL_NO_ERROR;
    for (int i = 0; i < 16; ++i) {
        const GLenum e = glGetError();
        if (e == GL_NO_ERROR) break;
        if (first == GL_NO_ERROR) first = e;
    }
    return first;
}

}  // namespace testing_support

void GlTest::SetUp() { ASSERT_EQ(testing_support::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR)); }

void GlTest::TearDown() {
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "a GL error was left pending";
    testing_support::drainGLErrors();
    platform::setKeySource({});
    platform::setClockSource({});
}

void ConsoleGlTest::SetUp() {
    GlTest::SetUp();
    console.start();
}

void ConsoleGlTest::TearDown() {
    console.finish(HasFailure());
    GlTest::TearDown();
}

std::string ConsoleGlTest::drain() {
    std::string text = console.stop();
    if (HasFailure()) std::cerr << text << std::flush;
    console.start();
    return text;
}
