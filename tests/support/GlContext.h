#pragma once

#include "support/Console.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>

struct GLFWwindow;

namespace testing_support {

// The hidden window whose 3.3 compatibility context every GL test uses.
GLFWwindow* glWindow();

// Reads and clears every pending OpenGL error; 0 when none was pending.
GLenum drainGLErrors();

}  // namespace testing_support

// Base for tests that talk to OpenGL: each test must leave no error pending
// and may not leak key or clock overrides into the next.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// A GL test whose console output is captured for the whole test; drain()
// hands over what was printed since the last call. A failed test prints
// what it captured, so its messages are not lost.
class ConsoleGlTest : public GlTest {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string drain();

    testing_support::CapturedConsole console;
};
