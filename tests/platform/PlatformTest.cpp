#include "app/FrameTimer.h"
#include "platform/DataPath.h"
#include "platform/Input.h"

#include <gtest/gtest.h>

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

}  // namespace
