#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end test: the installed player, driven from outside as a person
# would drive it. It lays out a portable installation with `cmake --install`,
# starts the demo portal and a private Xvfb (no window manager), runs the real
# `qvplayer` there and presses its controls with xdotool at the places where
# the main window's fixed layout puts them (src/app/form1.cpp, buildControls):
# search Jazz, 100 results from page 2, play the first row, pause and resume,
# make a new own playlist, add the row to it from the context menu, export the
# playlist through the file dialog, press OK in the settings window, start the
# player again in its folder (which brings the running one forward) and end
# with "File" > "Close". Then it checks the exit status, the files the player
# wrote and the portal's request log.
#
# Every wait has a time-out and the whole run a time limit; every process it
# starts is ended on every way out. A failing step is named, with a
# screenshot. Artefacts (screenshots, and the logs after a failure) go to
# ARTEFACT_DIR.
#
# Usage: test_e2e.sh CMAKE BUILD_DIR DEMO_PORTAL ARTEFACT_DIR [TIME_LIMIT_SECONDS]
set -uo pipefail
cmake=$1 build=$2 portal=$3 artefacts=$4 limit=${5:-100}

# The main window's client area (Form1::kClientHeight); the menu bar lies above it.
readonly client_height=351
# The search: Jazz has 130 songs, so 100 results from page 2 are pages 2 and 3.
readonly genre=Jazz list=18 results=100 start_page=2
readonly playlist="E2E Mix" # a blank in the name, as users write them

deadline=$((SECONDS + limit))
tmp=$(mktemp -d)
mkdir -p "$artefacts"
xvfb_pid='' portal_pid='' player_pid='' win='' menu='' step_name='setting up'

cleanup() {
    local pid
    for pid in $player_pid $portal_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null
    done
    for pid in $player_pid $portal_pid $xvfb_pid; do
        # Ended within 5 s, or killed.
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'fail "interrupted"' INT TERM

step() {
    ((SECONDS < deadline)) || fail "the test's time limit (${limit}s) ran out"
    step_name=$*
    echo "[e2e] $(printf '%3d' "$SECONDS")s  $step_name"
}

# fail MESSAGE: names the step, keeps a screenshot and the logs, ends the test.
fail() {
    trap - INT TERM
    echo "FAIL in step \"$step_name\": $*"
    if [ -n "${DISPLAY:-}" ] && timeout 10 import -window root "$artefacts/e2e-failure.png" 2>/dev/null; then
        echo "screenshot of the failure: $artefacts/e2e-failure.png"
    fi
    for log in player portal; do
        if [ -f "$tmp/$log.log" ]; then
            cp "$tmp/$log.log" "$artefacts/e2e-$log.log"
            echo "--- last lines of the $log's output ($artefacts/e2e-$log.log):"
            tail -n 15 "$tmp/$log.log"
        fi
    done
    exit 1
}

# wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds; fails
# after SECONDS (or at the run's time limit) naming WHAT, and at once when a
# message box opens meanwhile.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local until=$((SECONDS + seconds))
    ((until > deadline)) && until=$deadline
    until "$@"; do
        [ -n "$win" ] && no_message_box "while waiting for $what"
        if ((SECONDS >= until)); then
            ((SECONDS >= deadline)) && fail "the test's time limit (${limit}s) ran out waiting for $what"
            fail "timed out after ${seconds}s waiting for $what"
        fi
        sleep 0.2
    done
}

# X clients never wait long: a hung server must not hang the test.
x() { timeout 10 xdotool "$@"; }

# The visible top-level windows whose name matches the regular expression.
windows_named() { x search --onlyvisible --name "$1" 2>/dev/null; }
window_open() { [ -n "$(windows_named "$1")" ]; }
# focused NAME: the window named NAME has the input focus (keys go there).
focused() { [ "$(x getwindowname "$(x getwindowfocus)")" = "$1" ]; } 2>/dev/null

