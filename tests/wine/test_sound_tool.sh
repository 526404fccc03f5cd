#!/usr/bin/env bash
# The sound layer built for Windows: swfaudio.exe renders a movie's sound (an ADPCM event
# sound from the swfdec set) to the same WAV bytes as the host build, and --play goes through
# the waveOut output: on this machine it either plays or, without a device, carries on
# silently; either way it ends cleanly.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

movie="$SAVER_SOURCE_DIR/../shared/testdata/swf/swfdec-sound/adpcm-4-2.swf"
[ -x "$SAVER_HOST_SWFAUDIO" ] || { wt_fail "host swfaudio missing: $SAVER_HOST_SWFAUDIO"; exit 1; }
"$SAVER_HOST_SWFAUDIO" "$movie" --seconds 1.5 -o "$WT_DIR/host.wav" >/dev/null
wt_check "host render: exit code" "$?" 0

wt_run "$WT_DIR/render.out" "$SAVER_SWFAUDIO" "$(wt_winpath "$movie")" --seconds 1.5 \
    -o "$(wt_winpath "$WT_DIR/win.wav")"
wt_check "render: exit code" "$?" 0
wt_check "render: 1.5 s of 44.1 kHz stereo" "$(stat -c %s "$WT_DIR/win.wav" 2>/dev/null)" \
    $((44 + 66150 * 4))
cmp -s "$WT_DIR/host.wav" "$WT_DIR/win.wav"
wt_check "render: the same samples as the host build" "$?" 0

WT_TIMEOUT=60 wt_run "$WT_DIR/play.out" "$SAVER_SWFAUDIO" "$(wt_winpath "$movie")" \
    --seconds 1 --play
wt_check "play: exit code" "$?" 0
outcome="$(grep -Eo '^(played [0-9.]+ s|no audio device)' "$WT_DIR/play.out")"
case "$outcome" in
    "no audio device") wt_pass "play: no device, the movie plays silently" ;;
    played*) wt_pass "play: $outcome through waveOut" ;;
    *) wt_fail "play: unexpected output: $(cat "$WT_DIR/play.out")" ;;
esac
