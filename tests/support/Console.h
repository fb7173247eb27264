#pragma once

#include <set>
#include <string>

namespace testing_support {

// The game's standard output (or error stream), captured between start()
// and stop(); drain() hands over what was printed since the last drain and
// goes on capturing. Only one capture of each stream can run at a time in a
// test program.
class CapturedConsole {
public:
    enum Stream { OUTPUT, ERRORS };

    explicit CapturedConsole(Stream stream = OUTPUT) : stream_(stream) {}
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
    Stream stream_;
    bool capturing_ = false;
};

// Routes the game's keyboard to `held`: a key reads down while it is in the
// set, until the key source is set again (GlTest's tear-down does).
void holdKeys(const std::set<int>& held);

}  // namespace testing_support
