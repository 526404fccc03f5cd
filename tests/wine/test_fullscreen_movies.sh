#!/usr/bin/env bash
# The full-screen show playing movies in the test control: the order of the movies, shuffle,
# restarting a single movie, the end and stall limits, skipped entries and the set-up values
# the control receives, all read from the control's call log; the cursor while movies play, read
# from Wine's trace of the ShowCursor calls. One tick of the 100 ms playback timer reads FrameNum
# once, so the FrameNum reads between two movie changes count the ticks a movie was given.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/fullscreen.sh"
wt_begin
tc_register

workspace="$(wt_tempdir)/Kestro"
# Movies of 20 frames/s: looping (10 frames), stopping at frame 2, running past its last frame.
for name in a b c; do tc_swf "$WT_DIR/${name}_overrun.swf" $((20 * 256)) 5; done
tc_swf "$WT_DIR/loop.swf" $((20 * 256)) 10
tc_swf "$WT_DIR/stall.swf" $((20 * 256)) 10
printf 'not a movie' >"$WT_DIR/junk.swf"

# show NAME SECONDS INI_LINES ITEMS...: packs and runs a show for SECONDS, then ends it with Esc.
show() {
    local name="$1" seconds="$2" lines="$3"
    shift 3
    printf '[Set]\nScrName=%s\nMouseMove=0\nMousePress=0\nKeyboardPress=1\n%b\n' "$name" "$lines" \
        >"$WT_DIR/$name.ini"
    fs_pack "$name" "$WT_DIR/$name.ini" "$@" || return 1
    fs_start "$name" "$WT_DIR/$name.scr" /s
    local pid=$WT_PID w
    if ! w=$(fs_window "$name"); then
        wt_fail "$name: no window"
        return 1
    fi
    sleep "$seconds"
    wt_check "$name: still playing" "$(fs_alive "$pid")" 1
    fs_escape "$w" "$pid"
    wt_check "$name: Esc ends it with exit code 0" "$FS_RC" 0
    wt_check "$name: workspace emptied" "$(wt_files "$workspace")" ""
}
# puts NAME PROPERTY: the values the show gave the control's property, one line.
puts() { sed -n "s/^put $2 //p" "$WT_DIR/$1.log" | tr '\n' ' '; }
# ticks NAME: FrameNum reads after each movie change, one number per movie ("a:N b:M ...").
ticks() {
    awk '/^put Movie / { if (m != "") printf "%s:%d ", m, n; m = $0; sub(/.*[\\\/]/, "", m); n = 0 }
         /^get FrameNum/ { n++ } END { if (m != "") printf "%s:%d", m, n }' "$WT_DIR/$1.log"
}

# --- in order, wrapping; set-up values ------------------------------------------------------
show Order 2.5 "FlashSequence=0\nFlashSize=1\nFlashQuality=3\nFlashColor=$((0x332211))\n\n[Flash]\na_overrun.swf=1\nb_overrun.swf=1\nc_overrun.swf=1" \
    "$WT_DIR/a_overrun.swf" "$WT_DIR/b_overrun.swf" "$WT_DIR/c_overrun.swf"
wt_check "order: movies in list order, wrapping" "$(fs_movies Order | cut -d' ' -f1-5)" \
    "a_overrun.swf b_overrun.swf c_overrun.swf a_overrun.swf b_overrun.swf"
wt_check "order: colour 0x00BBGGRR arrives as 0x00RRGGBB" "$(puts Order BackgroundColor)" "$((0x112233)) "
wt_check "order: quality as set" "$(puts Order Quality)" "3 "
wt_check "order: align mode 0" "$(puts Order AlignMode)" "0 "

# --- scale mode per FlashSize, shuffle never repeats a movie back to back ----------------------
show Shuffle 2.5 "FlashSequence=1\nFlashSize=0\n\n[Flash]\na_overrun.swf=1\nb_overrun.swf=1\nc_overrun.swf=1" \
    "$WT_DIR/a_overrun.swf" "$WT_DIR/b_overrun.swf" "$WT_DIR/c_overrun.swf"
