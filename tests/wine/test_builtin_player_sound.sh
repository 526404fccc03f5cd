#!/usr/bin/env bash
# A movie with a stream sound in the built-in player: the timeline follows the sound, so the
# frames shown over a few seconds advance at the movie's rate (12 fps) and the movie plays to
# its last frame and round again. Once with Wine's audio as this machine has it, once with
# Wine's audio driver switched off (no audio device at all): the show then plays silently, in
# step all the same, and shows no message.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/fullscreen.sh"
wt_begin

swfgen="${SAVERPACK%/saverpack/saverpack}/swfwriter/swfgen"
[ -x "$swfgen" ] || { wt_fail "host swfgen missing: $swfgen"; exit 1; }
"$swfgen" sample toneclock -o "$WT_DIR/clock.swf" >"$WT_DIR/swfgen.out" 2>&1 ||
    { wt_fail "swfgen sample toneclock: $(cat "$WT_DIR/swfgen.out")"; exit 1; }
printf '[Set]\nScrName=Sound Clock\nMouseMove=0\nMousePress=0\nKeyboardPress=1\nFlashSize=2\nFlashStopTime=60\nFlashMute=0\n\n[Flash]\nclock.swf=1\n' \
    >"$WT_DIR/clock.ini"
fs_pack "Sound Clock" "$WT_DIR/clock.ini" "$WT_DIR/clock.swf" || exit 1

# play_clock LABEL: runs the show for about 6 s of screenshots; each shot's time (ms since the
# first) and the frame it shows (the stage's red is 5 x the frame) go to $WT_DIR/LABEL.frames.
play_clock() {
    local label="$1" pid w start now rgb
    fs_start "$label" "$WT_DIR/Sound Clock.scr" /s
    pid=$WT_PID
    if ! w=$(fs_window 'Sound Clock'); then
        wt_fail "$label: no full-screen window ($(fs_missing "$pid"))"
        return 1
    fi
    sleep 1
    : >"$WT_DIR/$label.frames"
    start=$(date +%s%N)
    while [ $(($(date +%s%N) - start)) -lt 6000000000 ]; do
        now=$((($(date +%s%N) - start) / 1000000))
        if bp_shot_center "$WT_DIR/$label.png"; then
            rgb=$(fs_pixel "$WT_DIR/$label.png" 512 384)
            echo "$now $rgb" >>"$WT_DIR/$label.frames"
        fi
        sleep 0.2
    done
    wt_check "$label: still playing" "$(fs_alive "$pid")" 1
    wt_check "$label: no message box" "$(xdotool search --name '^Error$' 2>/dev/null | wc -l)" 0
    fs_escape "$w" "$pid"
    wt_check "$label: Esc ends it with exit code 0" "$FS_RC" 0
}

# bp_shot_center OUT: a screenshot of the whole display (three tries).
bp_shot_center() {
    local try
    for try in 1 2 3; do
        import -display "$DISPLAY" -window root "$1" 2>/dev/null && return 0
        sleep 0.2
    done
    return 1
}

# check_clock LABEL: the frames seen advance at 12 fps (within 20%) over the run, unwrapped at
# the loop, and the movie came round from its last frames to its first (shots are about half a
# second, six frames, apart: from frame 36 or later to frame 12 or earlier).
check_clock() {
    local label="$1" verdict
    verdict=$(awk -F'[ ,]' '
        $3 != 0 || $4 != 128 { bad++; next }
        {
            f = int($2 / 5 + 0.5)
            if (n > 0 && f < last) { loops++; if (last >= 36 && f <= 12) ended = 1 }
            if (n == 0) { t0 = $1; f0 = f }
            t = $1; u = f + 48 * loops; last = f; n++
        }
        END {
            if (n < 5) { print "too few screenshots (" n ")"; exit }
            rate = (u - f0) * 1000 / (t - t0)
            printf "%s %.1f fps over %d shots, %d loops, %d other", \
                (rate > 9.6 && rate < 14.4 && ended && bad <= 2) ? "ok" : "bad", rate, n, loops, bad
        }' "$WT_DIR/$label.frames")
    echo "$label: $verdict"
    wt_check "$label: frames in step with the sound at 12 fps, end reached ($verdict)" \
        "${verdict%% *}" ok
}

play_clock with_audio && check_clock with_audio

# Wine's audio switched off for this prefix: no device for waveOut to open.
wt_reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d "" /f || exit 1
play_clock no_audio && check_clock no_audio
