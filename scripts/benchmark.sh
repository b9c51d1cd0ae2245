#!/usr/bin/env bash
# Benchmarks on one warm Wine prefix (results: docs/benchmarks.md):
#  1. a silent Server install as a whole process, against two NSIS 3 installers that do
#     the same work from the same payload folder, the typical one with a Modern UI wizard
#     and a plug-in (bench/peer.nsi) and a lean one with neither (bench/peer-lean.nsi), and
#     a trivial program, the four in turn within each round, each install into a new folder;
#  2. the wizard's first paint, ours and the typical peer's, and the peak memory of a
#     silent install (bench/bench_probe.cpp);
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
#   TK_BENCH_SCALING=1     instead of the above, a table by payload size: the stand-ins
#                          grown to about 0.5, 5 and 50 MB, and for each the silent
#                          install's time above the trivial program and its peak private
#                          memory, ours and the lean peer's (the trivial program once a
#                          round, then the six installs in turn; after each install its
#                          files are synced and removed, untimed)
set -euo pipefail
. "$(dirname "$0")/tmpdir.sh"
cd "$(dirname "$0")/.."
scaling=${TK_BENCH_SCALING:-}
scaling_sizes="500000 5000000 50000000"
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
# The peers are built with Debian's NSIS, which only the benchmark needs.
if ! command -v makensis >/dev/null; then
    sudo=$([ "$(id -u)" = 0 ] || echo sudo)
    $sudo apt-get install -y -q nsis >/dev/null ||
        { echo "benchmark: could not install makensis (Debian package nsis)" >&2; exit 2; }
fi

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
grown_payload() {  # grown_payload FOLDER [BYTES]: the stand-ins grown (bench/large_payload.py)
    build_variant "$preset" "$standins/product" tk_payloads
    # Made again only when its sources changed, so the builds that pack it stay current.
    if [ ! -f "$1/fltsrv.exe" ] || [ -n "$(find bench/large_payload.py \
        "$standins/product/payload" -newer "$1/fltsrv.exe" -print -quit)" ]; then
        python3 bench/large_payload.py "$standins/product/payload" "$@" >/dev/null
    fi
}
build_peers() {  # build_peers PAYLOAD FOLDER NAME...: bench/NAME.nsi from that payload
    local payload=$1 folder=$2 name
    shift 2
    mkdir -p "$folder"
    bash bench/peer-files.sh "$payload" >"$folder/files.nsh"
    for name in "$@"; do
        makensis -V1 -DTARGET="$nsis_target" -DFILES="$folder/files.nsh" -DPAYLOAD="$payload" \
            -DOUTFILE="$folder/$name.exe" "bench/$name.nsi"
    done
}
if [ -n "$scaling" ]; then
    # One folder per size, each with its payload, its build and the lean peer.
    for bytes in $scaling_sizes; do
        grown_payload "$base/$arch-scaling-$bytes/payload" "$bytes"
        build_variant "$preset" "$base/$arch-scaling-$bytes/product" \
            "tidykiosk_filter_v3 bench_noop bench_probe" \
            -DTK_PAYLOAD_DIR="$base/$arch-scaling-$bytes/payload"
        build_peers "$base/$arch-scaling-$bytes/payload" "$base/$arch-scaling-$bytes/peer" peer-lean
    done
    variant=$base/$arch-scaling-${scaling_sizes%% *}
    product=$variant/product
else
    case $payload_choice in
        standins) payload_dir='' variant=$standins ;;
        large)
            variant=$base/$arch-large
            payload_dir=$variant/payload
            grown_payload "$payload_dir"
            ;;
        *) payload_dir=$(cd "$payload_choice" && pwd) variant=$base/$arch-$(basename "$payload_dir") ;;
    esac
    product=$variant/product
    build_variant "$preset" "$product" "tidykiosk_filter_v3 inflate_bench bench_noop bench_probe" \
        -DTK_PAYLOAD_DIR="$payload_dir"
    build_variant "$profile_preset" "$variant/profile" tidykiosk_filter_v3 -DTK_PAYLOAD_DIR="$payload_dir"
    payload=${payload_dir:-$product/payload}
    # The peers, from the same payload folder.
    build_peers "$payload" "$variant/peer" peer peer-lean
