#!/bin/bash
# Plays the Windows build (tarvello.exe) under Wine with real key events:
# start, the first job, driving, the pause notice, F5, Escape; then a
# second game ended by closing its window (Alt+F4, which Windows turns
# into a close request). Usage: wine_play_test.sh GAME_FOLDER
# Wine's server and prefix are the ones scripts/windows set up.
. "$(dirname "$0")/lib.sh"
WINE_RUN="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run"

start_game() {
    GAME_OUT="$WORK/out.txt"
    GAME_ERR="$WORK/err.txt"
    GAME_EXIT=""
    : >"$GAME_OUT"
    : >"$GAME_ERR"
    (cd "$1" && exec "$WINE_RUN" tarvello.exe >"$GAME_OUT" 2>"$GAME_ERR") &
    GAME_PID=$!
}

# The Windows runtime ends its lines with CR LF.
wait_for() {
    local deadline=$(( $(date +%s) + $2 ))
    while [ "$(date +%s)" -le "$deadline" ]; do
        tr -d '\r' <"$GAME_OUT" | grep -qE "$1" && return 0
        game_running || return 1
        sleep 0.2
    done
    return 1
}
count_lines() { tr -d '\r' <"$GAME_OUT" | grep -cE "$1" || true; }

# Wine maps its window a little after naming it: the focus is given again
# once the game runs.
focus() { xdotool windowfocus --sync "$WID" 2>/dev/null || xdotool windowfocus "$WID"; }

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
tr -d '\r' <"$GAME_OUT" | grep -qiE "error|can't" && fail "an error line at start-up"

# Holding Up drives the van: the view changes.
before=$(shot before)
hold Up 2
sleep 0.5
after=$(shot after)
changed=$(differ "$before" "$after")
awk "BEGIN { exit !($changed > 0.05) }" || fail "the view did not change while driving ($changed)"

# P shows the pause notice in the middle of the screen.
running=$(shot running)
key p
sleep 1
paused=$(shot paused)
notice_running=$(mean_in "$running" 380 28 560 440)
notice_paused=$(mean_in "$paused" 380 28 560 440)
awk "BEGIN { exit !($notice_paused > $notice_running + 0.02) }" || fail "no pause notice ($notice_paused)"
[ -n "${TARVELLO_SHOTS:-}" ] && cp "$running" "$TARVELLO_SHOTS/wine-running.png" && cp "$paused" "$TARVELLO_SHOTS/wine-paused.png"
key p

# F5 builds the city's two programs again.
programs=$(count_lines '^\*\*\*GLSL Linker Log:')
key F5
for _ in $(seq 100); do
    [ "$(count_lines '^\*\*\*GLSL Linker Log:')" -ge $(( programs + 2 )) ] && break
    sleep 0.2
done
[ "$(count_lines '^\*\*\*GLSL Linker Log:')" -ge $(( programs + 2 )) ] || fail "F5 did not rebuild the city"

key Escape
wait_exit 30 || fail "the game did not end on Escape"
[ "$GAME_EXIT" = 0 ] || fail "exit code $GAME_EXIT on Escape"
[ -s "$GAME_ERR" ] && fail "lines on the error stream"

start_game "$1"
find_window 2>/dev/null
wait_for '^new Job: Time ' 90 || fail "the second game did not start"
focus || fail "cannot focus the game's window"
xdotool key --window "$WID" alt+F4 || key alt+F4
wait_exit 30 || fail "the game did not end when its window was closed"
[ "$GAME_EXIT" = 0 ] || fail "exit code $GAME_EXIT after closing the window"
[ -s "$GAME_ERR" ] && fail "lines on the error stream"
echo "Windows play test passed"
