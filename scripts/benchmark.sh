#!/usr/bin/env bash
# Benchmarks on one warm Wine prefix (results: docs/benchmarks.md):
#  1. a silent Server install as a whole process, against an NSIS 3 installer that does
#     the same work from the same payload folder (bench/peer.nsi) and a trivial program,
#     the three in turn within each round, each install into a new folder;
#  2. the wizard's first paint, ours and the peer's, and the peak memory of a silent
#     install (bench/bench_probe.cpp);
#  3. where the time of a silent install goes: the profile build (preset profile or
#     profile64, TK_PROFILE=ON);
#  4. the installer's inflation against plain zlib uncompress on the same stream;
#  5. the program's size without its compressed payload.
#   scripts/benchmark.sh [ROUNDS]        (default 21)
# Environment:
#   TK_BENCH_ARCH=x86      the released 32-bit program, 32-bit Wine, the x86-unicode NSIS
#                          stub (the default where 32-bit programs run natively; refused
#                          where they run only under an emulator)
#   TK_BENCH_ARCH=x86_64   both sides built for 64-bit Windows (preset bench64, the
#                          amd64-unicode stub), run by wine64 (the default where 32-bit
#                          programs run only under an emulator). A like-for-like comparison.
#   TK_BENCH_PAYLOAD=standins (default) | large | FOLDER
#                          the payload both installers carry: the build's stand-ins, those
#                          grown to about 5 MB (bench/large_payload.py), or a folder with
#                          the fifteen files at their catalogue paths
#   TK_BENCH_PAINT_ROUNDS, TK_BENCH_MEMORY_ROUNDS, TK_BENCH_PROFILE_ROUNDS (9, 5, 9)
set -euo pipefail
. "$(dirname "$0")/tmpdir.sh"
cd "$(dirname "$0")/.."
runs=${1:-21}
paint_runs=${TK_BENCH_PAINT_ROUNDS:-9}
memory_runs=${TK_BENCH_MEMORY_ROUNDS:-5}
profile_runs=${TK_BENCH_PROFILE_ROUNDS:-9}
payload_choice=${TK_BENCH_PAYLOAD:-standins}

bash scripts/install-deps.sh
. scripts/i386-lib.sh
# Times taken under an emulator say nothing about the program: where 32-bit programs run
# only under one, both sides are built and timed as 64-bit programs.
if [ "$(tk_i386_mode)" = emulated ]; then
    if [ "${TK_BENCH_ARCH:-}" = x86 ]; then
        echo "benchmark: 32-bit programs run under QEMU's emulator on this machine, and times" \
            "taken there say nothing about the program; use TK_BENCH_ARCH=x86_64" >&2
        exit 2
    fi
    [ -z "${TK_BENCH_ARCH:-}" ] && echo "benchmark: 32-bit programs run under QEMU's emulator" \
        "here: timing both sides built for 64-bit Windows under wine64 (TK_BENCH_ARCH=x86_64)"
    arch=x86_64
else
    arch=${TK_BENCH_ARCH:-x86}
fi
case $arch in
    x86) preset=bench profile_preset=profile nsis_target=x86-unicode ;;
    x86_64)
        preset=bench64 profile_preset=profile64 nsis_target=amd64-unicode
        # Debian's "wine" starts programs with the 32-bit loader.
        wine() { /usr/lib/wine/wine64 "$@"; }
        ;;
    *) echo "benchmark: TK_BENCH_ARCH is x86 or x86_64, not $arch" >&2; exit 2 ;;
esac
command -v makensis >/dev/null || { echo "benchmark: needs makensis (Debian package nsis)" >&2; exit 2; }

