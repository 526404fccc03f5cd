#!/usr/bin/env bash
# The one command that runs every test on a fresh Debian machine:
#   1. installs the packages (scripts/install-deps.sh),
#   2. builds the host preset and runs its tests (unit tests, fuzz-corpus regressions),
#   3. builds the win64 preset and runs its tests (end-to-end under Wine + Xvfb).
# Ends with a summary line "N passed, N failed" and exits non-zero on any failure, a failed
# build included (it counts as one failed test).
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
# Build trees go to $SAVER_BUILD_ROOT/<preset> (default: the presets' own build/<preset>).
BUILD_ROOT="${SAVER_BUILD_ROOT:-$ROOT/build}"
LOGDIR="$BUILD_ROOT/test-logs"
JOBS="${JOBS:-$(nproc)}"
passed=0
failed=0

step() { echo; echo "=== $* ==="; }

# Adds the pass/fail counts of one ctest log to the totals.
count_ctest() {
    local log="$1" line total nfail
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -z "$line" ]; then
        echo "test.sh: no test summary in $log" >&2
        failed=$((failed + 1))
        return
    fi
    nfail=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + total - nfail))
    failed=$((failed + nfail))
}

# build_and_test PRESET [CMAKE-ARGS...]: configure, build and run the tests of one preset.
build_and_test() {
    local preset="$1" dir="$BUILD_ROOT/$1"
    shift
    step "configure $preset"
    if ! cmake --preset "$preset" -B "$dir" "$@" >"$LOGDIR/$preset-configure.log" 2>&1; then
        tail -40 "$LOGDIR/$preset-configure.log"
        echo "test.sh: configure of $preset failed" >&2
        failed=$((failed + 1))
        return
    fi
    step "build $preset"
    if ! cmake --build "$dir" -j "$JOBS" >"$LOGDIR/$preset-build.log" 2>&1; then
        grep -E 'error|FAILED' "$LOGDIR/$preset-build.log" | head -40
        echo "test.sh: build of $preset failed" >&2
        failed=$((failed + 1))
        return
    fi
    step "test $preset"
    ctest --test-dir "$dir" --output-on-failure -j "$JOBS" 2>&1 | tee "$LOGDIR/$preset-ctest.log"
    count_ctest "$LOGDIR/$preset-ctest.log"
}

step "dependencies"
if ! "$ROOT/scripts/install-deps.sh"; then
    echo "test.sh: installing dependencies failed" >&2
    echo "0 passed, 1 failed"
    exit 1
fi
mkdir -p "$LOGDIR"

start=$(date +%s)
build_and_test host
# The Wine tests pack their screensavers with the host saverpack built just above.
export SAVERPACK="$BUILD_ROOT/host/tools/saverpack/saverpack"
# The win64 libraries (libjpeg, AGG) are built from Debian's source packages first; the
# script honours SAVER_BUILD_ROOT, so the preset is told where they are.
step "win64 libraries"
if "$ROOT/scripts/build-win64-deps.sh" 2>&1 | tee "$LOGDIR/win64-deps.log"; then
    build_and_test win64 -DSAVER_DEPS_PREFIX="$BUILD_ROOT/deps/win64"
else
    echo "test.sh: building the win64 libraries failed" >&2
    failed=$((failed + 1))
fi

echo
echo "test.sh: finished in $(($(date +%s) - start)) s; logs in $LOGDIR"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
