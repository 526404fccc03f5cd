#!/usr/bin/env bash
# Enter in the settings dialog presses the focused button: right after the dialog opens that is
# Cancel, so nothing is stored; after Shift+Tab to OK it is OK, and the settings file is
# written. The keys go through the X test extension to the focused window (the dialog).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/config_dialog.sh"
wt_begin

scr="$WT_DIR/Enter.scr"
ini="$WT_DIR/Enter.002"
cp "$SAVER_RUNTIME" "$scr"

# keys KEY...: waits for the dialog's window, then sends the keys one by one.
keys() {
    local k
    if ! wt_wait_window '^Zivuv Eredo Setting' 150 >/dev/null; then
        wt_fail "no dialog window"
        return 1
    fi
    sleep 1
    for k in "$@"; do
        xdotool key "$k" 2>/dev/null || wt_fail "xdotool key $k"
        sleep 0.3
    done
}

open_dialog "$scr" /c
wt_check "dialog open" "$(wt_json "$WT_DIR/dump.json" '.caption | startswith("Zivuv Eredo Setting")')" true
keys Return
for _ in $(seq 1 100); do
    kill -0 "$RUN" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$RUN" 2>/dev/null; then
    wt_fail "Enter right after opening did not end the dialog"
else
    ended
    wt_check "Enter right after opening ends the dialog" "$RC" 0
fi
wt_check "Enter right after opening stores nothing" "$([ -e "$ini" ] && echo written || echo none)" none

rm -f "$ini"
open_dialog "$scr" /c
keys shift+Tab Return
for _ in $(seq 1 100); do
    kill -0 "$RUN" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$RUN" 2>/dev/null; then
    wt_fail "Shift+Tab, Enter did not end the dialog"
else
    ended
    wt_check "Shift+Tab, Enter ends the dialog" "$RC" 0
fi
wt_check "Shift+Tab to OK, Enter stores the settings" "$([ -s "$ini" ] && echo written || echo none)" written
