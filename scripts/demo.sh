#!/usr/bin/env bash
# Demo: builds the runtime and saverpack, packs a finished screensaver from files in the
# repository (tests/wine/data), shows what start-up makes of it (saverpack inspect), then runs
# the real flashsaver-based .scr under Wine with /s on a virtual display: the full-screen show
# plays the movies in the test player control (registered in the demo's Wine prefix until a
# built-in player exists), a screenshot is taken, Esc ends the show and the workspace is empty.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
DEMO="$ROOT/build/demo"
DATA="$ROOT/tests/wine/data"
mkdir -p "$DEMO"

say() { echo; echo "== $*"; }

say "dependencies"
"$ROOT/scripts/install-deps.sh"

say "building saverpack (host) and flashsaver.scr (win64)"
cmake --preset host >"$DEMO/host-configure.log" 2>&1
cmake --build build/host --target saverpack >"$DEMO/host-build.log" 2>&1 ||
    { tail -30 "$DEMO/host-build.log"; exit 1; }
cmake --preset win64 >"$DEMO/win64-configure.log" 2>&1
cmake --build build/win64 --target runtime testcontrol >"$DEMO/win64-build.log" 2>&1 ||
    { tail -30 "$DEMO/win64-build.log"; exit 1; }
SAVERPACK="$ROOT/build/host/tools/saverpack/saverpack"
RUNTIME="$ROOT/build/win64/flashsaver.scr"
ls -l "$RUNTIME"

say "packing 'Demo Saver.scr'"
cp "$DATA/blank.swf" "$DEMO/second.swf"
SCR="$DEMO/Demo Saver.scr"
"$SAVERPACK" build --runtime "$RUNTIME" --settings "$DATA/demo.ini" -o "$SCR" \
    --item "$DATA/blank.swf" --item "$DEMO/second.swf:zip" --item "$DATA/readme.txt"
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
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$DEMO/xvfb.log" 2>&1 &
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
# The test player control stands in for the Flash control in the demo prefix.
winpath() { printf 'Z:%s' "${1//\//\\}"; }
key='HKCR\CLSID\{D27CDB6E-AE6D-11CF-96B8-444553540000}\InprocServer32'
timeout -k 5 30 wine reg add "$key" /ve /d "$(winpath "$ROOT/build/win64/tests/wine/testcontrol.dll")" /f >/dev/null 2>&1
timeout -k 5 30 wine reg add "$key" /v ThreadingModel /d Apartment /f >/dev/null 2>&1
temp=$(ls -d "$WINEPREFIX"/drive_c/users/*/Temp 2>/dev/null | grep -v /Public/ | head -1)
start=$(date +%s%N)
set +e
TESTCONTROL_LOG="$(winpath "$DEMO/player.log")" timeout -k 5 60 wine "$SCR" /s &
pid=$!
window=""
for _ in $(seq 1 150); do
    window=$(xdotool search --name '^Demo Saver$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -n "$window" ]; then
    sleep 3
    import -display "$DISPLAY" -window root "$DEMO/show.png"
    echo "show window: $(xwininfo -id "$window" | grep -E 'Width|Height' | tr -s ' ' | tr '\n' ' ')"
    echo "screenshot $DEMO/show.png, centre pixel $(convert "$DEMO/show.png" -format '%[pixel:p{512,384}]' info:)" \
        "(the movie's background colour, FlashColor)"
    echo "movies given to the player: $(sed -n 's/^put Movie .*[\\/]//p' "$DEMO/player.log" | tr '\n' ' ')"
    xdotool key Escape
else
    echo "no show window appeared"
fi
wait "$pid"
rc=$?
set -e
ms=$((($(date +%s%N) - start) / 1000000))
echo "flashsaver ran 'Demo Saver.scr /s': exit code $rc after $ms ms (ended with Esc)"
echo "workspace ${temp:-?}/Kestro after the run: [$(ls -A "$temp/Kestro" 2>/dev/null | grep -v '^tmp$' | tr '\n' ' ')]"
if [ "$rc" -eq 0 ] && [ -n "$window" ]; then echo "demo: the show played and the screensaver ended cleanly"; else echo "demo: FAILED"; exit 1; fi
