#!/bin/bash
# Runs the real game on copies of its folder holding data files that were
# not made by the game's own tools: images from an image tool, OBJ files
# written by hand, shaders far longer or far worse than the shipped ones,
# damaged fonts, and the game started from elsewhere (it then uses its own
# folder) or from a read-only copy. Every case must end with the game's
# message for it and go on (or, for the font, "Cannot load font" and exit
# code 1): no signal, no hang, no console flood, no runaway memory, and the
# first job priced as usual.
# Usage: real_data_test.sh GAME_FOLDER MAKE_JPEG_TOOL GROUP
#   GROUP is textures, shaders, models or folders.
. "$(dirname "$0")/lib.sh"
GAME_DIR=$(cd "$1" && pwd)
MAKE_JPEG=$2
GROUP=$3
MAX_MEMORY_KB=$(( 1024 * 1024 ))

# fresh_copy: COPY becomes a new folder of links to the real game's files.
fresh_copy() {
    COPY=$(mktemp -d "$WORK/game-XXXXXX")
    mkdir -p "$COPY/Shaders" "$COPY/Textures"
    for f in "$GAME_DIR"/Shaders/* "$GAME_DIR"/Textures/*; do
        ln -s "$f" "$COPY/${f#"$GAME_DIR"/}"
    done
    ln -s "$GAME_DIR/tarvello" "$GAME_DIR/vito.obj" "$GAME_DIR/arial.glf" "$COPY/"
}

# own FILE: FILE in COPY may be written without touching the real game.
own() { rm -f "$COPY/$1"; echo "$COPY/$1"; }

# expect_line CASE PATTERN: the console has, or within 15 s gets, a line
# matching PATTERN (the first job comes in the first update, before the
# first frame is drawn and its messages are printed).
expect_line() {
    local deadline=$(( $(date +%s) + 15 ))
    until grep -qE "$2" "$GAME_OUT" "$GAME_ERR"; do
        [ "$(date +%s)" -le "$deadline" ] || fail "$1: no line matching $2"
        sleep 0.1
    done
}

# The first job is priced from the van's start point (30, 75) at the
# popularity of that moment (20, less a point per 10 s of a slow start),
# and no job ever has a negative time or award.
check_jobs() {
    local i j t a p dx dz d
    read -r i j < <(sed -nE '0,/^X: /s/^X: ([0-9]+), Y: ([0-9]+)$/\1 \2/p' "$GAME_OUT")
    read -r t a < <(sed -nE '0,/^new Job: /s/^new Job: Time ([0-9]+), Award: ([0-9]+)$/\1 \2/p' "$GAME_OUT")
    [ -n "${i:-}" ] && [ -n "${t:-}" ] || fail "$1: first job line: $(grep -m1 '^new Job' "$GAME_OUT")"
    p=$(sed -n '/^new Job: /q; s/^Highscore: 0 Popularity: \([0-9]*\)$/\1/p' "$GAME_OUT" | tail -n 1)
    p=${p:-20}
    dx=$(( 50 * i - 30 )); dz=$(( 50 * j - 75 ))
    d=$(( ${dx#-} + ${dz#-} ))
    [ "$t" -eq $(( (105 - p) * d / 200 )) ] && [ "$a" -eq $(( (p + 5) * d / 7 )) ] ||
        fail "$1: first job Time $t, Award $a for distance $d at popularity $p"
    grep -E '^new Job: ' "$GAME_OUT" | grep -qvE '^new Job: Time [0-9]+, Award: [0-9]+$' &&
        fail "$1: a job line out of range: $(grep -E '^new Job: ' "$GAME_OUT" | grep -vE 'Time [0-9]+, Award: [0-9]+$' | head -1)"
    return 0
}

# plays CASE PATTERN...: the game in COPY runs until its first job, says
# each PATTERN, stays quiet and small, and ends on Escape with code 0.
plays() {
    local name=$1 pattern lines now peak
    shift
    start_game "$COPY"
    wait_for '^new Job: Time ' 60 || { wait_exit 5; fail "$name: the game did not keep running (exit $GAME_EXIT)"; }
    for pattern in "$@"; do expect_line "$name" "$pattern"; done
    check_jobs "$name"
    lines=$(wc -l < "$GAME_OUT")
    sleep 2
    game_running || { wait_exit 5; fail "$name: the game stopped (exit $GAME_EXIT)"; }
    now=$(wc -l < "$GAME_OUT")
    [ $(( now - lines )) -lt 20 ] || fail "$name: $(( now - lines )) console lines in 2 s"
    [ "$(wc -l < "$GAME_ERR")" -lt 20 ] || fail "$name: error flood"
    peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$GAME_PID/status")
    [ "$peak" -lt "$MAX_MEMORY_KB" ] || fail "$name: $peak kB resident"
    find_window
    key Escape
    wait_exit 20 || fail "$name: did not end on Escape"
    [ "$GAME_EXIT" = 0 ] || fail "$name: exit code $GAME_EXIT"
    echo "$name: ok ($peak kB)"
}

# ends_on_font CASE PATTERN...: the game says each PATTERN and ends at its
# first draw with "Cannot load font" and code 1. START, if set, is the
# folder the game is started from.
ends_on_font() {
    local name=$1 pattern
    shift
    GAME_OUT="$WORK/out.txt"
    GAME_ERR="$WORK/err.txt"
    (cd "${START:-$COPY}" && exec "$COPY/tarvello" >"$GAME_OUT" 2>"$GAME_ERR") &
    GAME_PID=$!
    wait_exit 60 || fail "$name: the game hung instead of ending"
    [ "$GAME_EXIT" = 1 ] || fail "$name: exit code $GAME_EXIT, expected 1"
    [ "$(cat "$GAME_ERR")" = "Cannot load font" ] || fail "$name: error stream: $(head -c 300 "$GAME_ERR")"
    for pattern in "$@"; do expect_line "$name" "$pattern"; done
    echo "$name: ok"
}

# rchar: the bytes the game has read so far.
rchar() { awk '/^rchar:/ { print $2 }' "/proc/$GAME_PID/io"; }

images() {
    # One start, one odd image in place of each of ten textures.
    fresh_copy
    local t=Textures
    convert -size 64x48 gradient:red-blue "$(own $t/paving.jpg)"
    convert -size 64x48 gradient:red-blue -interlace JPEG "$(own $t/wall_3windows.jpg)"
    convert -size 64x48 gradient:red-blue -colorspace CMYK "$(own $t/oldhouse.jpg)"
    convert -size 300x200 gradient:white-black "$(own $t/street_straight_h.jpg)"
    convert -size 1x1 xc:gray "$(own $t/street_straight_v.jpg)"
    "$MAKE_JPEG" "$(own $t/street_cross.jpg)" 8000 8000 || fail "cannot make the large image"
    convert -size 64x48 gradient:red-blue "png:$(own $t/street_cross_1.jpg)"
    convert -size 256x256 gradient:red-blue "$WORK/whole.jpg"
    head -c "$(( $(stat -c %s "$WORK/whole.jpg") / 2 ))" "$WORK/whole.jpg" > "$(own $t/street_cross_2.jpg)"
    : > "$(own $t/street_cross_3.jpg)"
    mkdir "$(own $t/street_curve_1.jpg)"
    for f in paving wall_3windows oldhouse street_straight_h street_straight_v; do
        identify "$COPY/$t/$f.jpg" | grep -q ' JPEG ' || fail "$f.jpg was not written as a JPEG"
    done
    identify "$COPY/$t/oldhouse.jpg" | grep -q CMYK || fail "oldhouse.jpg is not CMYK"
    identify -verbose "$COPY/$t/wall_3windows.jpg" | grep -q 'Interlace: JPEG' || fail "not progressive"

    local refused="^ERROR: can't use Image Textures.street_cross.jpg: 8000 x 8000 pixels, more than [0-9]+ a side$"
    local unread="^ERROR: can't load Image Textures.street_c"
    plays "odd images" "$refused" "${unread}ross_1.jpg$" "${unread}ross_2.jpg$" "${unread}ross_3.jpg$" \
        "${unread}urve_1.jpg$"
    # The images that decode (colour, progressive, CMYK, 300 x 200, 1 x 1) say nothing.
    [ "$(grep -cE "^ERROR: can't" "$GAME_OUT")" -eq 5 ] || fail "odd images: $(grep -E "^ERROR" "$GAME_OUT")"
}

# A new texture filter builds the city again; the images decoded at start
# are not read again, the large one included.
rebuild_reads_nothing() {
    start_game "$COPY"
    wait_for '^new Job: Time ' 60 || fail "rebuild: the game did not keep running"
    find_window
    local before after large
    before=$(rchar)
    toggle F5
    # The directory is tried again by every build, as its last message;
    # F2 is then read in the frame after the one that built the city.
    await() {
        local deadline=$(( $(date +%s) + 30 ))
        until [ "$(grep -cE "$1" "$GAME_OUT")" -ge "$2" ]; do
            [ "$(date +%s)" -le "$deadline" ] && game_running || fail "rebuild: no $2 lines matching $1"
            sleep 0.1
        done
    }
    await "^ERROR: can't load Image Textures.street_curve_1.jpg$" 2
    toggled F5
    toggle F2
    await '^show/hide framerate$' 1
    after=$(rchar)
    large=$(stat -c %s "$COPY/Textures/street_cross.jpg")
    [ $(( after - before )) -lt $(( large / 2 )) ] ||
        fail "rebuild: read $(( after - before )) bytes again, the large image is $large"
    key Escape
    wait_exit 20 && [ "$GAME_EXIT" = 0 ] || fail "rebuild: exit $GAME_EXIT"
    # Counted once the game is gone: on a busy machine a rebuild frame can
    # outlast F5's half-second guard, and the tap's release then reads as a
    # second tap, so the builds are counted rather than assumed to be two.
    local builds
    builds=$(grep -c "^ERROR: can't load Image Textures.street_curve_1.jpg$" "$GAME_OUT")
    [ "$(grep -c "^ERROR: can't use Image Textures.street_cross.jpg" "$GAME_OUT")" -eq "$builds" ] ||
        fail "rebuild: the refusal is said once per build"
    echo "rebuild: ok (read $(( after - before )) bytes)"
}

shaders() {
    # The city's and the van's programs build but use none of the names the
    # drawing code asks for; the flat program's source is 2 MB long; the
    # unused font program has three thousand errors.
    fresh_copy
    local s=Shaders vertex fragment
    vertex='#version 330 compatibility\nin vec4 vVertex;\nvoid main() { gl_Position = vVertex; }\n'
    fragment='#version 330 compatibility\nout vec4 colour;\nvoid main() { colour = vec4(1.0); }\n'
    printf "$vertex" > "$(own $s/spotLightTex.vert)"
    printf "$fragment" > "$(own $s/spotLightTex.frag)"
    printf "$vertex" > "$(own $s/spotLight.vert)"
    printf "$fragment" > "$(own $s/spotLight.frag)"
    {
        cat "$GAME_DIR/$s/flat.vert"
        yes '// a line that only makes this source long; there is nothing else here' | head -c 2097152
        echo
    } > "$(own $s/flat.vert)"
    {
        echo '#version 330 compatibility'
        seq 3000 | sed 's/.*/float v& = undefined&;/'
        echo 'void main() {}'
    } > "$(own $s/fontShader.frag)"
    plays "shaders" '^Error: can.t find uniform variable "mvMatrix"$' '^Error: can.t find attribute "vNormal"$' \
        '^\*\*\*COMPILER ERROR \(Fragment Shader\):$' '^Error Loading, compiling or linking shader$'
    # Each program reports each missing name once: the city's program and
    # the van's two ask for mvMatrix.
    [ "$(grep -c '^Error: can.t find uniform variable "mvMatrix"$' "$GAME_OUT")" -eq 3 ] ||
        fail "shaders: mvMatrix reported $(grep -c 'variable "mvMatrix"' "$GAME_OUT") times"
    [ "$(grep -c '^\*\*\*GLSL Linker Log:' "$GAME_OUT")" -eq 4 ] || fail "shaders: four programs should build"
}

