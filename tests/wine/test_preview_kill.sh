#!/usr/bin/env bash
# A preview whose host is killed outright: the host's windows vanish without any message to the
# preview, which must notice by itself that its parent is gone and end, releasing the
# single-instance guard. Killed both from Unix (kill -9 of the host's process) and from Windows
# (taskkill /f).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/preview.sh"
wt_begin

pv_pack "Kill Check" || exit 1
saver="$(wt_winpath "$WT_DIR/Kill Check.scr")"
# The preview's own command line, not the host's (which names the file too).
pattern='Kill Check\.scr /p '

# kill_host HOW TIMEOUT_PID HOST_WINDOWS_PID
kill_host() {
    case "$1" in
        kill-9) kill -9 "$(pgrep -P "$2" | head -1)" ;;
        taskkill) taskkill_host "$3" ;;
    esac
}

# taskkill_host PID: taskkill /f of the host. On a loaded machine Wine now and then fails to
# start taskkill itself ("Application could not be started"): that launch is tried again.
taskkill_host() {
    local try rc
    for try in 1 2 3; do
        wt_run "$WT_DIR/taskkill.out" taskkill /f /pid "$1"
        rc=$?
        grep -q "could not be started" "$WT_DIR/taskkill.out" || break
        echo "note taskkill: try $try: Wine did not start taskkill" >&2
    done
    [ "$rc" == 0 ] || wt_fail "taskkill /f /pid $1: exit code $rc"
}

for how in kill-9 taskkill; do
    out="$WT_DIR/$how.json"
    wt_start "$out" "$SAVER_PREVIEW_HOST" "$saver" stay
    host=$WT_PID
    for _ in $(seq 1 200); do
        grep -q staying "$out" 2>/dev/null && break
        sleep 0.1
    done
    pv_check_child "$how" "$out" TOtherPreviewForm || continue
    host_pid="$(sed -n 2p "$out" | jq -r .host_pid 2>/dev/null)"
    wt_check "$how: preview running beside its host" "$(pv_running "$pattern")" 1

    kill_host "$how" "$host" "$host_pid"
    start=$(date +%s%N)
    gone=0
    for _ in $(seq 1 50); do
        [ "$(pv_running "$pattern")" == 0 ] && { gone=1; break; }
        sleep 0.05
    done
    ms=$((($(date +%s%N) - start) / 1000000))
    wt_check "$how: preview ends once its host is gone" "$gone" 1
    [ "$gone" == 1 ] && wt_check "$how: within 2 s" "$([ "$ms" -lt 2000 ] && echo yes || echo "$ms ms")" yes
    echo "     ($how: preview gone $ms ms after the kill returned)"
    { wait "$host"; } 2>/dev/null
done

# The guard went with the killed previews: a new preview starts and ends normally.
out="$WT_DIR/after.json"
pv_run "$out" "$saver" destroy
pv_check_child "after the kills" "$out" TOtherPreviewForm && pv_check_destroyed "after the kills"
