# Shared steps of the end-to-end tests: a private X server, the real game
# binary started from a game folder, real key events through xdotool, and
# screenshots of the game's window. Every wait is bounded.

set -u

fail() {
    echo "FAILED: $*"
    [ -n "${GAME_OUT:-}" ] && [ -f "$GAME_OUT" ] && { echo "--- game stdout (last lines)"; tail -n 20 "$GAME_OUT"; }
    [ -n "${GAME_ERR:-}" ] && [ -f "$GAME_ERR" ] && { echo "--- game stderr"; head -n 20 "$GAME_ERR"; }
    exit 1
}

. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/x-server.sh"

# start_x [SCREEN]: uses the X server the tests run under (scripts/test
# starts one), or starts a private one when there is none or a SCREEN size
# (such as 1024x768x24) is asked for. The end-to-end tests take turns on a
# shared server (they move the keyboard focus), which ctest arranges.
start_x() {
    WORK=$(mktemp -d /tmp/tarvello-e2e-XXXXXX)
    trap cleanup EXIT
    if [ -n "${1:-}" ] || [ -z "${DISPLAY:-}" ] || ! x_answers; then
        start_x_server "${1:-1280x1024x24}" || fail "Xvfb did not start"
        x_answers || fail "Xvfb on $DISPLAY does not answer"
    fi
    hold_x_open
}

# x_answers: waits up to 10 s until the X server takes a connection.
x_answers() {
    for _ in $(seq 50); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    return 1
}

# hold_x_open: keeps one connection to the X server open for the test (at
# most 15 minutes). A server started without -noreset resets whenever its
# last client leaves, and a game that connects during that reset fails to
# open its window; with this client there, the server never runs out of
# clients between the games of a test.
hold_x_open() {
    xdotool sleep 900 2>/dev/null &
    KEEPER_PID=$!
    # xdotool connects before it sleeps: its socket shows it connected.
    for _ in $(seq 100); do
        kill -0 "$KEEPER_PID" 2>/dev/null || break
        ls -l "/proc/$KEEPER_PID/fd" 2>/dev/null | grep -q 'socket:' && return 0
        sleep 0.1
    done
    fail "cannot hold a connection to the X server on $DISPLAY (the keeping client never connected)"
}

cleanup() {
    [ -n "${GAME_PID:-}" ] && kill -9 "$GAME_PID" 2>/dev/null
    [ -n "${KEEPER_PID:-}" ] && kill "$KEEPER_PID" 2>/dev/null
    stop_x_server
    [ -n "${WORK:-}" ] && rm -rf "$WORK"
}

# run_game: the game's command in its folder (the Windows test runs it under Wine).
run_game() { exec ./tarvello; }

# start_game FOLDER: runs the game in FOLDER; sets GAME_PID, GAME_OUT, GAME_ERR.
start_game() {
    GAME_OUT="$WORK/out.txt"
    GAME_ERR="$WORK/err.txt"
    GAME_EXIT=""
    # Emptied here, not by the game's redirection, which runs later in the
    # background: a wait must never read the previous game's lines.
    : >"$GAME_OUT"
    : >"$GAME_ERR"
    FIRST_UPDATE_SEEN=""
    TOGGLE_SEEN=()
    (cd "$1" && run_game >"$GAME_OUT" 2>"$GAME_ERR") &
    GAME_PID=$!
}

# out_lines: the game's stdout so far, without the CR of Windows' line ends.
out_lines() { tr -d '\r' <"$GAME_OUT" 2>/dev/null; }

# wait_for PATTERN SECONDS: waits until the game's stdout has a line matching PATTERN.
wait_for() {
    local deadline=$(( $(date +%s) + $2 ))
    while [ "$(date +%s)" -le "$deadline" ]; do
        out_lines | grep -qE "$1" && return 0
        game_running || return 1
        sleep 0.2
    done
    return 1
}

game_running() { kill -0 "$GAME_PID" 2>/dev/null; }

