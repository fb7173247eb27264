#!/bin/bash
# Runs the real game on copies of its folder in which one data file is
# missing, empty, truncated or garbage. Each case must print the expected
# message and go on running (the font ends the game at its first draw with
# "Cannot load font"), and none may end in a signal, hang, or flood the
# console.
# Usage: bad_data_test.sh GAME_FOLDER DAMAGE_TOOL FILE MISSING EMPTY TRUNCATED GARBAGE
#   The last four say what the console must show for each kind of damage:
#   patterns joined by "&&" that must all appear, or "font" for the font
#   file's specified end.
. "$(dirname "$0")/lib.sh"
GAME_DIR=$(cd "$1" && pwd)
DAMAGE=$2
TARGET=$3
declare -A EXPECTED=([missing]=$4 [empty]=$5 [truncated]=$6 [garbage]=$7)

expect_lines() {
    local rest=$1 pattern
    while [ -n "$rest" ]; do
        pattern=${rest%%&&*}
        [ "$pattern" = "$rest" ] && rest="" || rest=${rest#*&&}
        grep -qE "$pattern" "$GAME_OUT" "$GAME_ERR" || fail "$kind $TARGET: no line matching $pattern"
    done
}

start_x
for kind in missing empty truncated garbage; do
    copy="$WORK/game-$kind"
    mkdir -p "$copy/Shaders" "$copy/Textures"
    for f in "$GAME_DIR"/Shaders/* "$GAME_DIR"/Textures/*; do
        ln -s "$f" "$copy/${f#"$GAME_DIR"/}"
    done
    # The program is copied: through a link it would find its real folder,
    # which has the font a missing-font case takes away, and play there.
    cp "$GAME_DIR/tarvello" "$copy/"
    ln -s "$GAME_DIR/vito.obj" "$GAME_DIR/arial.glf" "$copy/"
    "$DAMAGE" "$copy/$TARGET" "$kind" || fail "cannot damage $TARGET"

    start_game "$copy"
    if [ "${EXPECTED[$kind]}" = font ]; then
        wait_exit 60 || fail "$kind $TARGET: the game hung instead of ending"
        [ "$GAME_EXIT" = 1 ] || fail "$kind $TARGET: exit code $GAME_EXIT, expected 1"
        [ "$(cat "$GAME_ERR")" = "Cannot load font" ] || fail "$kind $TARGET: error stream: $(head -c 300 "$GAME_ERR")"
    else
        find_window
        wait_for '^new Job: Time ' 60 || fail "$kind $TARGET: the game did not keep running"
        expect_lines "${EXPECTED[$kind]}"
        lines=$(wc -l < "$GAME_OUT")
        sleep 2
        game_running || fail "$kind $TARGET: the game stopped"
        now=$(wc -l < "$GAME_OUT")
        [ $(( now - lines )) -lt 20 ] || fail "$kind $TARGET: $(( now - lines )) console lines in 2 s"
        [ "$(wc -l < "$GAME_ERR")" -lt 20 ] || fail "$kind $TARGET: error flood"
        key Escape
        wait_exit 20 || fail "$kind $TARGET: did not end on Escape"
        [ "$GAME_EXIT" = 0 ] || fail "$kind $TARGET: exit code $GAME_EXIT"
    fi
    echo "$kind $TARGET: ok"
done
echo "bad data test passed for $TARGET"