fi

. scripts/wine-lib.sh
root=$base/wine-$arch
tk_wine_setup "$root" >/dev/null || exit 1
trap 'tk_wine_teardown "$root"' EXIT
tk_wine_fresh_prefix "$root" bench
setup=$WINEPREFIX/drive_c/setup
mkdir -p "$setup"
cp "$product"/{bench_noop,bench_probe}.exe "$setup/"
if [ -n "$scaling" ]; then
    for bytes in $scaling_sizes; do
        mkdir -p "$setup/s$bytes"
        cp "$base/$arch-scaling-$bytes"/{product/tidykiosk_filter_v3,peer/peer-lean}.exe \
            "$setup/s$bytes/"
    done
else
    mkdir -p "$setup/profile"
    cp "$product/tidykiosk_filter_v3.exe" "$variant"/peer/{peer,peer-lean}.exe "$setup/"
    cp "$variant/profile/tidykiosk_filter_v3.exe" "$setup/profile/"
fi

# The installs run from the folder in "at": C:\setup, or with TK_BENCH_SCALING one size's.
at='C:\setup'
ours() { wine "$at\\tidykiosk_filter_v3.exe" -silent 0 "$1"; }
typical() { wine "$at\\peer.exe" /S "/D=$1"; }
lean() { wine "$at\\peer-lean.exe" /S "/D=$1"; }
noop() { wine 'C:\setup\bench_noop.exe'; }
quietly() { "$@" </dev/null >/dev/null 2>&1; }

# --- The peers do the same work: the same files, registry values and shortcuts -------
desktop_link="$WINEPREFIX/drive_c/users/Public/Desktop/tidyKiosk Filter Server.lnk"
menu_link="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/tidyKiosk/tidyKiosk Filter Server.lnk"
settings="$WINEPREFIX/drive_c/ProgramData/tidyKiosk/FServer/datax/data.ini"
registry_keys=('HKCU\Software\VornSoft\FltLogServer' 'HKLM\Software\VornSoft\FltLogServer'
    'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\tidyKiosk Filter Server')
run_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
registry_state() {
    local key
    for key in "${registry_keys[@]}"; do
        wine reg query "$key" </dev/null 2>/dev/null | tr -d '\r' | sort
    done
    wine reg query "$run_key" /v fltsrv </dev/null 2>/dev/null | tr -d '\r'
}
# Before each install, so that a value an install does not write is missing, not left over.
registry_clear() {
    local key
    for key in "${registry_keys[@]}"; do
        quietly wine reg delete "$key" /f || true
    done
    quietly wine reg delete "$run_key" /v fltsrv /f || true
}
# The stand-in programs log their starts (resources/standins); real payloads do not.
standin_log=
[ "$payload_choice" = standins ] || [ "$payload_choice" = large ] || [ -n "$scaling" ] &&
    standin_log="$(tk_wine_temp_dir)/tidykiosk-standin.log"
helper_starts() { cat "$standin_log" 2>/dev/null | tr -d '\r' | grep -c '^_fltw.exe.*IY$' || true; }
check_install() {  # check_install NAME COMMAND...: one install, then what it left
    local name=$1 before
    shift
    rm -f "$desktop_link" "$menu_link" "$settings"
    registry_clear
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
    rm -rf "$variant/$name.files"
    cp -r "$WINEPREFIX/drive_c/check/same" "$variant/$name.files"
    rm -rf "$WINEPREFIX/drive_c/check/same"
}
check_same_work() {  # check_same_work PEER...: ours, then each peer, into the same folder
    local name
    check_install ours ours
    [ "$(grep -c REG_ "$variant/ours.registry")" -eq 24 ] ||
        { echo "benchmark: expected 24 registry values" >&2; exit 1; }
    for name in "$@"; do
        check_install "$name" "$name"
        diff -r "$variant/ours.files" "$variant/$name.files" >&2 &&
            diff "$variant/ours.registry" "$variant/$name.registry" >&2 ||
            { echo "benchmark: the $name peer does not do the same work as ours (above)" >&2
              exit 1; }
    done
}
if [ -n "$scaling" ]; then
    for bytes in $scaling_sizes; do
        variant=$base/$arch-scaling-$bytes at="C:\\setup\\s$bytes"
        check_same_work lean
    done