# One build folder per architecture and payload, each made with the preset's settings; the
# profile build beside it.
build_variant() {  # build_variant PRESET FOLDER "TARGET..." [CMAKE_OPTION...]
    local preset=$1 folder=$2 targets=$3
    shift 3
    mkdir -p "$(dirname "$folder")"
    # shellcheck disable=SC2086
    cmake --preset "$preset" -B "$folder" "$@" >"$folder.log" 2>&1 &&
        cmake --build "$folder" -j2 --target $targets >>"$folder.log" 2>&1 ||
        { tail -n 30 "$folder.log" >&2; echo "benchmark: build failed (see $folder.log)" >&2; exit 1; }
}
base=$PWD/build/bench
mkdir -p "$base"
standins=$base/$arch-standins
case $payload_choice in
    standins) payload_dir= variant=$standins ;;
    large)
        variant=$base/$arch-large
        build_variant "$preset" "$standins/product" tk_payloads
        payload_dir=$variant/payload
        # Made again only when its sources changed, so the builds that pack it stay current.
        if [ ! -f "$payload_dir/fltsrv.exe" ] || [ -n "$(find bench/large_payload.py \
            "$standins/product/payload" -newer "$payload_dir/fltsrv.exe" -print -quit)" ]; then
            python3 bench/large_payload.py "$standins/product/payload" "$payload_dir" >/dev/null
        fi
        ;;
    *) payload_dir=$(cd "$payload_choice" && pwd) variant=$base/$arch-$(basename "$payload_dir") ;;
esac
product=$variant/product
build_variant "$preset" "$product" "tidykiosk_filter_v3 inflate_bench bench_noop bench_probe" \
    -DTK_PAYLOAD_DIR="$payload_dir"
build_variant "$profile_preset" "$variant/profile" tidykiosk_filter_v3 -DTK_PAYLOAD_DIR="$payload_dir"
payload=${payload_dir:-$product/payload}

# The peer, from the same payload folder.
mkdir -p "$variant/peer"
bash bench/peer-files.sh "$payload" >"$variant/peer/files.nsh"
makensis -V1 -DTARGET="$nsis_target" -DFILES="$variant/peer/files.nsh" -DPAYLOAD="$payload" \
    -DOUTFILE="$variant/peer/peer.exe" bench/peer.nsi

. scripts/wine-lib.sh
root=$base/wine-$arch
tk_wine_setup "$root" >/dev/null || exit 1
trap 'tk_wine_teardown "$root"' EXIT
tk_wine_fresh_prefix "$root" bench
setup=$WINEPREFIX/drive_c/setup
mkdir -p "$setup/profile"
cp "$product"/{tidykiosk_filter_v3,bench_noop,bench_probe}.exe "$variant/peer/peer.exe" "$setup/"
cp "$variant/profile/tidykiosk_filter_v3.exe" "$setup/profile/"

ours() { wine 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 "$1"; }
peer() { wine 'C:\setup\peer.exe' /S "/D=$1"; }
noop() { wine 'C:\setup\bench_noop.exe'; }
quietly() { "$@" </dev/null >/dev/null 2>&1; }

# --- The peer does the same work: the same files, registry values and shortcuts --------
desktop_link="$WINEPREFIX/drive_c/users/Public/Desktop/tidyKiosk Filter Server.lnk"
menu_link="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/tidyKiosk/tidyKiosk Filter Server.lnk"
settings="$WINEPREFIX/drive_c/ProgramData/tidyKiosk/FServer/datax/data.ini"
registry_state() {
    local key
    for key in 'HKCU\Software\VornSoft\FltLogServer' 'HKLM\Software\VornSoft\FltLogServer' \
        'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\tidyKiosk Filter Server'; do
        wine reg query "$key" </dev/null 2>/dev/null | tr -d '\r' | sort
    done
    wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v fltsrv </dev/null \
        2>/dev/null | tr -d '\r'
}
# The stand-in programs log their starts (resources/standins); real payloads do not.
standin_log=
[ "$payload_choice" = standins ] || [ "$payload_choice" = large ] &&
    standin_log="$(tk_wine_temp_dir)/tidykiosk-standin.log"
helper_starts() { cat "$standin_log" 2>/dev/null | tr -d '\r' | grep -c '^_fltw.exe.*IY$' || true; }
check_install() {  # check_install NAME COMMAND...: one install, then what it left
    local name=$1 before
    shift
    rm -f "$desktop_link" "$menu_link" "$settings"
    before=$(helper_starts)
    quietly "$@" 'C:\check\same' || { echo "benchmark: the $name install failed" >&2; exit 1; }
    [ -f "$desktop_link" ] && [ -f "$menu_link" ] && grep -q '^Lang=english.lng' "$settings" ||
        { echo "benchmark: the $name install left no shortcuts or settings" >&2; exit 1; }
    if [ -n "$standin_log" ]; then
        for _ in $(seq 1 50); do
            [ "$(helper_starts)" -gt "$before" ] && break
            sleep 0.1
        done
        [ "$(helper_starts)" -gt "$before" ] ||
            { echo "benchmark: the $name install did not start the helper" >&2; exit 1; }
    fi
    registry_state >"$variant/$name.registry"
    cp -r "$WINEPREFIX/drive_c/check/same" "$variant/$name.files"
    rm -rf "$WINEPREFIX/drive_c/check/same"
}
rm -rf "$variant"/{ours,peer}.{files,registry}
check_install ours ours
check_install peer peer
diff -r "$variant/ours.files" "$variant/peer.files" >&2 &&
    diff "$variant/ours.registry" "$variant/peer.registry" >&2 ||
    { echo "benchmark: the peer does not do the same work as ours (above)" >&2; exit 1; }
