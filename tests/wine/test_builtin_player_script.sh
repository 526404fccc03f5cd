#!/usr/bin/env bash
# A finished screensaver holding a scripted movie (swfgen's scriptclock): the movie's script
# draws the clock's hands from the Date object every frame with the drawing API, makes sparks
# at the second hand's tip with duplicateMovieClip, and writes the time into a text field in
# an embedded font and the date into one in a system font. With no Flash control on the system
# the built-in player plays it: the dial, its hands, the sparks and both fields are on the
# screen, the picture moves on with the time, and Esc ends the show.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/fullscreen.sh"
source "$WT_SOURCE/builtin_player.sh"
wt_begin

bp_sample scriptclock "$WT_DIR/scriptclock.swf" || exit 1


workspace="$(wt_tempdir)/Kestro"
# FlashColor 2626576 is the movie's own background (16,20,40) as a Windows colour.
printf '[Set]\nScrName=Script Clock\nMouseMove=0\nMousePress=0\nKeyboardPress=1\nFlashSequence=0\nFlashSize=0\nFlashQuality=1\nFlashStopTime=60\nFlashColor=2626576\n\n[Flash]\nscriptclock.swf=1\n' \
    >"$WT_DIR/script.ini"
fs_pack "Script Clock" "$WT_DIR/script.ini" "$WT_DIR/scriptclock.swf" || exit 1
fs_start script "$WT_DIR/Script Clock.scr" /s
pid=$WT_PID
if ! w=$(fs_window 'Script Clock'); then
    wt_fail "no full-screen window ($(fs_missing "$pid"))"
    exit 1
fi

# The 560 x 320 stage is shown whole on the 1024 x 768 screen: 1.83 screen pixels to a stage
# pixel, 91 px bars above and below. The dial lies in (73..512, 165..603), the time field in
# (567..1006, 281..384), the date field in (567..1006, 431..487). The square inside the dial
# (INNER) holds the hands but neither the hour marks nor the bars' colour, which is close to
# the hands'.
DIAL="73 165 440 440"
INNER="137 229 310 310"
TIME="567 281 440 104"
DATE="567 431 440 57"
drawn=0
for i in $(seq 1 40); do
    if bp_shot "$WT_DIR/shot_a.png"; then
        face=$(bp_count_colour "$WT_DIR/shot_a.png" $DIAL 'rgb(236,238,244)')
        hands=$(bp_count_colour "$WT_DIR/shot_a.png" $INNER 'rgb(30,36,64)' 6)
        second=$(bp_count_colour "$WT_DIR/shot_a.png" $DIAL 'rgb(210,30,30)')
        digits=$(bp_count_colour "$WT_DIR/shot_a.png" $TIME 'rgb(255,196,60)')
        if [ "${face:-0}" -gt 50000 ] && [ "${hands:-0}" -gt 1500 ] && [ "${second:-0}" -gt 150 ] &&
            [ "${digits:-0}" -gt 1500 ]; then
            drawn=1
            break
        fi
    fi
    sleep 0.5
done
wt_check "dial, hands and the time in the embedded font drawn (dial ${face:-?}, hands ${hands:-?}, second hand ${second:-?}, digits ${digits:-?} pixels)" \
    "$drawn" 1
date_px=$(bp_count_colour "$WT_DIR/shot_a.png" $DATE 'rgb(200,210,235)' 20)
wt_check "the date in the system font drawn (${date_px:-?} pixels)" "$(( ${date_px:-0} > 150 ))" 1
# Each spark is a few hundred pixels of light blue; a frame shows a dozen or more.
sparks=$(bp_count_colour "$WT_DIR/shot_a.png" $DIAL 'rgb(140,230,255)' 10)
wt_check "sparks drawn (${sparks:-?} pixels)" "$(( ${sparks:-0} > 200 ))" 1

# A second and a half later the second hand has turned 9 degrees, other sparks fly and the
# seconds of the time have changed; the bars outside the stage stay as they were.
sleep 1.5
bp_shot "$WT_DIR/shot_b.png" || wt_fail "no second screenshot"
moved=$(bp_region_differs "$WT_DIR/shot_a.png" "$WT_DIR/shot_b.png" $DIAL)
wt_check "the dial changed with the time (${moved:-?} pixels differ)" "$(( ${moved:-0} > 300 ))" 1
ticked=$(bp_region_differs "$WT_DIR/shot_a.png" "$WT_DIR/shot_b.png" $TIME)
wt_check "the time changed (${ticked:-?} pixels differ)" "$(( ${ticked:-0} > 200 ))" 1
bars=$(bp_region_differs "$WT_DIR/shot_a.png" "$WT_DIR/shot_b.png" 0 0 1024 88)
wt_check "the bar above the stage stayed (${bars:-?} pixels differ)" "$(( ${bars:-999999} < 50 ))" 1
[ -n "${SAVER_DOCS_SHOT:-}" ] && convert "$WT_DIR/shot_b.png" -resize 512x384 "$SAVER_DOCS_SHOT"

wt_check "still playing" "$(fs_alive "$pid")" 1
fs_escape "$w" "$pid"
wt_check "Esc ends it with exit code 0" "$FS_RC" 0
wt_check "workspace emptied" "$(wt_files "$workspace")" ""
wt_check "window gone" "$(fs_gone 'Script Clock')" 1
