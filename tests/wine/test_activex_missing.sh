#!/usr/bin/env bash
# Hosting the Flash control where none is installed: creation fails cleanly with the
# "class not registered" code, the host reports it and ends on its own.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/testcontrol/testcontrol.sh"
wt_begin

tc_swf "$WT_DIR/loop.swf" $((20 * 256)) 10
wt_run "$WT_DIR/probe.out" "$(wt_winpath "$SAVER_PLAYER_PROBE")" \
    "movie=$(wt_winpath "$WT_DIR/loop.swf")" wait=200
rc=$?
out=$(tr -d '\r' <"$WT_DIR/probe.out")
echo "$out"
wt_check "exit code of a failed creation" "$rc" 2
wt_check "failure names the step and REGDB_E_CLASSNOTREG" "$(head -1 <<<"$out")" \
    "create failed: Flash control: CoCreateInstance failed (0x80040154)"
wt_check "no operation ran after the failure" "$(grep -c '^done' <<<"$out")" 0
