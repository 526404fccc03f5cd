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
    if ! { mkdir -p "$WINEPREFIX" && cp -al "$template/drive_c" "$WINEPREFIX/drive_c" &&
        rm -rf "$WINEPREFIX/drive_c/users" &&
        cp -a "$template/drive_c/users" "$WINEPREFIX/drive_c/users" &&
        cp -a "$template/dosdevices" "$WINEPREFIX/dosdevices" &&
        find "$template" -maxdepth 1 -type f -exec cp -a {} "$WINEPREFIX/" \; ; }; then
        echo "$WT_NAME: could not copy the template prefix into $WINEPREFIX"
        exit 1
    fi
    trap wt_finish EXIT
    wineserver -f -p60 </dev/null >/dev/null 2>&1 &
    WT_SERVER=$!
    # A fresh server puts the cursor at the screen centre until the first motion event.
    wt_xdo mousemove 512 384
}

# wt_xdo ARGS...: `xdotool ARGS` (input: key, click, mousemove), checked. A busy X server can
# refuse a request now and then; it is tried again (five tries), and a failed check (status 1)
# when it never goes through. A key sent with --window to a window that closes on it makes
# xdotool fail once the window is gone: the key arrived, and it is not sent again (a resent key
# could reach another program's window under a reused id).
wt_xdo() {
    local try arg target="" prev=""
    for arg in "$@"; do
        [ "$prev" == "--window" ] && target="$arg"
        prev="$arg"
    done
    for try in 1 2 3 4 5; do
        xdotool "$@" 2>/dev/null && return 0
        if [ -n "$target" ] && ! xdotool getwindowname "$target" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.2
    done
    wt_fail "xdotool $*"
    return 1
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

# wt_run_json OUT EXPECTED_EXIT PROGRAM [ARGS...]: runs a program that reports in JSON on stdout
# (the probes, saverpack inspect) and checks that it ended with EXPECTED_EXIT and left a report.
# A run that Wine never got going on a loaded machine (stopped by the timeout, or ended without
# writing anything) is tried again, three tries in all; each try keeps its own stderr
# (OUT.err, OUT.err.2, ...). Status 0 when the report is there and the exit code is right;
# otherwise a failed check that names the exit code and the last line of stderr, and status 1.
wt_run_json() {
    local out="$1" expected="$2" try rc err
    shift 2
    for try in 1 2 3; do
        err="$out.err"
        [ "$try" -gt 1 ] && err="$out.err.$try"
        timeout -k 5 "$WT_TIMEOUT" wine "$@" >"$out" 2>"$err"
        rc=$?
        [ "$rc" -ne 124 ] && [ "$rc" -ne 137 ] && jq -e . "$out" >/dev/null 2>&1 && break
        echo "note $(basename "$out"): try $try ended with exit code $rc and no report" >&2
    done
    if ! jq -e . "$out" >/dev/null 2>&1; then
        wt_fail "$(basename "$out") $*: no report (exit $rc: $(tr -d '\r' <"$err" | tail -1))"
        return 1
    fi
    if [ "$rc" -ne "$expected" ]; then
        wt_fail "$(basename "$out") $*: exit code $rc, expected $expected"
        return 1
    fi
    return 0
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

# wt_reg add|delete KEY [/v NAME | /ve] [ARGS...]: `wine reg` on this prefix, checked. On a
# loaded machine a `wine reg` can time out or fail before it reaches the registry, so each step
# is retried (five tries) until it reports success and its effect reads back: after add the key
# (or value) is there, after delete it is gone (deleting what is not there counts as done). A
# step that never takes effect is a failed check; the status is 1 then.
wt_reg() {
    local op="$1" key="$2" try rc
    local which=()
    case "${3:-}" in
        /v) which=(/v "$4") ;;
        /ve) which=(/ve) ;;
    esac
    for try in 1 2 3 4 5; do
        timeout -k 5 30 wine reg "$@" >"$WT_DIR/reg.log" 2>&1
        rc=$?
        case "$op" in
            add) [ "$rc" -eq 0 ] && wt_reg_present "$key" "${which[@]}" && return 0 ;;
            delete) wt_reg_absent "$key" "${which[@]}" && return 0 ;;
            *) break ;;
        esac
        sleep 1
    done
    wt_fail "wine reg $* (exit $rc: $(tr -d '\r' <"$WT_DIR/reg.log" | tail -1))"
    return 1
}

# wt_reg_values KEY: "name type data" of every value of the key with one-word data, one line
# each ("" when the key is missing). A query that fails otherwise (a timeout on a loaded
# machine) is tried again, five tries; status 1 and a failed check when none answers.
wt_reg_values() {
    local try out rc
    for try in 1 2 3 4 5; do
        out=$(timeout -k 5 30 wine reg query "$1" 2>/dev/null)
        rc=$?
        if [ "$rc" -le 1 ]; then
            [ "$rc" -eq 0 ] || return 0
            printf '%s\n' "$out" | tr -d '\r' |
                awk 'NF == 3 && $2 ~ /^REG_/ { print $1 " " $2 " " $3 }'
            return 0
        fi
        sleep 1
    done
    wt_fail "wine reg query $1 (exit $rc)"
    return 1
}

