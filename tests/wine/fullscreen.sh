# Helpers for the full-screen show tests (sourced after lib.sh).
#
# A show is a screensaver packed from an INI text and movie files, started with a command line,
# found by its window (named after ScrName) and ended with a key; the test control, when
# registered (tc_register of testcontrol.sh), writes its call log to "$WT_DIR/<name>.log".
source "$WT_SOURCE/testcontrol/testcontrol.sh"

# fs_pack NAME INI_FILE [ITEM...]: "$WT_DIR/NAME.scr" with the items packed raw.
fs_pack() {
    local name="$1" ini="$2" item args=()
    shift 2
    for item in "$@"; do args+=(--item "$item"); done
    wt_pack "$WT_DIR/$name.scr" "$SAVER_RUNTIME" "$ini" "${args[@]}"
}

# fs_start NAME PROGRAM_FILE [ARGS...]: starts a show with its own call log; pid in WT_PID.
fs_start() {
    local name="$1" program="$2"
    shift 2
    rm -f "$WT_DIR/$name.log"
    TESTCONTROL_LOG="$(wt_winpath "$WT_DIR/$name.log")" \
        wt_start "$WT_DIR/$name.out" "$(wt_winpath "$program")" "$@"
}

# fs_cursor NAME: the ShowCursor calls of a show started with WINEDEBUG=-all,+cursor, as Wine's
# "cursor" debug channel traced them into its stderr: "SHOW:COUNT" per call (SHOW 1 to show, 0 to
# hide; COUNT the display count after the call, the cursor being hidden while it is below 0), in
# order, one line ("" when none).
fs_cursor() {
    sed -n 's/.*:trace:cursor:[A-Za-z]*ShowCursor \([01]\), count=\(-\{0,1\}[0-9]\{1,\}\)$/\1:\2/p' \
        "$WT_DIR/$1.out.err" 2>/dev/null | tr '\n' ' '
}

# fs_window TITLE: the X window of the show (empty when it did not appear within 30 s; a loaded
# machine was seen to take more than 15 s to start a show). When it did not appear, the state of
# the last program started (WT_PID) goes to stderr and the details to "$WT_DIR/missing-N.txt".
fs_window() {
    wt_wait_window "^$1\$" 300 && return 0
    echo "fs_window '$1': $(fs_missing "${WT_PID:-0}")" >&2
    return 1
}

# fs_missing PID: why a show's window did not appear, for the failure message: whether the
# program still runs and the names of the windows on the display. The Windows processes of this
# prefix, their windows and the threads' stacks (winedbg) go to "$WT_DIR/missing-N.txt".
fs_missing() {
    local state=ended names file wpid n=1
    kill -0 "$1" 2>/dev/null && state="still running"
    names=$(xdotool search --name . getwindowname %@ 2>/dev/null | sort -u | head -5 | tr '\n' '|')
    while [ -e "$WT_DIR/missing-$n.txt" ]; do n=$((n + 1)); done
    file="$WT_DIR/missing-$n.txt"
    {
        echo "--- processes"
        echo "info process" | timeout 30 winedbg 2>&1
        echo "--- windows"
        echo "info wnd" | timeout 30 winedbg 2>&1
        for wpid in $(echo "info process" | timeout 30 winedbg 2>/dev/null |
            awk 'tolower($0) ~ /\.(scr|exe)/ && tolower($0) !~ /(winedbg|services|explorer|plugplay|winedevice|svchost|rpcss|conhost|start)\.exe/ { print $1 }'); do
            echo "--- stacks of 0x$wpid"
            printf 'attach 0x%s\nbt all\ndetach\nquit\n' "$wpid" | timeout 60 winedbg 2>&1
        done
    } >"$file" 2>&1
    echo "program $state; windows: ${names:-none}; details in $file"
}

# fs_alive PID: 1 while the program runs.
fs_alive() { kill -0 "$1" 2>/dev/null && echo 1 || echo 0; }

# fs_wait_exit PID [TENTHS]: FS_RC := the exit code once the program ended within 10 s
# ("running" when it did not). Not for a subshell: only this shell can wait for the program.
fs_wait_exit() {
    local i
    FS_RC=running
    for i in $(seq 1 "${2:-100}"); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            FS_RC=$?
            return
        fi
        sleep 0.1
    done
}

# fs_escape WINDOW PID: ends the show with Esc; FS_RC := its exit code. The key goes through
# the X test extension to the focused window (the show): an Esc sent with XSendEvent to the
# show's window was seen to reach the next show started right after it as well.
fs_escape() {
    wt_xdo key Escape
    fs_wait_exit "$2"
}

# fs_gone TITLE: waits (up to 5 s) until no window of that name is left; 1 when none is.
fs_gone() {
    local i
    for i in $(seq 1 50); do
        [ -z "$(xdotool search --name "^$1\$" 2>/dev/null)" ] && { echo 1; return; }
        sleep 0.1
    done
    echo 0
}

# fs_pixel PNG X Y: "R,G,B" of one pixel, 0-255.
fs_pixel() {
    local c="p{$2,$3}"
    convert "$1" -format "%[fx:int(255*$c.r+0.5)],%[fx:int(255*$c.g+0.5)],%[fx:int(255*$c.b+0.5)]" info:
}

# fs_movies NAME: the movies the control was given, in order, file names only, one line.
fs_movies() {
    sed -n 's/^put Movie //p' "$WT_DIR/$1.log" 2>/dev/null | sed 's/.*[\\/]//' | tr '\n' ' '
}