else
    check_same_work typical lean
fi

# --- Statistics -----------------------------------------------------------------------
# stats [DECIMALS]: one number a line in; "median q1 q3 min max" out (quartiles
# interpolated), with one decimal unless told.
stats() {
    sort -n | awk -v d="${1:-1}" '{ v[NR] = $1 }
        function q(p,   h, l) { h = (NR - 1) * p + 1; l = int(h); return v[l] + (h - l) * (v[l + 1] - v[l]) }
        END { v[NR + 1] = v[NR]; f = "%." d "f"
              printf f " " f " " f " " f " " f "\n", q(0.5), q(0.25), q(0.75), v[1], v[NR] }'
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
load() { echo "load average $(cut -d' ' -f1-3 /proc/loadavg)"; }
bits=$([ "$arch" = x86 ] && echo 32 || echo 64)
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores" \
    "($(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)), $(load)," \
    "$(wine --version 2>/dev/null)"
if [ -n "$scaling" ]; then
    echo "arch $arch: our program and the lean NSIS peer ($nsis_target stub) are both $bits-bit;" \
        "payloads: the stand-ins grown to about $scaling_sizes bytes"
else
    echo "arch $arch: our program and the NSIS peers ($nsis_target stub) are all $bits-bit;" \
        "payload $(du -sb "$payload" | cut -f1) bytes in $(find "$payload" -type f | wc -l) files" \
        "(${payload_dir:-the stand-ins})"
fi
echo

probe() {  # probe MODE PROGRAM ARGUMENTS...: one line of numbers; a time-out is retried once
    local out
    out=$(wine 'C:\setup\bench_probe.exe' "$@" </dev/null 2>/dev/null | tr -d '\r') ||
        out=$(wine 'C:\setup\bench_probe.exe' "$@" </dev/null 2>/dev/null | tr -d '\r') ||
        { echo "benchmark: bench_probe $* failed" >&2; return 1; }
    echo "$out"
}
memory_runs_of() {  # memory_runs_of COMMAND...: "working-set private" (KiB) a line, one a run
    local i line
    for i in $(seq 1 "$memory_runs"); do
        line=$(probe memory "${@//RUN/$i}") || return 1
        echo "$line" | cut -d' ' -f2,3
    done
}

# Each install's files are written out and removed after it, untimed: no run waits for
# another's writes (ours flushes every file it writes, the peers none, so without this ours
# would also wait for the peers' data), and the 50 MB rounds do not fill the disk.
settle() { sync; rm -rf "$WINEPREFIX/drive_c/"{bench,memory,warm}; }

# --- Scaling (TK_BENCH_SCALING=1): silent install and peak memory by payload size ---------
if [ -n "$scaling" ]; then
    times=$base/$arch-scaling.times
    : >"$times"
    order=(noop)
    quietly noop
    for bytes in $scaling_sizes; do
        order+=("ours $bytes" "lean $bytes")
        at="C:\\setup\\s$bytes"
        quietly ours 'C:\warm\ours'
        quietly lean 'C:\warm\lean'
    done
    settle
    for i in $(seq 1 "$runs"); do
        # Each round starts one further along the list, so none always follows the same one.
        for k in "${!order[@]}"; do
            read -r what bytes <<<"${order[$(((i + k) % ${#order[@]}))]}"
            at="C:\\setup\\s$bytes"
            ms=$(time_ms "$what" 'C:\bench\same')
            echo "$i $what ${bytes:--} $ms" >>"$times"
            settle
        done
    done
    extras() {  # extras WHAT BYTES: that install's time above the trivial program's, per round
        awk -v w="$1" -v b="$2" '$2 == "noop" { n[$1] = $4 } $2 == w && $3 == b { t[$1] = $4 }
            END { for (r in t) printf "%.1f\n", t[r] - n[r] }' "$times"
    }
    ratios() {  # ratios BYTES: ours' extra over the lean peer's, round by round
        awk -v b="$1" '$2 == "noop" { n[$1] = $4 } $3 == b { t[$2, $1] = $4 }
            END { for (r in n) { o = t["ours", r] - n[r]; l = t["lean", r] - n[r]
                                 printf "%.3f\n", (l > 0 ? o / l : 0) } }' "$times"
    }
    spread() { awk '{ printf "%s (%s to %s; %s to %s)", $1, $2, $3, $4, $5 }'; }
    echo "silent Server install by payload size, $runs rounds on one warm prefix, each the trivial"
    echo "program and the six installs in turn; extra = time above the trivial program of the same"
    echo "round (ms); peak private memory of $memory_runs runs (KiB); each: median (interquartile;"
    echo "min to max)"
    echo
    echo "| payload, bytes | programs, ours / lean peer | ours, extra | lean peer, extra" \
        "| ratio round by round | ours, private | lean peer, private |"
    echo "|---|---|---|---|---|---|---|"
    declare -A summary=()  # by size: payload bytes, then the medians of the four columns
    for bytes in $scaling_sizes; do
        at="C:\\setup\\s$bytes"
        v=$base/$arch-scaling-$bytes
        private_ours=$(memory_runs_of "$at\\tidykiosk_filter_v3.exe" -silent 0 'C:\memory\oursRUN' |
            cut -d' ' -f2 | stats 0)
        settle
        private_lean=$(memory_runs_of "$at\\peer-lean.exe" /S '/D=C:\memory\leanRUN' |
            cut -d' ' -f2 | stats 0)
        settle
        extra_ours=$(extras ours "$bytes" | stats)
        extra_lean=$(extras lean "$bytes" | stats)
        summary[$bytes]="$(du -sb "$v/payload" | cut -f1) ${extra_ours%% *} ${extra_lean%% *}"
        summary[$bytes]+=" ${private_ours%% *} ${private_lean%% *}"
        printf '| %s | %s / %s | %s | %s | %s | %s | %s |\n' "${summary[$bytes]%% *}" \
            "$(stat -c %s "$v/product/tidykiosk_filter_v3.exe")" \
            "$(stat -c %s "$v/peer/peer-lean.exe")" "$(spread <<<"$extra_ours")" \
            "$(spread <<<"$extra_lean")" "$(ratios "$bytes" | stats 2 | spread)" \
            "$(spread <<<"$private_ours")" "$(spread <<<"$private_lean")"
    done
    echo
    echo "growth per MB of payload from one size to the next, from the medians:"
    previous=
    for bytes in $scaling_sizes; do
        [ -z "$previous" ] || awk -v a="${summary[$previous]}" -v b="${summary[$bytes]}" 'BEGIN {
            split(a, x); split(b, y); mb = (y[1] - x[1]) / 1e6
            printf "  %.1f to %.1f MB: extra time ours %+.1f ms/MB, lean peer %+.1f ms/MB;",
                x[1] / 1e6, y[1] / 1e6, (y[2] - x[2]) / mb, (y[3] - x[3]) / mb
            printf " private memory ours %+.0f KiB/MB, lean peer %+.0f KiB/MB\n",
                (y[4] - x[4]) / mb, (y[5] - x[5]) / mb }'
        previous=$bytes
    done
    echo "at the end: $(load)"
    exit 0
