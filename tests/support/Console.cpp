#include "support/Console.h"

#include "platform/Input.h"

#include <gtest/gtest.h>

#include <iostream>

namespace testing_support {

CapturedConsole::~CapturedConsole() {
    if (capturing_) stop();
}

void CapturedConsole::start() {
    if (capturing_) return;
    if (stream_ == OUTPUT) {
        testing::internal::CaptureStdout();
    } else {
        testing::internal::CaptureStderr();
    }
    capturing_ = true;
}

std::string CapturedConsole::stop() {
    if (!capturing_) return {};
    capturing_ = false;
    return stream_ == OUTPUT ? testing::internal::GetCapturedStdout() : testing::internal::GetCapturedStderr();
}

void CapturedConsole::finish(bool failed) {
    const std::string text = stop();
    if (failed) std::cerr << text << std::flush;
}

std::string CapturedConsole::drain() {
    std::string text = stop();
    start();
    return text;
}

void holdKeys(const std::set<int>& held) {
    platform::setKeySource([&held](int key) { return held.count(key) ? 1 : 0; });
}

}  // namespace testing_support
