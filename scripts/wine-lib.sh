# Shell functions for running the setup program and its tests under Wine.
# Source this file; it sets nothing until a function is called.
#
# Layout under a Wine root folder (normally build/windows/wine):
#   env        DISPLAY, HOME and the pristine prefix of this test run
#   home/      HOME for every Wine process (the prefix links Desktop and Documents here)
#   pristine/  a freshly made 64-bit prefix, never run in directly
#   prefixes/  one prefix per test, each a copy of the pristine one

tk_wine_base_env() {
    # Wine makes its server's socket folder inside TMPDIR and gives up at once when it
    # cannot (a TMPDIR that does not exist, or sits on a file system without sockets).
    # Keep the caller's TMPDIR for the diagnosis, but give Wine the system's /tmp.
    if [ "${TMPDIR:-/tmp}" != /tmp ] && [ -z "${TK_CALLER_TMPDIR:-}" ]; then
        export TK_CALLER_TMPDIR=$TMPDIR
    fi
    export TMPDIR=/tmp
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINEARCH=win64
}

# Boots a new prefix at PREFIX, appending Wine's output to LOG. Succeeds only when Wine
# said so and the prefix has its registry.
tk_wine_boot() {
    local prefix=$1 log=$2 status
    WINEPREFIX="$prefix" wine wineboot -i </dev/null >>"$log" 2>&1
    status=$?
    WINEPREFIX="$prefix" wineserver -w </dev/null >>"$log" 2>&1 || true
    echo "wineboot exit status $status" >>"$log"
    [ "$status" -eq 0 ] && [ -f "$prefix/system.reg" ]
}

