#!/usr/bin/env bash
# The Win32 file system and system services against the contracts of the platform seam,
# checked from inside a Windows program (seam_check.exe prints one line per case).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

wt_run "$WT_DIR/seam.out" "$(wt_winpath "$SAVER_SEAM_CHECK")"
rc=$?
tr -d '\r' <"$WT_DIR/seam.out"
while IFS= read -r line; do
    case "$line" in
        ok\ *) wt_pass "${line#ok   }" ;;
        FAIL\ *) wt_fail "${line#FAIL }" ;;
    esac
done < <(tr -d '\r' <"$WT_DIR/seam.out")
wt_check "seam_check exit code" "$rc" 0
wt_check "every case reported" "$(grep -c -E '^(ok|FAIL) ' "$WT_DIR/seam.out")" 11
