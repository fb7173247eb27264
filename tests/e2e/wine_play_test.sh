#!/bin/bash
# Checks the resources of tarvello.exe (its icon, version and manifest),
# then plays it under Wine with real key events: start, the first job,
# driving, the pause notice, F5, Escape; then a second game, started from
# another folder, ended by closing its window (Alt+F4, which Windows turns
# into a close request); a third on a 1024 x 768 screen, minimised and
# restored; two on scaled displays (200 % on 2560 x 1600, 150 % on 1920 x
# 1080); a driver without OpenGL 3.3, and the game alone in a folder,
# whose missing font ends it, each ending with a message box.
# Usage: wine_play_test.sh GAME_FOLDER
# With TARVELLO_SHOTS set to a folder, the running and paused views are
# kept there for a person to look at.
# Wine's server and prefix are the ones scripts/windows set up; the game
# on the small screen gets a prefix of its own.
. "$(dirname "$0")/lib.sh"
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
WINE_RUN=$ROOT/scripts/wine-run

# GAME_EXE: the program run_game starts, by default the working folder's.
GAME_EXE=tarvello.exe
run_game() { exec "$WINE_RUN" "$GAME_EXE"; }

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

# game_crashed: Wine reported a crash on the game's output, which can come
# after the last frame and leave the exit code 0.
game_crashed() {
    cat "$GAME_OUT" "$GAME_ERR" | tr -d '\r' |
        grep -E 'Unhandled page fault|Unhandled exception|wine: .*starting debugger|wine: Call from .* to unimplemented function'
}

