#!/usr/bin/env bash
# The full-screen show of the real flashsaver.scr with an empty movie list and without a player
# control: the roles that start it, the window it puts over the screen, the cursor it leaves
# visible, the inputs that end it, and the built-in player standing in for a missing control.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/fullscreen.sh"
wt_begin

workspace="$(wt_tempdir)/Kestro"

# --- empty list: black screen, cursor left visible, a key ends it ----------------------------
printf '[Set]\nScrName=Empty Show\nMouseMove=0\nMousePress=1\nKeyboardPress=1\n' >"$WT_DIR/empty.ini"
fs_pack "Empty Show" "$WT_DIR/empty.ini" || exit 1
cp "$WT_DIR/Empty Show.scr" "$WT_DIR/Empty Show.exe"

# program ; arguments
while IFS=';' read -r program args; do
    what="$program $args"
    WINEDEBUG=-all,+cursor fs_start empty "$WT_DIR/$program" $args
    pid=$WT_PID
    if ! w=$(fs_window 'Empty Show'); then
        fs_wait_exit "$pid" 1
        wt_fail "$what: no full-screen window (program: $FS_RC)"
        continue
    fi
    sleep 0.6
    geometry=$(xwininfo -id "$w" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { wd = $NF } /Height:/ { h = $NF } END { print x "," y " " wd "x" h }')
    wt_check "$what: window covers the screen" "$geometry" "0,0 1024x768"
    import -display "$DISPLAY" -window root "$WT_DIR/empty.png"
    wt_check "$what: screen is black" \
        "$(fs_pixel "$WT_DIR/empty.png" 512 384) $(fs_pixel "$WT_DIR/empty.png" 5 5)" "0,0,0 0,0,0"
    wt_check "$what: still running" "$(fs_alive "$pid")" 1
    fs_escape "$w" "$pid"
    wt_check "$what: Esc ends it with exit code 0" "$FS_RC" 0
    # No movie, no hiding: the first call is the exit key's, taking the count from 0 to 1, and
    # the close adds the second.
    wt_check "$what: cursor never hidden; shown at the exit key and at the close" \
        "$(fs_cursor empty)" "1:1 1:2 "
    wt_check "$what: workspace emptied" "$(wt_files "$workspace")" ""
    wt_check "$what: window gone" "$(fs_gone 'Empty Show')" 1
done <<'TABLE'
Empty Show.scr;/s
Empty Show.scr;-S
Empty Show.scr;/save
Empty Show.exe;/c
TABLE

# --- exit inputs -----------------------------------------------------------------------------
printf '[Set]\nScrName=Mouse Show\nMouseMove=1\nMousePress=0\nKeyboardPress=0\n' >"$WT_DIR/mouse.ini"
fs_pack "Mouse Show" "$WT_DIR/mouse.ini" || exit 1
fs_start mouse "$WT_DIR/Mouse Show.scr" /s
pid=$WT_PID
if w=$(fs_window 'Mouse Show'); then
    sleep 0.6
    # Windows adds one move of its own when the window appears under the cursor; 19 of ours
    # stay within the 20 allowed in any 3 s whatever the timer's phase.
    for i in $(seq 1 19); do wt_xdo mousemove_relative -- 3 0; done
    sleep 0.3
    wt_check "19 mouse moves: still running" "$(fs_alive "$pid")" 1
    moves=0
    while [ "$(fs_alive "$pid")" == 1 ] && [ "$moves" -lt 40 ]; do
        wt_xdo mousemove_relative -- -3 0
        moves=$((moves + 1))
        sleep 0.05
    done
    fs_wait_exit "$pid"
    wt_check "further moves end it" "$FS_RC" 0
    # Without a refill of the allowance in between, the 21st move (counting Windows' own) ends
    # the show: one or two more moves of ours. A refill during the moves allows 20 more.
    if [ "$moves" -le 2 ]; then
        wt_pass "ended by move $((19 + moves)) of ours"
    elif [ "$moves" -le 22 ]; then
        wt_pass "ended by move $((19 + moves)) of ours (the allowance was refilled in between)"
    else
        wt_fail "mouse: $((19 + moves)) moves did not end the show"
    fi
else
    wt_fail "mouse: no window"
fi

printf '[Set]\nScrName=Click Show\nMouseMove=0\nMousePress=1\nKeyboardPress=0\nOnlyEscKeyExit=0\n' >"$WT_DIR/click.ini"
fs_pack "Click Show" "$WT_DIR/click.ini" || exit 1
fs_start click "$WT_DIR/Click Show.scr" /s
pid=$WT_PID
if w=$(fs_window 'Click Show'); then
    sleep 0.6
    for i in $(seq 1 30); do wt_xdo mousemove_relative -- 2 2; done
    sleep 0.3
    wt_check "click show: mouse moves do not end it" "$(fs_alive "$pid")" 1
    wt_xdo key --window "$w" a
    sleep 0.3
    wt_check "click show: a key does not end it (KeyboardPress off)" "$(fs_alive "$pid")" 1
    wt_xdo click 1
    fs_wait_exit "$pid"
    wt_check "click show: a click ends it" "$FS_RC" 0
else
    wt_fail "click: no window"
fi

# --- which inputs end the show ---------------------------------------------------------------
# show ; settings ("|"-separated) ; inputs in turn (click, key:NAME) ; running after each (1/0)
while IFS=';' read -r title settings inputs expect; do
    printf '[Set]\nScrName=%s\n%s\n' "$title" "${settings//|/$'\n'}" >"$WT_DIR/rules.ini"
    fs_pack "$title" "$WT_DIR/rules.ini" || continue
    fs_start rules "$WT_DIR/$title.scr" /s
    pid=$WT_PID
    if ! w=$(fs_window "$title"); then
        wt_fail "$title: no window"
        continue
    fi
    sleep 0.6
    IFS=',' read -r -a steps <<<"$inputs"
    IFS=',' read -r -a wants <<<"$expect"
    got=""
    for step in "${steps[@]}"; do
        case "$step" in
            click) wt_xdo click 1 ;;
            key:*) wt_xdo key "${step#key:}" ;;
        esac
        sleep 0.4
        got+="$(fs_alive "$pid"),"
    done
    wt_check "$title: running after $inputs" "${got%,}" "$expect"
    if [ "$(fs_alive "$pid")" == 1 ]; then fs_escape "$w" "$pid"; else fs_wait_exit "$pid"; fi
    wt_check "$title: exit code" "$FS_RC" 0
