#include "app/ScriptedDrive.h"

#include "platform/Input.h"
#include "platform/Keys.h"

#include <utility>

ScriptedDrive::ScriptedDrive(double framesPerSecond, ExtraKeys extraKeys)
    : framesPerSecond_(framesPerSecond), extraKeys_(std::move(extraKeys)) {}

void ScriptedDrive::take() {
    platform::setKeySource([this](int key) {
        const int held = drivingKey(key, frame);
        return held == 0 && extraKeys_ ? extraKeys_(key, frame) : held;
    });
    // The clock reads the end of the current frame.
    platform::setClockSource([this] { return static_cast<double>(frame + 1) / framesPerSecond_; });
}

int ScriptedDrive::drivingKey(int key, long frame) {
    // Laps of four seconds at 60 frames a second: 200 frames of throttle
    // with a turn in the middle, left and right by turns, then a short brake.
    const long phase = frame % 240;
    if (key == keys::ACCELERATE.arrow) return phase < 200 ? 1 : 0;
    if (key == keys::BRAKE_AND_REVERSE.arrow) return phase >= 200 && phase < 215 ? 1 : 0;
    if (key == keys::STEER_LEFT.arrow) return (frame / 240) % 2 == 0 && phase >= 120 && phase < 170 ? 1 : 0;
    if (key == keys::STEER_RIGHT.arrow) return (frame / 240) % 2 == 1 && phase >= 120 && phase < 170 ? 1 : 0;
    return key == keys::DELIVER ? 1 : 0;
}
