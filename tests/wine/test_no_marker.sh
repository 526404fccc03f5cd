#!/usr/bin/env bash
# The shipped runtime must never be taken for a finished screensaver: the payload marker's
# bytes may not occur anywhere in it (nor in the probe, which stands in for it in the tests).
set -uo pipefail
fails=0
for file in "$SAVER_RUNTIME" "$SAVER_PROBE"; do
    [ -s "$file" ] || { echo "FAIL $file missing"; fails=$((fails + 1)); continue; }
    count=$(grep -c -a -F '#kestro#' "$file")
    if [ "$count" == 0 ]; then
        echo "ok   no marker in $(basename "$file")"
    else
        echo "FAIL $(basename "$file") holds the marker ($count lines)"
        fails=$((fails + 1))
    fi
done
[ "$fails" -eq 0 ]
