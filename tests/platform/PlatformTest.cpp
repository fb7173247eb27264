#include "app/FrameTimer.h"
#include "platform/DataPath.h"
#include "platform/Input.h"
#include "platform/ProcessEnd.h"
#include "platform/XInputLibrary.h"

#include <gtest/gtest.h>

#include <cstdio>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <GLFW/glfw3.h>
#endif

namespace {

TEST(Platform, DataFileNamesUseTheNativeSeparator) {
#ifdef _WIN32
    // Windows takes the names as written.
    EXPECT_EQ(platform::nativePath("Shaders\\flat.vert"), "Shaders\\flat.vert");
    EXPECT_EQ(platform::nativePath("a\\b\\c"), "a\\b\\c");
#else
    EXPECT_EQ(platform::nativePath("Shaders\\flat.vert"), "Shaders/flat.vert");
    EXPECT_EQ(platform::nativePath("a\\b\\c"), "a/b/c");
#endif
    EXPECT_EQ(platform::nativePath("vito.obj"), "vito.obj");
}

TEST(Platform, KeysAndClockComeThroughTheSeam) {
    double now = 10.0;
    platform::setClockSource([&] { return now; });
    platform::setKeySource([](int key) { return key == 65 ? 1 : 0; });
    EXPECT_EQ(platform::keyDown(65), 1);
    EXPECT_EQ(platform::keyDown(66), 0);

    FrameTimer timer;
    now = 10.25;
    EXPECT_FLOAT_EQ(timer.tick(), 0.25f);
    now = 10.75;
    EXPECT_FLOAT_EQ(timer.tick(), 0.5f);

    platform::setKeySource({});
    platform::setClockSource({});
    EXPECT_EQ(platform::keyDown(65), 0) << "no window: no key is down";
}

// The code is the program's own and nothing it printed is lost, also where
// the process ends without the C runtime's exit functions (Windows).
TEST(PlatformDeathTest, EndProcessKeepsTheCodeAndTheOutput) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static char buffer[64];
            std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer);
            std::fputs("last words", stderr);
            platform::endProcess(3);
        },
        ::testing::ExitedWithCode(3), "last words");
}

#ifdef _WIN32
// GLFW frees the game-pad library in glfwTerminate; unloading it is what
// lets Wine 8's polling thread crash the process at exit.
TEST(Platform, XInputStaysLoadedAfterGlfwEnds) {
    platform::keepXInputLoaded();
    ASSERT_TRUE(glfwInit());
    glfwTerminate();
    EXPECT_NE(GetModuleHandleW(L"xinput1_4.dll"), nullptr);
}
#endif

}  // namespace
