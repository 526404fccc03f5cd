#!/usr/bin/env bash
# A finished screensaver with two real movies and no Flash control on the system: the built-in
# player plays them in turn full screen, each looking as the host renders it; a one-frame movie
# makes no new highest frame, so FlashStopTime (1 s) moves the show to the next; Esc ends it.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/fullscreen.sh"
source "$WT_SOURCE/builtin_player.sh"
wt_begin
bp_prepare || exit 1

workspace="$(wt_tempdir)/Kestro"
printf '[Set]\nScrName=Two Movies\nMouseMove=0\nMousePress=0\nKeyboardPress=1\nFlashSequence=0\nFlashSize=0\nFlashQuality=1\nFlashStopTime=1\nFlashColor=%d\n\n[Flash]\na.swf=1\nb.swf=1\n' \
    "$BP_WHITE" >"$WT_DIR/two.ini"
fs_pack "Two Movies" "$WT_DIR/two.ini" "$WT_DIR/a.swf" "$WT_DIR/b.swf" || exit 1
fs_start two "$WT_DIR/Two Movies.scr" /s
pid=$WT_PID
if ! w=$(fs_window 'Two Movies'); then
    wt_fail "no full-screen window"
    exit 1
fi

# About 5 s of screenshots (each movie holds the screen for a little over 1 s), compared with
# the host renderings afterwards.
start=$(date +%s%N)
n=0
while [ $(($(date +%s%N) - start)) -lt 5000000000 ]; do
    n=$((n + 1))
    bp_shot "$WT_DIR/shot$n.png"
    sleep 0.4
done
seen=""
for i in $(seq 1 "$n"); do
    which=$(bp_which "$WT_DIR/shot$i.png")
    seen="$seen$which"
    [ "$which" == "?" ] || rm -f "$WT_DIR/shot$i.png"
done
echo "screens seen: $seen"
# The sequence without repeats: A then B then A again (or starting at B) shows both movies in
# turn and the end of each moving the show on. Black screens (K) come between movies, while the
# next one loads, and count for neither.
order=$(echo "$seen" | tr -d '?K' | tr -s 'AB')
wt_check "both movies shown in turn (screens: $seen)" "$(echo "$order" | grep -cE 'ABA|BAB')" 1
wt_check "screens matching neither movie are rare (screens: $seen)" \
    "$(($(echo "$seen" | tr -cd '?' | wc -c) <= 3))" 1

wt_check "still playing" "$(fs_alive "$pid")" 1
fs_escape "$w" "$pid"
wt_check "Esc ends it with exit code 0" "$FS_RC" 0
wt_check "workspace emptied" "$(wt_files "$workspace")" ""
wt_check "window gone" "$(fs_gone 'Two Movies')" 1

# A click on the player's window ends a show that exits on mouse presses, as on the control's.
printf '[Set]\nScrName=Click Movie\nMouseMove=0\nMousePress=1\nKeyboardPress=0\nFlashColor=%d\n\n[Flash]\na.swf=1\n' \
    "$BP_WHITE" >"$WT_DIR/click.ini"
fs_pack "Click Movie" "$WT_DIR/click.ini" "$WT_DIR/a.swf" || exit 1
fs_start click "$WT_DIR/Click Movie.scr" /s
pid=$WT_PID
if w=$(fs_window 'Click Movie'); then
    sleep 1
    bp_shot "$WT_DIR/click.png"
    wt_check "click show: the movie plays" "$(bp_which "$WT_DIR/click.png")" A
    wt_xdo mousemove 500 400 click 1
    fs_wait_exit "$pid"
    wt_check "a click on the movie ends it with exit code 0" "$FS_RC" 0
else
    wt_fail "click show: no window"
fi
