#!/usr/bin/env bash
# "Exit only when press ESC key": the mouse moves freely over the movie, and the built-in player
# gets it. A finished screensaver holding swfgen's button sample (a button filling the stage:
# grey up, red under the pointer, blue pressed) shows the button's over state under the pointer
# and its down state while the button is held; the moves and the click do not end the show, Esc
# does.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/fullscreen.sh"
source "$WT_SOURCE/builtin_player.sh"
wt_begin

bp_sample button "$WT_DIR/button.swf" || exit 1

# bt_wait_colour WANT: screenshots of the screen's centre until it is WANT ("R,G,B", each
# channel within 16), for up to 15 s; prints the last colour seen, status 1 when WANT never came.
bt_wait_colour() {
    local i seen=""
    for i in $(seq 1 30); do
        if bp_shot "$WT_DIR/shot.png"; then
            seen=$(fs_pixel "$WT_DIR/shot.png" 512 384)
            if echo "$seen,$1" | awk -F, '{ for (i = 1; i <= 3; i++) if ($i - $(i + 3) > 16 || $(i + 3) - $i > 16) exit 1 }'; then
                echo "$seen"
                return 0
            fi
        fi
        sleep 0.5
    done
    echo "$seen"
    return 1
}

printf '[Set]\nScrName=Button Show\nMouseMove=1\nMousePress=1\nKeyboardPress=1\nOnlyEscKeyExit=1\nFlashSize=0\nFlashQuality=1\nFlashColor=0\n\n[Flash]\nbutton.swf=1\n' \
    >"$WT_DIR/button.ini"
fs_pack "Button Show" "$WT_DIR/button.ini" "$WT_DIR/button.swf" || exit 1
wt_xdo mousemove 10 10 || exit 1  # off the stage (shown as a square in the screen's middle)
fs_start button "$WT_DIR/Button Show.scr" /s
pid=$WT_PID
if ! w=$(fs_window 'Button Show'); then
    wt_fail "no full-screen window ($(fs_missing "$pid"))"
    exit 1
fi

# Wine learns where the pointer is from motion events: one now, still off the stage.
wt_xdo mousemove 12 12 || exit 1
seen=$(bt_wait_colour 128,128,128)
wt_check "the button is up while the pointer is off it (centre $seen)" "$?" 0
wt_xdo mousemove 500 380 mousemove 512 384 || exit 1
seen=$(bt_wait_colour 255,0,0)
wt_check "the pointer over it shows its over state (centre $seen)" "$?" 0
wt_xdo mousedown 1 || exit 1
seen=$(bt_wait_colour 0,0,255)
wt_check "held down, it shows its down state (centre $seen)" "$?" 0
wt_xdo mouseup 1 || exit 1
seen=$(bt_wait_colour 255,0,0)
wt_check "released, it is over again (centre $seen)" "$?" 0
wt_xdo mousemove 10 10 || exit 1
seen=$(bt_wait_colour 128,128,128)
wt_check "the pointer gone, it is up again (centre $seen)" "$?" 0

wt_check "moves and clicks did not end the show" "$(fs_alive "$pid")" 1
fs_escape "$w" "$pid"
wt_check "Esc ends it with exit code 0" "$FS_RC" 0
wt_check "window gone" "$(fs_gone 'Button Show')" 1