# wt_reg_present KEY [/v NAME | /ve]: the key or value is in the registry (status 0). A key's
# default value counts only when it is set.
wt_reg_present() {
    local out
    out=$(timeout -k 5 30 wine reg query "$@" 2>&1) && [[ "$out" != *"(value not set)"* ]]
}

# wt_reg_absent KEY [/v NAME | /ve]: `wine reg query` ran and did not find it. A query that
# timed out or failed otherwise proves nothing (status 1).
wt_reg_absent() {
    local out rc
    out=$(timeout -k 5 30 wine reg query "$@" 2>&1)
    rc=$?
    [ "$rc" -eq 1 ] && [[ "$out" != *Timeout* ]]
}

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

# --- payloads by hand ------------------------------------------------------------------------
# wt_le N BYTES: N as BYTES little-endian bytes.
wt_le() {
    local n="$1" count="$2" i fmt=""
    for ((i = 0; i < count; i++)); do fmt+=$(printf '\\x%02x' $(((n >> (8 * i)) & 255))); done
    printf "$fmt"
}

# wt_zip_stored OUT NAME FILE: a ZIP archive holding FILE, stored, under NAME, a printf format
# for the name's raw bytes ('\x91\xa0.002'), written without the UTF-8 flag as the builder of
# another locale writes it. Status 1 when a step fails.
wt_zip_stored() {
    local out="$1" name size crc namelen cdsize
    name=$(printf "$2") || return 1
    namelen=$(printf '%s' "$name" | wc -c) || return 1
    size=$(stat -c %s "$3") || return 1
    # The gzip trailer begins with the CRC-32 of the data, little-endian as ZIP wants it.
    crc=$(gzip -c "$3" | tail -c 8 | head -c 4 | od -An -tx1 | tr -d ' \n') || return 1
    [ ${#crc} -eq 8 ] || return 1
    local crcfmt="\\x${crc:0:2}\\x${crc:2:2}\\x${crc:4:2}\\x${crc:6:2}"
    {
        printf 'PK\x03\x04'; wt_le 20 2; wt_le 0 2; wt_le 0 2; wt_le 0 4; printf "$crcfmt"
        wt_le "$size" 4; wt_le "$size" 4; wt_le "$namelen" 2; wt_le 0 2
        printf '%s' "$name"
        cat "$3"
        printf 'PK\x01\x02'; wt_le 20 2; wt_le 20 2; wt_le 0 2; wt_le 0 2; wt_le 0 4
        printf "$crcfmt"; wt_le "$size" 4; wt_le "$size" 4; wt_le "$namelen" 2
        wt_le 0 2; wt_le 0 2; wt_le 0 2; wt_le 0 2; wt_le 0 4; wt_le 0 4
        printf '%s' "$name"
        cdsize=$((46 + namelen))
        printf 'PK\x05\x06'; wt_le 0 2; wt_le 0 2; wt_le 1 2; wt_le 1 2
        wt_le "$cdsize" 4; wt_le $((30 + namelen + size)) 4; wt_le 0 2
    } >"$out" || return 1
}

# wt_locale NAME: makes the Unix locale NAME.UTF-8 (ru_RU, pt_PT, ...) in the work folder once
# and exports LOCPATH so that programs started with LC_ALL=NAME.UTF-8 find it; Wine takes its
# ANSI and OEM code pages from that locale. Status 1 (and a failed check) when it cannot.
wt_locale() {
    local dir="$SAVER_WINE_WORK/locales"
    export LOCPATH="$dir"
    if [ ! -f "$dir/$1.UTF-8/LC_CTYPE" ]; then
        mkdir -p "$dir"
        # Made under a temporary name and renamed, so an interrupted run leaves no half locale.
        # localedef may warn with status 1 and still have written a good locale, so what it
        # wrote decides, not its status.
        rm -rf "$dir/$1.UTF-8.new"
        localedef -i "$1" -f UTF-8 "$dir/$1.UTF-8.new" >"$WT_DIR/localedef.log" 2>&1
        if [ ! -f "$dir/$1.UTF-8.new/LC_CTYPE" ] ||
            ! mv -T "$dir/$1.UTF-8.new" "$dir/$1.UTF-8" 2>>"$WT_DIR/localedef.log"; then
            [ -f "$dir/$1.UTF-8/LC_CTYPE" ] || {
                wt_fail "locale $1.UTF-8: $(tail -1 "$WT_DIR/localedef.log")"
                return 1
            }
        fi
    fi
    [ "$(LC_ALL="$1.UTF-8" locale charmap 2>/dev/null)" == UTF-8 ] || {
        wt_fail "locale $1.UTF-8 not usable"
        return 1
    }
}