# click X Y [BUTTON]: a click at X,Y of the main window's client area. The X
# server hands the player its events in order, so a later click or key is
# handled after this one; what the click brings about, the caller waits for.
click() {
    x mousemove --window "$win" "$1" $((menu + $2)) click "${3:-1}" ||
        fail "xdotool could not click at $1,$2"
}

# type_into X Y TEXT: clicks a text field, selects all it holds and types TEXT.
type_into() {
    click "$1" "$2"
    { x key ctrl+a && x type --delay 20 "$3"; } || fail "xdotool could not type \"$3\""
}

# Moves the pointer off the window, so that no control shows as hovered.
pointer_away() { x mousemove 0 0; }

# A message box (title "Quorvell Radio Player") means something went wrong.
no_message_box() {
    window_open '^Quorvell Radio Player$' && fail "a message box opened ${1:-} (see the screenshot)"
    return 0
}

# menus_open N: N menus (a menu and its submenus) are open. Qt's popup menus
# are the player's windows (they have a window class) that have no name
# xdotool finds.
menus_open() {
    [ "$(comm -23 <(x search --onlyvisible --class . | sort) <(windows_named . | sort) |
        wc -l)" -ge "$1" ]
}

# open_file_menu: "File" on the menu bar, at the bar's left end.
open_file_menu() {
    x mousemove --window "$win" 18 $((menu / 2)) click 1 || fail "could not click on \"File\""
    wait_for 10 "the \"File\" menu" menus_open 1
}

# region_hash X Y W H: a hash of the pixels of a rectangle of the client area.
region_hash() {
    timeout 10 import -window "$win" "$tmp/window.png" 2>/dev/null || return 1
    convert "$tmp/window.png" -crop "$3x$4+$1+$((menu + $2))" +repage -format '%#' info:
}
region_differs() { [ "$(region_hash "$@")" != "$want_hash" ]; }
region_equals() { [ "$(region_hash "$@")" = "$want_hash" ]; }

logged() { grep -Eq "$1" "$tmp/portal.log"; }

