#!/bin/sh
# Runs a test that needs an X server: on the one DISPLAY names (scripts/test
# starts one for the whole suite), or on a private one when DISPLAY is
# unset, so that `ctest -R NAME` runs any test from a plain shell. With
# --own the test always gets a server of its own: a test that measures
# itself then shares neither the server nor its load with the tests beside it.
# Usage: x_display.sh [--own] COMMAND [ARG...]
. "$(dirname "$0")/../../scripts/x-server.sh"
if [ "${1:-}" = --own ]; then
    shift
elif [ -n "${DISPLAY:-}" ]; then
    exec "$@"
fi
run_under_x 1280x1024x24 "$@"
