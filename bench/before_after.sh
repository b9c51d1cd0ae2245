#!/usr/bin/env bash
# A silent Server install, fresh and over an earlier install, of two builds of the program:
# REF (a commit) and the working tree, both built for 64-bit Windows (preset bench64) with
# the same payload, run in turn by wine64 on one warm prefix. Each round times, for each
# build in an order that alternates, an install into a new folder and then a second install
# over it (every file replaced); the files are synced and removed after each, untimed. Then
# the peak private memory of each (bench_probe), fresh and over an earlier install.
#   bench/before_after.sh REF [ROUNDS]       (default 21)
#   TK_BENCH_PAYLOAD=standins | large (default: large, about 5 MB, or TK_BENCH_BYTES)
set -euo pipefail
. "$(dirname "$0")/../scripts/tmpdir.sh"
cd "$(dirname "$0")/.."
ref=${1:?usage: bench/before_after.sh REF [ROUNDS]}
runs=${2:-21}
base=$PWD/build/bench/before-after
mkdir -p "$base"
wine() { /usr/lib/wine/wine64 "$@"; }
quietly() { "$@" </dev/null >/dev/null 2>&1; }

bytes=${TK_BENCH_BYTES:-}
payload=$base/payload${bytes:+-$bytes}
if [ "${TK_BENCH_PAYLOAD:-large}" = large ]; then
    cmake --preset bench64 -B "$base/payload-build" >"$base/payload.log" 2>&1
    cmake --build "$base/payload-build" --target tk_payloads >>"$base/payload.log" 2>&1
    [ -f "$payload/fltsrv.exe" ] ||
        python3 bench/large_payload.py "$base/payload-build/payload" "$payload" $bytes >/dev/null
fi
option=$([ -d "$payload" ] && echo "-DTK_PAYLOAD_DIR=$payload" || true)
build() {  # build SOURCES FOLDER [TARGET...]
    cmake -S "$1" --preset bench64 -B "$2" $option >"$2.log" 2>&1 &&
        cmake --build "$2" -j2 --target tidykiosk_filter_v3 "${@:3}" >>"$2.log" 2>&1 ||
        { tail -n 20 "$2.log" >&2; exit 1; }
}
rm -rf "$base/before-src"
git worktree add -f --detach "$base/before-src" "$ref" >/dev/null 2>&1
build "$base/before-src" "$base/before${bytes:+-$bytes}"
git worktree remove --force "$base/before-src"
build "$PWD" "$base/after${bytes:+-$bytes}" bench_probe

. scripts/wine-lib.sh
root=$base/wine
tk_wine_setup "$root" >/dev/null || exit 1
trap 'tk_wine_teardown "$root"' EXIT
tk_wine_fresh_prefix "$root" bench
mkdir -p "$WINEPREFIX/drive_c/before" "$WINEPREFIX/drive_c/after"
cp "$base/before${bytes:+-$bytes}/tidykiosk_filter_v3.exe" "$WINEPREFIX/drive_c/before/"
cp "$base/after${bytes:+-$bytes}"/{tidykiosk_filter_v3,bench_probe}.exe "$WINEPREFIX/drive_c/after/"
ms() {  # ms SIDE: one silent install into C:\bench, in milliseconds
    local start
    start=$(date +%s%N)
    quietly wine "C:\\$1\\tidykiosk_filter_v3.exe" -silent 0 'C:\bench' ||
        { echo "before_after: the $1 install failed" >&2; exit 1; }
    awk -v ns=$(($(date +%s%N) - start)) 'BEGIN { printf "%.1f\n", ns / 1e6 }'
}
settle() { sync; rm -rf "$WINEPREFIX/drive_c/bench"; }
for side in before after; do quietly ms "$side"; settle; done  # warm
times=$base/times
: >"$times"
for i in $(seq 1 "$runs"); do
    sides=(before after)
    [ $((i % 2)) = 0 ] && sides=(after before)
    for side in "${sides[@]}"; do
        fresh=$(ms "$side")
        sync
        over=$(ms "$side")
        settle
        echo "$side $fresh $over" >>"$times"
    done
done
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), load $(cut -d' ' -f1-3 /proc/loadavg), $runs rounds," \
    "payload $(du -sb "${payload}" 2>/dev/null | cut -f1 || echo stand-ins) bytes"
echo "median ms:      fresh    over an earlier install"
for side in before after; do
    printf '%-8s %12s %12s\n' "$side" "$(awk -v s=$side '$1 == s { print $2 }' "$times" | median)" \
        "$(awk -v s=$side '$1 == s { print $3 }' "$times" | median)"
done
memory() {  # memory SIDE: peak private KiB of an install into C:\memory
    wine 'C:\after\bench_probe.exe' memory "C:\\$1\\tidykiosk_filter_v3.exe" -silent 0 'C:\memory' \
        </dev/null 2>/dev/null | tr -d '\r' | cut -d' ' -f3
}
echo "peak private KiB, median of 5: fresh    over an earlier install"
for side in before after; do
    fresh=() over=()
    for _ in 1 2 3 4 5; do
        fresh+=("$(memory "$side")")
        over+=("$(memory "$side")")
        rm -rf "$WINEPREFIX/drive_c/memory"
    done
    printf '%-8s %22s %12s\n' "$side" "$(printf '%s\n' "${fresh[@]}" | median)" \
        "$(printf '%s\n' "${over[@]}" | median)"
done
