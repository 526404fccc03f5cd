#!/usr/bin/env bash
# The name preview inside a preview area, as Display Properties shows it: a child window of the
# area that covers it, the title and the credit line (hidden by HideKestroText), the title of a
# screensaver started under its 8.3 name, a click on the credit line opening the maker's site, and
# the end of the preview process once the host destroys its window.
#
# Xvfb screenshots do not show another process's child window, so the host program
# (preview_host) reports what it sees from inside Win32.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/preview.sh"
wt_begin

# --- title and credit, a click on the credit, then destroy -------------------------------------
# Web addresses open through a command that writes the address into a file.
wt_reg add 'HKCR\https\shell\open\command' /ve \
    /d 'C:\windows\system32\cmd.exe /c echo %1>C:\opened.txt' /f
pv_pack "Deep Sea Preview" "HideKestroText=0" || exit 1
out="$WT_DIR/name.json"
pv_run "$out" "$(wt_winpath "$WT_DIR/Deep Sea Preview.scr")" click
pv_check_child "name" "$out" TOtherPreviewForm
wt_check "name: title" "$(pv_get c101.text)" "Deep Sea Preview"
wt_check "name: title visible, box kept" "$(pv_get c101.visible) $(pv_get c101.size)" "true 143x79"
wt_check "name: credit" "$(pv_get c102.text)" "- Powered by kestro.example"
wt_check "name: credit visible, with its hint" "$(pv_get c102.visible) $(pv_get hint_tools)" \
    "true 1"
wt_check "name: no picture box" "$(pv_get c103.text)" "<none>"
# Controls sit at their design places in the form's client area.
wt_check "name: title at 8,12, credit at 36,95" "$(pv_get c101.offset) $(pv_get c102.offset)" \
    "8,12 36,95"
pv_check_destroyed "name"
opened="$WINEPREFIX/drive_c/opened.txt"
wt_wait_file "$opened" 50
wt_check "name: a click on the credit opens the maker's site" "$(tr -d '\r ' <"$opened" 2>/dev/null)" \
    "https://kestro.example/"

# --- HideKestroText --------------------------------------------------------------------------
pv_pack "Quiet Preview" "HideKestroText=1" || exit 1
out="$WT_DIR/hidden.json"
pv_run "$out" "$(wt_winpath "$WT_DIR/Quiet Preview.scr")" destroy
pv_check_child "HideKestroText" "$out" TOtherPreviewForm
wt_check "HideKestroText: title" "$(pv_get c101.text)" "Quiet Preview"
wt_check "HideKestroText: credit hidden" "$(pv_get c102.visible)" false
pv_check_destroyed "HideKestroText"

# --- a screensaver started under its 8.3 name shows its long name ------------------------------
savers="$WINEPREFIX/drive_c/savers"
mkdir -p "$savers"
cp "$WT_DIR/Deep Sea Preview.scr" "$savers/Coral Reef Deluxe.scr"
short="$(pv_short_name "$savers" "Coral Reef Deluxe.scr")"
case "$short" in *~*) wt_pass "short name $short" ;; *) wt_fail "no short name: '$short'" ;; esac
out="$WT_DIR/short.json"
pv_run "$out" "C:\\savers\\$short" destroy
pv_check_child "short name" "$out" TOtherPreviewForm
wt_check "short name: the long name as title" "$(pv_get c101.text)" "Coral Reef Deluxe"
pv_check_destroyed "short name"
