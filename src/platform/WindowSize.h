#pragma once

#include <vector>

// The size the game's window asks for in pixels at a display scale of 1;
// a scaled display gives it as many times more. The system may give it
// less (a small screen) and the player another size; viewport and
// projection follow what it gets.
constexpr int WINDOW_WIDTH = 1200;
constexpr int WINDOW_HEIGHT = 800;

namespace platform {

// A rectangle of the desktop in pixels, y down.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// What a window manager's frame adds on each side of a window's drawing area.
struct FrameEdges {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The display scales the window is sized by. The smallest gives 720 x 480,
// where the HUD's letters are no smaller than the font's own pixels; the
// largest keeps the window a size that X11 and the drivers take.
constexpr double MIN_WINDOW_SCALE = 0.6;
constexpr double MAX_WINDOW_SCALE = 4.0;

// A desktop may report a content scale that is nonsense (X11 reads Xft.dpi
// 0 or "abc" as 0, 5000 as 52): zero, negative or not a number counts as
// 1, and the rest is held within the range above.
double usableScale(float contentScale);

// The drawing area of the window on a monitor with the given work area:
// 1200 x 800 times the scale, or the largest 3:2 size whose frame fits the
// work area when that is less, never below the smallest scale's; centred
// in the work area, with its frame's top-left corner kept inside it.
ScreenRect fitWindow(const ScreenRect& workArea, const FrameEdges& frame, double scale);

// The index of the monitor that holds the middle of the window; -1 when none does.
int monitorHolding(const std::vector<ScreenRect>& monitors, const ScreenRect& window);

}  // namespace platform
