#!/usr/bin/env bash
# saverpack.exe extract on the Win32 file system: the settings file, the other settings-archive
# members and every packed item (raw and zipped, "**" names) come out under the names start-up
# gives them, byte for byte as the host tool writes them; a bare runtime is refused.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wt_begin

w() { wt_winpath "$1"; }
data="$WT_SOURCE/data"
cat >"$WT_DIR/saver.ini" <<'INI'
[Set]
ScrName=Taken Apart
[Flash]
blank.swf=1
C:\movies\a**b.swf=1
(Resource) readme.txt=1
INI
printf 'member text\r\n' >"$WT_DIR/extra.txt"
wt_pack "$WT_DIR/Parts.scr" "$SAVER_PROBE" "$WT_DIR/saver.ini" --item "$data/blank.swf" \
    --item "$data/blank.swf=a**b.swf:zip" --item "$data/readme.txt:zip" \
    --member "$WT_DIR/extra.txt" || exit 1

wt_run "$WT_DIR/exe.out" "$(w "$SAVER_SAVERPACK_EXE")" extract "$(w "$WT_DIR/Parts.scr")" \
    "$(w "$WT_DIR/exe parts")"
wt_check "saverpack.exe extract: exit code" "$?" 0
"$SAVERPACK" extract "$WT_DIR/Parts.scr" "$WT_DIR/host parts" >"$WT_DIR/host.out" 2>&1
wt_check "host extract: exit code" "$?" 0
wt_check "the files start-up would write" "$(wt_files "$WT_DIR/exe parts")" \
    "Parts.002 a=b.swf blank.swf extra.txt readme.txt "
wt_check "the same bytes as the host tool's" \
    "$(diff -r "$WT_DIR/exe parts" "$WT_DIR/host parts" >/dev/null && echo same)" same
wt_check "the movie as packed" "$(cmp "$data/blank.swf" "$WT_DIR/exe parts/a=b.swf" && echo same)" same
wt_check "the listing names each file" \
    "$(tr -d '\r' <"$WT_DIR/exe.out" | grep -c -E '^  (Parts.002|a=b.swf|blank.swf|extra.txt|readme.txt)  ')" 5

wt_run "$WT_DIR/bare.out" "$(w "$SAVER_SAVERPACK_EXE")" extract "$(w "$SAVER_RUNTIME")" \
    "$(w "$WT_DIR/bare parts")"
wt_check "bare runtime: exit code" "$?" 1
wt_check "bare runtime: says why" "$(grep -c 'no payload' "$WT_DIR/bare.out.err")" 1
wt_check "bare runtime: no folder" "$([ -e "$WT_DIR/bare parts" ] && echo made || echo none)" none