# GET PATH from the portal, the body only (no curl on a bare machine).
http_get() {
    local hostport=${portal_url#http://}
    exec 3<>"/dev/tcp/${hostport%:*}/${hostport#*:}" || return 1
    printf 'GET %s HTTP/1.0\r\nHost: %s\r\nConnection: close\r\n\r\n' "$1" "$hostport" >&3
    timeout 10 cat <&3 | sed '1,/^\r$/d'
    exec 3<&-
}

# ---------------------------------------------------------------------------
step "installing into a temporary folder"
dist="$tmp/Quorvell"
"$cmake" --install "$build" --prefix "$dist" > "$tmp/install.log" 2>&1 ||
    { cat "$tmp/install.log"; fail "cmake --install failed"; }
[ -x "$dist/qvplayer" ] || fail "the installation has no qvplayer"

step "starting the demo portal"
"$portal" --port 0 --radio-bind "" --servers-ini "$dist/servers.ini" > "$tmp/portal.log" 2>&1 &
portal_pid=$!
wait_for 10 "the portal to write servers.ini" grep -qs '^wrote ' "$tmp/portal.log"
portal_url=$(sed -n 's/^listening on //p' "$tmp/portal.log")
[ -n "$portal_url" ] || fail "the portal did not say where it listens"

step "starting Xvfb"
# -displayfd: Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$tmp/display" 2> "$tmp/xvfb.log" &
xvfb_pid=$!
wait_for 10 "Xvfb to name its display" grep -qs '[0-9]' "$tmp/display"
DISPLAY=":$(tr -dc 0-9 < "$tmp/display")"
export DISPLAY

step "starting the player in $dist"
mkdir -p "$tmp/home" "$tmp/runtime" && chmod 700 "$tmp/runtime"
(
    cd "$dist" || exit 1
    unset DBUS_SESSION_BUS_ADDRESS
    # No sound device here; the player's own files stay in the installation,
    # Qt's (the file dialog remembers its folder) in the temporary home.
    exec env QT_QPA_PLATFORM=xcb QVPLAYER_MPV_OPTIONS=ao=null HOME="$tmp/home" \
        XDG_CONFIG_HOME="$tmp/home/.config" XDG_CACHE_HOME="$tmp/home/.cache" \
        XDG_DATA_HOME="$tmp/home/.local/share" XDG_RUNTIME_DIR="$tmp/runtime" ./qvplayer
) > "$tmp/player.log" 2>&1 &
player_pid=$!
player_alive() { kill -0 "$player_pid" 2>/dev/null || fail "the player ended early"; }
found_main_window() {
    player_alive
    win=$(windows_named '^Quorvell Music Player' | head -n 1)
    [ -n "$win" ]
}
wait_for 30 "the main window" found_main_window
# The start-up update check holds input until its splash closes.
wait_for 30 "the update check to fetch currentversion.ini" \
    logged '^GET /radioplayer/currentversion\.ini 200$'
only_main_window() { [ "$(windows_named . | wc -l)" = 1 ]; }
wait_for 30 "the update check's splash to close" only_main_window
eval "$(x getwindowgeometry --shell "$win")" || fail "no geometry for the main window"
menu=$((HEIGHT - client_height))
((menu > 0 && menu < 60)) || fail "the main window is ${WIDTH}x${HEIGHT}: no menu bar above the client area?"
echo "[e2e] main window $win at ${X},${Y}, ${WIDTH}x${HEIGHT}, menu bar ${menu} px"
no_message_box

# ---------------------------------------------------------------------------
step "searching $genre, $results results from page $start_page"
# The results list (ListBox1 at 424,67, 185x222) before there are any.
want_hash=$(region_hash 424 67 185 222)
type_into 60 42 "$genre"           # ComboBox1, the genre
type_into 60 170 "$results"        # sComboBox2, the number of results
type_into 50 226 "$start_page"     # sEdit1, the start page
click 208 36                       # sBitBtn5, "Search"
wait_for 30 "the request for list page $start_page" \
    logged "^GET /audio/list/$list/$start_page/score 200$"
wait_for 30 "the request for list page $((start_page + 1))" \
    logged "^GET /audio/list/$list/$((start_page + 1))/score 200$"
pointer_away
wait_for 30 "the results to show in the list" region_differs 424 67 185 222
no_message_box
# The last rows of the page: the list has stopped changing.
want_hash=$(region_hash 424 67 185 222)
list_settled() {
    local now
    now=$(region_hash 424 67 185 222) || return 1
    [ "$now" = "$want_hash" ] && return 0
    want_hash=$now
    return 1
}
wait_for 10 "the results list to settle" list_settled
timeout 10 import -window root "$artefacts/e2e-results.png" ||
    fail "no screenshot of the results"
echo "[e2e] screenshot of the search results: $artefacts/e2e-results.png"

step "selecting the first row and pressing Play"
# The position bar (sGauge2 at 168,288, 161x17) before the song.
pointer_away
want_hash=$(region_hash 168 288 161 17)
click 470 74   # the first row of ListBox1
click 212 162  # sBitBtn3, "Play"
download_logged() { logged '^GET /audio/download/[0-9]{7} 20[06]$'; }
wait_for 30 "the song's download address to be fetched" download_logged
song=$(sed -En 's|^GET /audio/download/([0-9]{7}) 20[06]$|\1|p' "$tmp/portal.log" | head -n 1)
echo "[e2e] the player fetched /audio/download/$song"
pointer_away
wait_for 30 "the position bar to move" region_differs 168 288 161 17
timeout 10 import -window "$win" "$artefacts/e2e-playing.png" ||
    fail "no screenshot of the window"
echo "[e2e] screenshot of the window while the song plays: $artefacts/e2e-playing.png"

step "pressing Pause"
# sBitBtn4 "Pause" and sBitBtn11 "Resume" share the place 270,144, 89x37.
pointer_away
want_hash=$(region_hash 270 144 89 37)
click 314 162
pointer_away
wait_for 10 "\"Pause\" to give way to \"Resume\"" region_differs 270 144 89 37
no_message_box

step "pressing Resume"
click 314 162
pointer_away
wait_for 10 "\"Resume\" to give way to \"Pause\" again" region_equals 270 144 89 37
no_message_box

step "making the own playlist \"$playlist\""
click 507 46   # sButton4, "Own Playlist"
# A fresh installation has no playlist chosen yet, and the player says so.
for _ in $(seq 50); do focused 'Quorvell Radio Player' && break; sleep 0.2; done
focused 'Quorvell Radio Player' || fail "no message that no playlist is chosen"
x key Return || fail "could not close the message"
for _ in $(seq 50); do window_open '^Quorvell Radio Player$' || break; sleep 0.2; done
no_message_box "after closing the message that no playlist is chosen"
click 468 81   # sBitBtn12, "New playlist"
wait_for 10 "the \"Playlist name\" window" focused 'Playlist name'
{ x type --delay 20 "$playlist" && x key Return; } || fail "could not type the playlist's name"
wait_for 10 "the \"Playlist name\" window to close" only_main_window
wait_for 10 "the file Playlists/$playlist.qvl" test -f "$dist/Playlists/$playlist.qvl"

step "adding the first row to \"$playlist\" from its context menu"
click 447 46   # sButton2, "Normal": the results again
click 470 74 3 # a right click on the first row selects it and opens the menu
wait_for 10 "the context menu" menus_open 1
# The menu holds the keyboard: "Add to Playlist" is its first entry, and the
# new playlist the only one in the submenu.
x key Down Right || fail "could not open \"Add to Playlist\""
wait_for 10 "the \"Add to Playlist\" submenu" menus_open 2
x key Return || fail "could not choose \"Add to Playlist\" > \"$playlist\""
wait_for 10 "the song in Playlists/$playlist.qvl" test -s "$dist/Playlists/$playlist.qvl"
no_message_box

step "exporting \"$playlist\""
exported="$tmp/exported/$playlist.qvl"
mkdir -p "$tmp/exported"
open_file_menu
x key Down Down Return || fail "could not choose \"File\" > \"Export playlist\""
wait_for 10 "the \"Export playlist\" window" focused 'Export playlist'
x key Return || fail "could not press OK"  # OK: the first (and only) playlist is chosen
wait_for 10 "the file dialog \"Export\"" focused 'Export'
{ x type --delay 20 "$exported" && x key Return; } || fail "could not type the export's path"
wait_for 10 "the exported file" test -f "$exported"
wait_for 10 "the export windows to close" only_main_window

step "pressing OK in the settings window"
click 76 292   # sBitBtn15, "Setting"
wait_for 10 "the \"Settings\" window" window_open '^Settings$'
settings_win=$(windows_named '^Settings$' | head -n 1)
# OK is the first button of the bottom row, at the window's lower left.
eval "$(x getwindowgeometry --shell "$settings_win" | sed 's/^/SETTINGS_/')"
x mousemove --window "$settings_win" 40 $((SETTINGS_HEIGHT - 22)) click 1 || fail "could not press OK"
# OK closes the window, then applies: settings.ini is written once per key,
# "ShowTrayicon" last.
settings_written() { grep -qs '^ShowTrayicon=' "$dist/settings.ini"; }
wait_for 10 "settings.ini with every key" settings_written
wait_for 10 "the settings window to close" only_main_window
settings_before_close=$(md5sum < "$dist/settings.ini")

step "starting the player again in $dist"
# The focus goes elsewhere (the root window under the pointer, off the
# player), then the second start has to bring the running player forward.
pointer_away
eval "$(x getmouselocation --shell)" || fail "xdotool found no window under the pointer"
x windowfocus --sync "$WINDOW" || fail "could not move the focus off the player"
focused 'Quorvell Music Player 1.36' && fail "the main window kept the focus"
requests_before=$(wc -l < "$tmp/portal.log")
(
    cd "$dist" || exit 1
    unset DBUS_SESSION_BUS_ADDRESS
    exec env QT_QPA_PLATFORM=xcb HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" \
        XDG_CACHE_HOME="$tmp/home/.cache" XDG_DATA_HOME="$tmp/home/.local/share" \
        XDG_RUNTIME_DIR="$tmp/runtime" timeout 20 ./qvplayer
) > "$tmp/second.log" 2>&1
second_status=$?
((second_status == 0)) || { cat "$tmp/second.log"; fail "the second start ended with status $second_status"; }
wait_for 10 "the main window to take the focus" focused 'Quorvell Music Player 1.36'
player_alive
# No start report and no update check (the playing song may go on to the next).
if tail -n +"$((requests_before + 1))" "$tmp/portal.log" | grep -E '/radioplayer/'; then
    fail "the second start asked the maker's servers"
fi
[ "$(md5sum < "$dist/settings.ini")" = "$settings_before_close" ] ||
    fail "the second start changed settings.ini"

step "closing with \"File\" > \"Close\""
open_file_menu
x key Down Down Down Return || fail "could not choose \"File\" > \"Close\""
player_ended() { ! kill -0 "$player_pid" 2>/dev/null; }
wait_for 30 "the player to end" player_ended
wait "$player_pid"
status=$?
player_pid=
((status == 0)) || fail "the player ended with status $status"
if grep -Eq 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$tmp/player.log"; then
    fail "the sanitizers reported a fault"
fi

# ---------------------------------------------------------------------------
step "checking the portal's log"
for request in '/radioplayer/counter\.htm 200' "/audio/list/$list/$start_page/score 200" \
    "/audio/list/$list/$((start_page + 1))/score 200"; do
    logged "^GET $request\$" || fail "the portal was not asked for GET ${request//\\/}"
done
logged "^GET /audio/list/$list/1/" && fail "the search asked for page 1, before the start page"
# The first row of the results is the first entry of list page 2.
page=$(http_get "/audio/list/$list/$start_page/score") || fail "could not fetch list page $start_page"
first=$(grep -o -m1 'class="listtitle"><a href="[^"]*">[^<]*</a>' <<< "$page")
link=$(sed -E 's/.*href="([^"]*)".*/\1/' <<< "$first")
title=$(sed -E 's/.*">([^<]*)<\/a>$/\1/' <<< "$first")
[[ -n $link && -n $title ]] || fail "no first entry on list page $start_page"
[[ $link == */listen/$song/ ]] ||
    fail "the player fetched song $song, not the first row's ($link)"
echo "[e2e] the first row: \"$title\" $link"

step "checking the files written"
cmp -s <(printf '%s\r\n' "$playlist") "$dist/Playlists/playlists.ini" ||
    fail "Playlists/playlists.ini is not \"$playlist\": $(od -c "$dist/Playlists/playlists.ini" | head -3)"
cmp -s <(printf '%s\r\n%s\r\n' "$title" "$link") "$dist/Playlists/$playlist.qvl" ||
    fail "Playlists/$playlist.qvl does not hold the first row: $(od -c "$dist/Playlists/$playlist.qvl" | head -5)"
cmp -s "$dist/Playlists/$playlist.qvl" "$exported" || fail "the export differs from the playlist"
for line in '[Hotkeys]' '[Skin]' 'Name=WMP 2008' '[General]' 'Ceckforupdates=1' 'Reportstarts=1'; do
    grep -qxF "$line"$'\r' "$dist/settings.ini" || fail "settings.ini has no line \"$line\""
done
[ "$(md5sum < "$dist/settings.ini")" = "$settings_before_close" ] ||
    fail "closing the player changed settings.ini"

echo "[e2e] passed in ${SECONDS}s"
