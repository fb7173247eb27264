#pragma once

#include <functional>

// A drive without a player, for measuring and soaking the real game: full
// throttle with a turn now and then, so the view sweeps across streets, walls
// and the open city while the collisions keep the van inside, and Space held
// so jobs get delivered. The game sees a steady frame rate, so every run
// drives the same path and shows the same views whatever the machine's speed.
class ScriptedDrive {
public:
    // Keys the drive does not press may come from `extraKeys` (for example
    // toggle keys on a schedule); it gets the key and the frame number.
    using ExtraKeys = std::function<int(int key, long frame)>;

    explicit ScriptedDrive(double framesPerSecond, ExtraKeys extraKeys = {});

    // Routes the game's keys and clock to this drive until another source
    // is set; the drive must outlive that.
    void take();

    // Whether the drive holds `key` in the given frame.
    static int drivingKey(int key, long frame);

    // The frame the game is in; the caller counts it up after each frame.
    long frame = 0;

private:
    double framesPerSecond_;
    ExtraKeys extraKeys_;
};
