#!/usr/bin/env bash
# Every command line of the settings role opens the settings dialog, and its close button ends
# the program without storing anything.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/config_dialog.sh"
wt_begin

scr="$WT_DIR/Aqua.scr"
ini="$WT_DIR/Aqua.002"
cp "$SAVER_RUNTIME" "$scr"
printf '[Set]\r\nScrName=Deep Blue Sea\r\n' >"$ini"
original="$(md5sum <"$ini")"

# Every command line that selects the settings role opens the dialog; closing it stores
# nothing.
for args in "" "/c" "/c:4711" "/p" "/p:4711" "/a"; do
    # shellcheck disable=SC2086
    wt_start "$WT_DIR/run.out" "$(wt_winpath "$scr")" $args
    RUN=$WT_PID
    probe wait dump close >"$WT_DIR/dump.json"
    wt_check "[$args] dialog caption" "$(wt_json "$WT_DIR/dump.json" .caption)" \
        "Zivuv Eredo Setting - Deep Blue Sea"
    ended
    wt_check "[$args] close button ends the program" "$RC" "0"
done
wt_check "close stores nothing" "$(md5sum <"$ini")" "$original"

