# The one place a virtual X server is started, sourced by the scripts and the
# tests (POSIX sh and bash alike).
# Xvfb picks a free display itself (-displayfd), so two servers started at
# once never race for the same number, and it writes the number only once it
# accepts connections. Without -noreset a server resets whenever its last
# client leaves, and a program that connects during the reset cannot open
# its window.

# start_x_server SCREEN: starts Xvfb with one screen of SCREEN (such as
# 1280x1024x24), waits up to 10 s until it answers and exports DISPLAY.
# Prints Xvfb's own lines and returns 1 when it did not start. A script may
# start several; stop_x_server ends them all.
start_x_server() {
    _x_dir=$(mktemp -d "${TMPDIR:-/tmp}/tarvello-x-XXXXXX") || return 1
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$_x_dir/display" >"$_x_dir/log" 2>&1 &
    X_SERVERS="${X_SERVERS:-} $!:$_x_dir"
    _x_tries=0
    while [ ! -s "$_x_dir/display" ] && [ $_x_tries -lt 200 ] && kill -0 $! 2>/dev/null; do
        sleep 0.05
        _x_tries=$((_x_tries + 1))
    done
    if [ -s "$_x_dir/display" ]; then
        DISPLAY=":$(cat "$_x_dir/display")"
        export DISPLAY
        return 0
    fi
    echo "Xvfb did not start:"
    cat "$_x_dir/log"
    return 1
}

# stop_x_server: ends every server start_x_server started.
stop_x_server() {
    for _x_server in ${X_SERVERS:-}; do
        kill "${_x_server%%:*}" 2>/dev/null || true
        wait "${_x_server%%:*}" 2>/dev/null || true
        rm -rf "${_x_server#*:}"
    done
    X_SERVERS=""
}

# run_under_x SCREEN COMMAND [ARG...]: runs the command under a server of its
# own and returns its status.
run_under_x() {
    start_x_server "$1" || { stop_x_server; return 1; }
    shift
    _x_status=0
    "$@" || _x_status=$?
    stop_x_server
    return $_x_status
}
