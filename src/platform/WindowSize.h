#pragma once

// The size the game's window asks for in pixels. The system may give it
// less (a small screen); viewport and projection follow what it gets.
constexpr int WINDOW_WIDTH = 1200;
constexpr int WINDOW_HEIGHT = 800;
