#!/usr/bin/env bash
# Per-user overrides on the real registry (HKCU\Software\Orvanta\<program file name>), written
# with `wine reg` and read by the real start-up of a finished screensaver.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

key() { printf 'HKCU\\Software\\Orvanta\\%s' "$1"; }
dword() { wt_reg add "$(key "$1")" /v "$2" /t REG_DWORD /d "$3" /f; }

# Builder values, chosen to differ from every override below.
wt_settings "$WT_DIR/saver.ini" MouseMove=0 MousePress=1 KeyboardPress=1 ShowCursor=0 \
    OnlyEscKeyExit=0 FlashSequence=0 FlashSize=0 FlashQuality=1 FlashColor=0 \
    FlashDownloadTime=20 FlashMute=0
wt_pack "$WT_DIR/Override Saver.scr" "$SAVER_PROBE" "$WT_DIR/saver.ini" \
    --item "$WT_SOURCE/data/blank.swf" || exit 1
cp "$WT_DIR/Override Saver.scr" "$WT_DIR/Second Saver.scr"
first="$(wt_winpath "$WT_DIR/Override Saver.scr")"
second="$(wt_winpath "$WT_DIR/Second Saver.scr")"

# settings_of PROGRAM: "Field=value ..." of the eleven overridable fields.
FIELDS=(MouseMove MousePress KeyboardPress ShowCursor OnlyEscKeyExit FlashSequence FlashSize
        FlashQuality FlashColor FlashDownloadTime FlashMute)
# Runs in a command substitution: each run gets its own report file by the subshell's pid, and a
# failed run shows up in the returned line.
settings_of() {
    local out="$WT_DIR/settings.$BASHPID.json" f line=""
    wt_run_json "$out" 0 "$1" /s
    for f in "${FIELDS[@]}"; do line+="$f=$(wt_json "$out" ".settings.$f") "; done
    echo "${line% }"
}
FILE_VALUES="MouseMove=false MousePress=true KeyboardPress=true ShowCursor=false OnlyEscKeyExit=false FlashSequence=0 FlashSize=0 FlashQuality=1 FlashColor=0 FlashDownloadTime=20 FlashMute=false"

wt_check "no key: the settings file's values" "$(settings_of "$first")" "$FILE_VALUES"

# Only FlashMute: only that field changes.
dword "Override Saver.scr" FlashMute 1
wt_check "only FlashMute" "$(settings_of "$first")" "${FILE_VALUES/FlashMute=false/FlashMute=true}"

# Every value, in the registry's types.
while IFS=';' read -r value data; do dword "Override Saver.scr" "$value" "$data"; done <<'TABLE'
MouseMoveExit;1
MousePressExit;0
KeyboardPressExit;0
ShowCursor;7
OnlyEscKeyExit;1
FlashSequence;0x102
FlashSize;2
FlashQuality;3
FlashColor;0x00ff8040
FlashDownloadTime;45
FlashMute;1
TABLE
wt_check "all eleven values applied" "$(settings_of "$first")" \
    "MouseMove=true MousePress=false KeyboardPress=false ShowCursor=true OnlyEscKeyExit=true FlashSequence=2 FlashSize=2 FlashQuality=3 FlashColor=16744512 FlashDownloadTime=45 FlashMute=true"

# The other file name has a key of its own; the first file's values do not leak into it.
wt_check "second file name, no key of its own" "$(settings_of "$second")" "$FILE_VALUES"
dword "Second Saver.scr" FlashQuality 0
wt_check "second file name, own key" "$(settings_of "$second")" \
    "${FILE_VALUES/FlashQuality=1/FlashQuality=0}"
wt_check "first file name keeps its values" "$(settings_of "$first" | cut -d' ' -f8)" "FlashQuality=3"

# A string where a number belongs stops the reading: MouseMoveExit (read before it) is applied,
# nothing after it is.
wt_reg delete "$(key "Override Saver.scr")" /f
dword "Override Saver.scr" MouseMoveExit 1
wt_reg add "$(key "Override Saver.scr")" /v MousePressExit /t REG_SZ /d 0 /f
dword "Override Saver.scr" KeyboardPressExit 0
dword "Override Saver.scr" FlashMute 1
wt_check "REG_SZ MousePressExit" "$(settings_of "$first")" "${FILE_VALUES/MouseMove=false/MouseMove=true}"

# Without a payload the registry is not read at all.
cp "$SAVER_PROBE" "$WT_DIR/Bare Saver.exe"
dword "Bare Saver.exe" FlashQuality 3
dword "Bare Saver.exe" MouseMoveExit 1
out="$WT_DIR/bare.json"
wt_run_json "$out" 0 "$(wt_winpath "$WT_DIR/Bare Saver.exe")" /s
wt_check "no payload: registry ignored" \
    "$(wt_json "$out" '.payload_present, .settings.FlashQuality, .settings.MouseMove' | tr '\n' ' ')" \
    "false 1 false "
