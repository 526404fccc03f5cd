# Helpers for the Wine end-to-end tests (sourced by every test_*.sh).
#
# Each test gets its own copy of the template prefix and its own wineserver (kept warm with -p),
# starts its programs itself and, at exit, ends exactly those: the programs by pid, then the
# test's own wineserver with everything it still serves. Checks are counted; the test fails
# (exit 1) when any check failed.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

WT_SOURCE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
WT_NAME="$(basename "$0" .sh)"
WT_NAME="${WT_NAME#test_}"
WT_DIR="$SAVER_WINE_WORK/runs/$WT_NAME"
WT_FAILS=0
WT_CHECKS=0
WT_PIDS=()
WT_SERVER=""
WT_TIMEOUT="${WT_TIMEOUT:-40}"  # seconds for any one wine program

[ -f "$SAVER_WINE_WORK/display" ] || { echo "no display: wine.setup did not run"; exit 1; }
export DISPLAY="$(cat "$SAVER_WINE_WORK/display")"
export WINEPREFIX="$WT_DIR/prefix"
SAVERPACK="${SAVERPACK:-$(cat "$SAVER_WINE_WORK/saverpack.path")}"

wt_finish() {
    local rc=$? pid
    for pid in "${WT_PIDS[@]}"; do
        kill -0 "$pid" 2>/dev/null && kill "$pid" 2>/dev/null
    done
    for pid in "${WT_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    if [ -n "$WT_SERVER" ]; then
        # Kills the clients of this test's own server (Wine's helper processes among them),
        # then the server itself.
        timeout 20 wineserver -k 2>/dev/null
        wait "$WT_SERVER" 2>/dev/null
    fi
    if [ "$WT_CHECKS" -eq 0 ]; then
        echo "$WT_NAME: no check ran"
        exit 1
    fi
    if [ "$WT_FAILS" -gt 0 ]; then
        echo "$WT_NAME: $WT_FAILS of $WT_CHECKS checks failed (files in $WT_DIR)"
        exit 1
    fi
    echo "$WT_NAME: all $WT_CHECKS checks passed"
    # Kept only for a failed test, to look into.
    [ "$rc" -eq 0 ] && rm -rf "$WINEPREFIX"
    exit "$rc"
}

# Fresh prefix and a warm wineserver of our own.
wt_begin() {
    rm -rf "$WT_DIR"
    mkdir -p "$WT_DIR"
    # The prefix's Windows folder (about 700 MB of DLLs that nothing writes) is shared with the
    # template through hard links; the registry files and the user folders are real copies,
    # since Wine rewrites the former and the tests write into the latter.
    local template="$SAVER_WINE_WORK/template"
    mkdir -p "$WINEPREFIX"
    cp -al "$template/drive_c" "$WINEPREFIX/drive_c"
    rm -rf "$WINEPREFIX/drive_c/users"
    cp -a "$template/drive_c/users" "$WINEPREFIX/drive_c/users"
    cp -a "$template/dosdevices" "$WINEPREFIX/dosdevices"
    find "$template" -maxdepth 1 -type f -exec cp -a {} "$WINEPREFIX/" \;
    trap wt_finish EXIT
    wineserver -f -p60 </dev/null >/dev/null 2>&1 &
    WT_SERVER=$!
    # A fresh server puts the cursor at the screen centre until the first motion event.
    xdotool mousemove 512 384 2>/dev/null || true
}

# --- checks ----------------------------------------------------------------------------------
wt_pass() { WT_CHECKS=$((WT_CHECKS + 1)); echo "ok   $1"; }
wt_fail() { WT_CHECKS=$((WT_CHECKS + 1)); WT_FAILS=$((WT_FAILS + 1)); echo "FAIL $1"; }

# wt_check DESCRIPTION ACTUAL EXPECTED
wt_check() {
    if [ "$2" == "$3" ]; then wt_pass "$1"; else wt_fail "$1: got '$2', expected '$3'"; fi
}

# wt_json FILE FILTER: one value of a probe report, as jq -r prints it.
wt_json() { jq -r "$2" "$1" 2>/dev/null || echo "<no json>"; }

# --- paths -----------------------------------------------------------------------------------
# Windows path of a Unix path, through Wine's Z: drive.
wt_winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Unix path of a Windows path on this prefix's C: or Z: drive.
wt_unixpath() {
    local p="${1//\\//}"
    case "$p" in
        [Cc]:*) printf '%s/drive_c%s' "$WINEPREFIX" "${p:2}" ;;
        [Zz]:*) printf '%s' "${p:2}" ;;
        *) printf '%s' "$p" ;;
    esac
}

# The user's temporary folder inside the prefix (Unix path), where the workspace lives.
wt_tempdir() {
    local d
    for d in "$WINEPREFIX"/drive_c/users/*/Temp "$WINEPREFIX"/drive_c/users/*/AppData/Local/Temp; do
        [ -d "$d" ] && [ "$(basename "$(dirname "$d")")" != Public ] && { echo "$d"; return; }
    done
}

# The files directly in a folder, sorted, one line ("" when none or missing).
wt_files() { [ -d "$1" ] && find "$1" -maxdepth 1 -type f -printf '%f\n' | sort | tr '\n' ' '; }

# --- programs --------------------------------------------------------------------------------
# wt_run OUT PROGRAM [ARGS...]: runs a Windows program to its end, stdout into OUT; returns its
# exit code (124 when it had to be stopped).
wt_run() {
    local out="$1"
    shift
    timeout -k 5 "$WT_TIMEOUT" wine "$@" >"$out" 2>"$out.err"
}

# wt_start OUT PROGRAM [ARGS...]: starts it in the background; its pid is in WT_PID.
wt_start() {
    local out="$1"
    shift
    timeout -k 5 "$WT_TIMEOUT" wine "$@" >"$out" 2>"$out.err" &
    WT_PID=$!
    WT_PIDS+=("$WT_PID")
}

# wt_wait_file FILE [TENTHS]: waits (30 s by default) until FILE exists and is not empty.
wt_wait_file() {
    local i
    for i in $(seq 1 "${2:-300}"); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# wt_wait_window NAME_REGEX [TENTHS]: prints the X window id once a window of that name exists.
wt_wait_window() {
    local i w
    for i in $(seq 1 "${2:-300}"); do
        w=$(xdotool search --name "$1" 2>/dev/null | head -1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.1
    done
    return 1
}

# wt_reg ARGS...: `wine reg ARGS` on this prefix (add/query/delete under HKCU).
wt_reg() { timeout -k 5 30 wine reg "$@" >/dev/null 2>&1; }

# --- screensavers ----------------------------------------------------------------------------
# wt_pack OUT RUNTIME SETTINGS [saverpack build options...]: a finished screensaver.
wt_pack() {
    local out="$1" runtime="$2" settings="$3"
    shift 3
    if ! "$SAVERPACK" build --runtime "$runtime" --settings "$settings" -o "$out" "$@" \
        >"$WT_DIR/pack.log" 2>&1; then
        cat "$WT_DIR/pack.log"
        wt_fail "saverpack build $(basename "$out")"
        return 1
    fi
}

# A settings file from lines of "key=value" under [Set] plus a [Flash] list of blank.swf.
# wt_settings OUT [KEY=VALUE...]
wt_settings() {
    local out="$1" kv
    shift
    {
        echo "[Set]"
        for kv in "$@"; do echo "$kv"; done
        echo
        echo "[Flash]"
        echo "blank.swf=1"
    } >"$out"
}
