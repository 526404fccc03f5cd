#!/usr/bin/env bash
# The screensaver roles as Windows passes them, split by the real C runtime of the program:
# the probe reports the run mode and window handles that start-up decoded.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

probe="$WT_DIR/cmdline_probe.exe"
cp "$SAVER_PROBE" "$probe"

# arguments (one per "|"-separated field) ; run mode ; parent window ; return window set?
# The return window is taken from the foreground window in run modes 2 and 3 only, so there it
# is not checked (whether anything is in the foreground depends on the display).
row=0
while IFS=';' read -r args mode parent ret; do
    IFS='|' read -r -a argv <<<"$args"
    row=$((row + 1))
    out="$WT_DIR/row$row.json"
    wt_run_json "$out" 0 "$(wt_winpath "$probe")" "${argv[@]}" || continue
    what="args [${args}]"
    wt_check "$what: run mode" "$(wt_json "$out" .run_mode)" "$mode"
    wt_check "$what: parent window" "$(wt_json "$out" .parent_window)" "$parent"
    [ "$ret" == "-" ] || wt_check "$what: return window" "$(wt_json "$out" .return_window_nonzero)" "$ret"
done <<'TABLE'
;1;0;false
/s;3;0;-
-S;3;0;-
/save;3;0;-
xs;3;0;-
/c;2;0;-
/c:4711;2;0;-
/CONFIG;2;0;-
/p|4711;4;4711;false
/P|4711;4;4711;false
/p:4711;1;0;false
/p;1;0;false
/a|4711;5;4711;false
/a;1;0;false
/a|xyz;5;0;false
/p|-12;4;-12;false
/p|4294967297;4;4294967297;false
/s|4711;3;0;-
/p|47 11;4;0;false
/s /p|4711;3;0;-
TABLE
