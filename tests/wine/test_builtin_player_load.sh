#!/usr/bin/env bash
# A movie that takes seconds to decode (a CWS file of 1 MB inflating to 200 MB of empty tags)
# decodes off the window's thread: Esc while it loads ends the show within 500 ms, measured
# from the key to the show's window leaving the screen.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/fullscreen.sh"
wt_begin

movie="$WT_DIR/heavy.swf"
swfgen="${SAVERPACK%/saverpack/saverpack}/swfwriter/swfgen"
if [ -x "$swfgen" ]; then
    "$swfgen" sample solid -o "$movie" --compress --pad-megabytes 200 >"$WT_DIR/swfgen.out" 2>&1
else
    wt_run "$WT_DIR/swfgen.out" "$(dirname "$SAVER_RUNTIME")/tools/swfwriter/swfgen.exe" \
        sample solid -o "$(wt_winpath "$movie")" --compress --pad-megabytes 200
fi
wt_check "swfgen exit code" "$?" 0
wt_check "heavy movie written, small compressed" \
    "$([ -s "$movie" ] && [ "$(stat -c %s "$movie")" -lt 2000000 ] && echo 1 || echo 0)" 1

printf '[Set]\nScrName=Heavy Movie\nMouseMove=0\nMousePress=0\nKeyboardPress=1\nFlashDownloadTime=60\nFlashStopTime=60\n\n[Flash]\nheavy.swf=1\n' \
    >"$WT_DIR/heavy.ini"
fs_pack "Heavy Movie" "$WT_DIR/heavy.ini" "$movie" || exit 1
fs_start heavy "$WT_DIR/Heavy Movie.scr" /s
pid=$WT_PID
if ! fs_window 'Heavy Movie' >/dev/null; then
    wt_fail "no full-screen window"
    exit 1
fi
sleep 1  # the first tick has made the player and set the movie: it is decoding now

start=$(date +%s%N)
xdotool key Escape 2>/dev/null || wt_fail "xdotool Escape"
shown=1
while [ $(($(date +%s%N) - start)) -lt 10000000000 ]; do
    if [ -z "$(xdotool search --onlyvisible --name '^Heavy Movie$' 2>/dev/null)" ]; then
        shown=0
        break
    fi
    sleep 0.02
done
ms=$((($(date +%s%N) - start) / 1000000))
echo "Esc to window gone: $ms ms"
wt_check "the window left the screen" "$shown" 0
wt_check "within 500 ms of Esc (took $ms ms)" "$((ms <= 500))" 1
fs_wait_exit "$pid"
wt_check "the show ends with exit code 0" "$FS_RC" 0
wt_check "workspace emptied" "$(wt_files "$(wt_tempdir)/Kestro")" ""

# A movie the decoder refuses (its error is thrown and caught on the worker thread) leaves the
# show black and running; Esc ends it.
printf 'CWS\x08\x00\x10\x00\x00not deflate data at all' >"$WT_DIR/broken.swf"
printf '[Set]\nScrName=Broken Movie\nMouseMove=0\nMousePress=0\nKeyboardPress=1\n\n[Flash]\nbroken.swf=1\n' \
    >"$WT_DIR/broken.ini"
fs_pack "Broken Movie" "$WT_DIR/broken.ini" "$WT_DIR/broken.swf" || exit 1
fs_start broken "$WT_DIR/Broken Movie.scr" /s
pid=$WT_PID
if w=$(fs_window 'Broken Movie'); then
    sleep 1.5
    wt_check "broken movie: the show keeps running" "$(fs_alive "$pid")" 1
    fs_escape "$w" "$pid"
    wt_check "broken movie: Esc ends it with exit code 0" "$FS_RC" 0
else
    wt_fail "broken movie: no full-screen window"
fi
