#pragma once

// The fixed size of the game's window in pixels; also the aspect ratio of
// every projection.
constexpr int WINDOW_WIDTH = 1200;
constexpr int WINDOW_HEIGHT = 800;
