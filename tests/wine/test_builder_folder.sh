#!/usr/bin/env bash
# The builder's installation folder from the registry: the key named after the program's base
# name, then the KestroPro key, then the fixed fallback folders.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

cp "$SAVER_PROBE" "$WT_DIR/Folder Saver.scr"
program="$(wt_winpath "$WT_DIR/Folder Saver.scr")"
own='HKCU\Software\Orvanta\Folder Saver'
pro='HKCU\Software\Orvanta\KestroPro'
fallback_pro="$WINEPREFIX/drive_c/Program Files/kestro/Screensaver Pro"

# own key value ; KestroPro value ; "Screensaver Pro" folder exists? ; expected BuilderFolder
# ("-" = no such key, "@key" = the key without a default value)
row=0
while IFS=';' read -r ownval proval profolder expected; do
    wt_reg delete "$own" /f
    wt_reg delete "$pro" /f
    case "$ownval" in
        -) ;;
        @key) wt_reg add "$own" /f ;;  # the key without a default value
        *) wt_reg add "$own" /ve /d "$ownval" /f ;;
    esac
    [ "$proval" == "-" ] || wt_reg add "$pro" /ve /d "$proval" /f
    if [ "$profolder" == yes ]; then mkdir -p "$fallback_pro"; else rm -rf "$fallback_pro"; fi
    row=$((row + 1))
    out="$WT_DIR/row$row.json"
    wt_run_json "$out" 0 "$program" /c || continue
    wt_check "own [$ownval] pro [$proval] folder [$profolder]" \
        "$(wt_json "$out" .builder_folder)" "$expected"
done <<'TABLE'
C:\Kestro Own;C:\Kestro Pro;no;C:\Kestro Own\
-;C:\Kestro Pro;no;C:\Kestro Pro\
-;D:\Tools\Kestro;yes;D:\Tools\Kestro\
-;-;no;C:\Program Files\kestro\Screensaver\
-;-;yes;C:\Program Files\kestro\Screensaver Pro\
C:;-;no;C:\
@key;C:\Kestro Pro;no;C:\Program Files\kestro\Screensaver\
-;X;yes;C:\Program Files\kestro\Screensaver Pro\
TABLE