[ "$(grep -c REG_ "$variant/ours.registry")" -eq 24 ] ||
    { echo "benchmark: expected 24 registry values" >&2; exit 1; }

# --- Statistics -----------------------------------------------------------------------
# stats: one number a line in; "median q1 q3 min max" out (quartiles interpolated).
stats() {
    sort -n | awk '{ v[NR] = $1 }
        function q(p,   h, l) { h = (NR - 1) * p + 1; l = int(h); return v[l] + (h - l) * (v[l + 1] - v[l]) }
        END { v[NR + 1] = v[NR]; printf "%.1f %.1f %.1f %.1f %.1f\n", q(0.5), q(0.25), q(0.75), v[1], v[NR] }'
}
row() {  # row LABEL VALUES...
    local label=$1
    shift
    printf '%s\n' "$@" | stats | awk -v l="$label" \
        '{ printf "  %-24s %8.1f   %6.1f to %6.1f   %6.1f to %6.1f\n", l, $1, $2, $3, $4, $5 }'
}
median() { printf '%s\n' "$@" | stats | cut -d' ' -f1; }
ms_since() { awk -v ns=$(($(date +%s%N) - $1)) 'BEGIN { printf "%.1f\n", ns / 1e6 }'; }
time_ms() {  # time_ms COMMAND...: wall time of one run in milliseconds; the run must succeed
    local start
    start=$(date +%s%N)
    quietly "$@" || { echo "benchmark: failed: $*" >&2; return 1; }
    ms_since "$start"
}
bits=$([ "$arch" = x86 ] && echo 32 || echo 64)
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)," \
    "$(wine --version 2>/dev/null)"
echo "arch $arch: our program and the NSIS peer ($nsis_target stub) are both $bits-bit;" \
    "payload $(du -sb "$payload" | cut -f1) bytes in $(find "$payload" -type f | wc -l) files" \
    "(${payload_dir:-the stand-ins})"
echo

# --- 1. Silent install, the three in turn ------------------------------------------------
quietly noop
quietly ours 'C:\warm\ours'
quietly peer 'C:\warm\peer'
t_noop=()
t_ours=()
t_peer=()
for i in $(seq 1 "$runs"); do
    # Each round starts with another of the three, so none always follows the same one.
    for k in 0 1 2; do
        case $(((i + k) % 3)) in
            0) t_noop+=("$(time_ms noop)") ;;
            1) t_ours+=("$(time_ms ours "C:\\bench\\ours$i")") ;;
            2) t_peer+=("$(time_ms peer "C:\\bench\\peer$i")") ;;
        esac
    done
done
m_noop=$(median "${t_noop[@]}")
m_ours=$(median "${t_ours[@]}")
m_peer=$(median "${t_peer[@]}")
echo "silent Server install as a whole process, $runs rounds, in turn, warm prefix (ms):"
echo "                             median   interquartile      min to max"
row "trivial program" "${t_noop[@]}"
row "ours (-silent 0)" "${t_ours[@]}"
row "NSIS peer (/S /D=)" "${t_peer[@]}"
awk -v o="$m_ours" -v p="$m_peer" -v n="$m_noop" 'BEGIN {
    ratio = p > n ? (o - n) / (p - n) : 0
    printf "  extra over the trivial program: ours %.1f ms, peer %.1f ms;", o - n, p - n
    printf " ratio (ours - trivial) / (peer - trivial) %.2f\n", ratio }'
# The same ratio within each round, whose three runs are next to each other in time: its
# spread says how well the runs resolve the ratio.
paired=()
for i in "${!t_ours[@]}"; do
    paired+=("$(awk -v o="${t_ours[$i]}" -v p="${t_peer[$i]}" -v n="${t_noop[$i]}" \
        'BEGIN { printf "%.0f\n", (p > n ? 1000 * (o - n) / (p - n) : 0) }')")
