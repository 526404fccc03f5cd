#!/usr/bin/env bash
# A program started through its 8.3 short name: the base name (and with it the registry keys
# and the settings file beside a bare program) comes from the name the shell displays.
#
# Wine gives files on a Unix file system hashed short names ("AQUA~KVX.SCR", not "AQUARI~1.SCR")
# and reports them through `dir /x` and GetShortPathName. A program started through that form
# gets it back from GetModuleFileName, as on Windows, and SHGetFileInfoA(SHGFI_DISPLAYNAME)
# gives the long name with its extension.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

savers="$WINEPREFIX/drive_c/savers"
mkdir -p "$savers"

# short_name LONG_NAME: the 8.3 name Wine gives the file in C:\savers.
short_name() {
    local line rest
    while IFS= read -r line; do
        line="${line%$'\r'}"
        [[ "$line" == *" $1" ]] || continue
        rest="${line% "$1"}"
        echo "${rest##* }"
    done < <(cd "$savers" && timeout -k 5 30 wine cmd /c dir /x 2>/dev/null)
}

# A finished screensaver under a long name.
wt_settings "$WT_DIR/saver.ini" "ScrName=Short Name Test"
wt_pack "$savers/Aquarium Deluxe.scr" "$SAVER_PROBE" "$WT_DIR/saver.ini" \
    --item "$WT_SOURCE/data/blank.swf" || exit 1
short="$(short_name "Aquarium Deluxe.scr")"
case "$short" in *~*) wt_pass "short name $short" ;; *) wt_fail "no short name: '$short'"; exit 1 ;; esac

wt_reg add 'HKCU\Software\Orvanta\Aquarium Deluxe' /ve /d 'C:\From Base Name' /f
out="$WT_DIR/short.json"
wt_run_json "$out" 0 "C:\\savers\\$short" /s
wt_check "module path is the short one" "$(wt_json "$out" .program_file_path)" "C:\\savers\\$short"
wt_check "base name from the displayed name" "$(wt_json "$out" .program_base_name)" "Aquarium Deluxe"
wt_check "builder folder by the long base name" "$(wt_json "$out" .builder_folder)" "C:\\From Base Name\\"
wt_check "payload found" "$(wt_json "$out" .payload_present)" true

# A bare program started by its short name reads "<long base name>.002" beside itself.
cp "$SAVER_PROBE" "$savers/Long Bare Saver.scr"
printf '[Set]\r\nScrName=Beside The Program\r\nFlashQuality=3\r\n' >"$savers/Long Bare Saver.002"
short="$(short_name "Long Bare Saver.scr")"
out="$WT_DIR/bare.json"
wt_run_json "$out" 0 "C:\\savers\\$short" /c
wt_check "bare: base name" "$(wt_json "$out" .program_base_name)" "Long Bare Saver"
wt_check "bare: settings file beside it" "$(wt_json "$out" .settings_file_path)" \
    'C:\savers\Long Bare Saver.002'
wt_check "bare: settings read" "$(wt_json "$out" '.settings.ScrName + "/" + (.settings.FlashQuality|tostring)')" \
    "Beside The Program/3"

# The long name itself needs no shell lookup and gives the same base name.
out="$WT_DIR/long.json"
wt_run_json "$out" 0 'C:\savers\Long Bare Saver.scr' /c
wt_check "long name: base name" "$(wt_json "$out" .program_base_name)" "Long Bare Saver"
