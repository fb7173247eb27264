#pragma once

class Game;
struct GLFWwindow;

// Where one frame's time went, in milliseconds.
struct FrameSplit {
    double update = 0.0;
    double render = 0.0;  // the clear and the draw calls
    double swap = 0.0;    // the swap waits for the rasteriser to finish the frame
};

// One frame of the game exactly as it ships: a minimised window waited out,
// the viewport fitted to the window's drawable, update, clear, render, then
// the buffer swap and the window's events. The game's loop, the benchmark
// and the soak test all run frames through here; `split`, when given, gets
// the times.
void runFrame(Game& world, GLFWwindow* window, FrameSplit* split = nullptr);