# model CASE PATTERN...: the game with the file $MODEL as vito.obj.
model() {
    local name=$1
    shift
    fresh_copy
    cp "$MODEL" "$(own vito.obj)"
    plays "$name" "$@"
}

models() {
    MODEL="$WORK/model.obj"
    local ok='^Import of scene vito.obj succeeded\.$'
    local refused='^Model vito.obj refused: vertex .* is not finite or lies more than 500 units from its origin$'
    objects() {
        awk -v n="$1" 'BEGIN { for (i = 0; i < n; i++) {
            printf "o part%d\nv %d 0 0\nv %d 0 -1\nv %d 1 0\nf %d %d %d\n", i, i % 3 - 1, i % 3, i % 3 - 1,
                3 * i + 1, 3 * i + 2, 3 * i + 3 } }'
    }
    objects 1 > "$MODEL"; model "one mesh" "$ok"
    objects 3 > "$MODEL"; model "three meshes" "$ok"
    objects 40 > "$MODEL"; model "forty meshes" "$ok"
    printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2\nl 2 3\n' > "$MODEL"; model "lines only" "$ok"
    printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\np 1\np 2 3\n' > "$MODEL"; model "points only" "$ok"
    printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 99\n' > "$MODEL"; model "missing vertices" '^OBJ: vertex index out of range$'
    printf 'mtllib nowhere.mtl\no a\nusemtl red\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n' > "$MODEL"; model "missing mtl" "$ok"
    printf 'o a\nv 0 0 0\nv nan 0 0\nv 0 1 0\nf 1 2 3\n' > "$MODEL"; model "NaN coordinates" "$ok" "$refused"
    # Far or infinite x and z: the chase camera once walked forever, and
    # the job prices went negative.
    printf 'v 1e7 0 1e7\nv 0 0 0\nv 1 0 0\nv 0 0 -1\nf 1 2 3\nf 2 3 4\n' > "$MODEL"; model "far vertex" "$ok" "$refused"
    printf 'v inf 0 0\nv 0 0 0\nv 1 0 0\nv 0 0 -1\nf 1 2 3\nf 2 3 4\n' > "$MODEL"; model "infinite x" "$ok" "$refused"
    printf 'v 1e38 0 0\nv 0 0 0\nv 1 0 0\nv 0 0 -1\nf 1 2 3\nf 2 3 4\n' > "$MODEL"; model "huge x" "$ok" "$refused"
    # Binary files, little-endian floats: 0 and 1 are these four bytes.
    local o='\x00\x00\x00\x00' l='\x00\x00\x80\x3f'
    {
        head -c 80 /dev/zero
        printf '\x02\x00\x00\x00'
        # Two triangles: a normal, three corners and two unused bytes each.
        printf "$o$o$l$o$o$o$l$o$o$o$l$o"'\x00\x00'
        printf "$o$o$l$l$o$o$l$l$o$o$l$o"'\x00\x00'
    } > "$MODEL"
    model "binary STL" "$ok"
    {
        printf 'ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\nproperty float y\n'
        printf 'property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n'
        printf "$o$o$o$l$o$o$o$l$o"
        printf '\x03\x00\x00\x00\x00\x01\x00\x00\x00\x02\x00\x00\x00'
    } > "$MODEL"
    model "binary PLY" '^OBJ: Invalid face index\.$'
    # About 50 MB: a million vertices in a 4 x 10 grid, half a million triangles.
    awk 'BEGIN { n = 1010; print "o big"
        for (i = 0; i < n; i++) for (j = 0; j < n; j++)
            printf "v %.5f %.5f %.5f\n", i * 0.004 - 2, (i * j % 7) * 0.01, j * 0.01 - 5
        for (i = 0; i < n - 1; i++) for (j = 0; j < n - 1; j += 2) {
            a = i * n + j + 1; printf "f %d %d %d\nf %d %d %d\n", a, a + 1, a + n, a + 1, a + n + 1, a + n } }' \
        > "$MODEL"
    [ "$(stat -c %s "$MODEL")" -gt 50000000 ] || fail "the large model is only $(stat -c %s "$MODEL") bytes"
    # The importer's post-processing holds the whole mesh several times over:
    # about 1 GB at the peak, measured.
    MAX_MEMORY_KB=$(( 2 * 1024 * 1024 )) model "50 MB model" "$ok"
}

