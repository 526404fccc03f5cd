#!/usr/bin/env bash
# OK in a finished screensaver stores the eleven per-user registry values (read back with
# `wine reg query`), every exit condition cleared included, and the next start shows them.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/config_dialog.sh"
wt_begin

# reg_values PROGRAM_NAME: "name type data" of every value stored for a program file.
reg_values() { wt_reg_values "HKCU\\Software\\Orvanta\\$1"; }

wt_settings "$WT_DIR/saver.ini" ScrName=Reef MouseMove=1 MousePress=1 KeyboardPress=1 \
    FlashSequence=0 FlashQuality=1 FlashColor=0 FlashDownloadTime=20
wt_pack "$WT_DIR/Reef.scr" "$SAVER_RUNTIME" "$WT_DIR/saver.ini" \
    --item "$WT_SOURCE/data/blank.swf" || exit 1
open_dialog "$WT_DIR/Reef.scr"
# Every exit condition cleared; Intelligent Random, "Auto High", White.
probe click 2203 select 2208 3 select 2210 15 tab 1 click 2301 click 2302 click 2303 click 1
ended
wt_check "OK ends the finished screensaver" "$RC" "0"
wt_check "eleven registry values" "$(reg_values Reef.scr | sort | tr '\n' ';')" \
    "FlashColor REG_DWORD 0xffffff;FlashDownloadTime REG_DWORD 0x14;FlashMute REG_DWORD 0x0;FlashQuality REG_DWORD 0x3;FlashSequence REG_DWORD 0x2;FlashSize REG_DWORD 0x0;KeyboardPressExit REG_DWORD 0x0;MouseMoveExit REG_DWORD 0x0;MousePressExit REG_DWORD 0x0;OnlyEscKeyExit REG_DWORD 0x0;ShowCursor REG_DWORD 0x0;"

# The next start reads them: the dialog shows the stored choices.
open_dialog "$WT_DIR/Reef.scr" /c
wt_check "stored choices come back" \
    "$(ctl 2203 .checked) $(ctl 2208 .selected) $(ctl 2301 .checked) $(ctl 2302 .checked)" \
    "true 3 false false"
probe click 2
ended
