#!/usr/bin/env bash
# saverpack.exe, the Windows build of the packing tool, on the Win32 file system: what it packs
# and what it reports match the host tool, and the screensaver it makes starts up.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

data="$WT_SOURCE/data"
cat >"$WT_DIR/saver.ini" <<'INI'
[Set]
ScrName=Packed On Windows
FlashSequence=0
FlashQuality=3
[Flash]
C:\movies\blank.swf=1
second.swf=1
(Resource) readme.txt=1
INI
cp "$data/blank.swf" "$WT_DIR/second.swf"
items=(--item "$data/blank.swf" --item "$WT_DIR/second.swf:zip" --item "$data/readme.txt")
w() { wt_winpath "$1"; }

# The same screensaver packed by both tools.
wt_pack "$WT_DIR/Host Packed.scr" "$SAVER_PROBE" "$WT_DIR/saver.ini" --name Packed "${items[@]}" || exit 1
wt_run "$WT_DIR/pack.out" "$(w "$SAVER_SAVERPACK_EXE")" build --runtime "$(w "$SAVER_PROBE")" \
    --settings "$(w "$WT_DIR/saver.ini")" -o "$(w "$WT_DIR/Exe Packed.scr")" --name Packed \
    --item "$(w "$data/blank.swf")" --item "$(w "$WT_DIR/second.swf"):zip" --item "$(w "$data/readme.txt")"
wt_check "saverpack.exe build: exit code" "$?" 0
wt_check "same size as the host tool's" "$(stat -c %s "$WT_DIR/Exe Packed.scr" 2>/dev/null)" \
    "$(stat -c %s "$WT_DIR/Host Packed.scr")"
wt_check "same bytes up to the settings archive" \
    "$(cmp -n "$(grep -b -a -o -F '#kestro#' "$WT_DIR/Host Packed.scr" | cut -d: -f1)" \
        "$WT_DIR/Exe Packed.scr" "$WT_DIR/Host Packed.scr" >/dev/null 2>&1 && echo same)" same

# What the host tool reads from each (settings, lists, unpacked files).
summary='[.payload_present, .settings.ScrName, .settings.FlashQuality, .lists.FlashList,
          [.workspace[] | .name + ":" + (.size|tostring)]] | tostring'
"$SAVERPACK" inspect "$WT_DIR/Host Packed.scr" --json >"$WT_DIR/host.json" 2>/dev/null ||
    wt_fail "host inspect of the host-packed file"
"$SAVERPACK" inspect "$WT_DIR/Exe Packed.scr" --json >"$WT_DIR/exe.json" 2>/dev/null ||
    wt_fail "host inspect of the exe-packed file"
wt_check "host inspect of both agrees" "$(wt_json "$WT_DIR/exe.json" "$summary")" \
    "$(wt_json "$WT_DIR/host.json" "$summary")"

# saverpack.exe inspect --resolve extracts every movie through the Win32 file system.
wt_run "$WT_DIR/inspect.json" "$(w "$SAVER_SAVERPACK_EXE")" inspect "$(w "$WT_DIR/Exe Packed.scr")" --json --resolve
wt_check "saverpack.exe inspect: exit code" "$?" 0
wt_check "resolved entries" "$(wt_json "$WT_DIR/inspect.json" '[.resolved[] | .ok] | tostring')" "[true,true]"
wt_check "extracted sizes" \
    "$(wt_json "$WT_DIR/inspect.json" '[.workspace[] | select(.name | endswith(".swf") or endswith(".txt")) | .name + ":" + (.size|tostring)] | join(" ")')" \
    "blank.swf:30 readme.txt:$(stat -c %s "$data/readme.txt") second.swf:30"
wt_check "same report as the host tool" \
    "$(wt_json "$WT_DIR/inspect.json" '[.settings, .lists] | tostring')" \
    "$(wt_json "$WT_DIR/exe.json" '[.settings, .lists] | tostring')"

# And the screensaver it made starts up for real.
wt_run_json "$WT_DIR/probe.json" 0 "$(w "$WT_DIR/Exe Packed.scr")" /s
wt_check "probe packed by saverpack.exe starts" \
    "$(wt_json "$WT_DIR/probe.json" '.outcome + " " + .settings.ScrName')" "Ready Packed On Windows"
