#!/usr/bin/env bash
# A finished screensaver stored under an .exe name always plays full screen: start-up sets
# RunAsExe from the program file's real name, in any mix of case; .scr and a bare program never.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

mkdir -p "$WT_DIR/savers"
wt_settings "$WT_DIR/saver.ini" "ScrName=Exe Test"
wt_pack "$WT_DIR/packed.bin" "$SAVER_PROBE" "$WT_DIR/saver.ini" --name "Exe Test" \
    --item "$WT_SOURCE/data/blank.swf" || exit 1

# file name ; payload? ; payload_present ; run_as_exe
while IFS=';' read -r name payload present asexe; do
    file="$WT_DIR/savers/$name"
    if [ "$payload" == yes ]; then cp "$WT_DIR/packed.bin" "$file"; else cp "$SAVER_PROBE" "$file"; fi
    out="$WT_DIR/$name.json"
    if wt_run_json "$out" 0 "$(wt_winpath "$file")" /c; then
        wt_check "$name: payload present" "$(wt_json "$out" .payload_present)" "$present"
        wt_check "$name: run as exe" "$(wt_json "$out" .run_as_exe)" "$asexe"
    fi
    rm -f "$file"
done <<'TABLE'
Exe Test.scr;yes;true;false
Exe Test.SCR;yes;true;false
Exe Test.exe;yes;true;true
Exe Test.EXE;yes;true;true
Exe Test.eXe;yes;true;true
Exe Test.exe.scr;yes;true;false
Bare Probe.exe;no;false;false
TABLE