# find_window: sets WID to the game's window once it shows, waiting up to
# 20 s (the game names its window before it shows it). A search can fail
# while other clients' windows come and go, so it is repeated.
find_window() {
    WID=""
    for _ in $(seq 100); do
        WID=$(xdotool search --onlyvisible --name '^Tarvello!$' 2>>"$WORK/xdotool.txt" | head -n 1)
        [ -n "$WID" ] || WID=$(xdotool search --onlyvisible --pid "$GAME_PID" 2>>"$WORK/xdotool.txt" | head -n 1)
        [ -n "$WID" ] && break
        game_running || break
        sleep 0.2
    done
    if [ -z "$WID" ]; then
        echo "--- xdotool said:"; tail -n 5 "$WORK/xdotool.txt"
        fail "no window titled Tarvello! appeared"
    fi
    # No window manager runs here: focus the window directly.
    xdotool windowfocus --sync "$WID" 2>/dev/null || xdotool windowfocus "$WID"
}

key() { xdotool key --delay 60 "$@"; }
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }

# now: the wall clock in seconds, to the nanosecond; the game's clock runs with it.
now() { date +%s.%N; }

# The toggle keys (P, F2, F3, F5, F6, F8) act only once their own timer has
# grown past half a second of game time; the timers start with the game's
# set-up and restart whenever their key acts. The game's first update
# prints its first job, so half a second after the test saw that line, or
# saw the key's last action, the game reads the key with its timer past the
# guard. TOGGLE_SEEN[KEY] is when that action was seen, or "sent" until it
# is; FIRST_UPDATE_SEEN is when the first job and a drawn picture were.
declare -A TOGGLE_SEEN
FIRST_UPDATE_SEEN=""

# toggle KEY: sends the toggle KEY as soon as the game takes it. The caller
# then waits for what it does and calls toggled KEY. Press and release go
# together: a press and a release read in different frames count as two
# taps, and the second acts when a frame outlasts the guard.
toggle() {
    local from=${TOGGLE_SEEN[$1]:-} wait
    [ "$from" != sent ] || fail "test error: $1 sent again before its last press was seen to act"
    if [ -z "$FIRST_UPDATE_SEEN" ]; then
        wait_for '^new Job: ' 60 || fail "the game's first update (its first job) never came, so $1 cannot act"
        picture before-first-toggle
        FIRST_UPDATE_SEEN=$(now)
    fi
    from=${from:-$FIRST_UPDATE_SEEN}
    wait=$(awk -v from="$from" -v now="$(now)" 'BEGIN { d = from + 0.5 - now; print (d > 0 ? d : 0) }')
    sleep "$wait"
    xdotool key --delay 0 "$1"
    TOGGLE_SEEN[$1]=sent
}

# toggled KEY: the test has seen KEY act.
toggled() { TOGGLE_SEEN[$1]=$(now); }

# toggle_says KEY PATTERN: the toggle KEY acts and prints one more line
# matching PATTERN (within 20 s).
toggle_says() {
    local lines
    lines=$(count_lines "$2")
    toggle "$1"
    for _ in $(seq 200); do
        [ "$(count_lines "$2")" -gt "$lines" ] && { toggled "$1"; return 0; }
        game_running || break
        sleep 0.1
    done
    fail "$1 did not print a line matching $2"
}

# wait_exit SECONDS: waits for the game to end; sets GAME_EXIT (128+N for a signal).
wait_exit() {
    local deadline=$(( $(date +%s) + $1 ))
    while game_running && [ "$(date +%s)" -le "$deadline" ]; do sleep 0.1; done
    if game_running; then
        GAME_EXIT="hang"
        kill -9 "$GAME_PID" 2>/dev/null
        wait "$GAME_PID" 2>/dev/null
        return 1
    fi
    wait "$GAME_PID"
    GAME_EXIT=$?
    GAME_PID=""
    return 0
}

# shot NAME: a PNG of the game's window, quickly packed (zlib level 1): a
# large window's shot takes a third of the time.
shot() { import -quality 10 -window "$WID" "$WORK/$1.png" 2>/dev/null || fail "cannot take a screenshot"; echo "$WORK/$1.png"; }

# pictured PNG: the shot holds a drawn picture. A window the game has not
# drawn yet shows one colour (black or its background), or Xvfb's root
# pattern of two, which the scaling averages into one.
pictured() { [ "$(convert "$1" -scale 25% -format %k info: 2>/dev/null || echo 0)" -gt 32 ]; }

