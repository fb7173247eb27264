#include "platform/WindowSize.h"

#include <algorithm>
#include <cmath>

namespace platform {

double usableScale(float contentScale) {
    if (!(contentScale > 0.0f)) return 1.0;
    return std::clamp(static_cast<double>(contentScale), MIN_WINDOW_SCALE, MAX_WINDOW_SCALE);
}

ScreenRect fitWindow(const ScreenRect& workArea, const FrameEdges& frame, double scale) {
    const int roomWidth = workArea.width - frame.left - frame.right;
    const int roomHeight = workArea.height - frame.top - frame.bottom;
    const double fitted = std::min({scale, static_cast<double>(roomWidth) / WINDOW_WIDTH,
                                    static_cast<double>(roomHeight) / WINDOW_HEIGHT});
    const double size = std::max(fitted, MIN_WINDOW_SCALE);
    ScreenRect window;
    window.width = static_cast<int>(std::lround(WINDOW_WIDTH * size));
    window.height = static_cast<int>(std::lround(WINDOW_HEIGHT * size));
    window.x = workArea.x + frame.left + std::max(0, (roomWidth - window.width) / 2);
    window.y = workArea.y + frame.top + std::max(0, (roomHeight - window.height) / 2);
    return window;
}

int monitorHolding(const std::vector<ScreenRect>& monitors, const ScreenRect& window) {
    const int x = window.x + window.width / 2;
    const int y = window.y + window.height / 2;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const ScreenRect& m = monitors[i];
        if (x >= m.x && x < m.x + m.width && y >= m.y && y < m.y + m.height) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace platform
