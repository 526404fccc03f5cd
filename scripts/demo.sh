#!/usr/bin/env bash
# Demo: builds the runtime, saverpack, swfgen, swfrender and swfaudio, writes four movies with
# swfgen that together show what the built-in player does (a looping animation of gradient and
# stroked shapes with music playing along as a stream sound; a photo with alpha made from
# bitmaps the writer encodes itself; a morph shape with a drop shadow, a glowing ball and a
# blurred square; a clock whose script draws its hands from Date with the drawing API, makes
# sparks with duplicateMovieClip and shows the time in an embedded font and the date in a
# system font), draws each on the host with swfrender (build/demo/preview-*.png), renders the
# music the show plays to build/demo/music.wav (to listen to without a sound card), packs a
# finished screensaver from them, shows what start-up makes of it (saverpack inspect), then
# runs the real flashsaver-based .scr under Wine with /s on a virtual display: the full-screen
# show plays the movies one after another in the runtime's built-in player (the Flash control
# is not registered in the demo's Wine prefix), screenshots go to build/demo/show.png and
# show2.png and, one every 2 s while the four movies take their turns, to
# build/demo/shows.png (a contact sheet); Esc ends the show and the workspace is empty.
# Nothing outside the repository is needed.
#
#   [SAVER_BUILD_ROOT=DIR] scripts/demo.sh [--test-control]
#     --test-control  register the test player control under the Flash class id instead, so
#                     the show plays through the ActiveX path (the control draws the
#                     background colour and logs the movies it is given)
#   SAVER_BUILD_ROOT    where the build trees go (DIR/host, DIR/win64; default build/)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
DEMO="$ROOT/build/demo"
BUILD_ROOT="${SAVER_BUILD_ROOT:-$ROOT/build}"
mkdir -p "$DEMO"

test_control=0
for arg in "$@"; do
    case "$arg" in
        --test-control) test_control=1 ;;
        *) echo "usage: scripts/demo.sh [--test-control]" >&2; exit 2 ;;
    esac
done

say() { echo; echo "== $*"; }

say "dependencies"
"$ROOT/scripts/install-deps.sh"

say "building saverpack, swfgen and swfrender (host) and flashsaver.scr (win64)"
cmake --preset host -B "$BUILD_ROOT/host" >"$DEMO/host-configure.log" 2>&1
cmake --build "$BUILD_ROOT/host" --target saverpack swfgen swfaudio swfrender >"$DEMO/host-build.log" 2>&1 ||
    { tail -30 "$DEMO/host-build.log"; exit 1; }
scripts/build-win64-deps.sh >"$DEMO/win64-deps.log" 2>&1 ||
    { tail -30 "$DEMO/win64-deps.log"; exit 1; }
cmake --preset win64 -B "$BUILD_ROOT/win64" -DSAVER_DEPS_PREFIX="$BUILD_ROOT/deps/win64" \
    >"$DEMO/win64-configure.log" 2>&1
win_targets=(runtime)
[ "$test_control" = 1 ] && win_targets+=(testcontrol)
cmake --build "$BUILD_ROOT/win64" --target "${win_targets[@]}" >"$DEMO/win64-build.log" 2>&1 ||
    { tail -30 "$DEMO/win64-build.log"; exit 1; }
SAVERPACK="$BUILD_ROOT/host/tools/saverpack/saverpack"
SWFGEN="$BUILD_ROOT/host/tools/swfwriter/swfgen"
RUNTIME="$BUILD_ROOT/win64/flashsaver.scr"
ls -l "$RUNTIME"