# await_shot NAME SECONDS STATE CHECK [ARG...]: takes shots of the window
# until CHECK ARG... PNG holds for one; SHOT is that shot. STATE names what
# never showed when SECONDS run out.
await_shot() {
    local name=$1 seconds=$2 state=$3 deadline
    shift 3
    deadline=$(( $(date +%s) + seconds ))
    while :; do
        SHOT=$(shot "$name")
        "$@" "$SHOT" && return 0
        [ "$(date +%s)" -lt "$deadline" ] && game_running || fail "$state never showed in the window (shot $name, $seconds s)"
        sleep 0.2
    done
}

# picture NAME: PICTURE becomes a shot that holds a drawn picture (within
# 30 s: the first frame of a large window may take seconds).
picture() {
    await_shot "$1" 30 "a drawn picture" pictured
    PICTURE=$SHOT
}

# score_gone PNG: a drawn picture without the score lines in its top-left
# corner: the game is paused or over, and drew since.
score_gone() {
    local w h
    pictured "$1" || return 1
    read -r w h < <(identify -format '%w %h' "$1")
    [ "$(convert "$1" -crop "$(( w / 4 ))x$(( h / 8 ))+0+0" +repage -negate -grayscale Brightness \
        -threshold 10% -negate -format '%[fx:maxima]' info:)" = 0 ]
}

# mean_in PNG W H X Y: the mean brightness (0..1) of a region.
mean_in() { convert "$1" -crop "${2}x${3}+${4}+${5}" +repage -colorspace Gray -format "%[fx:mean]" info:; }

# differ A B: the share of pixels that differ between two shots.
differ() { compare -metric AE -fuzz 8% "$1" "$2" null: 2>&1 | awk '{ print $1 / (1200 * 800) }'; }

count_lines() { out_lines | grep -cE "$1" || true; }

# drive_changes_view: holding Up drives the van, and the view changes.
drive_changes_view() {
    local before
    picture before
    before=$PICTURE
    hold Up 2
    moved() { pictured "$1" && awk "BEGIN { exit !($(differ "$before" "$1") > 0.05) }"; }
    await_shot after 15 "a view changed by driving (more than 5 % of its pixels)" moved
}

# f5_rebuilds_city: F5 builds the city's two programs again.
f5_rebuilds_city() {
    local programs
    programs=$(count_lines '^\*\*\*GLSL Linker Log:')
    toggle F5
    for _ in $(seq 100); do
        [ "$(count_lines '^\*\*\*GLSL Linker Log:')" -ge $(( programs + 2 )) ] && { toggled F5; return 0; }
        sleep 0.2
    done
    fail "F5 did not rebuild the city"
}

# pause_shows_notice: P pauses and the notice lights the middle of the
# 1200 x 800 view; RUNNING and PAUSED are the shots before and after.
pause_shows_notice() {
    local before
    picture running
    RUNNING=$PICTURE
    before=$(mean_in "$RUNNING" 380 28 560 440)
    toggle p
    lit() { pictured "$1" && awk "BEGIN { exit !($(mean_in "$1" 380 28 560 440) > $before + 0.02) }"; }
    await_shot paused 15 "the pause notice (the middle of the view lit)" lit
    toggled p
    PAUSED=$SHOT
}

# score_back PAUSED W PNG: PNG is a drawn picture with white text wider than
# W/16, the score lines, that the paused shot PAUSED lacks; SCORE_BOX is its box.
score_back() { pictured "$3" && SCORE_BOX=$(white_only_in "$3" "$1") && [ "${SCORE_BOX%%x*}" -gt $(( $2 / 16 )) ]; }

# resize_window W H: resizes the game's window from outside, as a player
# may, and waits (up to 10 s) until the X server has it at W x H.
resize_window() {
    xdotool windowsize "$WID" "$1" "$2"
    for _ in $(seq 100); do
        [ "$(xdotool getwindowgeometry "$WID" | awk '/Geometry/ { print $2 }')" = "${1}x$2" ] && return 0
        sleep 0.1
    done
    fail "the window never became ${1}x$2"
}

# white_only_in A B: the box (WxH+X+Y) around the white pixels (every
# channel at least 90 %) of shot A that are not white in shot B: the text
# shown in one state of the game and not in the other. An empty box is
# 0x0. The brightest channel of the negative is one less the darkest.
white_only_in() {
    convert \( "$1" -negate -grayscale Brightness \) \( "$2" -negate -grayscale Brightness \) \
        -threshold 10% -negate -compose minus_src -composite -format '%@' info: 2>/dev/null
}

