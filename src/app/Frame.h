#pragma once

class Game;
struct GLFWwindow;

// One frame of the game exactly as it ships: update, clear, render, then the
// buffer swap (which waits for the rasteriser) and the window's events. The
// game's loop, the benchmark and the soak test all run frames through here.
void runFrame(Game& world, GLFWwindow* window);
