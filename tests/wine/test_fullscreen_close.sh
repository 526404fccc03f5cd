#!/usr/bin/env bash
# Close requests obey the exit rules: with "Exit only when press ESC key" Alt+F4 leaves the show
# running and Esc still ends it; where any key ends the show, Alt+F4 ends it as a key does.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/fullscreen.sh"
wt_begin

# show NAME KEYBOARD ESC_ONLY: packs and starts a show of blank.swf; its window in W, pid in PID.
show() {
    printf '[Set]\nScrName=%s\nMouseMove=0\nMousePress=0\nKeyboardPress=%s\nOnlyEscKeyExit=%s\n\n[Flash]\nblank.swf=1\n' \
        "$1" "$2" "$3" >"$WT_DIR/$1.ini"
    fs_pack "$1" "$WT_DIR/$1.ini" "$WT_SOURCE/data/blank.swf" || return 1
    fs_start "$1" "$WT_DIR/$1.scr" /s
    PID=$WT_PID
    W=$(fs_window "$1") || { wt_fail "$1: no full-screen window"; return 1; }
    sleep 1  # the first ticks: the player is made and the movie set
}

if show EscOnly 1 1; then
    xdotool key alt+F4 2>/dev/null || wt_fail "xdotool alt+F4"
    sleep 1.5
    wt_check "Esc only: Alt+F4 leaves the show running" "$(fs_alive "$PID")" 1
    wt_check "Esc only: the window is still shown" \
        "$([ -n "$(xdotool search --onlyvisible --name '^EscOnly$' 2>/dev/null)" ] && echo 1 || echo 0)" 1
    fs_escape "$W" "$PID"
    wt_check "Esc only: Esc then ends it with exit code 0" "$FS_RC" 0
fi

if show AnyKey 1 0; then
    xdotool key alt+F4 2>/dev/null || wt_fail "xdotool alt+F4"
    fs_wait_exit "$PID"
    wt_check "any key: Alt+F4 ends the show with exit code 0" "$FS_RC" 0
    wt_check "any key: window gone" "$(fs_gone AnyKey)" 1
fi
