#!/usr/bin/env bash
# 8-bit ANSI text end to end: a screensaver whose file name, settings text, registry keys and
# builder folder hold Windows-1252 letters. The probe reports everything in UTF-8.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

# The settings file is ANSI: "Crème brûlée" in Windows-1252 bytes.
printf '[Set]\r\nScrName=Cr\xe8me br\xfbl\xe9e\r\nFlashQuality=1\r\n[Flash]\r\nd\xe9j\xe0 vu.swf=1\r\n' \
    >"$WT_DIR/saver.ini"
cp "$WT_SOURCE/data/blank.swf" "$WT_DIR/déjà vu.swf"
mkdir -p "$WT_DIR/savers"
wt_pack "$WT_DIR/savers/Café Saver.scr" "$SAVER_PROBE" "$WT_DIR/saver.ini" \
    --item "$WT_DIR/déjà vu.swf" || exit 1

wt_reg add 'HKCU\Software\Orvanta\Café Saver.scr' /v FlashQuality /t REG_DWORD /d 3 /f
wt_reg add 'HKCU\Software\Orvanta\Café Saver' /ve /d 'C:\Outils Été' /f

out="$WT_DIR/out.json"
hold="$WT_DIR/hold"
touch "$hold"
SAVER_PROBE_HOLD="$(wt_winpath "$hold")" wt_start "$out" "$(wt_winpath "$WT_DIR/savers/Café Saver.scr")" /s
pid=$WT_PID
wt_wait_file "$out" || wt_fail "probe reported"
workspace="$(wt_unixpath "$(wt_json "$out" .workspace_folder)")"

wt_check "base name" "$(wt_json "$out" .program_base_name)" "Café Saver"
wt_check "settings member" "$(wt_json "$out" .settings_member)" "Café Saver.002"
wt_check "settings text" "$(wt_json "$out" .settings.ScrName)" "Crème brûlée"
wt_check "movie list" "$(wt_json "$out" '.lists.FlashList | join(",")')" "déjà vu.swf"
wt_check "override under the accented file name" "$(wt_json "$out" .settings.FlashQuality)" 3
wt_check "builder folder from the accented key" "$(wt_json "$out" .builder_folder)" 'C:\Outils Été\'
wt_check "unpacked under the accented name" "$(wt_files "$workspace")" "Café Saver.002 Café Saver.002~ "

rm -f "$hold"
wait "$pid"
wt_check "exit code" "$?" 0
wt_check "workspace emptied" "$(wt_files "$workspace")" ""