start_x
# The van is the exe's icon group, under the name GLFW gives its windows'
# class, so Explorer and the window show the same pictures; the version
# block carries the project's version; the manifest declares the DPI
# awareness the window's size relies on.
EXE="$1/tarvello.exe"
wrestool -l "$EXE" | grep -q "type=14 --name='GLFW_ICON'" || fail "no icon group GLFW_ICON in tarvello.exe"
wrestool -x -t14 -n GLFW_ICON "$EXE" >"$WORK/exe.ico"
sizes=$(icotool -l "$WORK/exe.ico" | grep -o 'width=[0-9]*' | tr '\n' ' ')
[[ $sizes == *"width=16 "* && $sizes == *"width=256 "* ]] || fail "the exe's icon has the sizes $sizes"
version=$(sed -n 's/^project(Tarvello VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
wrestool -x --raw -t16 "$EXE" | strings -el | grep -qx "$version" || fail "no version $version in tarvello.exe"
wrestool -x --raw -t24 "$EXE" | grep -q '<dpiAwareness.*PerMonitorV2' || fail "no per-monitor DPI awareness in the manifest"

start_game "$1"
find_window 2>/dev/null
wait_for '^new Job: Time [0-9]+, Award: [0-9]+$' 90 || fail "no job in the first frames"
focus || fail "cannot focus the game's window"
# Without a window manager Wine draws the frame itself: the 1200 x 800
# drawing area is a child of the window xdotool finds.
CLIENT=$(xwininfo -children -id "$WID" | awk '/ 1200x800\+/ { print $1; exit }')
[ -n "$CLIENT" ] || fail "no 1200x800 drawing area in the game's window"
shot() { import -quality 10 -window "$CLIENT" "$WORK/$1.png" 2>/dev/null || fail "cannot take a screenshot"; echo "$WORK/$1.png"; }
[ "$(count_lines '^\*\*\*GLSL Linker Log:')" -eq 5 ] || fail "expected five program builds"
[ "$(count_lines '^Import of scene vito.obj succeeded\.$')" -eq 1 ] || fail "van not imported"
out_lines | grep -qiE "error|can't" && fail "an error line at start-up"

xprop -id "$WID" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || fail "the window has no icon"
drive_changes_view
pause_shows_notice
SCORE_AT_96_DPI=$(white_only_in "$RUNNING" "$PAUSED")
[ -n "${TARVELLO_SHOTS:-}" ] && cp "$RUNNING" "$TARVELLO_SHOTS/wine-running.png" && cp "$PAUSED" "$TARVELLO_SHOTS/wine-paused.png"
toggle p
await_shot resumed 15 "the score lines, back after P" score_back "$PAUSED" 1200
toggled p

f5_rebuilds_city

key Escape
wait_exit 30 || fail "the game did not end on Escape"
game_crashed && fail "the game crashed inside Wine after Escape"
[ "$GAME_EXIT" = 0 ] || fail "exit code $GAME_EXIT on Escape"
[ -s "$GAME_ERR" ] && fail "lines on the error stream"

# Started from a folder without data (a shortcut with no "Start in"), the
# game uses its own folder and says so, naming it in UTF-8. Wine reads the
# Unix name in the locale's character set.
mkdir "$WORK/anderswo-Größe-Ωμέγα"
LC_ALL=C.UTF-8 GAME_EXE="$(cd "$1" && pwd)/tarvello.exe" start_game "$WORK/anderswo-Größe-Ωμέγα"
find_window 2>/dev/null
wait_for '^new Job: Time ' 90 || fail "the second game did not start"
out_lines | grep -qE '^No game data in the working folder .*\\anderswo-Größe-Ωμέγα; using the game.s own folder ' ||
    fail "the second game did not say that it uses its own folder"
focus || fail "cannot focus the game's window"
key alt+F4
wait_exit 30 || fail "the game did not end when its window was closed"
game_crashed && fail "the game crashed inside Wine after its window was closed"
[ "$GAME_EXIT" = 0 ] || fail "exit code $GAME_EXIT after closing the window"
[ -s "$GAME_ERR" ] && fail "lines on the error stream"

# A 1024 x 768 screen, on an X server of its own: Wine gives the window
# less room than the 1200 x 800 it asks for, and the picture and the text
# follow. Without a window manager Wine draws the frame; its minimise and
# restore buttons are 47 pixels left of the frame's right edge.
LARGE_DISPLAY=$DISPLAY
SHARED_PREFIX=${WINEPREFIX:-}
start_x_server 1024x768x24 || fail "the 1024 x 768 X server did not start"
x_answers || fail "the 1024 x 768 X server does not answer"
# Wine takes the screen's size from the first program of its session, so
# this game runs in a Wine prefix and session of its own, begun there.
export WINEPREFIX="$WORK/wine-small"
"$WINE_RUN" wineboot -i >/dev/null 2>&1 || true
"$WINE_RUN" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
    fail "cannot prepare the Wine prefix of the small screen"
start_game "$1"
find_window 2>/dev/null
wait_for '^new Job: Time ' 90 || fail "the game on the small screen did not start"
focus || fail "cannot focus the game's window on the small screen"
# client_area: CLIENT becomes the drawing area inside the frame, SIZE its WxH+X+Y.
client_area() {
    read -r CLIENT SIZE < <(xwininfo -children -id "$WID" |
        awk '{ for (i = 2; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+[0-9]+\+[0-9]+$/) { print $1, $i; exit } }')
}
client_area
IFS='x+' read -r width height _ <<<"$SIZE"
[ "${width:-1200}" -lt 1200 ] || fail "the window on the 1024 x 768 screen has ${SIZE:-nothing} to draw in"
# is_3_2 W H: W x H is 3:2 but for a few pixels of rounding.
is_3_2() { [ $(( 2 * $1 - 3 * $2 )) -ge -3 ] && [ $(( 2 * $1 - 3 * $2 )) -le 3 ]; }
eval "$(xdotool getwindowgeometry --shell "$WID")"
is_3_2 "$width" "$height" && [ "$Y" -ge 0 ] && [ $(( Y + HEIGHT )) -le 768 ] && [ $(( X - (1024 - X - WIDTH) )) -le 2 ] &&
    [ $(( (1024 - X - WIDTH) - X )) -le 2 ] ||
    fail "on the 1024 x 768 screen the frame is ${WIDTH}x$HEIGHT+$X+$Y, its drawing area $SIZE: not 3:2 in the middle"
hud_fits "$width" "$height"
frame_button() {
    eval "$(xdotool getwindowgeometry --shell "$WID")"
    xdotool mousemove $(( X + WIDTH - 47 )) $(( Y + 11 )) click 1
}
# restore: Wine has restored the window once its frame is wider than the
# drawing area again (minimised, it is a short title bar) and the drawing
# area shows.
restore() {
    frame_button
    for _ in $(seq 100); do
        client_area
        eval "$(xdotool getwindowgeometry --shell "$WID")"
        [ "$WIDTH" -gt "$width" ] && xwininfo -id "$CLIENT" 2>/dev/null | grep -q IsViewable && break
        sleep 0.1
    done
    [ "$WIDTH" -gt "$width" ] || fail "Wine did not restore the window from its title bar (10 s)"
    focus
}
minimising_pauses frame_button restore "$width" "$height"
key Escape
wait_exit 30 || fail "the game on the small screen did not end on Escape"
game_crashed && fail "the game on the small screen crashed inside Wine after Escape"
[ "$GAME_EXIT" = 0 ] || fail "exit code $GAME_EXIT on the small screen"
[ -s "$GAME_ERR" ] && fail "lines on the error stream on the small screen"

# Scaled displays, in the same prefix, each in a session of its own on a
# screen of its own (Wine reads the scale, LogPixels, as a session starts).
# The window asks for 1200 x 800 times the scale; where its frame does not
# fit the screen it keeps 3:2 and fits. The text grows with the picture.
scaled_game() {   # scaled_game SCREEN DPI: the game runs; width and height are its drawing area's, WIDTH and HEIGHT its frame's
    WINEDEBUG=-all wineserver -k >/dev/null 2>&1
    start_x_server "${1}x24" || fail "the $1 X server did not start"
    x_answers || fail "the $1 X server does not answer"
    "$WINE_RUN" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$2" /f >/dev/null 2>&1 ||
        fail "cannot set $2 DPI"
    start_game "$GAME_DIR"
    find_window 2>/dev/null
    wait_for '^new Job: Time ' 120 || fail "the game at $2 DPI did not start"
    focus || fail "cannot focus the game's window at $2 DPI"
    client_area
    IFS='x+' read -r width height _ <<<"$SIZE"
    eval "$(xdotool getwindowgeometry --shell "$WID")"
    echo "at $2 DPI on $1: the window is ${WIDTH}x$HEIGHT, its drawing area ${width}x$height"
}
end_scaled_game() {   # end_scaled_game DPI
    key Escape
    wait_exit 30 || fail "the game at $1 DPI did not end on Escape"
    game_crashed && fail "the game at $1 DPI crashed inside Wine after Escape"
    [ "$GAME_EXIT" = 0 ] || fail "exit code $GAME_EXIT at $1 DPI"
}
GAME_DIR=$1
scaled_game 2560x1600 192
[ "$HEIGHT" -eq 1600 ] && is_3_2 "$width" "$height" ||
    fail "at 200 % on 2560 x 1600 the frame does not fill the screen's height, or its drawing area is not 3:2"
hud_fits "$width" "$height"
hud_scaled "$SCORE_BOX" "$SCORE_AT_96_DPI" 2
end_scaled_game 192
scaled_game 1920x1080 144
[ "$WIDTH" -le 1920 ] && [ "$HEIGHT" -le 1080 ] && [ "$width" -gt 1200 ] && [ "$height" -gt 800 ] ||
    fail "at 150 % on 1920 x 1080 the window does not fit the screen or is not larger than 1200 x 800"
end_scaled_game 144
WINEDEBUG=-all wineserver -k >/dev/null 2>&1
if [ -n "$SHARED_PREFIX" ]; then export WINEPREFIX=$SHARED_PREFIX; else unset WINEPREFIX; fi
export DISPLAY=$LARGE_DISPLAY

# answer_box LINE: a message box titled Tarvello! shows (within 30 s), says
# LINE (as Wine's trace+msgbox shows) and waits for the player; closing it
# ends the game with code 1.
answer_box() {
    BOX=""
    for _ in $(seq 150); do
        for w in $(xdotool search --name '^Tarvello!$' 2>/dev/null); do
            xwininfo -id "$w" 2>/dev/null | grep -q 'IsViewable' || continue
            eval "$(xdotool getwindowgeometry --shell "$w")"
            [ "$WIDTH" -lt 600 ] && BOX=$w && break 2
        done
        game_running || break
        sleep 0.2
    done
    [ -n "$BOX" ] || fail "no message box titled Tarvello! appeared"
    game_running || fail "the game did not wait for the message box"
    [ "$(grep -c ":trace:msgbox:MSGBOX_OnInit L\"$1\"" "$GAME_ERR")" -eq 1 ] ||
        fail "the message box does not say \"$1\": $(grep ':trace:msgbox:' "$GAME_ERR" | head -3)"
    # Through the server to the focused box: sent to the box's window, the
    # key's release finds the box gone, and Wine closes the next box at once.
    xdotool windowfocus --sync "$BOX" 2>/dev/null
    key Return
    wait_exit 30 || fail "the game did not end when its message box was closed"
    game_crashed && fail "the game crashed inside Wine after its message box was closed"
    [ "$GAME_EXIT" = 1 ] || fail "exit code $GAME_EXIT after the message box \"$1\", expected 1"
}

# A driver without OpenGL 3.3 (Mesa told to offer 3.0): the player reads
# why in the box and on the console, after GLFW's own reason.
NO_3_3="OpenGL 3.3 not supported on your hardware."
MESA_GL_VERSION_OVERRIDE=3.0 WINEDEBUG=-all,trace+msgbox start_game "$1"
answer_box "$NO_3_3"
[ "$(out_lines)" = "$NO_3_3" ] || fail "without OpenGL 3.3 the game said $(out_lines)"
[ "$(grep -c '^GLFW: ' "$GAME_ERR")" -eq 1 ] || fail "GLFW's reason is not on the error stream once"

# The program alone, with no data in its folder either: every missing file
# is reported, the folder is named, and the missing font ends the game with
# its line in a message box that waits for the player.
mkdir "$WORK/alone"
cp "$1/tarvello.exe" "$WORK/alone/"
WINEDEBUG=-all,trace+msgbox start_game "$WORK/alone"
answer_box "Cannot load font"
[ "$(grep -v ':trace:' "$GAME_ERR" | tr -d '\r')" = "Cannot load font" ] || fail "error stream: $(head -c 300 "$GAME_ERR")"
out_lines | grep -qE '^No game data in the working folder .*\\alone \(looked for the file arial.glf\)$' ||
    fail "the working folder was not named"
for pattern in "^error: can't load vertex shader!$" "^ERROR: can't load Image Textures.paving.jpg$" "^Cannot open file vito.obj$"; do
    out_lines | grep -qE "$pattern" || fail "no line matching $pattern"
done
echo "Windows play test passed"
