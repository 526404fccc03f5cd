#!/usr/bin/env bash
# Archive member names under the system's code pages. A screensaver finished on Russian or
# Portuguese Windows stores its settings member name in that system's OEM code page (866, 850)
# and the name behind the marker in its ANSI code page (1251, 1252). The real runtime, run
# under that locale (Wine takes its code pages from the Unix locale), extracts the member
# under the name behind the marker and finds its settings: the dialog carries ScrName from
# them, and the workspace holds the settings file under its own name.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WT_SOURCE/config_dialog.sh"
wt_begin

workspace="$(wt_tempdir)/Kestro"
# locale ; OEM bytes of the member name ; ANSI bytes of the same name ; the name in UTF-8
while IFS=';' read -r locale oem ansi utf8; do
    wt_locale "$locale" || continue
    printf '[Set]\r\nScrName=Locale %s\r\n' "$locale" >"$WT_DIR/$locale.ini"
    wt_zip_stored "$WT_DIR/$locale.zip" "$oem" "$WT_DIR/$locale.ini" || {
        wt_fail "$locale: settings archive"
        continue
    }
    saver="$WT_DIR/Locale $locale.scr"
    { cat "$SAVER_RUNTIME" && printf '#kestro#' && printf "$ansi" && printf '**' &&
        cat "$WT_DIR/$locale.zip"; } >"$saver" || {
        wt_fail "$locale: screensaver"
        continue
    }
    LC_ALL="$locale.UTF-8" wt_start "$WT_DIR/$locale.out" "$(wt_winpath "$saver")" /c
    RUN=$WT_PID
    if probe wait dump >"$WT_DIR/dump.json" 2>"$WT_DIR/probe.err"; then
        wt_check "$locale: settings found" "$(wt_json "$WT_DIR/dump.json" .caption)" \
            "Zivuv Eredo Setting - Locale $locale"
        wt_check "$locale: settings file under its own name" "$(wt_files "$workspace")" \
            "$utf8 $utf8~ "
        probe close >/dev/null 2>>"$WT_DIR/probe.err"
    else
        kill "$RUN" 2>/dev/null
    fi
    ended
    wt_check "$locale: the dialog closes with exit code 0" "$RC" 0
done <<'TABLE'
ru_RU;\x91\xa0\xe8\xa0.002;\xd1\xe0\xf8\xe0.002;Саша.002
pt_PT;A\x87\xc6o.002;A\xe7\xe3o.002;Ação.002
TABLE
