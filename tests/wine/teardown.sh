#!/usr/bin/env bash
# Fixture clean-up for the Wine tests: ends the Xvfb display that setup.sh started, by its pid.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
pidfile="$SAVER_WINE_WORK/xvfb.pid"
[ -f "$pidfile" ] || exit 0
pid=$(cat "$pidfile")
if [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q '^Xvfb '; then
    kill "$pid" 2>/dev/null
    for _ in $(seq 1 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
fi
rm -f "$pidfile" "$SAVER_WINE_WORK/display"
echo "teardown: display ended"
