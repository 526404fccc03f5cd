#!/usr/bin/env bash
# The Flash control host against the test control registered under the control's class id:
# the hosting protocol, the set-up values, movie loading and the frame counter of looping,
# stalled, overrunning and missing movies, Rewind and Play, resizing and destruction.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/testcontrol/testcontrol.sh"
wt_begin

tc_register

# --- movies ------------------------------------------------------------------------------------
tc_swf "$WT_DIR/loop.swf" $((20 * 256)) 10
tc_swf "$WT_DIR/fraction.swf" $((12 * 256 + 128)) 100
tc_swf "$WT_DIR/packed.swf" $((10 * 256)) 50 CWS
tc_swf "$WT_DIR/slow.swf" $((10 * 256)) 100
tc_swf "$WT_DIR/stall.swf" $((20 * 256)) 10
tc_swf "$WT_DIR/overrun.swf" $((20 * 256)) 5

# probe NAME OPS...: runs the host with its own call log; output in NAME.out, log in NAME.log.
probe() {
    local name="$1"
    shift
    TESTCONTROL_LOG="$(wt_winpath "$WT_DIR/$name.log")" \
        wt_run "$WT_DIR/$name.raw" "$(wt_winpath "$SAVER_PLAYER_PROBE")" "$@"
    local rc=$?
    tr -d '\r' <"$WT_DIR/$name.raw" >"$WT_DIR/$name.out"
    touch "$WT_DIR/$name.log"
    wt_check "$name: probe exit code" "$rc" 0
}
log_lines() { grep -c -x -F "$2" "$WT_DIR/$1.log"; }

# samples NAME [FROM_MARKER]: "t frame total" of the samples after the marker line.
samples() {
    awk -v m="${2:-}" 'BEGIN { on = m == "" } $0 == m { on = 1; next } on && /^sample/ {
        split($2, t, "="); split($3, f, "="); split($4, n, "="); print t[2], f[2], n[2] }' \
        "$WT_DIR/$1.out"
}

# frames_match NAME RATE TOTAL KIND [MARKER]: every sample's frame is where a movie of RATE
# frames/s would be (within one frame) for KIND loop (wraps), stall (stops at 2) or
# overrun (stops at TOTAL); prints the number of mismatches.
frames_match() {
    samples "$1" "${5:-}" | awk -v r="$2" -v n="$3" -v k="$4" '
        function ok(e, f) {
            if (k == "loop") return f == e % n || f == (e + 1) % n || f == (e + n - 1) % n
            lim = k == "stall" ? 2 : n
            if (e > lim) e = lim
            return f == e || f == e + 1 && f <= lim || f == e - 1
        }
        { e = int($1 * r / 1000); if (!ok(e, $2) || $3 != n) { bad++; print "bad sample", $0 > "/dev/stderr" } }
        END { print bad + 0 }'
}

# --- hosting protocol and set-up ---------------------------------------------------------------
probe setup color=0x112233 quality=3 align=0 scale=2 "movie=$(wt_winpath "$WT_DIR/loop.swf")" \
    wait=1600 getmovie
wt_check "setup: control is a visible child filling the window" \
    "$(grep -m1 '^control' "$WT_DIR/setup.out")" \
    "control parent=1 visible=1 rect=0,0,640,480 client=640,480"
wt_check "setup: hosting calls in order" \
    "$(grep -E '^(create|SetClientSite|DoVerb|window|WM_SHOWWINDOW 1|SetObjectRects|WM_LBUTTONDOWN)' \
        "$WT_DIR/setup.log" | head -7 | tr '\n' '|')" \
    "create|SetClientSite site|DoVerb -5 parent=yes rect=0,0,640,480|window created|WM_SHOWWINDOW 1|SetObjectRects 0,0,640,480|WM_LBUTTONDOWN 0 0|"
wt_check "setup: exactly one WM_LBUTTONDOWN" "$(log_lines setup 'WM_LBUTTONDOWN 0 0')" 1
while IFS='|' read -r line; do
    wt_check "setup: log has '$line'" "$(log_lines setup "$line")" 1
done <<EOT
put BackgroundColor $((0x112233))
put Quality 3
put AlignMode 0
put ScaleMode 2
put Movie $(wt_winpath "$WT_DIR/loop.swf")
get Movie $(wt_winpath "$WT_DIR/loop.swf")
EOT
wt_check "setup: Movie reads back" "$(grep '^movie ' "$WT_DIR/setup.out")" \
    "movie $(wt_winpath "$WT_DIR/loop.swf")"