done
printf '%s\n' "${paired[@]}" | stats | awk '{
    printf "  the ratio round by round: median %.2f,", $1 / 1000
    printf " interquartile %.2f to %.2f\n", $2 / 1000, $3 / 1000 }'
echo

# --- 2. Wizard first paint and peak memory ------------------------------------------------
probe() {  # probe MODE PROGRAM ARGUMENTS...: one line of numbers; a time-out is retried once
    local out
    out=$(wine 'C:\setup\bench_probe.exe' "$@" </dev/null 2>/dev/null | tr -d '\r') ||
        out=$(wine 'C:\setup\bench_probe.exe' "$@" </dev/null 2>/dev/null | tr -d '\r') ||
        { echo "benchmark: bench_probe $* failed" >&2; return 1; }
    echo "$out"
}
p_ours=()
p_peer=()
for i in $(seq 1 "$paint_runs"); do
    p_ours+=("$(probe paint 'C:\setup\tidykiosk_filter_v3.exe' | cut -d' ' -f1)")
    p_peer+=("$(probe paint 'C:\setup\peer.exe' | cut -d' ' -f1)")
done
echo "wizard, start to first page painted, $paint_runs rounds in turn (ms):"
row "ours" "${p_ours[@]}"
row "NSIS peer" "${p_peer[@]}"
echo
memory_rows() {  # memory_rows LABEL COMMAND...: median peak working set and private bytes
    local label=$1 ws=() pf=() line
    shift
    for i in $(seq 1 "$memory_runs"); do
        line=$(probe memory "${@//RUN/$i}")
        ws+=("$(echo "$line" | cut -d' ' -f2)")
        pf+=("$(echo "$line" | cut -d' ' -f3)")
    done
    printf '  %-24s %8.0f KiB %8.0f KiB\n' "$label" "$(median "${ws[@]}")" "$(median "${pf[@]}")"
}
echo "silent install, peak memory, median of $memory_runs runs (working set, private):"
memory_rows "trivial program" 'C:\setup\bench_noop.exe'
memory_rows "ours" 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 'C:\memory\oursRUN'
memory_rows "NSIS peer" 'C:\setup\peer.exe' /S '/D=C:\memory\peerRUN'
echo

# --- 3. Where the time goes ----------------------------------------------------------------
profiles=$variant/profile-runs
rm -rf "$profiles"
mkdir -p "$profiles"
quietly wine 'C:\setup\profile\tidykiosk_filter_v3.exe' -silent 0 'C:\profile\warm'
whole=()
for i in $(seq 1 "$profile_runs"); do
    start=$(date +%s%N)
    wine 'C:\setup\profile\tidykiosk_filter_v3.exe' -silent 0 "C:\\profile\\run$i" </dev/null \
        >/dev/null 2>"$profiles/$i.out"
    whole+=("$(ms_since "$start")")
    tr -d '\r' <"$profiles/$i.out" | grep '^profile: ' >"$profiles/$i.txt"
done
echo "where the time of a silent install goes (-DTK_PROFILE=ON), median of $profile_runs runs (ms):"
awk -F': ' '{ sub(/ ms$/, "", $3); if (!($2 in seen)) { seen[$2] = 1; order[++n] = $2 }
             t[$2] = t[$2] " " $3 }
    END { for (i = 1; i <= n; ++i) print order[i] "\t" t[order[i]] }' "$profiles"/*.txt |
    while IFS=$'\t' read -r step times; do
        # shellcheck disable=SC2086
        printf '  %-28s %8s\n' "$step" "$(median $times)"
    done
echo "  (the same runs, whole process timed from outside: median $(median "${whole[@]}") ms)"
echo

# --- 4. Inflation, 5. size -------------------------------------------------------------------
echo "inflation (in process, under Wine):"
wine "$product/inflate_bench.exe" 40 </dev/null 2>/dev/null | tr -d '\r' | sed 's/^/  /'
echo
total=$(stat -c %s "$product/tidykiosk_filter_v3.exe")
packed=$(cat "$product"/packed/*.z | wc -c)
echo "size: program $total bytes, compressed payload $packed bytes," \
    "program without payload $((total - packed)) bytes ($(((total - packed) / 1024)) KiB);" \
    "NSIS peer $(stat -c %s "$variant/peer/peer.exe") bytes"
