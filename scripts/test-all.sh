#!/usr/bin/env bash
# Runs every test: the native unit tests, then the Windows-side and end-to-end tests of the
# released 32-bit program under Wine (natively, or under QEMU's user-mode emulator where this
# machine runs 64-bit code only). Installs what it needs first. Ends with how the
# Windows-side tests ran and what they counted; any failed or skipped test fails the run.
#   TK_SKIP_WINE=1   native unit tests only, for a quick check while developing (never in CI)
set -euo pipefail
. "$(dirname "$0")/tmpdir.sh"
cd "$(dirname "$0")/.."
. scripts/i386-lib.sh
logs=build/test-all
mkdir -p "$logs"

# ctest_counts LOG: "N passed, N failed, N skipped" from ctest's per-test lines.
ctest_counts() {
    local passed failed skipped
    passed=$(grep -c '^ *[0-9]*/[0-9]* Test *#[0-9]*: .* Passed ' "$1" || true)
    skipped=$(grep -c '^ *[0-9]*/[0-9]* Test *#[0-9]*: .*\*\*\*Skipped' "$1" || true)
    failed=$(grep '^ *[0-9]*/[0-9]* Test *#[0-9]*: .*\*\*\*' "$1" | grep -vc '\*\*\*Skipped' || true)
    echo "$passed passed, $failed failed, $skipped skipped"
}
# run_ctest LOG PRESET: runs it, keeps its output in LOG, never stops this script.
run_ctest() {
    set +e
    ctest --preset "$2" 2>&1 | tee "$1"
    local status=${PIPESTATUS[0]}
    set -e
    return "$status"
}
total() {  # total "A passed, B failed, C skipped"...
    local p=0 f=0 s=0 line
    for line in "$@"; do
        read -r a _ b _ c _ <<<"${line//,/}"
        p=$((p + a)) f=$((f + b)) s=$((s + c))
    done
    echo "$p passed, $f failed, $s skipped"
}

bash scripts/install-deps.sh
cmake --preset host
cmake --build --preset host
native_status=0
run_ctest "$logs/host.log" host || native_status=$?
native=$(ctest_counts "$logs/host.log")

if [ "${TK_SKIP_WINE:-0}" = 1 ]; then
    echo
    echo "== TK_SKIP_WINE=1: the Windows-side and end-to-end tests were NOT run"
    echo "native: $native"
    exit "$native_status"
fi

mode=$(tk_i386_mode)
cmake --preset windows
cmake --build --preset windows
how=$(tk_i386_words)
if [ "$mode" = emulated ]; then
    # Under the emulator a fault arrives with another code than the processor's: that
    # check runs on the 64-bit build of the same sources, under wine64.
    cmake --preset windows64
    cmake --build --preset windows64 --target tk_crash
    how="$how (QEMU user mode); the fault-code check on the 64-bit build under wine64"
fi
windows_status=0
run_ctest "$logs/windows.log" windows || windows_status=$?
windows=$(ctest_counts "$logs/windows.log")

echo
echo "== Summary"
echo "native unit tests: $native"
echo "Windows-side and end-to-end tests, $how: $windows"
all=$(total "$native" "$windows")
echo "total: $all"
case $all in *" 0 failed, 0 skipped") ;; *) exit 1 ;; esac
[ "$native_status" -eq 0 ] && [ "$windows_status" -eq 0 ]