fi

# --- 1. Silent install, the four in turn -------------------------------------------------
quietly noop
quietly ours 'C:\warm\ours'
quietly typical 'C:\warm\peer'
quietly lean 'C:\warm\lean'
settle
t_noop=()
t_ours=()
t_peer=()
t_lean=()
for i in $(seq 1 "$runs"); do
    # Each round starts with another of the four, so none always follows the same one.
    for k in 0 1 2 3; do
        case $(((i + k) % 4)) in
            0) t_noop+=("$(time_ms noop)") ;;
            1) t_ours+=("$(time_ms ours "C:\\bench\\ours$i")") ;;
            2) t_peer+=("$(time_ms typical "C:\\bench\\peer$i")") ;;
            3) t_lean+=("$(time_ms lean "C:\\bench\\lean$i")") ;;
        esac
        settle
    done
done
echo "silent Server install as a whole process, $runs rounds, in turn, warm prefix (ms):"
echo "                             median   interquartile      min to max"
row "trivial program" "${t_noop[@]}"
row "ours (-silent 0)" "${t_ours[@]}"
row "typical peer (/S /D=)" "${t_peer[@]}"
row "lean peer (/S /D=)" "${t_lean[@]}"
# Ours against one peer: the extra over the trivial program from the medians, and the same
# ratio within each round, whose runs are next to each other in time: its spread says how
# well the runs resolve the ratio.
against() {  # against LABEL ARRAY: ours against the peer whose times the array holds
    local label=$1 i
    local -n times=$2
    awk -v o="$(median "${t_ours[@]}")" -v p="$(median "${times[@]}")" \
        -v n="$(median "${t_noop[@]}")" -v l="$label" 'BEGIN {
        printf "  %s: extra over the trivial program ours %.1f ms, peer %.1f ms;", l, o - n, p - n
        printf " ratio (ours - trivial) / (peer - trivial) %.2f\n", (p > n ? (o - n) / (p - n) : 0) }'
    for i in "${!t_ours[@]}"; do
        awk -v o="${t_ours[$i]}" -v p="${times[$i]}" -v n="${t_noop[$i]}" \
            'BEGIN { printf "%.3f\n", (p > n ? (o - n) / (p - n) : 0) }'
    done | stats 2 |
        awk '{ printf "    the ratio round by round: median %s, interquartile %s to %s\n", $1, $2, $3 }'
}
against "typical peer" t_peer
against "lean peer" t_lean
echo