movies=$(fs_movies Shuffle)
wt_check "shuffle: several movies played" "$(echo "$movies" | awk '{ print (NF >= 4) }')" 1
wt_check "shuffle: no movie twice in a row" \
    "$(echo "$movies" | awk '{ for (i = 2; i <= NF; i++) if ($i == $(i - 1)) r++; print r + 0 }')" 0
wt_check "scale mode for FlashSize 1, 0" "$(puts Order ScaleMode)$(puts Shuffle ScaleMode)" "2 0 "

# --- a single movie is rewound and played again, not reloaded ----------------------------------
show Single 1.5 "FlashSize=2\n\n[Flash]\na_overrun.swf=1" "$WT_DIR/a_overrun.swf"
wt_check "single: loaded once" "$(fs_movies Single)" "a_overrun.swf "
wt_check "single: restarted with Rewind and Play" \
    "$(grep -E '^call ' "$WT_DIR/Single.log" | head -4 | tr '\n' '|')" "call Rewind|call Play|call Rewind|call Play|"
wt_check "scale mode for FlashSize 2" "$(puts Single ScaleMode)" "3 "

# --- end and stall limits, skipped entries ---------------------------------------------------
# FlashStopTime 1 s, FlashDownloadTime 2 s: the looping and the stalled movie get about 1 s
# after their highest frame, the overrun one ends at once, the file that is no movie and the
# address (no frame at all) get 2 s; the entry that names no packed file is skipped.
show Limits 9 "FlashSequence=0\nFlashSize=7\nFlashStopTime=1\nFlashDownloadTime=2\n\n[Flash]\nloop.swf=1\nstall.swf=1\nnothere.swf=1\njunk.swf=1\nhttp://example.invalid/remote.swf=1\nb_overrun.swf=1" \
    "$WT_DIR/loop.swf" "$WT_DIR/stall.swf" "$WT_DIR/junk.swf" "$WT_DIR/b_overrun.swf"
wt_check "limits: movies in order, the missing one skipped" "$(fs_movies Limits | cut -d' ' -f1-6)" \
    "loop.swf stall.swf junk.swf remote.swf b_overrun.swf loop.swf"
# movie:lowest:highest ticks
read -r -a given <<<"$(ticks Limits)"
while IFS=: read -r movie low high; do
    n=$(printf '%s\n' "${given[@]}" | grep -m1 "^$movie:" | cut -d: -f2)
    if [ -n "$n" ] && [ "$n" -ge "$low" ] && [ "$n" -le "$high" ]; then
        wt_pass "limits: $movie replaced after $n ticks"
    else
        wt_fail "limits: $movie replaced after '${n:-?}' ticks, expected $low-$high"
    fi
done <<'EOT'
loop.swf:13:19
stall.swf:11:15
junk.swf:20:23
remote.swf:20:23
b_overrun.swf:2:6
EOT
wt_check "scale mode untouched for FlashSize 7" "$(puts Limits ScaleMode)" ""

# --- the cursor while a movie plays ------------------------------------------------------------
# Each tick hides the cursor once before its FrameNum read, so the display count falls by one a
# tick and the hiding calls match the reads; the exit key and the close show it once each. With
# ShowCursor on it is never hidden.
WINEDEBUG=-all,+cursor show Hidden 1 "ShowCursor=0\n\n[Flash]\nloop.swf=1" "$WT_DIR/loop.swf"
n=$(grep -c '^get FrameNum' "$WT_DIR/Hidden.log")
wt_check "cursor hidden: at least 5 ticks in 1 s" "$((n >= 5))" 1
wt_check "cursor hidden: one hiding call a tick, count below 0 while playing, 2 shows at the end" \
    "$(fs_cursor Hidden)" \
    "$(awk -v n="$n" 'BEGIN { for (i = 1; i <= n; i++) printf "0:%d ", -i; printf "1:%d 1:%d ", 1 - n, 2 - n }')"
WINEDEBUG=-all,+cursor show Visible 1 "ShowCursor=1\n\n[Flash]\nloop.swf=1" "$WT_DIR/loop.swf"
wt_check "cursor setting on: at least 5 ticks in 1 s" "$(($(grep -c '^get FrameNum' "$WT_DIR/Visible.log") >= 5))" 1
wt_check "cursor setting on: never hidden, shown at the exit key and at the close" \
    "$(fs_cursor Visible)" "1:1 1:2 "
