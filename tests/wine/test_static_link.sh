#!/usr/bin/env bash
# The Windows programs must start on a clean Windows: they may import system DLLs only, never
# the C++ runtime, the threading library or zlib of the cross compiler.
set -uo pipefail
objdump=x86_64-w64-mingw32-objdump
command -v "$objdump" >/dev/null || { echo "FAIL $objdump missing"; exit 1; }
SYSTEM_DLLS=(advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt ole32 oleaut32 shell32 shlwapi
             user32 uxtheme version winmm)
allowed=" ${SYSTEM_DLLS[*]/%/.dll} "
fails=0
for file in "$SAVER_RUNTIME" "$SAVER_SAVERPACK_EXE"; do
    imports=$("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    [ -n "$imports" ] || { echo "FAIL $(basename "$file"): no imports read"; fails=$((fails + 1)); continue; }
    before=$fails
    for dll in $imports; do
        if [[ "$allowed" != *" $dll "* ]]; then
            echo "FAIL $(basename "$file") imports $dll"
            fails=$((fails + 1))
        fi
    done
    [ "$fails" -eq "$before" ] && echo "ok   $(basename "$file") imports only: $(echo $imports)"
done
[ "$fails" -eq 0 ]
