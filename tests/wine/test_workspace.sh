#!/usr/bin/env bash
# The workspace in the real temporary folder: %TEMP%\Kestro\ with its "tmp" sub-folder, filled
# with the settings archive and its members during the run and emptied at exit (read-only files
# included; sub-folders and their contents stay).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

temp="$(wt_tempdir)"
[ -n "$temp" ] || { wt_fail "no temp folder in the prefix"; exit 1; }
workspace="$temp/Kestro"

printf 'readme of the workspace test\r\n' >"$WT_DIR/readme.txt"
wt_settings "$WT_DIR/saver.ini" "ScrName=Workspace Test"
wt_pack "$WT_DIR/Workspace Saver.scr" "$SAVER_PROBE" "$WT_DIR/saver.ini" \
    --item "$WT_SOURCE/data/blank.swf" --member "$WT_DIR/readme.txt" || exit 1

# Left-overs of an earlier run: a read-only file, a file in tmp\ and a sub-folder.
mkdir -p "$workspace/tmp" "$workspace/keep"
echo old >"$workspace/stale.txt"
chmod a-w "$workspace/stale.txt"
echo old >"$workspace/tmp/stale-tmp.txt"
# A read-only file where an archive member lands is not replaced.
echo old >"$workspace/readme.txt"
chmod a-w "$workspace/readme.txt"
echo kept >"$workspace/keep/inside.txt"

hold="$WT_DIR/hold"
touch "$hold"
SAVER_PROBE_HOLD="$(wt_winpath "$hold")" wt_start "$WT_DIR/out.json" \
    "$(wt_winpath "$WT_DIR/Workspace Saver.scr")" /s
pid=$WT_PID
wt_wait_file "$WT_DIR/out.json" || wt_fail "probe reported"

user_temp="$(wt_json "$WT_DIR/out.json" .workspace_folder)"
case "$user_temp" in
    C:\\users\\*\\Kestro\\) wt_pass "workspace is %TEMP%\\Kestro\\ ($user_temp)" ;;
    *) wt_fail "workspace folder $user_temp" ;;
esac
wt_check "workspace maps to the prefix's temp folder" "$(wt_unixpath "$user_temp")" "$workspace/"
wt_check "settings file in the workspace" "$(wt_json "$WT_DIR/out.json" .settings_file_path)" \
    "${user_temp}Workspace Saver.002"
wt_check "files during the run" "$(wt_files "$workspace")" \
    "Workspace Saver.002 Workspace Saver.002~ readme.txt stale.txt "
wt_check "read-only member target kept" "$(cat "$workspace/readme.txt")" old
wt_check "settings read from the archive" "$(wt_json "$WT_DIR/out.json" .settings.ScrName)" \
    "Workspace Test"

rm -f "$hold"
wait "$pid"
wt_check "probe exit code" "$?" 0
wt_check "files after the run" "$(wt_files "$workspace")" ""
wt_check "tmp emptied" "$(wt_files "$workspace/tmp")" ""
wt_check "folders stay" "$([ -d "$workspace/tmp" ] && [ -d "$workspace/keep" ] && echo yes)" yes
wt_check "sub-folder contents stay" "$(wt_files "$workspace/keep")" "inside.txt "

# A bare runtime writes nothing into the workspace.
cp "$SAVER_PROBE" "$WT_DIR/Bare.scr"
wt_run_json "$WT_DIR/bare.json" 0 "$(wt_winpath "$WT_DIR/Bare.scr")" /s
wt_check "bare program: no payload" "$(wt_json "$WT_DIR/bare.json" .payload_present)" false
wt_check "bare program: nothing unpacked" "$(wt_json "$WT_DIR/bare.json" '.workspace | length')" 0

# The workspace folder gone by the time of the exit: nothing happens, the exit stays clean.
touch "$hold"
SAVER_PROBE_HOLD="$(wt_winpath "$hold")" wt_start "$WT_DIR/gone.json" \
    "$(wt_winpath "$WT_DIR/Workspace Saver.scr")" /s
pid=$WT_PID
wt_wait_file "$WT_DIR/gone.json" || wt_fail "probe reported"
rm -rf "$workspace"
rm -f "$hold"
wait "$pid"
wt_check "workspace removed during the run: exit code" "$?" 0
wt_check "and not re-created at exit" "$([ -e "$workspace" ] && echo exists)" ""