wt_check "setup: teardown calls in order" \
    "$(grep -E '^(InPlaceDeactivate|Close|SetClientSite null|destroy)' "$WT_DIR/setup.log" |
        head -4 | tr '\n' '|')" \
    "InPlaceDeactivate|Close 1|SetClientSite null|destroy|"
wt_check "setup: control window gone after destroy" \
    "$(grep '^destroyed' "$WT_DIR/setup.out")" "destroyed control_window_left=0"

# --- frame counter per kind of movie ---------------------------------------------------------
# name|movie|wait ms|frames/s|frames|kind
while IFS='|' read -r name file wait rate total kind; do
    probe "$name" "movie=$(wt_winpath "$WT_DIR/$file")" "wait=$wait"
    n=$(samples "$name" | wc -l)
    [ "$n" -ge $((wait / 100 - 2)) ] && wt_pass "$name: $n samples" || wt_fail "$name: $n samples"
    wt_check "$name: frames follow the frame rate ($kind)" "$(frames_match "$name" "$rate" "$total" "$kind")" 0
done <<EOT
loop|loop.swf|1600|20|10|loop
fraction|fraction.swf|1200|12.5|100|loop
packed|packed.swf|1000|10|50|loop
stall|stall.swf|1000|20|10|stall
overrun|overrun.swf|800|20|5|overrun
EOT
wt_check "loop: wraps after the last frame" \
    "$(samples loop | awk '$2 < prev { w++ } { prev = $2 } END { print (w >= 2) }')" 1
wt_check "stall: ends at frame 2" "$(samples stall | tail -1 | cut -d' ' -f2)" 2
wt_check "overrun: ends past TotalFrames - 1" "$(samples overrun | tail -1 | cut -d' ' -f2,3)" "5 5"

# Locations that give no frame: a missing file, a file that is no SWF, an address.
printf 'not a movie' >"$WT_DIR/text.swf"
while IFS='|' read -r name location; do
    probe "$name" "movie=$location" wait=400
    wt_check "$name: every FrameNum negative, no frames" \
        "$(samples "$name" | awk '$2 >= 0 || $3 != 0 { bad++ } END { print (NR > 0 && bad == 0) }')" 1
done <<EOT
missing|$(wt_winpath "$WT_DIR/nothere.swf")
notswf|$(wt_winpath "$WT_DIR/text.swf")
address|http://example.invalid/movie.swf
EOT

# --- Rewind and Play -------------------------------------------------------------------------
probe rewind "movie=$(wt_winpath "$WT_DIR/slow.swf")" wait=700 rewind wait=400 play wait=600
wt_check "rewind: movie had advanced" "$(samples rewind | awk '$2 >= 4 { n++ } END { print (n > 0) }')" 1
wt_check "rewind: frames after Rewind and before Play are 0" \
    "$(awk '/^done rewind/ { on = 1; next } /^done play/ { on = 0 } on && /^sample/ { split($3, f, "="); if (f[2] != 0) b++ } END { print b + 0 }' \
        "$WT_DIR/rewind.out")" 0
wt_check "rewind: Play restarts from the first frame" \
    "$(frames_match rewind 10 100 loop 'done play')" 0
wt_check "rewind: methods looked up by name once each" \
    "$(grep -E '^GetIDsOfNames' "$WT_DIR/rewind.log" | tr '\n' '|')" \
    "GetIDsOfNames Rewind 1002|GetIDsOfNames Play 1001|"
wt_check "rewind: Rewind then Play called" \
    "$(grep -E '^call ' "$WT_DIR/rewind.log" | tr '\n' '|')" "call Rewind|call Play|"

# --- resizing --------------------------------------------------------------------------------
probe resize resize=800x600 wait=200
wt_check "resize: control told the new rectangle" "$(log_lines resize 'SetObjectRects 0,0,800,600')" 1
wt_check "resize: control fills the resized window" "$(grep '^control' "$WT_DIR/resize.out" | tail -1)" \
    "control parent=1 visible=1 rect=0,0,800,600 client=800,600"

# --- on screen ---------------------------------------------------------------------------------
TESTCONTROL_LOG="$(wt_winpath "$WT_DIR/shot.log")" \
    wt_start "$WT_DIR/shot.raw" "$(wt_winpath "$SAVER_PLAYER_PROBE")" color=0x112233 wait=3000
if wt_wait_window '^player_probe$' >/dev/null; then
    sleep 1
    import -display "$DISPLAY" -window root "$WT_DIR/shot.png"
    wt_check "shot: the control's window shows in the host window" \
        "$(convert "$WT_DIR/shot.png" -format '%[pixel:p{320,240}]' info:)" "srgb(17,34,51)"
else
    wt_fail "shot: no host window"
fi
wait "$WT_PID"
wt_check "shot: probe exit code" "$?" 0
