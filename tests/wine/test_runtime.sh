#!/usr/bin/env bash
# The real flashsaver.scr, bare and with a payload, in every role: start-up succeeds, the
# program ends with the expected exit code and leaves the workspace empty; the roles with a
# window (the show titled as the screensaver, the settings dialog) are ended with Esc, the
# others end by themselves.
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

# program ; arguments ("|"-separated) ; title of its window ("-": none) ; exit code
while IFS=';' read -r program args title expected; do
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
            wt_fail "$what: no window '$title'"
            fs_wait_exit "$pid" 1
            rc=$FS_RC
        fi
    fi
    ms=$((($(date +%s%N) - start) / 1000000))
    wt_check "$what: exit code" "$rc" "$expected"
    wt_check "$what: workspace emptied" "$(wt_files "$workspace")" ""
    if [ "$ms" -lt 10000 ]; then wt_pass "$what: ended ($ms ms)"; else wt_fail "$what: $ms ms"; fi
done <<'TABLE'
Runtime Test.scr;/s;Runtime Test;0
Runtime Test.scr;;Zivuv Eredo Setting - Runtime Test;0
Runtime Test.scr;/c:4711;Zivuv Eredo Setting - Runtime Test;0
Runtime Test.scr;/p|4711;-;1
Runtime Test.scr;/a|4711;-;0
Runtime Test.scr;/a|xyz;-;0
Runtime Test.exe;/c;Runtime Test;0
Bare Runtime.scr;/s;Screensaver Setting;0
Bare Runtime.scr;;Zivuv Eredo Setting - Screensaver Setting;0
TABLE

# The shipped program and the packed copy carry their marker exactly as intended.
wt_check "bare runtime holds no marker" "$(grep -c -a -F '#kestro#' "$WT_DIR/Bare Runtime.scr")" 0
wt_check "packed copy holds the marker once" "$(grep -c -a -F '#kestro#' "$WT_DIR/Runtime Test.scr")" 1
