#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build tree with `cmake --install` and checks the portable
# installation file by file, then that a second install keeps what the user
# changed, that DESTDIR stages without touching the prefix, that odd folder
# names give a valid desktop entry, and that scripts/layout plus the demo
# portal still give an installation pointing at the portal.
# Usage: test_install.sh CMAKE BUILD_DIR SOURCE_DIR DEMO_PORTAL
set -uo pipefail
cmake=$1 build=$2 src=$3 portal=$4

tmp=$(mktemp -d)
portal_pid=
cleanup() {
    [ -n "$portal_pid" ] && kill "$portal_pid" 2>/dev/null && wait "$portal_pid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# install PREFIX: cmake --install, showing its output only when it fails.
install_to() {
    local log
    log=$("$cmake" --install "$build" --prefix "$1" 2>&1) || {
        echo "$log"
        echo "FAIL: cmake --install --prefix $1"
        exit 1
    }
}
# same_bytes FILE TEXT: FILE holds exactly TEXT (printf escapes allowed).
same_bytes() {
    # shellcheck disable=SC2059
    cmp -s <(printf "$2") "$1" || fail "$1 is not exactly '$2': $(od -c "$1" 2>&1 | head -3)"
}
# has_line FILE LINE: LINE is a whole line of FILE.
has_line() {
    grep -qxF -- "$2" "$1" || fail "$1 has no line '$2'"
}

# --- A fresh installation, in a folder whose name has a blank. -------------
prefix="$tmp/Quorvell Player"
install_to "$prefix"

[ -f "$prefix/qvplayer" ] && [ -x "$prefix/qvplayer" ] || fail "qvplayer is missing or not executable"
[ -f "$prefix/Playlists/playlists.ini" ] || fail "Playlists/playlists.ini is missing"
[ -s "$prefix/Playlists/playlists.ini" ] && fail "Playlists/playlists.ini is not empty"
[ -d "$prefix/temp" ] || fail "temp/ is missing"
same_bytes "$prefix/updater/version.ini" '1.36\r\n'
same_bytes "$prefix/updater/currentversion.ini" '1.36\r\n'
diff -r "$src/skins" "$prefix/skins" || fail "skins/ differs from the shipped skins"

ini="$prefix/servers.ini"
has_line "$ini" $'[Servers]\r'
has_line "$ini" $'Portal=http://www.quorvell.example\r'
has_line "$ini" $'FavoritesPage=http://%1.quorvell.example/favorites/\r'
has_line "$ini" $'Update=http://update.halvane.example\r'
# No update key is built in: such an installation starts no installer.
has_line "$ini" $'UpdateKey=\r'
# The radio's usual ports, which a user may change.
has_line "$ini" $'RadioPort=6870\r'
has_line "$ini" $'RadioDialUpPort=6872\r'
for key in Portal FavoritesPage Radio RadioPort RadioDialUpPort Update Counter Homepage MakerPage \
    ContactMail SecondMail; do
    [ "$(grep -c "^$key=." "$ini")" = 1 ] || fail "servers.ini has no single $key"
done

png="$prefix/qvplayer.png"
# Signature, IHDR chunk header, width and height 256.
header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
[ "$header" = 89504e470d0a1a0a0000000d494844520000010000000100 ] ||
    fail "qvplayer.png does not start as a 256x256 PNG: $header"
[ "$(identify -format '%m %wx%h' "$png" 2>&1)" = "PNG 256x256" ] || fail "qvplayer.png does not decode"

entry="$prefix/qvplayer.desktop"
desktop-file-validate "$entry" || fail "qvplayer.desktop does not validate"
has_line "$entry" "Exec=\"$prefix/qvplayer\""
has_line "$entry" "Path=$prefix"
has_line "$entry" "Icon=$prefix/qvplayer.png"
has_line "$entry" "Type=Application"
has_line "$entry" "Name=Quorvell Radio Player"
has_line "$entry" "Terminal=false"
has_line "$entry" "Categories=AudioVideo;Audio;Player;"

# --- Installing again keeps what the user and the player changed. ---------
printf 'Mine\r\n' > "$prefix/Playlists/playlists.ini"
printf 'Song\r\nhttp://x/\r\n' > "$prefix/Playlists/Mine.qvl"
printf '[Options]\r\nTray=1\r\n' > "$prefix/settings.ini"
printf 'alice\r\n' > "$prefix/temp/favorites.txt"
printf '1.37\r\n' > "$prefix/updater/currentversion.ini"
printf '[Servers]\r\nPortal=http://127.0.0.1:8080\r\n' > "$ini"
printf '0.99\r\n' > "$prefix/updater/version.ini"
rm "$prefix/skins/Silver.asz"
install_to "$prefix"

same_bytes "$prefix/Playlists/playlists.ini" 'Mine\r\n'
same_bytes "$prefix/Playlists/Mine.qvl" 'Song\r\nhttp://x/\r\n'
same_bytes "$prefix/settings.ini" '[Options]\r\nTray=1\r\n'
same_bytes "$prefix/temp/favorites.txt" 'alice\r\n'
same_bytes "$prefix/updater/currentversion.ini" '1.37\r\n'
same_bytes "$ini" '[Servers]\r\nPortal=http://127.0.0.1:8080\r\n'
# The installed version is the program's, not the user's.
same_bytes "$prefix/updater/version.ini" '1.36\r\n'
[ -f "$prefix/skins/Silver.asz" ] || fail "a removed shipped skin was not installed again"

# --- DESTDIR stages the files; the entry names the final place. ------------
stage="$tmp/stage area"
mkdir -p "$stage/opt/qv player"
printf '[Servers]\r\nPortal=http://staged\r\n' > "$stage/opt/qv player/servers.ini"
log=$(DESTDIR="$stage" "$cmake" --install "$build" --prefix "/opt/qv player" 2>&1) ||
    fail "cmake --install with DESTDIR: $log"
[ -x "$stage/opt/qv player/qvplayer" ] || fail "DESTDIR: qvplayer is not under DESTDIR"
[ -e "/opt/qv player" ] && fail "DESTDIR: files went to the prefix itself"
same_bytes "$stage/opt/qv player/servers.ini" '[Servers]\r\nPortal=http://staged\r\n'
has_line "$stage/opt/qv player/qvplayer.desktop" 'Exec="/opt/qv player/qvplayer"'
has_line "$stage/opt/qv player/qvplayer.desktop" 'Path=/opt/qv player'

# --- Characters the Exec key must quote or escape. -------------------------
odd="$tmp/odd \"q\" \$x 50%"
install_to "$odd"
desktop-file-validate "$odd/qvplayer.desktop" || fail "the odd folder's qvplayer.desktop does not validate"
has_line "$odd/qvplayer.desktop" 'Exec="'"$tmp"'/odd \\"q\\" \\$x 50%%/qvplayer"'
has_line "$odd/qvplayer.desktop" "Path=$odd"

# --- scripts/layout with a relative folder, then the demo portal. ---------
(cd "$tmp" && "$src/scripts/layout" dist "$build" > /dev/null) || fail "scripts/layout failed"
dist="$tmp/dist"
has_line "$dist/qvplayer.desktop" "Exec=$dist/qvplayer"
has_line "$dist/servers.ini" $'Portal=http://www.quorvell.example\r'
out="$tmp/portal.out"
"$portal" --port 0 --radio-bind "" --quiet --servers-ini "$dist/servers.ini" > "$out" 2>&1 &
portal_pid=$!
for _ in $(seq 100); do
    grep -q '^wrote ' "$out" && break
    sleep 0.1
done
grep -q '^wrote ' "$out" || fail "the demo portal wrote no servers.ini: $(cat "$out")"
grep -q $'^Portal=http://127\\.0\\.0\\.1:[0-9]*\r$' "$dist/servers.ini" ||
    fail "the demo portal did not replace the default servers.ini"

if ((failures)); then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all install checks passed"
