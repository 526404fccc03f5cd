#!/usr/bin/env bash
# The single-instance guard on a real named mutex: while one screensaver on this runtime runs,
# the real .scr and a second probe end at once; a second instance still empties the shared
# workspace at its end; once the first has ended the guard is free again.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

wt_settings "$WT_DIR/saver.ini" "ScrName=Guard Test"
wt_pack "$WT_DIR/Guard Probe.scr" "$SAVER_PROBE" "$WT_DIR/saver.ini" \
    --item "$WT_SOURCE/data/blank.swf" || exit 1
wt_pack "$WT_DIR/Guard Runtime.scr" "$SAVER_RUNTIME" "$WT_DIR/saver.ini" \
    --item "$WT_SOURCE/data/blank.swf" || exit 1
# Its settings archive is cut short: were it to get past the guard, it would stop at a message
# box instead of ending.
truncate -s -12 "$WT_DIR/Guard Runtime.scr"
probe="$(wt_winpath "$WT_DIR/Guard Probe.scr")"
hold="$WT_DIR/hold"
touch "$hold"

SAVER_PROBE_HOLD="$(wt_winpath "$hold")" wt_start "$WT_DIR/first.json" "$probe" /s
first=$WT_PID
wt_wait_file "$WT_DIR/first.json" || wt_fail "first probe reported"
wt_check "first instance starts" "$(wt_json "$WT_DIR/first.json" .outcome)" Ready
workspace="$(wt_unixpath "$(wt_json "$WT_DIR/first.json" .workspace_folder)")"
wt_check "workspace filled by the first" "$(wt_files "$workspace")" "Guard Probe.002 Guard Probe.002~ "

# A second probe: ends at once, no run mode decoded.
wt_run_json "$WT_DIR/second.json" 0 "$probe" /c
wt_check "second probe: outcome" "$(wt_json "$WT_DIR/second.json" .outcome)" SecondInstance
wt_check "second probe: run mode untouched" "$(wt_json "$WT_DIR/second.json" .run_mode)" 1

# The real runtime, another screensaver on the same guard: ends at once with exit code 0,
# before it reads its payload.
start=$(date +%s%N)
WT_TIMEOUT=20 wt_run "$WT_DIR/runtime.out" "$(wt_winpath "$WT_DIR/Guard Runtime.scr")" /s
rc=$?
ms=$((($(date +%s%N) - start) / 1000000))
wt_check "real .scr as second instance: exit code (124: stopped at a box)" "$rc" 0
wt_check "no message box left" "$(xdotool search --name '^Guard Runtime$' 2>/dev/null)" ""
echo "     (second instance ended after $ms ms)"
# The second instance empties the shared workspace at its end, as every instance does.
wt_check "second instance emptied the workspace" "$(wt_files "$workspace")" ""

rm -f "$hold"
wait "$first"
wt_check "first instance exit code" "$?" 0

# The guard went with the first process.
wt_run_json "$WT_DIR/third.json" 0 "$probe" /c
wt_check "after the first ended: outcome" "$(wt_json "$WT_DIR/third.json" .outcome)" Ready
