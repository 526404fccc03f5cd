#!/usr/bin/env bash
# Refreshes docs/preview.png, the name preview as a top-level window ("/p" without a window
# handle), by running the top-level preview test with SAVER_PREVIEW_SHOT set.
# Usage: tests/wine/shots_preview.sh [WIN64_BUILD_DIR]   (default build/win64)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build/win64}"
export SAVER_PREVIEW_SHOT="$root/docs/preview.png"
rm -f "$SAVER_PREVIEW_SHOT"
ctest --test-dir "$build" -R 'wine\.(setup|teardown|preview_toplevel)$' --output-on-failure
[ -s "$SAVER_PREVIEW_SHOT" ] || { echo "shots_preview: no screenshot taken"; exit 1; }
echo "shots_preview: wrote $SAVER_PREVIEW_SHOT"
