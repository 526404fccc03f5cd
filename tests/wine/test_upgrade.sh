#!/usr/bin/env bash
# saverpack upgrade: a screensaver finished on another runtime (the start-up probe, a program of
# another size) moves onto the real runtime with saverpack.exe, which finds flashsaver.scr by
# itself; the upgraded file plays its movies full screen in the test control. A bare runtime
# is refused and leaves nothing behind.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/fullscreen.sh"
wt_begin
tc_register

w() { wt_winpath "$1"; }
# The test control ends a movie whose name holds "overrun" after its last frame.
tc_swf "$WT_DIR/first_overrun.swf" $((20 * 256)) 5
tc_swf "$WT_DIR/second_overrun.swf" $((20 * 256)) 5 CWS
printf '<resource/>' >"$WT_DIR/res.xml"
cat >"$WT_DIR/saver.ini" <<'INI'
[Set]
ScrName=Upgraded
MouseMove=0
MousePress=0
KeyboardPress=1
FlashSequence=0

[Flash]
first_overrun.swf=1
C:\movies\sec**ond_overrun.swf=1
(Resource) res.xml=1
INI
wt_pack "$WT_DIR/Old.scr" "$SAVER_PROBE" "$WT_DIR/saver.ini" --item "$WT_DIR/first_overrun.swf" \
    --item "$WT_DIR/second_overrun.swf=sec**ond_overrun.swf:zip" --item "$WT_DIR/res.xml:zip" || exit 1

# saverpack.exe without --runtime: flashsaver.scr two folders up, in the build tree.
wt_run "$WT_DIR/upgrade.out" "$(w "$SAVER_SAVERPACK_EXE")" upgrade "$(w "$WT_DIR/Old.scr")" \
    -o "$(w "$WT_DIR/New.scr")"
wt_check "saverpack.exe upgrade: exit code" "$?" 0
wt_check "the new file starts with the runtime" \
    "$(cmp -n "$(stat -c %s "$SAVER_RUNTIME")" "$SAVER_RUNTIME" "$WT_DIR/New.scr" >/dev/null 2>&1 && echo same)" same
moved=$(($(stat -c %s "$SAVER_RUNTIME") - $(stat -c %s "$SAVER_PROBE")))
[ "$moved" -gt 0 ] && moved="+$moved"
wt_check "positions moved by the difference in size" \
    "$(tr -d '\r' <"$WT_DIR/upgrade.out" | grep -c -- "positions moved by $moved\$")" 1

# The host tool reads the same items out of both files.
summary='[.settings, .lists, [.resolved[] | .ok], [.workspace[] | select(.name | endswith(".002") | not) | select(.name | endswith("~") | not) | .name + ":" + (.size|tostring)]] | tostring'
"$SAVERPACK" inspect "$WT_DIR/Old.scr" --json --resolve >"$WT_DIR/old.json" 2>/dev/null ||
    wt_fail "inspect Old.scr"
"$SAVERPACK" inspect "$WT_DIR/New.scr" --json --resolve >"$WT_DIR/new.json" 2>/dev/null ||
    wt_fail "inspect New.scr"
wt_check "inspect --resolve: the same items" "$(wt_json "$WT_DIR/new.json" "$summary")" \
    "$(wt_json "$WT_DIR/old.json" "$summary")"
wt_check "inspect --resolve: every movie resolves" \
    "$(wt_json "$WT_DIR/new.json" '[.resolved[] | .ok] | tostring')" "[true,true]"

# The upgraded screensaver plays both movies, the zipped one under its "=" name.
fs_start Upgraded "$WT_DIR/New.scr" /s
pid=$WT_PID
if win=$(fs_window Upgraded); then
    sleep 2
    wt_check "upgraded: still playing" "$(fs_alive "$pid")" 1
    wt_check "upgraded: both movies played in order" "$(fs_movies Upgraded | cut -d' ' -f1-3)" \
        "first_overrun.swf sec=ond_overrun.swf first_overrun.swf"
    fs_escape "$win" "$pid"
    wt_check "upgraded: Esc ends it with exit code 0" "$FS_RC" 0
else
    wt_fail "upgraded: no window"
fi

# A bare runtime has nothing to move: refused, nothing written.
wt_run "$WT_DIR/bare.out" "$(w "$SAVER_SAVERPACK_EXE")" upgrade "$(w "$SAVER_RUNTIME")" \
    -o "$(w "$WT_DIR/Bare.scr")"
wt_check "bare runtime: exit code" "$?" 1
wt_check "bare runtime: says why" "$(grep -c 'no payload' "$WT_DIR/bare.out.err")" 1
wt_check "bare runtime: nothing written" "$(ls "$WT_DIR" | grep -c '^Bare')" 0