# --- 2. Wizard first paint and peak memory ------------------------------------------------
p_ours=()
p_peer=()
for i in $(seq 1 "$paint_runs"); do
    p_ours+=("$(probe paint 'C:\setup\tidykiosk_filter_v3.exe' | cut -d' ' -f1)")
    p_peer+=("$(probe paint 'C:\setup\peer.exe' | cut -d' ' -f1)")
done
echo "wizard, start to first page painted, $paint_runs rounds in turn (ms):"
row "ours" "${p_ours[@]}"
row "typical peer" "${p_peer[@]}"
echo
memory_rows() {  # memory_rows LABEL COMMAND...: median peak working set and private bytes
    local label=$1 lines
    shift
    lines=$(memory_runs_of "$@")
    printf '  %-24s %8.0f KiB %8.0f KiB\n' "$label" \
        "$(cut -d' ' -f1 <<<"$lines" | stats | cut -d' ' -f1)" \
        "$(cut -d' ' -f2 <<<"$lines" | stats | cut -d' ' -f1)"
}
echo "silent install, peak memory, median of $memory_runs runs (working set, private):"
memory_rows "trivial program" 'C:\setup\bench_noop.exe'
memory_rows "ours" 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 'C:\memory\oursRUN'
memory_rows "typical peer" 'C:\setup\peer.exe' /S '/D=C:\memory\peerRUN'
memory_rows "lean peer" 'C:\setup\peer-lean.exe' /S '/D=C:\memory\leanRUN'
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
    "NSIS peers $(stat -c %s "$variant/peer/peer.exe") (typical) and" \
    "$(stat -c %s "$variant/peer/peer-lean.exe") (lean) bytes"
echo "at the end: $(load)"
