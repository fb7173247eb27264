#pragma once

#include <string>

namespace testing_support {

// The game's standard output, captured between start() and stop(); drain()
// hands over what was printed since the last drain and goes on capturing.
// Only one capture can run at a time in a test program.
class CapturedConsole {
public:
    CapturedConsole() = default;
    ~CapturedConsole();
    CapturedConsole(const CapturedConsole&) = delete;
    CapturedConsole& operator=(const CapturedConsole&) = delete;

    void start();
    std::string stop();
    std::string drain();
    // Stops; a failed test writes what was captured to the error stream,
    // since googletest's own failure messages were captured with it.
    void finish(bool failed);

private:
    bool capturing_ = false;
};

}  // namespace testing_support
