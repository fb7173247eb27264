// Minimises or restores an X window the way a window manager tells its
// client: by the window's WM_STATE property (iconic or normal). No window
// manager runs in the tests, so this stands in for one.
// Usage: window_state WINDOW_ID iconic|normal
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    const bool iconic = argc == 3 && std::strcmp(argv[2], "iconic") == 0;
    if (argc != 3 || (!iconic && std::strcmp(argv[2], "normal") != 0)) {
        std::fprintf(stderr, "usage: window_state WINDOW_ID iconic|normal\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "window_state: cannot open the display\n");
        return 1;
    }
    const Window window = static_cast<Window>(std::strtoul(argv[1], nullptr, 0));
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    // The state, then the icon window (none).
    const long state[2] = {iconic ? IconicState : NormalState, None};
    XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(state), 2);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
