#pragma once

#include "platform/Input.h"

// Elapsed seconds between frames. Constructed with the game's fields, so the
// first tick also counts the whole set-up.
class FrameTimer {
public:
    FrameTimer() : last_(static_cast<float>(platform::seconds())) {}

    float tick() {
        const float now = static_cast<float>(platform::seconds());
        const float dt = now - last_;
        last_ = now;
        return dt;
    }

    void restart() { last_ = static_cast<float>(platform::seconds()); }

private:
    float last_;
};
