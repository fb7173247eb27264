#!/bin/sh
# Runs a command under an X server of its own, so a test that measures
# itself shares neither the server nor its load with other tests.
# Usage: own_x_server.sh COMMAND [ARG...]
# Xvfb picks a free display itself (-displayfd), so two of these started at
# once never race for the same number, and it writes the number only once
# it accepts connections.
set -u
dir=$(mktemp -d /tmp/tarvello-x-XXXXXX)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
xvfb=$!
i=0
while [ ! -s "$dir/display" ] && [ $i -lt 200 ] && kill -0 "$xvfb" 2>/dev/null; do
    sleep 0.05
    i=$((i + 1))
done
if [ ! -s "$dir/display" ]; then
    echo "own_x_server: Xvfb did not start"
    cat "$dir/xvfb.log"
    kill "$xvfb" 2>/dev/null
    rm -rf "$dir"
    exit 1
fi
DISPLAY=":$(cat "$dir/display")" "$@"
status=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
rm -rf "$dir"
exit $status