folders() {
    fresh_copy
    local glf
    glf=$(own arial.glf)
    # Header fields are little-endian 32-bit: texWidth at 4, firstChar at 12.
    patch_glf() { cp "$GAME_DIR/arial.glf" "$glf"; printf "$2" | dd of="$glf" bs=1 seek="$1" conv=notrunc status=none; }
    patch_glf 4 '\xff\xff\xff\x7f'
    ends_on_font "font claiming a huge texture"
    patch_glf 4 '\x00\x20\x00\x00\x00\x20\x00\x00'
    ends_on_font "font claiming 8192 x 8192 texels it does not hold"
    patch_glf 12 '\xc8\x00\x00\x00'
    ends_on_font "font with an inverted range"

    # Directories where files should be: they open as streams but hold
    # nothing to read. The importer takes one for an empty scene.
    fresh_copy
    mkdir "$(own Shaders/flat.vert)" "$(own Shaders/spotLight.frag)" "$(own vito.obj)"
    plays "directories for files" "^error: can't load vertex shader!$" "^error: can't load fragment shader!$" \
        '^Error Loading, compiling or linking shader$' '^Import of scene vito.obj succeeded\.$'
    mkdir "$(own arial.glf)"
    ends_on_font "a directory for the font"

    # Started from a folder without data, the game uses its own folder (the
    # real game's, where the link leads) and says so.
    COPY="$WORK/elsewhere"
    mkdir "$COPY"
    ln -s "$GAME_DIR/tarvello" "$COPY/"
    plays "another working directory" \
        "^No game data in the working folder $(cd "$COPY" && pwd -P); using the game's own folder $(cd "$GAME_DIR" && pwd -P)$"
    # The checkout's root has a Shaders folder of sources but no font: the
    # game started there as ./build/game/tarvello uses its own folder.
    COPY=$(cd "$(dirname "$0")/../.." && pwd -P)
    run_game() { exec "$GAME_DIR/tarvello"; }
    plays "the checkout's root" \
        "^No game data in the working folder $COPY; using the game's own folder $(cd "$GAME_DIR" && pwd -P)$"
    run_game() { exec ./tarvello; }
    # With no data in either folder every missing file is reported, the
    # working folder is named, and the font ends the game.
    COPY="$WORK/alone"
    mkdir "$COPY"
    cp "$GAME_DIR/tarvello" "$COPY/"
    START="$WORK/elsewhere" ends_on_font "no data anywhere" "^error: can't load vertex shader!$" \
        "^ERROR: can't load Image Textures.paving.jpg$" "^Cannot open file vito.obj$" \
        "^No game data in the working folder $(cd "$WORK/elsewhere" && pwd -P) \\(looked for the file arial.glf\\)$"

    # A read-only copy of real files plays as usual and is left as it was.
    COPY="$WORK/read-only"
    mkdir "$COPY"
    cp -rL "$GAME_DIR/Shaders" "$GAME_DIR/Textures" "$GAME_DIR/tarvello" "$GAME_DIR/vito.obj" "$GAME_DIR/arial.glf" "$COPY/"
    chmod -R a-w "$COPY"
    listing() { find "$COPY" -printf '%P %y %s %m %T@\n' | sort; }
    local before
    before=$(listing)
    plays "read-only copy" '^Import of scene vito.obj succeeded\.$'
    grep -qiE "error|can't" "$GAME_OUT" && fail "read-only copy: $(grep -iE "error|can't" "$GAME_OUT" | head -1)"
    [ "$(listing)" = "$before" ] ||
        fail "read-only copy: the folder changed: $(diff <(echo "$before") <(listing) | head -5)"
    chmod -R u+w "$COPY"
}

start_x
case $GROUP in
textures) images; rebuild_reads_nothing ;;
shaders) shaders ;;
models) models ;;
folders) folders ;;
*) fail "unknown group $GROUP" ;;
esac
echo "real data test passed: $GROUP"
