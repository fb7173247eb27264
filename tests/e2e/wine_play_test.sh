#!/bin/bash
# Plays the Windows build (tarvello.exe) under Wine with real key events:
# start, the first job, driving, the pause notice, F5, Escape; then a
# second game ended by closing its window (Alt+F4, which Windows turns
# into a close request). Usage: wine_play_test.sh GAME_FOLDER
# With TARVELLO_SHOTS set to a folder, the running and paused views are
# kept there for a person to look at.
# Wine's server and prefix are the ones scripts/windows set up.
. "$(dirname "$0")/lib.sh"
WINE_RUN="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run"

run_game() { exec "$WINE_RUN" tarvello.exe; }

# Wine may name a window before it maps it, or replace it: the window
# that takes the focus is the mapped one with the game's title (up to 20 s).
focus() {
    local w
    for _ in $(seq 100); do
        for w in $(xdotool search --name '^Tarvello!$' 2>/dev/null); do
            xwininfo -id "$w" 2>/dev/null | grep -q 'IsViewable' || continue
            xdotool windowfocus --sync "$w" 2>/dev/null && WID=$w && return 0
        done
        sleep 0.2
    done
    return 1
}

start_x
start_game "$1"
find_window 2>/dev/null
wait_for '^new Job: Time [0-9]+, Award: [0-9]+$' 90 || fail "no job in the first frames"
focus || fail "cannot focus the game's window"
# Without a window manager Wine draws the frame itself: the 1200 x 800
# drawing area is a child of the window xdotool finds.
CLIENT=$(xwininfo -children -id "$WID" | awk '/ 1200x800\+/ { print $1; exit }')
[ -n "$CLIENT" ] || fail "no 1200x800 drawing area in the game's window"
shot() { import -window "$CLIENT" "$WORK/$1.png" 2>/dev/null || fail "cannot take a screenshot"; echo "$WORK/$1.png"; }
[ "$(count_lines '^\*\*\*GLSL Linker Log:')" -eq 5 ] || fail "expected five program builds"
[ "$(count_lines '^Import of scene vito.obj succeeded\.$')" -eq 1 ] || fail "van not imported"
out_lines | grep -qiE "error|can't" && fail "an error line at start-up"

drive_changes_view
pause_shows_notice
[ -n "${TARVELLO_SHOTS:-}" ] && cp "$RUNNING" "$TARVELLO_SHOTS/wine-running.png" && cp "$PAUSED" "$TARVELLO_SHOTS/wine-paused.png"
key p

f5_rebuilds_city

key Escape
wait_exit 30 || fail "the game did not end on Escape"
[ "$GAME_EXIT" = 0 ] || fail "exit code $GAME_EXIT on Escape"
[ -s "$GAME_ERR" ] && fail "lines on the error stream"

start_game "$1"
find_window 2>/dev/null
wait_for '^new Job: Time ' 90 || fail "the second game did not start"
focus || fail "cannot focus the game's window"
key alt+F4
wait_exit 30 || fail "the game did not end when its window was closed"
[ "$GAME_EXIT" = 0 ] || fail "exit code $GAME_EXIT after closing the window"
[ -s "$GAME_ERR" ] && fail "lines on the error stream"
echo "Windows play test passed"