say "writing the demo movies (swfgen demo --music, swfgen sample photo / effects / scriptclock)"
MOVIE="$DEMO/demo.swf"
"$SWFGEN" demo -o "$MOVIE" --frames 120 --fps 30 --width 800 --height 600 --music
PHOTO="$DEMO/photo.swf"
"$SWFGEN" sample photo -o "$PHOTO"
EFFECTS="$DEMO/effects.swf"
"$SWFGEN" sample effects -o "$EFFECTS"
CLOCK="$DEMO/scriptclock.swf"
"$SWFGEN" sample scriptclock -o "$CLOCK"
SWFRENDER="$BUILD_ROOT/host/tools/swfrender/swfrender"
# describe FILE FRAME TEXT: the movie's size, its host rendering at FRAME, what it shows.
describe() {
    local name
    name=$(basename "$1" .swf)
    "$SWFRENDER" "$1" --frames "$2" --scripts -o "$DEMO/preview-$name.png" >/dev/null
    echo "$name.swf ($(stat -c %s "$1") bytes): $3"
    echo "    drawn on the host by swfrender at frame $2: $DEMO/preview-$name.png"
}
describe "$MOVIE" 30 "gradient and stroked shapes turning and fading, 800x600, 120 frames at 30 fps, with music (a stream sound)"
describe "$PHOTO" 1 "a photo with alpha over bitmap fills (JPEG with alpha, shared tables, stray markers), encoded by swfgen"
describe "$EFFECTS" 30 "a morph shape (disc to star) with a drop shadow, a ball with a glow, a square under a growing blur"
describe "$CLOCK" 12 "a clock drawn by its script from Date (drawing API), sparks from duplicateMovieClip, the time in an embedded font, the date in a system font"
"$BUILD_ROOT/host/tools/swfaudio/swfaudio" "$MOVIE" --seconds 8 -o "$DEMO/music.wav" >/dev/null
echo "the music the show plays, as heard: $DEMO/music.wav (8 s, 44.1 kHz stereo)"

say "packing 'Demo Saver.scr'"
# FlashColor is a Windows colour (0x00BBGGRR): the movie's own background, RGB 8,10,30.
cat >"$DEMO/demo.ini" <<'INI'
[Set]
ScrName=Demo Saver
Author=The flashsaver team
MouseMove=0
MousePress=1
KeyboardPress=1
OnlyEscKeyExit=0
FlashSequence=0
FlashSize=0
FlashQuality=1
FlashColor=1968648
FlashStopTime=3
FlashMute=0

[Caption]
Position=0

[Flash]
demo.swf=1
photo.swf=1
effects.swf=1
scriptclock.swf=1
INI
SCR="$DEMO/Demo Saver.scr"
"$SAVERPACK" build --runtime "$RUNTIME" --settings "$DEMO/demo.ini" -o "$SCR" --item "$MOVIE" \
    --item "$PHOTO" --item "$EFFECTS" --item "$CLOCK"
echo "runtime $(stat -c %s "$RUNTIME") bytes -> screensaver $(stat -c %s "$SCR") bytes"

say "what start-up makes of it (saverpack inspect --resolve)"
"$SAVERPACK" inspect "$SCR" --json --resolve >"$DEMO/inspect.json"
jq '{payload_present, run_as_exe, settings_member,
     settings: (.settings | {ScrName, FlashSequence, FlashQuality, FlashColor, FlashMute,
                             MouseMove, MousePress, KeyboardPress}),
     FlashList: .lists.FlashList, workspace, resolved}' "$DEMO/inspect.json"

say "running it under Wine with /s"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" WINEPREFIX="$DEMO/wineprefix"
xvfb=""
server=""
cleanup() {
    set +e
    if [ -n "$server" ]; then
        timeout 20 wineserver -k 2>/dev/null
        wait "$server" 2>/dev/null
    fi
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null
        wait "$xvfb" 2>/dev/null
    fi
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 120 139); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset </dev/null >"$DEMO/xvfb.log" 2>&1 &
        xvfb=$!
        export DISPLAY=":$n"
        for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
        break
    done
fi
wineserver -f -p60 </dev/null >/dev/null 2>&1 &
server=$!
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "(first run: creating a Wine prefix in $WINEPREFIX, about 15 s)"
    timeout -k 5 120 wine wineboot -i >"$DEMO/wineboot.log" 2>&1
    timeout -k 5 30 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
fi
winpath() { printf 'Z:%s' "${1//\//\\}"; }
clsid='HKCR\CLSID\{D27CDB6E-AE6D-11CF-96B8-444553540000}'
if [ "$test_control" = 1 ]; then
    echo "(player: the test control, registered under the Flash class id)"
    timeout -k 5 30 wine reg add "$clsid\\InprocServer32" /ve /d "$(winpath "$BUILD_ROOT/win64/tests/wine/testcontrol.dll")" /f >/dev/null 2>&1
    timeout -k 5 30 wine reg add "$clsid\\InprocServer32" /v ThreadingModel /d Apartment /f >/dev/null 2>&1
