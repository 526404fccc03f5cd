# Helpers for the Wine tests of the settings dialog (sourced after lib.sh by test_config_*.sh).
# The dialog is read and driven from outside through dialog_probe.exe.

# probe COMMANDS...: runs the dialog probe (see probe/dialog_probe.cpp for its commands). A
# probe that fails or times out is a failed check (status 1): what it should have done or read
# is missing. It is not tried again, since its clicks are not idempotent.
probe() {
    timeout -k 5 30 wine "$SAVER_DIALOG_PROBE" "$@" && return 0
    wt_fail "dialog probe $* (exit $?)"
    return 1
}

# open_dialog PROGRAM [ARGS...]: starts the program, waits for its dialog and dumps it into
# $WT_DIR/dump.json; the program's pid is in RUN.
open_dialog() {
    local program="$1"
    shift
    wt_start "$WT_DIR/run.out" "$(wt_winpath "$program")" "$@"
    RUN=$WT_PID
    probe wait dump >"$WT_DIR/dump.json" 2>"$WT_DIR/probe.err"
}

# dump: refreshes $WT_DIR/dump.json.
dump() { probe dump >"$WT_DIR/dump.json" 2>"$WT_DIR/probe.err"; }

# ctl ID JQ: one property of a control in the last dump ("| expr" to work on the control).
ctl() { wt_json "$WT_DIR/dump.json" ".controls[\"$1\"]$2"; }

# ended: waits for the dialog's program; its exit code is in RC.
ended() { wait "$RUN"; RC=$?; }
