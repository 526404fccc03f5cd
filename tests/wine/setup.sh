#!/usr/bin/env bash
# Fixture set-up for the Wine tests: one Xvfb display and one initialised template prefix in
# the build tree, shared by every test (each test copies the prefix). The template is kept
# between runs; the display is started here and ended by teardown.sh.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

mkdir -p "$SAVER_WINE_WORK"
for tool in wine wineserver Xvfb xdotool xdpyinfo jq; do
    command -v "$tool" >/dev/null || { echo "setup: $tool missing (scripts/install-deps.sh)"; exit 1; }
done

# --- the display -----------------------------------------------------------------------------
# A display left by an earlier run that was interrupted: end it (it is ours, by its pid).
if [ -f "$SAVER_WINE_WORK/xvfb.pid" ]; then
    old=$(cat "$SAVER_WINE_WORK/xvfb.pid")
    if [ -r "/proc/$old/cmdline" ] && tr '\0' ' ' <"/proc/$old/cmdline" | grep -q '^Xvfb '; then
        kill "$old" 2>/dev/null || true
    fi
    rm -f "$SAVER_WINE_WORK/xvfb.pid" "$SAVER_WINE_WORK/display"
fi
display=""
for n in $(seq 140 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # -noreset: by default the server resets when its last client disconnects, and a client
    # connecting during the reset has its connection closed (XOpenDisplay fails). Between two
    # shows every client can be gone (Wine's desktop process closes about a second after the
    # last window), and the next show's own connections, racing the test's xdotool polls, then
    # found no display now and then: "no driver could be loaded", the show ending with no window.
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset </dev/null \
        >"$SAVER_WINE_WORK/xvfb.log" 2>&1 &
    pid=$!
    for _ in $(seq 1 50); do
        if xdpyinfo -display ":$n" >/dev/null 2>&1; then display=":$n"; break; fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -n "$display" ]; then
        echo "$pid" >"$SAVER_WINE_WORK/xvfb.pid"
        echo "$display" >"$SAVER_WINE_WORK/display"
        break
    fi
    kill "$pid" 2>/dev/null || true
done
[ -n "$display" ] || { echo "setup: could not start Xvfb"; exit 1; }
echo "setup: Xvfb on $display"

# --- the template prefix ---------------------------------------------------------------------
template="$SAVER_WINE_WORK/template"
if [ ! -f "$template/.saver-ready" ]; then
    rm -rf "$template"
    mkdir -p "$template"
    export DISPLAY="$display" WINEPREFIX="$template"
    start=$(date +%s)
    # Our own server, in the foreground so that we know its pid; it ends with its last client.
    wineserver -f </dev/null >/dev/null 2>&1 &
    server=$!
    timeout -k 5 120 wine wineboot -i >"$SAVER_WINE_WORK/wineboot.log" 2>&1
    # Without a window manager, destroying a full-screen window stalls unless Wine's own
    # management of top-level windows is off.
    # Checked and tried again: on a loaded machine a `wine reg` can time out, and a template
    # without the value would make every full-screen test stall.
    managed=""
    for _ in 1 2 3 4 5; do
        if timeout -k 5 30 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ \
            /d N /f >/dev/null 2>&1 &&
            value=$(timeout -k 5 30 wine reg query 'HKCU\Software\Wine\X11 Driver' /v Managed \
                2>/dev/null) && [[ "$value" =~ REG_SZ[[:space:]]+N ]]; then
            managed=yes
            break
        fi
        sleep 1
    done
    [ -n "$managed" ] || { echo "setup: could not set the X11 driver's Managed value"; exit 1; }
    timeout -k 5 60 wineserver -w || true
    if kill -0 "$server" 2>/dev/null; then kill "$server" 2>/dev/null || true; fi
    wait "$server" 2>/dev/null || true
    [ -f "$template/system.reg" ] || { echo "setup: wineboot failed"; cat "$SAVER_WINE_WORK/wineboot.log"; exit 1; }
    touch "$template/.saver-ready"
    echo "setup: template prefix initialised in $(($(date +%s) - start)) s"
else
    echo "setup: template prefix reused"
fi

# --- saverpack for the host ----------------------------------------------------------------------
pack="${SAVERPACK:-$SAVER_HOST_SAVERPACK}"
if [ ! -x "$pack" ]; then
    # Not built yet (the win64 tree was configured alone): build it in a host tree of its own.
    hostdir="$SAVER_SOURCE_DIR/build/windows-host"
    echo "setup: building the host saverpack in $hostdir"
    cmake --preset host -B "$hostdir" >"$SAVER_WINE_WORK/saverpack-build.log" 2>&1
    cmake --build "$hostdir" --target saverpack >>"$SAVER_WINE_WORK/saverpack-build.log" 2>&1
    pack="$hostdir/tools/saverpack/saverpack"
fi
echo "$pack" >"$SAVER_WINE_WORK/saverpack.path"
echo "setup: saverpack $pack"
