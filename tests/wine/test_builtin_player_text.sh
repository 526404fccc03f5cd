#!/usr/bin/env bash
# A finished screensaver holding a clock movie (written by swfgen): static text in a font
# embedded in the movie, and a text field in a system font that the movie's script fills with
# the time of day every frame. With no Flash control on the system the built-in player plays
# it: the red title and the blue clock digits are on the screen, and the digits change
# from one second to the next.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/fullscreen.sh"
source "$WT_SOURCE/builtin_player.sh"
wt_begin

bp_sample clock "$WT_DIR/clock.swf" || exit 1

workspace="$(wt_tempdir)/Kestro"
printf '[Set]\nScrName=Text Clock\nMouseMove=0\nMousePress=0\nKeyboardPress=1\nFlashSequence=0\nFlashSize=0\nFlashQuality=1\nFlashStopTime=60\nFlashColor=%d\n\n[Flash]\nclock.swf=1\n' \
    "$BP_WHITE" >"$WT_DIR/clock.ini"
fs_pack "Text Clock" "$WT_DIR/clock.ini" "$WT_DIR/clock.swf" || exit 1
fs_start clock "$WT_DIR/Text Clock.scr" /s
pid=$WT_PID
if ! w=$(fs_window 'Text Clock'); then
    wt_fail "no full-screen window ($(fs_missing "$pid"))"
    exit 1
fi

# The 400 x 300 stage fills the 1024 x 768 screen (2.56 screen pixels to a stage pixel): the
# title lies in (102..947, 115..256), the clock field in (102..922, 358..563).
title_seen=0
first=""
for i in $(seq 1 40); do
    bp_shot "$WT_DIR/shot_a.png" || continue
    title=$(bp_count_colour "$WT_DIR/shot_a.png" 102 115 845 141 'rgb(200,0,0)')
    digits=$(bp_count_colour "$WT_DIR/shot_a.png" 102 358 820 205 'rgb(0,0,200)')
    if [ "${title:-0}" -gt 5000 ] && [ "${digits:-0}" -gt 500 ]; then
        title_seen=1
        first=$digits
        break
    fi
    [ "$(fs_alive "$pid")" == 1 ] || break
    sleep 0.5
done
wt_check "the title and the clock are drawn (red ${title:-?}, blue ${digits:-?} pixels; show running: $(fs_alive "$pid"))" \
    "$title_seen" 1

# Two seconds later the digits differ (the seconds at least).
sleep 2.2
bp_shot "$WT_DIR/shot_b.png" || wt_fail "no second screenshot"
changed=$(bp_region_differs "$WT_DIR/shot_a.png" "$WT_DIR/shot_b.png" 102 358 820 205)
wt_check "the clock changed (${changed:-?} pixels differ)" "$(( ${changed:-0} > 200 ))" 1
same_title=$(bp_region_differs "$WT_DIR/shot_a.png" "$WT_DIR/shot_b.png" 102 115 845 141)
wt_check "the title stayed (${same_title:-?} pixels differ)" "$(( ${same_title:-999999} < 50 ))" 1
[ -n "${SAVER_DOCS_SHOT:-}" ] && convert "$WT_DIR/shot_b.png" -resize 512x384 "$SAVER_DOCS_SHOT"

wt_check "still playing" "$(fs_alive "$pid")" 1
fs_escape "$w" "$pid"
wt_check "Esc ends it with exit code 0" "$FS_RC" 0
wt_check "workspace emptied" "$(wt_files "$workspace")" ""
wt_check "window gone" "$(fs_gone 'Text Clock')" 1
