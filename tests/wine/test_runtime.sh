#!/usr/bin/env bash
# The real flashsaver.scr, bare and with a payload, in every role: start-up succeeds, the
# program ends with exit code 0 and leaves the workspace empty; the roles that play the show
# (the full-screen window titled as the screensaver) are ended with Esc, the others end by
# themselves.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/fullscreen.sh"
wt_begin
# The packed copy's movie plays in the test control.
tc_register

workspace="$(wt_tempdir)/Kestro"
wt_settings "$WT_DIR/saver.ini" "ScrName=Runtime Test"
wt_pack "$WT_DIR/Runtime Test.scr" "$SAVER_RUNTIME" "$WT_DIR/saver.ini" \
    --item "$WT_SOURCE/data/blank.swf" || exit 1
cp "$SAVER_RUNTIME" "$WT_DIR/Bare Runtime.scr"
cp "$WT_DIR/Runtime Test.scr" "$WT_DIR/Runtime Test.exe"

# program ; arguments ("|"-separated) ; title of the show's window ("-": no show)
while IFS=';' read -r program args title; do
    IFS='|' read -r -a argv <<<"$args"
    what="$program [$args]"
    start=$(date +%s%N)
    if [ "$title" == "-" ]; then
        wt_run "$WT_DIR/out" "$(wt_winpath "$WT_DIR/$program")" "${argv[@]}"
        rc=$?
    else
        fs_start out "$WT_DIR/$program" "${argv[@]}"
        pid=$WT_PID
        if w=$(fs_window "$title"); then
            sleep 0.5
            fs_escape "$w" "$pid"
            rc=$FS_RC
        else
            wt_fail "$what: no show window '$title'"
            fs_wait_exit "$pid" 1
            rc=$FS_RC
        fi
    fi
    ms=$((($(date +%s%N) - start) / 1000000))
    wt_check "$what: exit code" "$rc" 0
    wt_check "$what: workspace emptied" "$(wt_files "$workspace")" ""
    if [ "$ms" -lt 10000 ]; then wt_pass "$what: ended ($ms ms)"; else wt_fail "$what: $ms ms"; fi
done <<'TABLE'
Runtime Test.scr;/s;Runtime Test
Runtime Test.scr;;-
Runtime Test.scr;/c:4711;-
Runtime Test.scr;/p|4711;-
Runtime Test.scr;/a|4711;-
Runtime Test.scr;/a|xyz;-
Runtime Test.exe;/c;Runtime Test
Bare Runtime.scr;/s;Screensaver Setting
Bare Runtime.scr;;-
TABLE

# The shipped program and the packed copy carry their marker exactly as intended.
wt_check "bare runtime holds no marker" "$(grep -c -a -F '#kestro#' "$WT_DIR/Bare Runtime.scr")" 0
wt_check "packed copy holds the marker once" "$(grep -c -a -F '#kestro#' "$WT_DIR/Runtime Test.scr")" 1