# Facts about this machine that explain a Wine that does not start.
tk_wine_diagnose() (
    set +e +o pipefail
    root=$1
    echo "--- Wine could not make a prefix; what it printed:"
    tail -n 40 "$root/wineboot.log" 2>/dev/null
    echo "--- machine:"
    id
    wine --version 2>&1
    ls -ld "$root" "$root"/* "/tmp/.wine-$(id -u)" "/tmp/.wine-$(id -u)"/* 2>&1 | head -n 20
    stat -f -c 'file system of the Wine root: %T' "$root" 2>&1
    echo "mmap_min_addr: $(cat /proc/sys/vm/mmap_min_addr 2>&1)"
    echo "TMPDIR of the caller: ${TK_CALLER_TMPDIR:-(not set)}"
    ulimit -a 2>&1 | grep -E 'processes|virtual|open files'
    echo "---"
)

# Starts Xvfb on a free display and makes a pristine prefix. Writes ROOT/env.
# When Wine cannot make a prefix under ROOT even on a second try, the prefixes move to a
# private folder under /tmp (ROOT/prefixes becomes a link to it). When that fails too,
# Wine does not work on this machine: the set-up says why and what to install, and fails,
# and so does every test that needs it. Nothing is skipped.
tk_wine_setup() {
    local root=$1
    tk_wine_teardown "$root"
    rm -rf "$root"
    mkdir -p "$root/home" "$root/prefixes"
    root=$(cd "$root" && pwd)
    tk_wine_base_env
    # shellcheck disable=SC1091
    . "$(dirname "${BASH_SOURCE[0]}")/i386-lib.sh"
    if [ "$(tk_i386_mode)" = none ]; then
        echo "wine-lib: this machine does not run 32-bit x86 programs, so Wine cannot run the" \
            "released 32-bit program; run scripts/install-deps.sh as root (it sets up QEMU's" \
            "user-mode emulator for them: qemu-user-static, binfmt_misc, wine32-preloader)" >&2
        return 1
    fi
    local display=$((100 + $$ % 400))
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
        display=$((display + 1))
    done
    setsid Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$root/xvfb.log" 2>&1 &
    echo $! >"$root/xvfb.pid"
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.1
    done
    [ -e "/tmp/.X11-unix/X$display" ] || { echo "wine-lib: Xvfb did not start:"; cat "$root/xvfb.log"; } >&2

    local pristine="$root/pristine" log="$root/wineboot.log"
    : >"$log"
    if ! tk_wine_boot "$pristine" "$log"; then
        tk_wine_diagnose "$root" >&2
        echo "wine-lib: trying again with a new prefix" >&2
        WINEPREFIX="$pristine" wineserver -k >/dev/null 2>&1 || true
        rm -rf "$pristine"
        if ! tk_wine_boot "$pristine" "$log"; then
            WINEPREFIX="$pristine" wineserver -k >/dev/null 2>&1 || true
            rm -rf "$pristine"
            local elsewhere
            elsewhere=$(mktemp -d /tmp/tk-wine.XXXXXX)
            echo "$elsewhere" >"$root/elsewhere"
            echo "wine-lib: trying again with the prefixes under $elsewhere" >&2
            mkdir -p "$elsewhere/prefixes"
            rmdir "$root/prefixes"
            ln -s "$elsewhere/prefixes" "$root/prefixes"
            pristine="$elsewhere/pristine"
            if ! tk_wine_boot "$pristine" "$log"; then
                tk_wine_diagnose "$root" >&2
                echo "wine-lib: WINE DOES NOT WORK HERE, so the Windows-side tests cannot run;" \
                    "scripts/install-deps.sh (as root) installs Wine (wine, wine32:i386, wine64)" \
                    "and, where needed, the emulator for 32-bit programs" >&2
                tk_wine_teardown "$root"
                return 1
            fi
        fi
        echo "wine-lib: that worked" >&2
    fi
    cat >"$root/env" <<ENV
export DISPLAY=:$display
export HOME='$root/home'
TK_WINE_PRISTINE='$pristine'
TK_WINE_ROOT='$root'
ENV
    # Tahoma and the other Wine fonts, so windows look as they do on Windows.
    cp /usr/share/wine/fonts/*.ttf "$pristine/drive_c/windows/Fonts/" 2>/dev/null || true
}

tk_wine_load_env() {
    local root=$1
    [ -f "$root/env" ] || { echo "wine-lib: no Wine environment under $root; run the setup first" >&2; return 1; }
    tk_wine_base_env
    # shellcheck disable=SC1091
    . "$root/env"
}

# Makes ROOT/prefixes/NAME a fresh copy of the pristine prefix, starts its wineserver and
# exports WINEPREFIX. An overlay mount costs milliseconds; a plain copy is the fallback.
tk_wine_fresh_prefix() {
    local root=$1 name=$2
    tk_wine_load_env "$root" || return 1
    local base="$root/prefixes/$name"
    tk_wine_drop_prefix "$root" "$name"
    mkdir -p "$base/upper" "$base/work" "$base/prefix"
    if ! mount -t overlay overlay \
        -o "lowerdir=$TK_WINE_PRISTINE,upperdir=$base/upper,workdir=$base/work" \
        "$base/prefix" 2>/dev/null; then
        rmdir "$base/prefix"
        cp -a "$TK_WINE_PRISTINE" "$base/prefix"
    fi
    export WINEPREFIX="$base/prefix"
    # Background Wine processes must not hold the caller's output open.
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

tk_wine_drop_prefix() {
    local root=$1 name=$2
    local base="$root/prefixes/$name"
    [ -d "$base" ] || return 0
    # The mount table names real paths, and the prefixes folder may be a link.
    base=$(readlink -f "$base")
    WINEPREFIX="$base/prefix" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$base/prefix" wineserver -w >/dev/null 2>&1 || true
    # Tests may have mounted inside the prefix (read-only folders, small disks): innermost first.
    awk -v base="$base/" 'index($2, base) == 1 { print $2 }' /proc/mounts | sort -r |
        while read -r mounted; do
            umount "$mounted" 2>/dev/null || umount -l "$mounted" 2>/dev/null || true
        done
    rm -rf "$base"
}

# Stops every prefix's wineserver and Xvfb.
tk_wine_teardown() {
    local root=$1 base
    [ -d "$root" ] || return 0
    if [ -d "$root/prefixes" ]; then
        for base in "$root"/prefixes/*; do
            [ -d "$base" ] && tk_wine_drop_prefix "$root" "$(basename "$base")"
        done
    fi
    if [ -f "$root/xvfb.pid" ]; then
        kill "$(cat "$root/xvfb.pid")" 2>/dev/null || true
        rm -f "$root/xvfb.pid"
    fi
    if [ -f "$root/elsewhere" ]; then
        local elsewhere
        elsewhere=$(cat "$root/elsewhere")
        WINEPREFIX="$elsewhere/pristine" wineserver -k >/dev/null 2>&1 || true
        case $elsewhere in /tmp/tk-wine.*) rm -rf "$elsewhere" ;; esac
        rm -f "$root/elsewhere"
    fi
}

# The Windows path C:\... of a Unix path inside the current prefix's drive_c.
tk_wine_unix_path() {
    local windows=$1
    local rest=${windows#[Cc]:}
    rest=${rest//\\//}
    printf '%s/drive_c%s' "$WINEPREFIX" "$rest"
}

# The Unix path of the Wine user's %TEMP% folder in the current prefix (made if missing).
tk_wine_temp_dir() {
    local temp
    temp=$(wine cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d '\r')
    temp=$(tk_wine_unix_path "$temp")
    mkdir -p "$temp"
    printf '%s' "$temp"
}