# inside NAME BOX W H: the box holds text and is clear of every edge of a
# W x H window, so no part of the text was cut off.
inside() {
    local w h x y
    IFS='x+' read -r w h x y <<<"$2"
    [ "$w" -gt 20 ] && [ "$x" -gt 0 ] && [ "$y" -gt 0 ] && [ $(( x + w )) -lt "$3" ] && [ $(( y + h )) -lt "$4" ] ||
        fail "$1 is not wholly inside the ${3}x$4 window (its box: $2)"
}

# hud_fits W H: in a window that shows W x H pixels, the score lines and
# the pause notice are wholly inside it; SCORE_BOX is the score's box. The
# game runs; P is pressed twice. Each shot waits (at most 15 s) for the
# state that P brings: a large window on the software renderer may take a
# second a frame. Both shots are drawn after a P the game read, so at the
# window's present size, and each is the other's reference: a shot taken
# before them may still show a frame of the window's former size. The
# score is a tenth of the window wide.
hud_fits() {
    local paused running notice
    toggle p
    await_shot hud-paused 15 "a paused view (a picture without the score lines)" score_gone
    toggled p
    paused=$SHOT
    toggle p
    await_shot hud-running 15 "the score lines, back after the second P" score_back "$paused" "$1"
    toggled p
    running=$SHOT
    notice=$(white_only_in "$paused" "$running")
    inside "the score" "$SCORE_BOX" "$1" "$2"
    inside "the pause notice" "$notice" "$1" "$2"
}

# hud_scaled BOX REFERENCE FACTOR: the score's box is FACTOR times as tall
# as its REFERENCE box (within 5 %), as its lines are on a display scaled so.
hud_scaled() {
    local h r
    IFS='x+' read -r _ h _ <<<"$1"
    IFS='x+' read -r _ r _ <<<"$2"
    awk "BEGIN { exit !(${h:-0} >= 0.95 * $3 * ${r:-1} && ${h:-0} <= 1.05 * $3 * ${r:-1}) }" ||
        fail "the score is ${h:-no} pixels tall, not $3 times the ${r:-?} at 96 DPI"
}

# ticks: the processor time the game has used so far, in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$GAME_PID/stat"; }

# minimising_pauses MINIMISE RESTORE W H: minimised by the command
# MINIMISE, the game pauses as P does and sleeps until the command RESTORE
# brings its W x H window back: no rule runs, the processor is idle, the
# pause notice shows wholly inside the window, and only P resumes.
minimising_pauses() {
    local busy idle running lines rules='^(X: |new Job|Zeit abgelaufen|Highscore: |Job delivered)'
    busy=$(ticks); sleep 2; busy=$(( $(ticks) - busy ))
    picture before-minimised
    running=$PICTURE
    $1 || fail "cannot minimise the window"
    # The game has taken the minimising once it uses the processor at a
    # tenth of its running rate or less, as it must while minimised.
    for _ in $(seq 50); do
        idle=$(ticks); sleep 0.2
        [ $(( ($(ticks) - idle) * 100 )) -le "$busy" ] && break
        idle=""
    done
    [ -n "$idle" ] || fail "minimised, the game never stopped using the processor (10 s)"
    lines=$(count_lines "$rules")
    idle=$(ticks); sleep 2; idle=$(( $(ticks) - idle ))
    [ $(( idle * 10 )) -le "$busy" ] || fail "minimised, the game used $idle processor ticks in 2 s, running $busy"
    # At popularity 18 to 20 a point is lost every 10 to 11 s of play.
    sleep 10
    $2 || fail "cannot restore the window"
    await_shot restored 15 "the paused view after restoring (a picture without the score lines)" score_gone
    inside "the pause notice after minimising" "$(white_only_in "$SHOT" "$running")" "$3" "$4"
    [ "$(count_lines "$rules")" -eq "$lines" ] || fail "the rules ran while minimised or after"
    toggle p
    for _ in $(seq 75); do
        [ "$(count_lines "$rules")" -gt "$lines" ] && { toggled p; return 0; }
        sleep 0.2
    done
    fail "P did not resume the rules after minimising"
}