else
    echo "(player: the runtime's built-in one; no Flash control is registered)"
    timeout -k 5 30 wine reg delete "$clsid" /f >/dev/null 2>&1 || true
fi
temp=$(ls -d "$WINEPREFIX"/drive_c/users/*/Temp 2>/dev/null | grep -v /Public/ | head -1)
rm -f "$DEMO/show.png" "$DEMO/show2.png" "$DEMO/player.log" "$DEMO"/turn-*.png "$DEMO/shows.png"
# send_key WINDOW KEY: the key through the X test extension to WINDOW, focused first. A key
# sent to the window itself would send its release to a window that the press has already
# closed, and X would report the missing window.
send_key() {
    xdotool windowfocus "$1" 2>/dev/null || true
    xdotool key "$2"
}
start=$(date +%s%N)
set +e
WINEDEBUG=-all,+msgbox TESTCONTROL_LOG="$(winpath "$DEMO/player.log")" \
    timeout -k 5 120 wine "$SCR" /s >"$DEMO/wine.out" 2>"$DEMO/wine.err" &
pid=$!
window=""
for _ in $(seq 1 150); do
    window=$(xdotool search --name '^Demo Saver$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.1
done
played=0
if [ -n "$window" ]; then
    sleep 3
    box=$(xdotool search --name '^Error$' 2>/dev/null | head -1)
    import -display "$DISPLAY" -window root "$DEMO/show.png"
    if [ -n "$box" ]; then
        echo "the runtime put up its 'Error' box: $(grep -o 'Playing Flash failed[^"]*' "$DEMO/wine.err" | head -1)"
        echo "(this runtime has no built-in player yet; scripts/demo.sh --test-control plays the"
        echo " show through the test control instead) screenshot $DEMO/show.png"
        send_key "$box" n
    else
        sleep 0.5
        import -display "$DISPLAY" -window root "$DEMO/show2.png"
        echo "show window: $(xwininfo -id "$window" | grep -E 'Width|Height' | tr -s ' ' | tr '\n' ' ')"
        echo "screenshots $DEMO/show.png and show2.png (0.5 s apart)"
        echo "  colours in the first: $(convert "$DEMO/show.png" -format '%k' info:)" \
            "(a bare background would have 1)"
        changed=$(compare -metric AE "$DEMO/show.png" "$DEMO/show2.png" null: 2>&1 | cut -d' ' -f1)
        echo "  pixels that changed between them: $changed (the movie is moving if not 0)"
        if [ "$test_control" = 1 ]; then
            echo "movies given to the player: $(sed -n 's/^put Movie .*[\\/]//p' "$DEMO/player.log" | tr '\n' ' ')"
        fi
        # The movies take their turns: each plays through once, then FlashStopTime (3 s)
        # without a new frame moves the show on (about 20 s for all four).
        for n in $(seq -w 1 12); do
            sleep 2
            import -display "$DISPLAY" -window root "$DEMO/turn-$n.png" 2>/dev/null || true
        done
        if montage -geometry 256x192+4+4 -tile 4x "$DEMO"/turn-*.png "$DEMO/shows.png" 2>/dev/null; then
            echo "the four movies taking their turns, one screenshot every 2 s: $DEMO/shows.png"
        fi
        played=1
        send_key "$window" Escape
    fi
else
    echo "no show window appeared"
fi
wait "$pid"
rc=$?
set -e
ms=$((($(date +%s%N) - start) / 1000000))
echo "flashsaver ran 'Demo Saver.scr /s': exit code $rc after $ms ms"
echo "workspace ${temp:-?}/Kestro after the run: [$(ls -A "$temp/Kestro" 2>/dev/null | grep -v '^tmp$' | tr '\n' ' ')]"
if [ "$rc" -eq 0 ] && [ "$played" = 1 ]; then
    echo "demo: the show played and the screensaver ended cleanly"
else
    echo "demo: FAILED"
    exit 1
fi
