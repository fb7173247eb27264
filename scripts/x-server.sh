# The one place a virtual X server is started, sourced by the scripts and the
# tests (POSIX sh and bash alike).
# Xvfb picks a free display itself (-displayfd), so two servers started at
# once never race for the same number, and it writes the number only once it
# accepts connections. Without -noreset a server resets whenever its last
# client leaves, and a program that connects during the reset cannot open
# its window.

# start_x_server SCREEN: starts Xvfb with one screen of SCREEN (such as
# 1280x1024x24), waits up to 10 s until it answers, exports DISPLAY and sets
# X_SERVER_PID. Prints Xvfb's own lines and returns 1 when it did not start.
start_x_server() {
    X_SERVER_DIR=$(mktemp -d "${TMPDIR:-/tmp}/tarvello-x-XXXXXX") || return 1
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$X_SERVER_DIR/display" >"$X_SERVER_DIR/log" 2>&1 &
    X_SERVER_PID=$!
    _x_tries=0
    while [ ! -s "$X_SERVER_DIR/display" ] && [ $_x_tries -lt 200 ] && kill -0 "$X_SERVER_PID" 2>/dev/null; do
        sleep 0.05
        _x_tries=$((_x_tries + 1))
    done
    if [ -s "$X_SERVER_DIR/display" ]; then
        DISPLAY=":$(cat "$X_SERVER_DIR/display")"
        export DISPLAY
        return 0
    fi
    echo "Xvfb did not start:"
    cat "$X_SERVER_DIR/log"
    stop_x_server
    return 1
}

# stop_x_server: ends the server start_x_server started, if any.
stop_x_server() {
    if [ -n "${X_SERVER_PID:-}" ]; then
        kill "$X_SERVER_PID" 2>/dev/null || true
        wait "$X_SERVER_PID" 2>/dev/null || true
    fi
    if [ -n "${X_SERVER_DIR:-}" ]; then rm -rf "$X_SERVER_DIR"; fi
    X_SERVER_PID=""
    X_SERVER_DIR=""
}

# run_under_x SCREEN COMMAND [ARG...]: runs the command under a server of its
# own and returns its status.
run_under_x() {
    start_x_server "$1" || return 1
    shift
    _x_status=0
    "$@" || _x_status=$?
    stop_x_server
    return $_x_status
}
