#!/usr/bin/env bash
# Which player the show uses: the test control registered under the Flash class id as version
# 11.2.202.0 plays the movie itself; the same control as version 32.0.0.371 (the first that
# blocks content) and a registration whose server file is missing are passed over, and the
# built-in player shows the movie as the host renders it.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/fullscreen.sh"
source "$WT_SOURCE/builtin_player.sh"
wt_begin
bp_prepare a || exit 1

printf '[Set]\nScrName=Choice\nMouseMove=0\nMousePress=0\nKeyboardPress=1\nFlashColor=%d\n\n[Flash]\na.swf=1\n' \
    "$BP_WHITE" >"$WT_DIR/choice.ini"
fs_pack "Choice" "$WT_DIR/choice.ini" "$WT_DIR/a.swf" || exit 1

# case ; server registered ; control log has the movie ; screen
while IFS=';' read -r what server logged screen; do
    tc_register "$server"
    fs_start "$what" "$WT_DIR/Choice.scr" /s
    pid=$WT_PID
    if ! w=$(fs_window 'Choice'); then
        wt_fail "$what: no window"
        continue
    fi
    sleep 1
    bp_shot "$WT_DIR/$what.png"
    fs_escape "$w" "$pid"
    wt_check "$what: Esc ends it with exit code 0" "$FS_RC" 0
    wt_check "$what: times the control was given the movie" \
        "$(cat "$WT_DIR/$what.log" 2>/dev/null | grep -c '^put Movie ')" "$logged"
    if [ "$screen" == movie ]; then
        wt_check "$what: the built-in player shows the movie" "$(bp_which "$WT_DIR/$what.png")" A
    else
        wt_check "$what: the control's window, not the movie" "$(bp_which "$WT_DIR/$what.png" | tr K "?")" "?"
    fi
    fs_gone 'Choice' >/dev/null
done <<TABLE
playing-control;$SAVER_TESTCONTROL;1;control
blocking-control;$SAVER_TESTCONTROL_BLOCKED;0;movie
missing-server;$(dirname "$SAVER_TESTCONTROL")/nothere/testcontrol.dll;0;movie
TABLE