done <<'TABLE'
Cursor Shown;ShowCursor=1|MousePress=1|KeyboardPress=0;click,click,key:a;1,1,0
Only Esc;OnlyEscKeyExit=1|MousePress=1|KeyboardPress=1;click,key:a,key:Escape;1,1,0
No Exit Set;MouseMove=0|MousePress=0|KeyboardPress=0|OnlyEscKeyExit=0;click,key:a;1,0
TABLE

# A password in use, with no password library on this system: a key still ends the show.
wt_reg add 'HKCU\Control Panel\desktop' /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f
fs_start password "$WT_DIR/Empty Show.scr" /s
pid=$WT_PID
if w=$(fs_window 'Empty Show'); then
    sleep 0.6
    # A second screensaver on this runtime ends at once while the show runs.
    WT_TIMEOUT=20 wt_run "$WT_DIR/second.out" "$(wt_winpath "$WT_DIR/Click Show.scr")" /s
    wt_check "second instance ends at once (exit code 0)" "$?" 0
    wt_check "second instance shows no window" "$(xdotool search --name '^Click Show$' 2>/dev/null)" ""
    fs_escape "$w" "$pid"
    wt_check "password in use: Esc still ends the show" "$FS_RC" 0
else
    wt_fail "password: no window"
fi

# --- no player control registered ------------------------------------------------------------
# The built-in player stands in for the missing control: the show runs without an "Error" box
# and Esc ends it as usual.
tc_swf "$WT_DIR/movie.swf" 2560 10
printf '[Set]\nScrName=No Player\n\n[Flash]\nmovie.swf=1\n' >"$WT_DIR/noplayer.ini"
fs_pack "No Player" "$WT_DIR/noplayer.ini" "$WT_DIR/movie.swf" || exit 1
WINEDEBUG=-all,+msgbox fs_start noplayer "$WT_DIR/No Player.scr" /s
pid=$WT_PID
if w=$(fs_window 'No Player'); then
    sleep 2
    wt_check "no control: no 'Error' box" "$(xdotool search --name '^Error$' 2>/dev/null)" ""
    wt_check "no control: no message box text" \
        "$(grep -c 'Playing Flash failed' "$WT_DIR/noplayer.out.err")" 0
    fs_escape "$w" "$pid"
    wt_check "no control: Esc ends the show" "$FS_RC" 0
    wt_check "no control: workspace emptied" "$(wt_files "$workspace")" ""
else
    fs_wait_exit "$pid" 1
    wt_fail "no control: no full-screen window (program: $FS_RC)"
fi
