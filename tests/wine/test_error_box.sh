#!/usr/bin/env bash
# A start-up error that ends the program: a finished screensaver whose settings archive is cut
# short. The probe reports the error text; the real .scr shows it in a message box, ends once
# the box is answered and leaves the workspace empty.
#
# The text of a message box is drawn inside its window and is not an X property; Wine's
# "msgbox" debug channel logs it when the box opens, which is what the test reads.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

workspace="$(wt_tempdir)/Kestro"
wt_settings "$WT_DIR/saver.ini" "ScrName=Broken"
for program in "$SAVER_PROBE:Broken Probe.scr" "$SAVER_RUNTIME:Broken Saver.scr"; do
    wt_pack "$WT_DIR/${program#*:}" "${program%%:*}" "$WT_DIR/saver.ini" \
        --item "$WT_SOURCE/data/blank.swf" || exit 1
    # Cut into the end-of-central-directory record.
    truncate -s -12 "$WT_DIR/${program#*:}"
done

out="$WT_DIR/probe.json"
wt_run_json "$out" 1 "$(wt_winpath "$WT_DIR/Broken Probe.scr")" /s
wt_check "probe: outcome" "$(wt_json "$out" .outcome)" Failed
wt_check "probe: error text" "$(wt_json "$out" .error)" "Incomplete Zip File"
wt_check "probe: workspace emptied" "$(wt_files "$workspace")" ""

WINEDEBUG=-all,+msgbox wt_start "$WT_DIR/saver.out" "$(wt_winpath "$WT_DIR/Broken Saver.scr")" /s
pid=$WT_PID
if window=$(wt_wait_window '^Broken Saver$'); then
    wt_pass "message box shown"
    sleep 0.5
    wt_check "message text" "$(grep -o 'Incomplete Zip File' "$WT_DIR/saver.out.err" | head -1)" \
        "Incomplete Zip File"
    wt_check "archive copy in the workspace while the box is up" \
        "$(wt_files "$workspace")" "Broken Saver.002~ "
    # Through the X test extension to the focused window (the box): a key sent with XSendEvent
    # to the box was seen to reach the next test's dialog, its window id reused.
    wt_xdo key Return
else
    wt_fail "no message box titled 'Broken Saver'"
fi
wait "$pid"
rc=$?
wt_check "ends after the box is answered (exit code 1)" "$rc" 1
wt_check "workspace emptied" "$(wt_files "$workspace")" ""
# A key sent to a window that closes on it can still reach the next program's window for about
# a second (X window ids are reused); let it drain before the next test takes the display.
sleep 2
