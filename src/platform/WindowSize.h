#pragma once

// The size the game's window asks for in pixels at a display scale of 1;
// a scaled display gives it as many times more. The system may give it
// less (a small screen) and the player another size; viewport and
// projection follow what it gets.
constexpr int WINDOW_WIDTH = 1200;
constexpr int WINDOW_HEIGHT = 800;
