#include "support/Console.h"

#include <gtest/gtest.h>

#include <iostream>

namespace testing_support {

CapturedConsole::~CapturedConsole() {
    if (capturing_) stop();
}

void CapturedConsole::start() {
    if (capturing_) return;
    testing::internal::CaptureStdout();
    capturing_ = true;
}

std::string CapturedConsole::stop() {
    if (!capturing_) return {};
    capturing_ = false;
    return testing::internal::GetCapturedStdout();
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

}  // namespace testing_support
