#!/bin/bash
# Plays the real game with real key events and checks what a player sees
# and what the console says.
# Usage: play_test.sh GAME_FOLDER WINDOW_STATE_TOOL [LAUNCHER]
# With a LAUNCHER (the package's), GAME_FOLDER is only the working folder.
. "$(dirname "$0")/lib.sh"
GAME_DIR=$1
WINDOW_STATE=$2
if [ $# -ge 3 ]; then
    LAUNCHER=$3
    run_game() { exec "$LAUNCHER"; }
fi

start_x
start_game "$GAME_DIR"
find_window

geometry=$(xdotool getwindowgeometry "$WID" | awk '/Geometry/ { print $2 }')
[ "$geometry" = "1200x800" ] || fail "window is $geometry, not 1200x800"
[ "$(xdotool getwindowname "$WID")" = "Tarvello!" ] || fail "window title"

wait_for '^new Job: Time ' 60 || fail "no job in the first frames"

# Start-up: five programs built, the van imported, every texture loaded.
[ "$(count_lines '^\*\*\*GLSL Linker Log:')" -eq 5 ] || fail "expected five program builds"
[ "$(count_lines '^Import of scene vito.obj succeeded\.$')" -eq 1 ] || fail "van not imported"
grep -qiE "error|can't" "$GAME_OUT" && fail "an error line at start-up"

# The first job is priced from the van's start point (30, 75) at popularity 20.
read -r i j < <(sed -nE '0,/^X: /s/^X: ([0-9]+), Y: ([0-9]+)$/\1 \2/p' "$GAME_OUT")
read -r t a < <(sed -nE '0,/^new Job: /s/^new Job: Time ([0-9]+), Award: ([0-9]+)$/\1 \2/p' "$GAME_OUT")
dx=$(( 50 * i - 30 )); dz=$(( 50 * j - 75 ))
d=$(( ${dx#-} + ${dz#-} ))
[ "$t" -eq $(( 85 * d / 200 )) ] || fail "first job time $t for distance $d"
[ "$a" -eq $(( 25 * d / 7 )) ] || fail "first job award $a for distance $d"
[ "$i" -ge 1 ] && [ "$i" -le 8 ] && [ "$j" -ge 1 ] && [ "$j" -le 8 ] || fail "job outside the streets: $i $j"

drive_changes_view

# P pauses: the score lines give way to the pause notice, and the rules stop.
pause_shows_notice
SCORE_AT_96_DPI=$(white_only_in "$RUNNING" "$PAUSED")
score_running=$(mean_in "$RUNNING" 150 40 8 8)
score_paused=$(mean_in "$PAUSED" 150 40 8 8)
awk "BEGIN { exit !($score_paused < $score_running) }" || fail "score still shown while paused"
rule_lines='^(X: |new Job|Zeit abgelaufen|Highscore: |Job delivered)'
lines_at_pause=$(count_lines "$rule_lines")
sleep 8
[ "$(count_lines "$rule_lines")" -eq "$lines_at_pause" ] || fail "the rules ran while paused"
toggle p
# Popularity 20 costs a point every 10 s of play; about 5 s were played.
wait_for '^Highscore: 0 Popularity: 19$' 15 || fail "the rules did not resume after the pause"
toggled p

# A screen smaller than the window: the picture and the text follow the
# room the window really has.
resize_window 900 600
hud_fits 900 600

# Minimised (the state a window manager gives), the game pauses and sleeps.
minimise() { "$WINDOW_STATE" "$WID" iconic; }
restore() { "$WINDOW_STATE" "$WID" normal; }
minimising_pauses minimise restore 900 600

# The debug toggles answer on the console.
toggle_says F2 '^show/hide framerate$'
toggle_says F3 '^show/hide wireframe mode$'
toggle_says F3 '^show/hide wireframe mode$'
f5_rebuilds_city
toggle_says F8 '^change frustrum mode close$'

key Escape
wait_exit 20 || fail "the game did not end on Escape"
[ "$GAME_EXIT" = 0 ] || fail "exit code $GAME_EXIT on Escape"
[ -s "$GAME_ERR" ] && fail "lines on the error stream"
# The package's game is the same program: the rest is left to the build's.
[ -n "${LAUNCHER:-}" ] && { echo "play test passed"; exit 0; }

# A driver without OpenGL 3.3 (Mesa told to offer 3.0): the player reads
# why, on the console and, started from the menu, in the launcher's dialog;
# GLFW's own reason goes to the error stream, once.
MESA_GL_VERSION_OVERRIDE=3.0 TARVELLO_FATAL_ERROR_FILE="$WORK/fatal.txt" start_game "$GAME_DIR"
wait_exit 20 || fail "the game without OpenGL 3.3 did not end"
[ "$GAME_EXIT" = 1 ] || fail "exit code $GAME_EXIT without OpenGL 3.3"
[ "$(out_lines)" = "OpenGL 3.3 not supported on your hardware." ] || fail "without OpenGL 3.3 the game said $(out_lines)"
cmp -s "$GAME_OUT" "$WORK/fatal.txt" || fail "the launcher's dialog would not show the line"
[ "$(grep -c '^GLFW: ' "$GAME_ERR")" -eq 1 ] || fail "GLFW's reason is not on the error stream once"

# game_on_screen WxH DPI: the game on an X server of its own, a W x H
# screen whose Xft.dpi is DPI, once its first job is out.
game_on_screen() {
    start_x_server "${1}x24" || fail "the $1 X server did not start"
    x_answers || fail "the $1 X server does not answer"
    echo "Xft.dpi: $2" | xrdb -merge || fail "cannot set Xft.dpi $2"
    start_game "$GAME_DIR"
    find_window
    wait_for '^new Job: Time ' 60 || fail "no job in the first frames on $1 at Xft.dpi $2"
}

# A 2560 x 1600 screen at 200 % (Xft.dpi 192), on an X server of its own:
# the window is twice 1200 x 800, its text twice as tall. A dock finds it
# by its class, which the desktop entry names, and shows its icon; the
# player may resize it, and the HUD stays whole at any size.
game_on_screen 2560x1600 192
geometry=$(xdotool getwindowgeometry "$WID" | awk '/Geometry/ { print $2 }')
[ "$geometry" = "2400x1600" ] || fail "window is $geometry at 192 DPI, not 2400x1600"
xprop -id "$WID" WM_NORMAL_HINTS | grep -q 'maximum size' && fail "the window's size hints do not allow resizing"
entry="$(dirname "$0")/../../packaging/tarvello.desktop"
class=$(sed -n 's/^StartupWMClass=//p' "$entry")
[ "$(xprop -id "$WID" WM_CLASS)" = "WM_CLASS(STRING) = \"$(basename "$entry" .desktop)\", \"$class\"" ] ||
    fail "$(xprop -id "$WID" WM_CLASS) does not name the desktop entry's $class"
icons=$(xprop -len 1000000 -id "$WID" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
for size in 16 256; do
    [[ $icons == *"($size x $size)"* ]] || fail "no $size x $size picture in the window's icon: $icons"
done
for size in 1600x1000 2400x1600; do
    resize_window "${size%x*}" "${size#*x}"
    hud_fits "${size%x*}" "${size#*x}"
done
hud_scaled "$SCORE_BOX" "$SCORE_AT_96_DPI" 2
key Escape
wait_exit 20 || fail "the game at 192 DPI did not end on Escape"
[ "$GAME_EXIT" = 0 ] || fail "exit code $GAME_EXIT on Escape at 192 DPI"

# A 1280 x 720 screen whose Xft.dpi is no number: the scale counts as 1,
# the window fits the screen at 3:2, in its middle, and the game plays. Made
# 16:9, the window shows the text as the 3:2 window of its height does.
game_on_screen 1280x720 abc
placed=$(xdotool getwindowgeometry "$WID" | awk '/Position|Geometry/ { printf "%s ", $2 }')
[ "$placed" = "100,0 1080x720 " ] || fail "on the 1280 x 720 screen the window is at ${placed:-no place}, not 1080x720 in the middle"
drive_changes_view
hud_fits 1080 720
IFS='x+' read -r w0 h0 _ <<<"$SCORE_BOX"
xdotool windowmove "$WID" 0 0
resize_window 1280 720
hud_fits 1280 720
IFS='x+' read -r w h _ <<<"$SCORE_BOX"
[ $(( (w - w0) * (w - w0) + (h - h0) * (h - h0) )) -le 4 ] ||
    fail "the score is ${w}x$h pixels in the 16:9 window, ${w0}x$h0 in the 3:2 one of the same height"
key Escape
wait_exit 20 || fail "the game on the 1280 x 720 screen did not end on Escape"
[ "$GAME_EXIT" = 0 ] || fail "exit code $GAME_EXIT on the 1280 x 720 screen"
[ -s "$GAME_ERR" ] && fail "lines on the error stream on the 1280 x 720 screen"
echo "play test passed"
