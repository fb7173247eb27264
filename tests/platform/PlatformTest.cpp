#include "app/FrameTimer.h"
#include "platform/Console.h"
#include "platform/DataPath.h"
#include "platform/Input.h"
#include "platform/ProcessEnd.h"
#include "platform/WindowSize.h"
#include "platform/XInputLibrary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

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

// A desktop's nonsense scale (Xft.dpi 0, "abc", -96, 1, 5000, "inf") still
// gives a window the HUD can be read in and X11 can make.
TEST(WindowFit, ScalesThatMakeNoSenseAreMadeUsable) {
    for (float none : {0.0f, -1.0f, std::nanf("")}) EXPECT_EQ(platform::usableScale(none), 1.0) << none;
    EXPECT_EQ(platform::usableScale(1.0f / 96), platform::MIN_WINDOW_SCALE);
    EXPECT_EQ(platform::usableScale(5000.0f / 96), platform::MAX_WINDOW_SCALE);
    EXPECT_EQ(platform::usableScale(std::numeric_limits<float>::infinity()), platform::MAX_WINDOW_SCALE);
    EXPECT_EQ(platform::usableScale(1.5f), 1.5);
}

std::string placed(const platform::ScreenRect& r) {
    return std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
           std::to_string(r.y);
}

// A laptop's 1366 x 768 on the left of a 2560 x 1600, either one primary,
// with openbox's frame, as a run on two monitors measured them; the window
// is 3:2 in the middle of the work area, its frame inside.
TEST(WindowFit, TheWindowFitsTheMonitorItShowsOn) {
    const platform::FrameEdges frame{1, 26, 1, 5};
    const platform::ScreenRect laptop{0, 0, 1366, 768}, large{1366, 0, 2560, 1600};
    EXPECT_EQ(placed(platform::fitWindow(large, frame, 1.5)), "1800x1200+1746+210");
    EXPECT_EQ(placed(platform::fitWindow(laptop, frame, 1.5)), "1106x737+130+26");
    EXPECT_EQ(placed(platform::fitWindow(laptop, frame, 1.0)), "1106x737+130+26");
    EXPECT_EQ(placed(platform::fitWindow({0, 28, 1366, 740}, frame, 1.0)), "1064x709+151+54");  // a top panel
    EXPECT_EQ(placed(platform::fitWindow({0, 0, 1280, 720}, {}, 1.0)), "1080x720+100+0");
    // Too small for the smallest window, which keeps its title bar on the screen.
    EXPECT_EQ(placed(platform::fitWindow({0, 0, 640, 480}, frame, 1.0)), "720x480+1+26");
    // The monitor that holds the window's middle is the one it is on.
    EXPECT_EQ(platform::monitorHolding({laptop, large}, {1000, 100, 1200, 800}), 1);
    EXPECT_EQ(platform::monitorHolding({laptop, large}, {130, 26, 1106, 737}), 0);
    EXPECT_EQ(platform::monitorHolding({laptop, large}, {-2000, 0, 1200, 800}), -1);
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

// What the C library writes reaches a console in its code page (and under
// Wine byte by byte): the folder line must show there as written.
TEST(Platform, AConsoleShowsFolderNamesInAnyScript) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE), error = GetStdHandle(STD_ERROR_HANDLE);
    // Wine's console host inherits what is inheritable and may outlive the
    // test; with ctest's pipes it held ctest 90 s after the test ended.
    for (const HANDLE pipe : {input, GetStdHandle(STD_OUTPUT_HANDLE), error})
        SetHandleInformation(pipe, HANDLE_FLAG_INHERIT, 0);
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(screen, INVALID_HANDLE_VALUE);
    const int console = _open_osfhandle(reinterpret_cast<intptr_t>(screen), _O_WRONLY);
    std::fflush(stdout);
    const int ctest = _dup(1);
    _dup2(console, 1);
    platform::printLine("C:\\Gr\xc3\xb6\xc3\x9f" "e \xce\xa9");
    std::wstring shown(10, L' ');
    DWORD count = 0;
    ReadConsoleOutputCharacterW(screen, shown.data(), 10, COORD{0, 0}, &count);
    _close(console);
    // Wine's FreeConsole closes the standard handles; ctest's come back after.
    FreeConsole();
    _dup2(ctest, 1);
    _close(ctest);
    SetStdHandle(STD_INPUT_HANDLE, input);
    SetStdHandle(STD_ERROR_HANDLE, error);
    EXPECT_EQ(shown, L"C:\\Gr\u00f6\u00dfe \u03a9");
}
#endif

}  // namespace
