#!/usr/bin/env bash
# The password-change role: /a <window> on the real flashsaver.scr, bare and with a payload,
# loads MPR.DLL from the system folder, calls PwdChangePasswordA("SCRSAVE", window, 0, 0) (a
# stub in Wine that logs the call and returns 0), frees the library and ends with exit code 0
# without ever showing a window. /a with something that is not a window loads nothing and
# shows nothing (/a alone opens the settings dialog: see test_config_modes.sh).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

wt_settings "$WT_DIR/saver.ini" "ScrName=Password Test"
wt_pack "$WT_DIR/Password Test.scr" "$SAVER_RUNTIME" "$WT_DIR/saver.ini" \
    --item "$WT_SOURCE/data/blank.swf" || exit 1
cp "$SAVER_RUNTIME" "$WT_DIR/Password Bare.scr"
workspace="$(wt_tempdir)/Kestro"

# windows_of CLASS_REGEX: the number of X windows whose WM_CLASS names the program (Wine uses
# the program file's name in lower case). Matching by process id does not work: the Windows
# process is not the one that `wine` started.
windows_of() { xdotool search --classname "$1" 2>/dev/null | wc -l | tr -d ' '; }

# watch_windows OUT CLASS_REGEX PROGRAM [ARGS...]: runs a Windows program and, while it runs,
# polls for its X windows. Prints the exit code and the most windows seen at once; the
# program's stderr is in OUT.err.
watch_windows() {
    local out="$1" class="$2" pid seen=0 n
    shift 2
    timeout -k 5 "$WT_TIMEOUT" wine "$@" >"$out" 2>"$out.err" &
    pid=$!
    WT_PIDS+=("$pid")
    while kill -0 "$pid" 2>/dev/null; do
        n=$(windows_of "$class")
        [ "$n" -gt "$seen" ] && seen=$n
        sleep 0.05
    done
    wait "$pid"
    echo "$? $seen"
}

# The watch sees the window of a program started from a .scr file (Wine's notepad under a
# screensaver's name), so that "0 windows" below means something.
cp "$WINEPREFIX/drive_c/windows/system32/notepad.exe" "$WT_DIR/Password Note.scr"
timeout -k 5 "$WT_TIMEOUT" wine "$(wt_winpath "$WT_DIR/Password Note.scr")" /s >/dev/null 2>&1 &
WT_PIDS+=("$!")
for _ in $(seq 1 300); do
    [ "$(windows_of '^password note\.scr$')" -gt 0 ] && break
    sleep 0.1
done
if [ "$(windows_of '^password note\.scr$')" -gt 0 ]; then
    wt_pass "window watch sees a .scr program's window"
else
    wt_fail "window watch sees no window of a .scr program"
fi

# program ; arguments ("|"-separated) ; PwdChangePasswordA called with the window (hex) or "-"
while IFS=';' read -r program args window; do
    IFS='|' read -r -a argv <<<"$args"
    what="$program [$args]"
    out="$WT_DIR/out"
    start=$(date +%s%N)
    class="^$(tr 'A-Z' 'a-z' <<<"${program//./\\.}")\$"
    read -r rc seen < <(WINEDEBUG="fixme+mpr,+loaddll" watch_windows "$out" "$class" \
        "$(wt_winpath "$WT_DIR/$program")" "${argv[@]}")
    ms=$((($(date +%s%N) - start) / 1000000))
    wt_check "$what: exit code" "$rc" 0
    wt_check "$what: windows seen" "$seen" 0
    wt_check "$what: workspace emptied" "$(wt_files "$workspace")" ""
    if [ "$ms" -lt 10000 ]; then wt_pass "$what: ended by itself ($ms ms)"; else wt_fail "$what: $ms ms"; fi
    calls=$(grep -c 'PwdChangePasswordA' "$out.err")
    loads=$(grep -c -i 'Loaded L"C:\\\\windows\\\\system32\\\\MPR.DLL"' "$out.err")
    frees=$(grep -c -i 'Unloaded module L"C:\\\\windows\\\\system32\\\\MPR.DLL"' "$out.err")
    if [ "$window" == "-" ]; then
        wt_check "$what: PwdChangePasswordA not called" "$calls" 0
        wt_check "$what: MPR.DLL not loaded" "$loads" 0
    else
        wt_check "$what: PwdChangePasswordA called once" "$calls" 1
        wt_check "$what: provider and window" \
            "$(grep -o -i -E 'PwdChangePasswordA "SCRSAVE" [0-9a-f]+ 0 0+$' "$out.err" | awk '{print tolower($3)}' | sed 's/^0*//')" \
            "$window"
        wt_check "$what: MPR.DLL loaded from the system folder and freed" "$loads $frees" "1 1"
    fi
done <<'TABLE'
Password Test.scr;/a|4711;1267
Password Bare.scr;/a|4711;1267
Password Test.scr;-A|-12;fffffffffffffff4
Password Test.scr;/a|xyz;-
Password Bare.scr;/a|0;-
TABLE
