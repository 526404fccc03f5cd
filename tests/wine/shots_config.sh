#!/usr/bin/env bash
# Screenshots of the settings dialog's three pages, taken under Wine on the virtual display of
# the Wine tests: docs/settings-options.png, docs/settings-exit.png, docs/settings-readme.png.
#
# Usage: tests/wine/shots_config.sh WIN64_BUILD_DIR [OUTPUT_DIR]
#   WIN64_BUILD_DIR  a configured and built win64 tree (runtime, dialog_probe); its wine.setup
#                    and wine.teardown fixtures start and end the display.
#   OUTPUT_DIR       where the pictures go (default: docs/ of the source tree)
set -uo pipefail
if [ -z "${SAVER_WINE_WORK:-}" ]; then
    build="$(cd "${1:?usage: shots_config.sh WIN64_BUILD_DIR [OUTPUT_DIR]}" && pwd)"
    out="$(mkdir -p "${2:-$(dirname "$0")/../../docs}" && cd "${2:-$(dirname "$0")/../../docs}" && pwd)"
    ctest --test-dir "$build" -R 'wine\.setup$' >/dev/null || { echo "wine.setup failed"; exit 1; }
    # Everything the tests get from ctest, read back from the build tree's test list.
    env_line="$(ctest --test-dir "$build" -R 'wine\.setup$' --show-only=json-v1 |
        jq -r '.tests[0].properties[] | select(.name == "ENVIRONMENT") | .value[]')"
    rc=0
    env $env_line SHOTS_OUT="$out" bash "$0" || rc=$?
    ctest --test-dir "$build" -R 'wine\.teardown$' >/dev/null
    exit $rc
fi

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

cat >"$WT_DIR/saver.ini" <<'INI'
[Set]
ScrName=Deep Blue Sea
Author=Ann Example
Website=http://www.aqua.example/
ScrEmail=ann@aqua.example
FlashSequence=2
FlashSize=0
FlashQuality=1
FlashColor=0
[Flash]
blank.swf=1
(URL) http://movies.example/ocean.swf=1
INI
wt_pack "$WT_DIR/Deep Blue Sea.scr" "$SAVER_RUNTIME" "$WT_DIR/saver.ini" \
    --item "$WT_SOURCE/data/blank.swf" --item "$WT_SOURCE/data/shots_readme.txt=readme.txt" || exit 1
wt_start "$WT_DIR/run.out" "$(wt_winpath "$WT_DIR/Deep Blue Sea.scr")" /c
probe() { timeout -k 5 30 wine "$SAVER_DIALOG_PROBE" "$@"; }

# shot PAGE NAME: shows the page and saves the dialog's window as NAME.
shot() {
    probe tab "$1" dump >"$WT_DIR/dump.json" || { wt_fail "page $1"; return; }
    sleep 0.5
    local geometry
    geometry="$(jq -r '.window | "\(.[2])x\(.[3])+\(.[0])+\(.[1])"' "$WT_DIR/dump.json")"
    if import -display "$DISPLAY" -window root -crop "$geometry" +repage "$SHOTS_OUT/$2"; then
        wt_pass "$2 ($geometry)"
    else
        wt_fail "$2"
    fi
}
probe wait || { wt_fail "no dialog"; exit 1; }
sleep 1
shot 0 settings-options.png
shot 1 settings-exit.png
shot 2 settings-readme.png
probe close
