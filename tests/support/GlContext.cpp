#include "support/GlContext.h"

#include "app/Platform.h"

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
    testing::internal::CaptureStdout();
}

void ConsoleGlTest::TearDown() {
    // Failure messages went to the captured stream too; without this a
    // failing test would not say why.
    const std::string text = testing::internal::GetCapturedStdout();
    if (HasFailure()) std::cerr << text;
    GlTest::TearDown();
}

std::string ConsoleGlTest::drain() {
    std::string text = testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    return text;
}
