#!/usr/bin/env bash
# Benchmarks on one warm Wine prefix:
#  1. a silent Server install as a whole process, against a trivial program (the
#     difference is the install's own cost; Wine's start-up cancels out);
#  2. the installer's inflation against plain zlib uncompress on the same stream, and the
#     damage check that runs before anything is written;
#  3. the program's size without its compressed payload.
#   scripts/benchmark.sh [RUNS]
set -euo pipefail
. "$(dirname "$0")/tmpdir.sh"
cd "$(dirname "$0")/.."
runs=${1:-15}
bash scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target tidykiosk_filter_v3 inflate_bench bench_noop >/dev/null
. scripts/wine-lib.sh
export TK_WINE_REQUIRED=1
root=$PWD/build/bench
tk_wine_setup "$root" >/dev/null
trap 'tk_wine_teardown "$root"' EXIT
tk_wine_fresh_prefix "$root" bench
mkdir -p "$WINEPREFIX/drive_c/setup"
cp build/windows/tidykiosk_filter_v3.exe build/windows/bench_noop.exe "$WINEPREFIX/drive_c/setup/"

median_ms() { sort -n | awk '{ v[NR] = $1 } END { printf "%.1f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
time_ms() {  # time_ms COMMAND...: wall time of one run in milliseconds
    local start end
    start=$(date +%s%N)
    "$@" </dev/null >/dev/null 2>&1 || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000))e-3 | awk '{ printf "%.1f\n", $1 }'
}

wine 'C:\setup\bench_noop.exe' </dev/null >/dev/null 2>&1
wine 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 'C:\warm' </dev/null >/dev/null 2>&1 || true
noop=()
setup=()
for i in $(seq 1 "$runs"); do
    noop+=("$(time_ms wine 'C:\setup\bench_noop.exe')")
    setup+=("$(time_ms wine 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 "C:\\bench\\run$i")")
done
noop_median=$(printf '%s\n' "${noop[@]}" | median_ms)
setup_median=$(printf '%s\n' "${setup[@]}" | median_ms)
echo "whole process, median of $runs runs on a warm prefix:"
echo "  trivial program:       $noop_median ms"
echo "  silent Server install: $setup_median ms"
echo "  install's own cost:    $(awk -v a="$setup_median" -v b="$noop_median" 'BEGIN { printf "%.1f", a - b }') ms"
echo
echo "inflation (in process, under Wine):"
wine "$(pwd)/build/windows/inflate_bench.exe" 40 </dev/null 2>/dev/null | tr -d '\r' | sed 's/^/  /'
echo
total=$(stat -c %s build/windows/tidykiosk_filter_v3.exe)
payload=$(cat build/windows/packed/*.z | wc -c)
echo "size: program $total bytes, compressed payload $payload bytes," \
    "program without payload $((total - payload)) bytes ($(((total - payload) / 1024)) KiB)"
