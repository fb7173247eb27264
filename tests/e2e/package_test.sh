#!/bin/bash
# Builds the Debian package from the release build and checks it: the same
# build writes the same bytes, lintian finds no error, the files lie in the
# layout of Debian's games, the dependencies come from the binary, and the
# game of the unpacked package, started through its launcher from another
# working folder, plays.
# Usage: package_test.sh BUILD_DIR VERSION WINDOW_STATE_TOOL
set -u
BUILD=$1
VERSION=$2
WINDOW_STATE=$3
HERE=$(cd "$(dirname "$0")" && pwd)
TMP=$(mktemp -d /tmp/tarvello-package-XXXXXX)
# The package written again goes to tmpfs when there is one.
AGAIN=$(mktemp -d /dev/shm/tarvello-package-XXXXXX 2>/dev/null || mktemp -d "$TMP/again-XXXXXX")
trap 'stop_x_server; rm -rf "$TMP" "$AGAIN"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
# The game started from the menu and its dialog need an X server: the one
# DISPLAY names, or one of this test's own.
. "$HERE/../../scripts/x-server.sh"
[ -n "${DISPLAY:-}" ] || start_x_server 1280x1024x24 || fail "Xvfb did not start"

cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$TMP/out" >"$TMP/cpack.txt" 2>&1 || { cat "$TMP/cpack.txt"; fail "cpack"; }
DEB=$TMP/out/tarvello_${VERSION}_amd64.deb
[ -f "$DEB" ] || { cat "$TMP/cpack.txt"; fail "no $(basename "$DEB")"; }

# The same bytes again under another umask, time zone, locale and folder;
# no build path in the unstripped binary (its build ID covers its debug
# information).
(umask 077; export TZ=Pacific/Auckland LC_ALL=C.UTF-8
    cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$AGAIN") >"$TMP/cpack.txt" 2>&1 || { cat "$TMP/cpack.txt"; fail "cpack again"; }
cmp "$DEB" "$AGAIN/$(basename "$DEB")" || fail "the package written again differs"
strings -a "$BUILD/game/tarvello" | grep -F -e "$(cd "$HERE/../.." && pwd)" -e "$BUILD" && fail "a build path in the binary"

# Errors fail; warnings are shown (the intended ones are listed in docs/building.md).
status=0
lintian --tag-display-limit 0 "$DEB" >"$TMP/lintian.txt" 2>&1 || status=$?
cat "$TMP/lintian.txt"
grep -q '^E: ' "$TMP/lintian.txt" && fail "lintian reports errors"
[ $status -eq 0 ] || fail "lintian ended with $status"

# Every file under /usr, owned by root, in the games layout.
dpkg-deb --contents "$DEB" >"$TMP/contents.txt" || fail "dpkg-deb --contents"
awk '{ print $6 }' "$TMP/contents.txt" | grep -v '^\./usr/' | grep -v '^\./$' && fail "files outside /usr"
awk '$2 != "root/root"' "$TMP/contents.txt" | grep . && fail "files not owned by root"
expect() {   # expect MODE PATH: PATH is in the package with MODE
    awk -v mode="$1" -v path="./$2" '$1 == mode && $6 == path { found = 1 } END { exit !found }' "$TMP/contents.txt" ||
        fail "no $2 with mode $1 in the package"
}
expect -rwxr-xr-x usr/games/tarvello
expect -rwxr-xr-x usr/lib/games/tarvello/tarvello
for file in Shaders/flat.vert Shaders/spotLightTex.frag Textures/street_cross.jpg vito.obj arial.glf; do
    expect -rw-r--r-- "usr/share/games/tarvello/$file"
done
shipped=$(grep -c '\./usr/share/games/tarvello/Textures/.*\.jpg$' "$TMP/contents.txt")
built=$(ls "$BUILD"/game/Textures/*.jpg | wc -l)
[ "$shipped" -eq "$built" ] || fail "$shipped textures shipped, $built built"
expect -rw-r--r-- usr/share/applications/tarvello.desktop
for icon in "$BUILD"/icons/*/tarvello.png; do
    size=$(basename "$(dirname "$icon")")
    expect -rw-r--r-- "usr/share/icons/hicolor/${size}x$size/apps/tarvello.png"
done
expect -rw-r--r-- usr/share/doc/tarvello/copyright
expect -rw-r--r-- usr/share/doc/tarvello/changelog.gz
grep -q 'test-output' "$TMP/contents.txt" && fail "the tests' output is in the package"

# The control file: the project's version, and libraries read from the binary,
# none of them a development package.
[ "$(dpkg-deb -f "$DEB" Version)" = "$VERSION" ] || fail "version $(dpkg-deb -f "$DEB" Version)"
depends=$(dpkg-deb -f "$DEB" Depends)
echo "Depends: $depends"
echo "$depends" | grep -q 'libc6 (>=' || fail "libc6 not among the dependencies"
echo "$depends" | grep -qE -- '-dev\b|cmake|g\+\+' && fail "a build-only package among the dependencies"

# The unpacked tree, played from an empty working folder.
dpkg-deb -x "$DEB" "$TMP/tree" || fail "dpkg-deb -x"
identify -format '%m %wx%h\n' "$TMP/tree/usr/share/icons/hicolor/128x128/apps/tarvello.png" | grep -qx 'PNG 128x128' ||
    fail "the icon is not a 128 x 128 PNG"
mkdir "$TMP/elsewhere"
bash "$HERE/play_test.sh" "$TMP/elsewhere" "$WINDOW_STATE" "$TMP/tree/usr/games/tarvello" || fail "the unpacked package's game"
[ -z "$(ls -A "$TMP/elsewhere")" ] || fail "the game wrote into the working folder"

# Started from the menu (no terminal) without its font, the game ends with
# code 1 and its line shows in a dialog titled "Tarvello!" until the player
# closes it. The desktop here has xmessage only; its window keeps the line
# in WM_COMMAND.
rm "$TMP/tree/usr/share/games/tarvello/arial.glf"
mkdir "$TMP/menu-path"
for tool in cat dirname mkfifo mktemp readlink rm xmessage; do ln -s "$(command -v "$tool")" "$TMP/menu-path/"; done
status=0
timeout 60 env PATH="$TMP/menu-path" "$TMP/tree/usr/games/tarvello" </dev/null >"$TMP/menu-out.txt" 2>"$TMP/menu-err.txt" || status=$?
[ "$status" = 1 ] && [ "$(cat "$TMP/menu-err.txt")" = "Cannot load font" ] ||
    fail "from the menu without the font: exit code $status, error stream: $(head -c 300 "$TMP/menu-err.txt")"
dialog=""
for _ in $(seq 100); do
    for w in $(xdotool search --name '^Tarvello!$' 2>/dev/null); do
        xprop -id "$w" WM_COMMAND 2>/dev/null | grep -qF '"Cannot load font" }' &&
            xwininfo -id "$w" 2>/dev/null | grep -q IsViewable && dialog=$w && break 2
    done
    sleep 0.2
done
[ -n "$dialog" ] || fail "no dialog titled Tarvello! says Cannot load font"
timeout 10 xdotool windowfocus --sync "$dialog" key Return
for _ in $(seq 50); do xprop -id "$dialog" >/dev/null 2>&1 || break; sleep 0.2; done
xprop -id "$dialog" >/dev/null 2>&1 && fail "the dialog did not close on Return"
echo "package test passed"
