#!/bin/bash
# Closing the window ends the game normally. Usage: close_test.sh GAME_FOLDER CLOSE_TOOL
. "$(dirname "$0")/lib.sh"

start_x
start_game "$1"
find_window
wait_for '^new Job: Time ' 60 || fail "the game did not start"
"$2" "$WID" || fail "cannot ask the window to close"
wait_exit 20 || fail "the game did not end when its window was closed"
[ "$GAME_EXIT" = 0 ] || fail "exit code $GAME_EXIT after closing the window"
[ -s "$GAME_ERR" ] && fail "lines on the error stream"
echo "close test passed"
